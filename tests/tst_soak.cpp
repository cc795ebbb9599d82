// A randomized soak: thousands of random user actions on the real main window
// (clicks on every button, check box and option, keys and pastes in the cells
// and the panel's boxes, tab switches and the access code, the menus, saves
// and loads) against two simulated boards that misbehave at random, with every
// dialog answered so that the program goes on. Users also act while a handler
// waits. After every action it checks that the program still runs, that every
// report the boards received is well formed and writes only registers the
// action could write, that every cell shows two upper-case hexadecimal digits
// that came from the chip (or is empty, or holds what the user typed or
// pasted), that the address, instance and board-signal controls agree with
// the program's state and that no message outside the program's own was shown.
//
// QDM_SOAK_SEED=n replays a run, QDM_SOAK_ACTIONS=n sets its length and
// QDM_SOAK_TRACE=1 prints every action.
#include "app/aboutwindow.h"
#include "app/controlarrays.h"
#include "app/systeminfo.h"
#include "board/boardlink.h"
#include "board/linkhelpers.h"
#include "regdef/regdefwindow.h"
#include "regfiles/registerfile.h"
#include "regfiles/registerfiles.h"
#include "registers/addressselector.h"
#include "registers/registergrid.h"
#include "support/clicks.h"
#include "support/reportcheck.h"
#include "support/testrig.h"
#include "ui_aboutwindow.h"
#include "ui_mainwindow.h"
#include "ui_regdefwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>
#include <bitset>
#include <cstdio>
#include <deque>
#include <random>

namespace {

constexpr std::uint8_t kLowChip = 0x00;  // 7-bit address, on board 0 only
constexpr std::uint8_t kHighChip = 0x40; // on both boards
constexpr quint32 kDefaultSeed = 7720;
constexpr int kDefaultActions = 5000;
// Fake time one action may take before it counts as hung: a scan of all 128
// addresses with a few failures and nested actions stays far below.
constexpr long kRunawayMs = 180'000;
// Chance per sleep of the program (a 4 ms slice of a wait, an answer limit, a
// drain) that the user acts meanwhile; the action runs when the program next
// handles events, in its wait or right after the handler returns.
constexpr double kNestedChance = 1.0 / 600;
// Chance per sleep that a board is unplugged meanwhile.
constexpr double kUnplugChance = 1.0 / 5000;
constexpr int kCells = RegisterGrid::kCells;

// The kinds of action, their names in the summary and their relative weights.
constexpr std::array<std::pair<const char*, int>, 13> kActions = {{
    {"clicks", 230},
    {"cell keys", 250},
    {"panel keys", 80},
    {"tab strip keys", 50},
    {"tab switches", 60},
    {"list keys", 60},
    {"address bits", 8},
    {"addresses", 40},
    {"scans", 4},
    {"saves", 30},
    {"loads", 30},
    {"About", 15},
    {"definitions", 20},
}};

using RegisterSet = std::bitset<256>;

RegisterSet registersOf(std::initializer_list<int> regs) {
    RegisterSet s;
    for (int r : regs)
        s.set(static_cast<std::size_t>(r));
    return s;
}

RegisterSet mainSet() {
    RegisterSet s;
    for (std::uint8_t r : kMainRegisters)
        s.set(r);
    return s;
}

// What a register file load may write: the files of this soak hold the main
// set and the test registers.
RegisterSet loadSet() {
    return mainSet() | registersOf({0x11, 0x12, 0x13, 0x14, 0x15, 0x16});
}

bool isHexByteText(const QString& t) {
    static const QRegularExpression twoDigits(QStringLiteral("^[0-9A-F]{2}$"));
    return twoDigits.match(t).hasMatch();
}

quint32 envNumber(const char* name, quint32 fallback) {
    bool ok = false;
    const quint32 v = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? v : fallback;
}

// Every message the program can show in this soak, by text and title.
bool isKnownMessage(const ScriptedDialogs::Shown& s) {
    static const QList<QPair<QString, QString>> exact = {
        {kBoardNotFoundText, kAppTitle},
        {kInvalidAddressText, kAppTitle},
        {kReadFileErrorText, kAppTitle},
        {kWriteFileErrorText, kAppTitle},
        {kCheckGPstatusText, kAppTitle},
        {kAddressNotFoundText, kAppTitle},
        {kSysInfoUnavailableText, kAppTitle},
        {kFileExistsText, kFileExistsTitle},
        {kNotRegisterFileText, kNotRegisterFileTitle},
    };
    if (exact.contains({s.text, s.title}))
        return true;
    static const QRegularExpression firmware(
        QStringLiteral("^Firmware Version \\d+\\.\\d+ - \\d+/[^/]+/\\d+$"));
    static const QRegularExpression badLine(
        QStringLiteral("^Line \\d+ of .* is not a valid register line:"));
    return s.title == kAppTitle &&
           (firmware.match(s.text).hasMatch() || badLine.match(s.text).hasMatch());
}

// QTest warns for every key a widget ignores (letters on the tab strip).
QtMessageHandler previousHandler = nullptr;
void quietKeyWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // And the offscreen platform for what it cannot do.
    if (type == QtWarningMsg &&
        (message == QLatin1String("Keyboard event not accepted by receiving widget") ||
         message.startsWith(QLatin1String("This plugin does not support")) ||
         message.contains(QLatin1String("OpenType support missing"))))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

struct Stroke {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    QString text;
};

QString describe(const Stroke& s) {
    const QString name = QKeySequence(QKeyCombination(s.mods, s.key)).toString();
    return name.isEmpty() ? QStringLiteral("key %1").arg(s.key, 0, 16) : name;
}

// A text for the log: control characters as \xNN.
QString printable(const QString& text) {
    QString out;
    for (QChar c : text.left(40))
        out += c.unicode() < 32 ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                                : QString(c);
    return text.size() > 40 ? out + QStringLiteral("...") : out;
}

// A saved register file holds the header and one line per register of the
// main set, with the cell's text where the program put it there, and loads
// back into those registers only.
QString savedFileFault(const QByteArray& bytes, const RegisterGrid& grid) {
    QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() != 16 || !lines.takeLast().isEmpty())
        return QStringLiteral("the save wrote %1 lines").arg(lines.size() - 1);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (!line.endsWith('\r') || line.chopped(1).contains('\r'))
            return QStringLiteral("line %1 of the save ends badly").arg(i + 1);
        line.chop(1);
        if (i == 0) {
            if (line != kRegisterFileHeader)
                return QStringLiteral("the save's header is %1").arg(QString::fromLatin1(line));
            continue;
        }
        const std::uint8_t reg = kMainRegisters[static_cast<std::size_t>(i - 1)];
        const QString cellText = grid.text(reg);
        const QByteArray start = "0x" + hexByte(reg).toLatin1() + '\t';
        if (!line.startsWith(start) ||
            (isHexByteText(cellText) && line.mid(start.size()) != cellText.toLatin1()))
            return QStringLiteral("the save's line for 0x%1 is \"%2\" with the cell at \"%3\"")
                .arg(hexByte(reg), QString::fromLatin1(line), printable(cellText));
    }
    const RegisterFileCheck check = checkRegisterFile(bytes);
    if (check.verdict == RegisterFileCheck::Verdict::Accepted) {
        for (std::size_t i = 0; i < check.writes.size(); ++i) {
            if (i >= kMainRegisters.size() || check.writes[i].reg != kMainRegisters[i])
                return QStringLiteral("the saved file loads into register 0x%1")
                    .arg(hexByte(check.writes[i].reg));
        }
    }
    return {};
}

