// Every operation that talks to the board, against every fault the simulated
// board can make at its exchange, judged against the same operation without
// the fault: the messages, the end of the program, a repetition after Retry,
// no value shown that did not come from the chip, and no write not asked for.
#include "core/operations/celledit.h"
#include "core/operations/chipcontrols.h"
#include "core/operations/individual.h"
#include "core/operations/readall.h"
#include "core/operations/registerfiles.h"
#include "core/registers/hextext.h"
#include "core/registers/registermap.h"
#include "support/files.h"
#include "support/reports.h"
#include "support/simrig.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

enum class Path {
    Retrying,      // an I2C transfer with the messages and Retry
    Quiet,         // the same, with no message for an address not acknowledged
    SingleAttempt, // an I2C transfer tried once, without a message
    BoardQuery,    // a board command with an answer
    BoardSend,     // a board command without one
};

// clang-format off
enum class Fault { Unplugged, BackAfterRetry, NoAnswer, NoAnswerCancel, Late, Short, Stale, Nak, Status };
// clang-format on

struct Operation {
    const char* name;
    Path path;
    int before = 0;         // answers of the operation before the exchange the fault hits
    int reportsBefore = -1; // output reports before it (default: `before`)
    std::function<void(SimRig&)> run;
};

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

// What each operation does, one line each.
struct Do {
    static void readBurst(SimRig& r) { readAllRegisters(r.chip(), ReadMode::Burst); }
    static void readSingle(SimRig& r) { readAllRegisters(r.chip(), ReadMode::Single); }
    static void editCell(SimRig& r) { releaseKeyInCell(r.chip(), 5, Qt::Key_5, 0); }
    static void readPanel(SimRig& r) {
        PanelTexts p;
        readIndividualRegister(r.chip(), p);
    }
    static void toggle(SimRig& r) {
        PanelTexts p;
        p.reg = QStringLiteral("05");
        p.values[0] = QStringLiteral("A5");
        toggleIndividualRegister(r.chip(), p, 0);
    }
    static void scan(SimRig& r) { r.session.scanForChip(); }
    static void channel(SimRig& r) { selectChannel(r.chip(), 3); }
    static void recal(SimRig& r) { recalibrateTermination(r.chip()); }
    static void multiWrite(SimRig& r) { runMultiWriteTest(r.chip()); }
    static void load(SimRig& r) {
        RegisterFileCommands files(r.prompt, r.prompt);
        r.prompt.chooseFile(scratch().filePath(QStringLiteral("load.txt")));
        files.load(r.chip(), ReadMode::Burst);
    }
    static void selectBoard(SimRig& r) { r.session.selectBoard(0); }
    static void firmware(SimRig& r) { r.session.showFirmwareVersion(); }
    static void clock(SimRig& r) { r.session.selectClock(3); }
    static void signals_(SimRig& r) { r.session.setBoardSignals({true, true, {true}}); }
};

const std::vector<Operation>& operations() {
    using P = Path;
    static const std::vector<Operation> ops = {
        {"read all, burst", P::Retrying, 0, -1, Do::readBurst},
        {"read all, single", P::Retrying, 2, -1, Do::readSingle},
        {"cell write", P::Retrying, 0, -1, Do::editCell},
        {"cell read-back", P::SingleAttempt, 1, -1, Do::editCell},
        {"panel read", P::Retrying, 0, -1, Do::readPanel},
        {"panel write", P::Retrying, 1, -1, Do::toggle},
        {"panel read-back", P::SingleAttempt, 2, -1, Do::toggle},
        {"scan probe", P::Quiet, 0, -1, Do::scan},
        {"channel write", P::Retrying, 0, -1, Do::channel},
        {"channel read-back", P::SingleAttempt, 1, -1, Do::channel},
        {"recalibration read", P::Retrying, 0, -1, Do::recal},
        {"recalibration writes", P::SingleAttempt, 1, -1, Do::recal},
        {"multi-write", P::Retrying, 0, -1, Do::multiWrite},
        {"multi-write read-back", P::SingleAttempt, 1, -1, Do::multiWrite},
        {"register file load", P::Retrying, 1, -1, Do::load},
        {"board selection: channel", P::Retrying, 2, 4, Do::selectBoard},
        {"board selection: LED", P::BoardQuery, 0, -1, Do::selectBoard},
        {"board selection: clock", P::BoardQuery, 1, -1, Do::selectBoard},
        {"firmware version", P::BoardQuery, 0, -1, Do::firmware},
        {"clock set", P::BoardSend, 0, -1, Do::clock},
        {"board signals", P::BoardSend, 0, -1, Do::signals_},
    };
    return ops;
}

struct Run {
    std::unique_ptr<SimRig> rig;
    QStringList textsBefore; // what the model showed before the operation
    std::array<std::uint8_t, 256> chipBefore{};
    const std::vector<Report>& received() const { return rig->board().received; }
};