// A text box of the window whose texts the soak follows.
struct Box {
    QLineEdit* edit;
    int reg;                         // the register of a grid cell, else -1
    std::optional<QString> userText; // what the user typed or pasted last
    // The texts shown during the current action, and whether the user's key
    // press put them there.
    std::vector<std::pair<QString, bool>> shown;
};

class Soak {
public:
    explicit Soak(quint32 seed) : seed_(seed), rng_(seed) {
        previousHandler = qInstallMessageHandler(quietKeyWarnings);
        rig_.board(0).addChip(kLowChip);
        for (std::size_t b = 0; b < rig_.transport.boardCount(); ++b) {
            for (SimChip& chip : rig_.board(b).chips) {
                // Values unlike the defaults, so that a value that did not
                // come from the chip is unlikely to match it by chance.
                for (int r = 1; r < kCells; ++r)
                    chip.registers[r] = static_cast<std::uint8_t>(uniform(0, 255));
            }
        }
    }
    ~Soak() { qInstallMessageHandler(previousHandler); }

    // Starts the program and makes the hand-written register files.
    QString start();
    // One random action and the checks after it: empty, or what went wrong.
    QString step();
    // Quiet boards, the chip's address, a last Read All: the grid must show
    // the chip as it is.
    QString finish();
    QString failure(const QString& fault) const;
    // What the run did, for its log.
    QString summary() const;

private:
    // Randomness.
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    template <typename T> T pick(const QList<T>& list) {
        Q_ASSERT(!list.isEmpty());
        return list.at(uniform(0, static_cast<int>(list.size()) - 1));
    }
    Stroke randomStroke();
    QString randomClipboardText();

    // Faults of the boards.
    void injectFault();
    AnswerFault randomFault();
    void replugAll();

    // Actions.
    void act();
    void note(const QString& what);
    void clickSomeButton();
    void keyInCell();
    void keyInPanel();
    void typeOnTabStrip();
    void switchTab();
    void keyInCombo();
    void clickAddressBit();
    void setAddress(std::uint8_t address7);
    void scan();
    void save();
    void load();
    void about();
    void definitions();
    void showTab(int index);
    void press(QWidget* target, const Stroke& s);
    void allowWritesOf(const QString& control);

    // Observing the program.
    void watch(QLineEdit* edit, int reg);
    void observe(SimBoard& board, const Report& r);
    void checkSent(const Report& r);
    void noteHeld(SimBoard& board);
    void beginAction();
    void endAction();
    QString check();
    QString checkBoxes();
    QString checkControls();

    quint32 seed_;
    std::mt19937 rng_;
    TestRig rig_{2, kHighChip};
    MainWindow* w_ = nullptr;
    Ui::frmMain* ui_ = nullptr;
    QTemporaryDir folder_;
    std::vector<Box> boxes_;

    bool inAction_ = false;
    int depth_ = 0;
    bool nestedPending_ = false;
    bool userTyping_ = false;
    long actionStartMs_ = 0;
    std::deque<QString> history_;
    bool trace_ = qEnvironmentVariableIntValue("QDM_SOAK_TRACE") != 0;
    // Set for the final check: the user neither acts nor pulls cables.
    bool quiet_ = false;

    // What the current action may write and what it saw of the chips.
    RegisterSet allowedWrites_;
    std::array<RegisterSet, kCells> held_;
    std::array<RegisterSet, kCells> written_;
    bool recalRan_ = false;
    bool multiWriteRan_ = false;
    QStringList violations_;
    QStringList actionReports_; // of the current action, for a failure's account
    std::optional<QString> savedTo_;
    std::size_t messagesChecked_ = 0;

    int actions_ = 0;
    std::array<int, kActions.size()> counts_{};
    int nested_ = 0;
    int messagesSeen_ = 0;
    long reports_ = 0;
    long refused_ = 0;
};

// ---------------------------------------------------------------- randomness

Stroke Soak::randomStroke() {
    static const QString hexChars = QStringLiteral("0123456789abcdefABCDEF");
    static const QString otherChars = QStringLiteral("gGzZ x-!.;");
    const int kind = uniform(0, 99);
    if (kind < 38) {
        const QString& from = kind < 30 ? hexChars : otherChars;
        const QChar c = from.at(uniform(0, static_cast<int>(from.size()) - 1));
        Qt::Key key = Qt::Key_Space;
        if (c.isDigit())
            key = static_cast<Qt::Key>(Qt::Key_0 + c.digitValue());
        else if (c.isLetter())
            key = static_cast<Qt::Key>(Qt::Key_A + (c.toUpper().unicode() - 'A'));
        else
            key = static_cast<Qt::Key>(c.unicode());
        return {key, c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(c)};
    }
    if (kind < 63) {
        static const Qt::Key steps[] = {Qt::Key_Up,    Qt::Key_Down,   Qt::Key_Left,
                                        Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown};
        static const Qt::KeyboardModifiers mods[] = {Qt::NoModifier,
                                                     Qt::NoModifier,
                                                     Qt::NoModifier,
                                                     Qt::ShiftModifier,
                                                     Qt::ControlModifier,
                                                     Qt::AltModifier,
                                                     Qt::ShiftModifier | Qt::ControlModifier};
        return {steps[uniform(0, 5)], mods[uniform(0, 6)], {}};
    }
    if (kind < 75) {
        static const Stroke editing[] = {
            {Qt::Key_Backspace, {}, QStringLiteral("\b")},
            {Qt::Key_Delete, {}, {}},
            {Qt::Key_Return, {}, QStringLiteral("\r")},
            {Qt::Key_Home, {}, {}},
            {Qt::Key_End, {}, {}},
            {Qt::Key_Escape, {}, QStringLiteral("\x1b")},
            {Qt::Key_Tab, {}, QStringLiteral("\t")},
            {Qt::Key_End, Qt::ShiftModifier, {}},
        };
        return editing[uniform(0, 7)];
    }
    if (kind < 95) {
        static const Qt::Key clip[] = {Qt::Key_A, Qt::Key_C, Qt::Key_V, Qt::Key_V};
        const Qt::Key key = clip[uniform(0, 3)];
        if (key == Qt::Key_V && chance(0.7))
            QApplication::clipboard()->setText(randomClipboardText());
        return {key, Qt::ControlModifier, QString(QChar(key - Qt::Key_A + 'a'))};
    }
    if (kind < 98) {
        // The box's own cut, undo and redo, and the menu's save and load.
        static const Qt::Key other[] = {Qt::Key_X, Qt::Key_Z, Qt::Key_Y, Qt::Key_S, Qt::Key_O};
        const Qt::Key key = other[uniform(0, 4)];
        return {key, Qt::ControlModifier, QString(QChar(key - Qt::Key_A + 'a'))};
    }
    return {Qt::Key_5, Qt::AltModifier, QStringLiteral("5")};
}

QString Soak::randomClipboardText() {
    static const QStringList texts = {
        {},
        QStringLiteral("7"),
        QStringLiteral("5A"),
        QStringLiteral("a5"),
        QStringLiteral("FF"),
        QStringLiteral("100"),
        QStringLiteral("FFFFFFFFFFFF"),
        QStringLiteral("zz"),
        QStringLiteral(" 12"),
        QStringLiteral("0x12"),
        QStringLiteral("-1"),
        QStringLiteral("3\r\n0x03\t99"),
        QStringLiteral("12,0x04\t77"),
        QStringLiteral("\u00c4\u00df"),
        QStringLiteral("\uff11\uff12"),
        QStringLiteral("%s%n%1"),
    };
    if (chance(0.8))
        return pick(texts);
    QString t;
    const int length = chance(0.5) ? uniform(1, 8) : uniform(100, 3000);
    for (int i = 0; i < length; ++i)
        t += QChar(static_cast<char16_t>(chance(0.8) ? uniform(32, 126) : uniform(1, 0x2FFF)));
    return t;
}

// ---------------------------------------------------------------- faults

AnswerFault Soak::randomFault() {
    switch (uniform(0, 4)) {
    case 0:
        return AnswerFault::none();
    case 1:
        return AnswerFault::drop();
    case 2:
        return AnswerFault::late();
    case 3:
        return AnswerFault::shortReport();
    default:
        // Status 0 would be a board that reports success for a transfer it
        // did not make; no program can tell that from a real answer.
        return AnswerFault::withStatus(static_cast<std::uint8_t>(uniform(1, 255)));
    }
}