Run runOperation(const Operation& op, std::optional<Fault> fault) {
    Run run;
    run.rig = std::make_unique<SimRig>(1, 0x00);
    SimRig& rig = *run.rig;
    rig.board().addChip(0x01); // a second chip the scan finds when the first is not taken
    rig.started();
    rig.board().ledOn = true;
    rig.prompt.clear();
    rig.session.registers().setTyped(5, QStringLiteral("5"));
    writeFile(scratch().filePath(QStringLiteral("load.txt")),
              "//QDM7720A Register File\r\n0x05\t12\r\n0x06\t34\r\n0x07\t56\r\n");
    for (int reg = 0; reg < kGridRegisters; ++reg)
        run.textsBefore << rig.session.registers().text(std::uint8_t(reg));
    run.chipBefore = rig.simChip().registers;
    SimBoard& board = rig.board();
    if (fault == Fault::Unplugged || fault == Fault::BackAfterRetry) {
        board.unplugAfterReports = op.reportsBefore >= 0 ? op.reportsBefore : op.before;
        rig.prompt.answer(fault == Fault::Unplugged ? Answer::Cancel : Answer::Retry,
                          [&board] { board.unplugged = false; });
    } else if (fault == Fault::Stale) {
        // Stale reports waiting before the request, and more during pauses.
        const Report junk = reportOf({0, 0, 0xEE, 0xEE, 0xEE});
        board.queueInput(junk);
        board.queueInput(junk, 16);
        FakeClock& clock = rig.clock;
        rig.clock.onSleep = [&board, &clock, junk](double) {
            if (clock.sleeps.back() == 4 && !board.hasInput())
                board.queueInput(junk);
        };
    } else if (fault) {
        board.answerFaults.resize(op.before, AnswerFault::none());
        const AnswerFault kinds[] = {AnswerFault::drop(),          AnswerFault::drop(),
                                     AnswerFault::late(),          AnswerFault::shortReport(),
                                     AnswerFault::none(),          AnswerFault::nak(),
                                     AnswerFault::withStatus(0x80)};
        board.answerFaults.push_back(kinds[int(*fault) - int(Fault::NoAnswer)]);
        rig.prompt.answer(fault == Fault::NoAnswerCancel ? Answer::Cancel : Answer::Retry);
    }
    op.run(rig);
    rig.clock.onSleep = nullptr;
    return run;
}

// The message a fault brings, if any.
QString messageFor(Path path, Fault fault) {
    const bool linkFault = fault != Fault::Stale && fault != Fault::Nak && fault != Fault::Status;
    switch (path) {
    case Path::SingleAttempt:
        return {};
    case Path::BoardQuery:
    case Path::BoardSend:
        return linkFault ? kCheckGPstatusText : QString();
    default:
        if (fault == Fault::Unplugged || fault == Fault::BackAfterRetry)
            return kWriteFileErrorText;
        if (linkFault)
            return kReadFileErrorText;
        return fault == Fault::Stale || path == Path::Quiet ? QString() : kInvalidAddressText;
    }
}

} // namespace

class TestFaultMatrix : public QObject {
    Q_OBJECT
private slots:
    void operationUnderFault_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("fault");
        const char* names[] = {"unplugged",   "back after Retry", "no answer", "no answer, Cancel",
                               "late answer", "short answer",     "stale",     "not acknowledged",
                               "status 0x80"};
        for (int o = 0; o < int(operations().size()); ++o) {
            for (int f = 0; f <= int(Fault::Status); ++f) {
                // A command without an answer meets only a pulled cable.
                if (operations()[o].path == Path::BoardSend && f > int(Fault::BackAfterRetry))
                    continue;
                QTest::addRow("%s / %s", operations()[o].name, names[f]) << o << f;
            }
        }
    }
    void operationUnderFault() {
        QFETCH(int, operation);
        QFETCH(int, fault);
        const Operation& op = operations()[operation];
        const auto f = Fault(fault);
        const Run clean = runOperation(op, std::nullopt);
        const Run run = runOperation(op, f);
        SimRig& rig = *run.rig;

        // The fault's message first; without one, the operation's own.
        const QString message = messageFor(op.path, f);
        if (message.isEmpty())
            QCOMPARE(rig.prompt.texts(), clean.rig->prompt.texts());
        else
            QCOMPARE(rig.prompt.texts().value(0), message);
        const bool ends =
            !message.isEmpty() && (f == Fault::Unplugged || f == Fault::NoAnswerCancel);
        QCOMPARE(rig.ended(), ends);

        // No write that the clean run does not make.
        const std::vector<Report> cleanWrites = i2cWrites(clean.received());
        for (const Report& w : i2cWrites(run.received()))
            QVERIFY2(std::count(cleanWrites.begin(), cleanWrites.end(), w),
                     "a write not asked for");
        // Nothing shown that the chip did not hold, the operation did not
        // write, or the clean run does not show.
        const RegisterModel& model = rig.session.registers();
        for (int reg = 0; reg < kGridRegisters; ++reg) {
            const auto r = std::uint8_t(reg);
            const QString text = model.text(r);
            const bool fromChip =
                text == hexByte(rig.simChip().registers[r]) || text == hexByte(run.chipBefore[r]);
            QVERIFY2(!text.contains("EE") &&
                         (fromChip || text == clean.rig->session.registers().text(r) ||
                          model.entry(r).origin == RegisterModel::Origin::ReadFailed ||
                          text == run.textsBefore[reg]),
                     qPrintable(QStringLiteral("register %1 shows %2").arg(reg).arg(text)));
        }
        // After Retry, or with only stale input in the way, the operation
        // ends as it does without the fault.
        const bool retried = f == Fault::BackAfterRetry || f == Fault::NoAnswer ||
                             f == Fault::Late || f == Fault::Short;
        const bool repeats = (op.path == Path::Retrying || op.path == Path::Quiet) && retried;
        if (repeats || f == Fault::Stale) {
            QVERIFY(rig.simChip().registers == clean.rig->simChip().registers);
            for (int reg = 0; reg < kGridRegisters; ++reg)
                QCOMPARE(model.text(std::uint8_t(reg)),
                         clean.rig->session.registers().text(std::uint8_t(reg)));
        }
        if (f == Fault::Stale)
            QCOMPARE(run.received(), clean.received());
        if (op.path == Path::BoardSend) // the command that failed is not repeated
            QCOMPARE(
                std::count(run.received().begin(), run.received().end(), clean.received().back()),
                0);
    }
};

QTEST_GUILESS_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