void Soak::injectFault() {
    SimBoard& board = rig_.board(static_cast<std::size_t>(uniform(0, 1)));
    const int kind = uniform(0, 99);
    if (kind < 10) {
        board.unplugged = true;
        note(QStringLiteral("  (a board is unplugged)"));
    } else if (kind < 20) {
        replugAll();
    } else if (kind < 70) {
        // A few at a time: a board that is not selected keeps them.
        for (int n = uniform(1, 3); n > 0 && board.answerFaults.size() < 4; --n)
            board.answerFaults.push_back(randomFault());
    } else if (kind < 80) {
        board.everyAnswer = randomFault(); // for the next action
    } else {
        for (int n = uniform(1, 3); n > 0; --n) {
            Report stale{};
            for (auto& b : stale)
                b = static_cast<std::uint8_t>(chance(0.5) ? 0 : uniform(0, 255));
            board.queueInput(stale);
        }
    }
}

void Soak::replugAll() {
    for (std::size_t b = 0; b < rig_.transport.boardCount(); ++b) {
        rig_.board(b).unplugged = false;
        rig_.board(b).everyAnswer.reset();
    }
}

// ---------------------------------------------------------------- actions

void Soak::note(const QString& what) {
    const QString line = (depth_ > 0 ? QStringLiteral("  nested: ") : QString()) + what;
    // Straight to stderr: Qt Test stops printing after 2000 messages.
    if (trace_)
        std::fprintf(stderr, "%s\n", qPrintable(line));
    history_.push_back(line);
    if (history_.size() > 40)
        history_.pop_front();
}

QString Soak::summary() const {
    QStringList parts;
    for (std::size_t i = 0; i < kActions.size(); ++i)
        parts << QStringLiteral("%1 %2").arg(counts_[i]).arg(QLatin1String(kActions[i].first));
    return QStringLiteral(
               "%1 (%2 of them queued while the program slept); %3 messages, %4 reports, "
               "%5 refused")
        .arg(parts.join(QStringLiteral(", ")))
        .arg(nested_)
        .arg(messagesSeen_)
        .arg(reports_)
        .arg(refused_);
}

void Soak::act() {
    std::array<int, kActions.size()> weights{};
    for (std::size_t i = 0; i < kActions.size(); ++i)
        weights[i] = kActions[i].second;
    std::discrete_distribution<int> which(weights.begin(), weights.end());
    const int kind = which(rng_);
    ++counts_[static_cast<std::size_t>(kind)];
    switch (kind) {
    case 0:
        return clickSomeButton();
    case 1:
        return keyInCell();
    case 2:
        return keyInPanel();
    case 3:
        return typeOnTabStrip();
    case 4:
        return switchTab();
    case 5:
        return keyInCombo();
    case 6:
        return clickAddressBit();
    case 7: {
        // Mostly where a chip answers, as a user would.
        const std::uint8_t targets[] = {kLowChip,  kHighChip,
                                        kHighChip, kHighChip,
                                        kHighChip, static_cast<std::uint8_t>(uniform(0, 127))};
        return setAddress(targets[uniform(0, 5)]);
    }
    case 8:
        return scan();
    case 9:
        return save();
    case 10:
        return load();
    case 11:
        return about();
    default:
        return definitions();
    }
}

void Soak::allowWritesOf(const QString& control) {
    if (control.startsWith(QLatin1String("obChannelSelect"))) {
        allowedWrites_ |= registersOf({0x02});
    } else if (control == QLatin1String("cmdReCal")) {
        allowedWrites_ |= registersOf({0x03});
        recalRan_ = true;
    } else if (control == QLatin1String("cmdMultiWriteTest")) {
        allowedWrites_ |= registersOf({0x06, 0x07, 0x08});
        multiWriteRan_ = true;
    } else if (control.startsWith(QLatin1String("cmdWriteIndividual"))) {
        allowedWrites_ |= mainSet();
    }
}

void Soak::clickSomeButton() {
    QList<QAbstractButton*> candidates;
    for (QAbstractButton* b : w_->findChildren<QAbstractButton*>()) {
        const QString name = b->objectName();
        // The address check boxes, Scan Address and Quit have actions of their own.
        if (b->window() == w_ && b->isVisible() && !name.isEmpty() &&
            !name.startsWith(QLatin1String("chkADDRbit")) && name != QLatin1String("cmdQuit") &&
            name != QLatin1String("cmdScanI2Caddress"))
            candidates << b;
    }
    if (candidates.isEmpty())
        return switchTab(); // "Tab 1" holds only cells
    QAbstractButton* b = pick(candidates);
    note(QStringLiteral("click %1").arg(b->objectName()));
    allowWritesOf(b->objectName());
    clickButton(b);
}

// One key stroke as a user makes it: modifiers down, key down, key up,
// modifiers up. What the key press does to the text is the user's.
void Soak::press(QWidget* target, const Stroke& s) {
    const bool command = (s.mods & Qt::ControlModifier) &&
                         (s.key == Qt::Key_S || s.key == Qt::Key_O || s.key == Qt::Key_T);
    if (command && s.key == Qt::Key_O)
        allowedWrites_ |= loadSet();
    const bool wasTyping = userTyping_;
    userTyping_ = !command;
    QTest::sendKeyEvent(QTest::Press, target, s.key, s.text, s.mods);
    userTyping_ = wasTyping;
    QTest::sendKeyEvent(QTest::Release, target, s.key, s.text, s.mods);
}

void Soak::keyInCell() {
    QList<QLineEdit*> cells;
    for (QLineEdit* cell : w_->grid().txtRegVal) {
        if (cell->isVisible())
            cells << cell;
    }
    if (cells.isEmpty())
        return switchTab();
    QLineEdit* cell = pick(cells);
    const Stroke s = randomStroke();
    note(QStringLiteral("%1 in %2 \"%3\"")
             .arg(describe(s), cell->objectName(), printable(cell->text())));
    for (int r = 0; r < kCells; ++r) {
        if (w_->grid().cell(r) == cell)
            allowedWrites_.set(static_cast<std::size_t>(r));
    }
    cell->setFocus();
    press(cell, s);
}

void Soak::keyInPanel() {
    QList<QLineEdit*> boxes = {ui_->txtRegister,          ui_->txtWriteIndividual_0,
                               ui_->txtWriteIndividual_1, ui_->txtRegister,
                               ui_->txtWriteIndividual_0, ui_->txtWriteIndividual_1,
                               ui_->txtReadIndividual,    ui_->txtI2Caddress};
    QLineEdit* box = pick(boxes);
    if (!box->isVisible())
        showTab(0);
    const Stroke s = randomStroke();
    note(QStringLiteral("%1 in %2 \"%3\"")
             .arg(describe(s), box->objectName(), printable(box->text())));
    box->setFocus();
    press(box, s);
}

void Soak::typeOnTabStrip() {
    QTabBar* strip = ui_->SSTab1->tabBar();
    strip->setFocus();
    QString typed;
    if (chance(0.3)) {
        for (QChar c : QStringLiteral("mkvq"))
            typed += chance(0.3) ? c.toUpper() : c;
    } else {
        static const QString keys = QStringLiteral("mkvqMKVQax1\b\r\x1b");
        for (int n = uniform(1, 3); n > 0; --n)
            typed += keys.at(uniform(0, static_cast<int>(keys.size()) - 1));
    }
    note(QStringLiteral("type \"%1\" on the tab strip").arg(printable(typed)));
    for (QChar c : typed) {
        Qt::Key key = Qt::Key_unknown;
        if (c.isLetter())
            key = static_cast<Qt::Key>(Qt::Key_A + (c.toUpper().unicode() - 'A'));
        else if (c.isDigit())
            key = static_cast<Qt::Key>(Qt::Key_0 + c.digitValue());
        else if (c == QLatin1Char('\b'))
            key = Qt::Key_Backspace;
        else if (c == QLatin1Char('\r'))
            key = Qt::Key_Return;
        else
            key = Qt::Key_Escape;
        press(strip, {key, c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(c)});
    }
    if (chance(0.2))
        press(strip, {chance(0.5) ? Qt::Key_Left : Qt::Key_Right, {}, {}});
}

void Soak::showTab(int index) {
    QTabBar* strip = ui_->SSTab1->tabBar();
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(index).center());
}

void Soak::switchTab() {
    QList<int> tabs;
    for (int i = 0; i < ui_->SSTab1->count(); ++i) {
        if (ui_->SSTab1->isTabVisible(i))
            tabs << i;
    }
    const int tab = pick(tabs);
    note(QStringLiteral("show tab %1").arg(tab));
    showTab(tab);
}

void Soak::keyInCombo() {
    QList<QComboBox*> combos;
    for (QComboBox* c : {ui_->cboEVBinstance, ui_->cboSMBusFrequency}) {
        if (c->isVisible())
            combos << c;
    }
    if (combos.isEmpty())
        return switchTab();
    QComboBox* combo = pick(combos);
    static const Qt::Key keys[] = {Qt::Key_Up,  Qt::Key_Down,   Qt::Key_Down, Qt::Key_Home,
                                   Qt::Key_End, Qt::Key_PageUp, Qt::Key_Up,   Qt::Key_PageDown};
    const Qt::Key key = keys[uniform(0, 7)];
    note(QStringLiteral("%1 in %2 at %3")
             .arg(describe({key, {}, {}}), combo->objectName(), combo->currentText()));
    combo->setFocus();
    QTest::keyClick(combo, key);
}

void Soak::setAddress(std::uint8_t address7) {
    note(QStringLiteral("set address 0x%1 by its check boxes")
             .arg(address7, 2, 16, QLatin1Char('0')));
    if (!ui_->chkADDRbit_0->isVisible())
        showTab(0);
    const std::array<QCheckBox*, 7> bits = controlArray<QCheckBox, 7>(w_, "chkADDRbit");
    for (int i = 6; i >= 0; --i) {
        if (bits[i]->isChecked() != (((address7 >> i) & 1) != 0))
            clickButton(bits[i]);
    }
}

void Soak::clickAddressBit() {
    if (!ui_->chkADDRbit_0->isVisible())
        showTab(0);
    const int bit = uniform(0, 6);
    note(QStringLiteral("click chkADDRbit_%1").arg(bit));
    clickButton(controlArray<QCheckBox, 7>(w_, "chkADDRbit")[static_cast<std::size_t>(bit)]);
}

void Soak::scan() {
    note(QStringLiteral("Scan Address"));
    if (!ui_->cmdScanI2Caddress->isVisible())
        showTab(0);
    clickButton(ui_->cmdScanI2Caddress);
}

void Soak::save() {
    note(QStringLiteral("Save Registers"));
    savedTo_.reset();
    ui_->mnuSaveRegisters->trigger();
    if (!savedTo_)
        return;
    QFile file(*savedTo_);
    if (!file.open(QIODevice::ReadOnly))
        violations_ << QStringLiteral("the save wrote no file %1").arg(*savedTo_);
    else if (const QString fault = savedFileFault(file.readAll(), w_->grid()); !fault.isEmpty())
        violations_ << fault;
}

void Soak::load() {
    note(QStringLiteral("Load Registers"));
    allowedWrites_ |= loadSet();
    ui_->mnuLoadRegisters->trigger();
}

void Soak::about() {
    note(QStringLiteral("About"));
    ui_->mnuAbout->trigger();
    QPointer<AboutWindow> window = w_->aboutWindow();
    if (!window) {
        violations_ << QStringLiteral("the About window did not open");
        return;
    }
    if (chance(0.5))
        clickButton(window->ui().cmdFirmwareVersion);
    if (window && chance(0.3))
        clickButton(window->ui().cmdSysInfo);
    if (window)
        clickButton(window->ui().cmdOK);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (window)
        violations_ << QStringLiteral("the About window stayed open after OK");
}

void Soak::definitions() {
    RegisterDefinitionsWindow* window = w_->registerDefinitionsWindow();
    if (!window || chance(0.2)) {
        note(QStringLiteral("Register Definitions"));
        ui_->mnuRegisterDefinitions->trigger();
        return;
    }
    if (chance(0.8)) {
        const int index = uniform(0, static_cast<int>(window->regbutton.size()) - 1);
        note(QStringLiteral("definition %1").arg(index));
        clickButton(window->regbutton[static_cast<std::size_t>(index)]);
        return;
    }
    note(QStringLiteral("close the definitions"));
    clickButton(chance(0.5) ? window->ui().OKButton : window->ui().CancelButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ---------------------------------------------------------------- observing

void Soak::watch(QLineEdit* edit, int reg) {
    boxes_.push_back({edit, reg, std::nullopt, {}});
    const std::size_t i = boxes_.size() - 1;
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this, i](const QString& text) {
        Box& box = boxes_[i];
        box.shown.emplace_back(text, userTyping_);
        if (userTyping_)
            box.userText = text;
    });
}

void Soak::noteHeld(SimBoard& board) {
    for (const SimChip& chip : board.chips) {
        for (int r = 0; r < kCells; ++r)
            held_[static_cast<std::size_t>(r)].set(chip.registers[static_cast<std::size_t>(r)]);
    }
}

void Soak::observe(SimBoard& board, const Report& r) {
    ++reports_;
    actionReports_ << QStringLiteral("board %1 got %2")
                          .arg(&board == &rig_.board(0) ? 0 : 1)
                          .arg(QString::fromLatin1(
                              QByteArray(reinterpret_cast<const char*>(r.data()), 8).toHex(' ')));
    if (trace_)
        std::fprintf(stderr, "    %s\n", qPrintable(actionReports_.last()));
    checkSent(r);
    if (r[1] == CMD_I2C && (r[3] & 1) == 0) {
        for (int i = 0; i < r[2] && i < kMaxWriteCount; ++i) {
            const int reg = (r[4] + i) & 0xFF;
            if (reg < kCells)
                written_[static_cast<std::size_t>(reg)].set(r[5 + i]);
        }
    }
    noteHeld(board);
}

// Every report the program sends, whether a board took it or refused it
// (pulled out).
void Soak::checkSent(const Report& r) {
    if (const QString fault = reportFault(r); !fault.isEmpty())
        violations_
            << QStringLiteral("malformed report (%1): %2")
                   .arg(fault,
                        QString::fromLatin1(
                            QByteArray(reinterpret_cast<const char*>(r.data()), 16).toHex(' ')));
    if (r[1] == CMD_I2C && (r[3] & 1) == 0) {
        for (int i = 0; i < r[2] && i < kMaxWriteCount; ++i) {
            const int reg = (r[4] + i) & 0xFF;
            if (!allowedWrites_.test(static_cast<std::size_t>(reg)))
                violations_ << QStringLiteral("register 0x%1 written, which no action asked for")
                                   .arg(reg, 2, 16, QLatin1Char('0'));
        }
    }
}

void Soak::beginAction() {
    inAction_ = true;
    actionStartMs_ = rig_.clock.sleptMs;
    allowedWrites_.reset();
    recalRan_ = multiWriteRan_ = false;
    for (auto& s : held_)
        s.reset();
    for (auto& s : written_)
        s.reset();
    for (std::size_t b = 0; b < rig_.transport.boardCount(); ++b) {
        noteHeld(rig_.board(b));
        rig_.board(b).refused.clear();
    }
    for (Box& box : boxes_)
        box.shown.clear();
    actionReports_.clear();
}

void Soak::endAction() {
    // What the user did while the program was busy is handled now at the latest.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (std::size_t b = 0; b < rig_.transport.boardCount(); ++b) {
        SimBoard& board = rig_.board(b);
        board.everyAnswer.reset();
        for (const Report& r : board.refused)
            checkSent(r);
        refused_ += static_cast<long>(board.refused.size());
        board.refused.clear();
    }
    inAction_ = false;
}

QString Soak::checkBoxes() {
    for (const Box& box : boxes_) {
        const QString name = box.edit->objectName();
        for (const auto& [text, user] : box.shown) {
            if (user)
                continue; // the user's own text is left as it is
            if (!isHexByteText(text))
                return QStringLiteral("%1 was set to \"%2\"").arg(name, text);
            if (box.reg < 0)
                continue;
            const auto reg = static_cast<std::size_t>(box.reg);
            const std::size_t v = text.toUInt(nullptr, 16);
            const bool fromChip = held_[reg].test(v) || written_[reg].test(v);
            // The pulse shows the value read with bit 7 set, then clear.
            const bool pulse = recalRan_ && reg == 0x03 && held_[reg].test(v ^ 0x80);
            // A failed multi-write read-back shows zeros.
            const bool zeros = multiWriteRan_ && reg >= 0x06 && reg <= 0x08 && v == 0;
            if (!fromChip && !pulse && !zeros)
                return QStringLiteral("%1 shows %2, which the chip did not hold").arg(name, text);
        }
        const QString now = box.edit->text();
        if (!now.isEmpty() && !isHexByteText(now) && now != box.userText)
            return QStringLiteral("%1 shows \"%2\"").arg(name, now);
    }
    return {};
}

QString Soak::checkControls() {
    const std::uint8_t address = w_->deviceAddress;
    const std::array<QCheckBox*, 7> bits = controlArray<QCheckBox, 7>(w_, "chkADDRbit");
    for (int i = 0; i < 7; ++i) {
        if (bits[i]->isChecked() != (((address >> (i + 1)) & 1) != 0))
            return QStringLiteral("address check box %1 disagrees with address byte %2")
                .arg(i)
                .arg(hexByte(address));
    }
    if (ui_->txtI2Caddress->text() != hexByte(address))
        return QStringLiteral("the address box shows %1 for %2")
            .arg(ui_->txtI2Caddress->text(), hexByte(address));

    const BoardLink& link = w_->link();
    const auto boards = static_cast<int>(link.boardWriteHandles.size());
    if (ui_->cboEVBinstance->count() != boards ||
        ui_->cboEVBinstance->currentIndex() != link.selectedInstance())
        return QStringLiteral("instance list %1 of %2 shown, instance %3 of %4 selected")
            .arg(ui_->cboEVBinstance->currentIndex())
            .arg(ui_->cboEVBinstance->count())
            .arg(link.selectedInstance())
            .arg(boards);
    if (rig_.transport.openHandleCount() != static_cast<std::size_t>(2 * boards))
        return QStringLiteral("%1 handles open for %2 boards")
            .arg(rig_.transport.openHandleCount())
            .arg(boards);
    if (ui_->fraManualHPD_DDC_0->isEnabled() != ui_->chkDisablePoll->isChecked())
        return QStringLiteral("the manual HPD and DDC frame disagrees with Disable uC Poll");
    // The LED and the clock are read back whenever a board is selected.
    const SimBoard* board = rig_.transport.boardOf(link.writeHandle);
    if (board && !board->unplugged) {
        if (ui_->chkLED->isChecked() != board->ledOn)
            return QStringLiteral("the LED box disagrees with the board");
        const QComboBox* clock = ui_->cboSMBusFrequency;
        if (clock->currentIndex() >= 0 && clock->currentData().toInt() != board->divider)
            return QStringLiteral("the clock list shows divider %1, the board uses %2")
                .arg(clock->currentData().toInt())
                .arg(board->divider);
    }
    return {};
}

QString Soak::check() {
    if (rig_.exit.calls != 0 || w_->isUnloaded())
        return QStringLiteral("the program ended");
    if (!violations_.isEmpty())
        return violations_.join(QLatin1Char('\n'));
    const auto& shown = rig_.dialogs.shown;
    for (; messagesChecked_ < shown.size(); ++messagesChecked_) {
        ++messagesSeen_;
        if (!isKnownMessage(shown[messagesChecked_]))
            return QStringLiteral("unexpected message \"%1\" titled \"%2\"")
                .arg(shown[messagesChecked_].text, shown[messagesChecked_].title);
    }
    if (QString fault = checkBoxes(); !fault.isEmpty())
        return fault;
    return checkControls();
}

// ---------------------------------------------------------------- the run

QString Soak::start() {
    if (!folder_.isValid())
        return QStringLiteral("no temporary folder");
    // Register files as people edit them by hand.
    const std::pair<const char*, QByteArray> files[] = {
        {"hand.txt", "//QDM7720A Register File\r\n// set by hand\r\n\r\n0x05 3C\r\n"
                     "0x11\t7F\r\n0x16\ta5,0x12\t01\r\n0X03\t99\r\n0x10\t10\r\n"},
        {"header-only.txt", "//QDM7720A Register File\r\n"},
        {"lower-header.txt", "//qdm7720a register file\r\n0x05\t11\r\n"},
        {"bad-line.txt", "//QDM7720A Register File\r\n0x05\tZZ\r\n0x06\t01\r\n"},
        {"line-feeds.txt", "//QDM7720A Register File\n0x07\tCC\n0x08\tcc"},
    };
    for (const auto& [name, contents] : files) {
        QFile f(folder_.filePath(QLatin1String(name)));
        if (!f.open(QIODevice::WriteOnly) || f.write(contents) != contents.size())
            return QStringLiteral("cannot write %1").arg(f.fileName());
    }

    rig_.loadAndSettle();
    if (rig_.ended())
        return QStringLiteral("the program ended at start-up");
    w_ = &rig_.window();
    ui_ = &w_->ui();
    for (int r = 0; r < kCells; ++r)
        watch(w_->grid().cell(r), r);
    for (QLineEdit* box : {ui_->txtRegister, ui_->txtWriteIndividual_0, ui_->txtWriteIndividual_1,
                           ui_->txtReadIndividual})
        watch(box, -1);
    for (std::size_t b = 0; b < rig_.transport.boardCount(); ++b) {
        SimBoard& board = rig_.board(b);
        board.afterReceive = [this, &board](const Report& r) {
            observe(board, r);
        };
    }

    rig_.dialogs.messagePolicy = [this](const ScriptedDialogs::Shown& s) -> std::int16_t {
        switch (s.buttons) {
        case Buttons::RetryCancel:
            replugAll(); // the user plugs the board back in before Retry
            return Answer::Retry;
        case Buttons::YesNo:
            return Answer::No; // also: do not end the program after a failed scan
        default:
            return Answer::Ok; // also: overwrite an existing file
        }
    };
    rig_.dialogs.filePolicy = [this](const FileDialogRequest& request) -> std::optional<QString> {
        if (chance(0.15))
            return std::nullopt;
        if (request.kind == FileDialogRequest::Kind::Save) {
            static const QStringList names = {QStringLiteral("registers.txt"),
                                              QStringLiteral("a.txt"), QStringLiteral("b.txt")};
            savedTo_ = folder_.filePath(pick(names));
            return savedTo_;
        }
        const QStringList files =
            QDir(folder_.path()).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
        return folder_.filePath(pick(files));
    };
    rig_.clock.onSleep = [this](double) {
        if (!inAction_)
            return;
        if (rig_.clock.sleptMs - actionStartMs_ > kRunawayMs)
            qFatal("%s", qPrintable(failure(QStringLiteral("an action hangs"))));
        if (quiet_)
            return;
        // The user pulls a cable while the program waits.
        if (chance(kUnplugChance))
            rig_.board(static_cast<std::size_t>(uniform(0, 1))).unplugged = true;
        if (depth_ == 0 && !nestedPending_ && chance(kNestedChance)) {
            nestedPending_ = true;
            QMetaObject::invokeMethod(
                qApp,
                [this] {
                    nestedPending_ = false;
                    ++nested_;
                    ++depth_;
                    act();
                    --depth_;
                },
                Qt::QueuedConnection);
        }
    };
    return check();
}

QString Soak::step() {
    ++actions_;
    if (chance(0.3))
        injectFault();
    beginAction();
    act();
    endAction();
    return check();
}

QString Soak::finish() {
    quiet_ = true;
    replugAll();
    for (std::size_t b = 0; b < rig_.transport.boardCount(); ++b)
        rig_.board(b).answerFaults.clear();
    beginAction();
    note(QStringLiteral("final Read All"));
    showTab(0);
    clickButton(ui_->cmdReconnect);
    setAddress(kHighChip);
    const int instance = w_->link().selectedInstance();
    if (instance < 0)
        return QStringLiteral("no board is selected after Reconnect with every board plugged in");
    // Register values as the chip holds them before Read All clears its counters.
    const auto before = rig_.board(static_cast<std::size_t>(instance)).chipAt(kHighChip)->registers;
    clickButton(ui_->cmdReadAllRegisters);
    endAction();
    if (QString fault = check(); !fault.isEmpty())
        return fault;
    for (std::uint8_t r : kMainRegisters) {
        if (w_->grid().text(r) != hexByte(before[r]))
            return QStringLiteral(
                       "after a quiet Read All cell 0x%1 shows \"%2\", the chip holds %3")
                .arg(hexByte(r), w_->grid().text(r), hexByte(before[r]));
    }
    if (RegisterDefinitionsWindow* window = w_->registerDefinitionsWindow())
        window->close();
    return {};
}

QString Soak::failure(const QString& fault) const {
    QString text = QStringLiteral("Seed %1, action %2: %3\nThe last actions:\n")
                       .arg(seed_)
                       .arg(actions_)
                       .arg(fault);
    for (const QString& line : history_)
        text += QStringLiteral("  ") + line + QLatin1Char('\n');
    text += QStringLiteral("The reports of the last action:\n");
    for (const QString& line : actionReports_.mid(actionReports_.size() - 30))
        text += QStringLiteral("  ") + line + QLatin1Char('\n');
    text +=
        QStringLiteral("Replay with QDM_SOAK_SEED=%1 QDM_SOAK_ACTIONS=%2").arg(seed_).arg(actions_);
    return text;
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void randomActions() {
        const quint32 seed = envNumber("QDM_SOAK_SEED", kDefaultSeed);
        const int actions = static_cast<int>(envNumber("QDM_SOAK_ACTIONS", kDefaultActions));
        qInfo("Soak with seed %u, %d actions (QDM_SOAK_SEED=%u replays it)", seed, actions, seed);
        QElapsedTimer timer;
        timer.start();
        Soak soak(seed);
        if (const QString fault = soak.start(); !fault.isEmpty())
            QFAIL(qPrintable(soak.failure(fault)));
        for (int i = 0; i < actions; ++i) {
            if (const QString fault = soak.step(); !fault.isEmpty())
                QFAIL(qPrintable(soak.failure(fault)));
        }
        if (const QString fault = soak.finish(); !fault.isEmpty())
            QFAIL(qPrintable(soak.failure(fault)));
        qInfo("Seed %u: %d actions in %lld ms; %s", seed, actions, timer.elapsed(),
              qPrintable(soak.summary()));
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
