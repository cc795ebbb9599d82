// Every operation that talks to the board, through the real window, crossed
// with every fault the simulated board can inject. Each operation also runs
// once without a fault; the faulted run is judged against that clean run:
// the messages shown, what reached the board (a reconnection and the same
// transfer again after Retry), what the grid shows, and what was written.
#include "board/boardlink.h"
#include "board/linkhelpers.h"
#include "faultmatrix/operations.h"
#include "registers/registergrid.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QTimer>
#include <QtTest>
#include <map>
#include <set>

namespace {

// What one run of an operation left behind.
struct Snapshot {
    QStringList cells; // txtRegVal by register address
    QString panel;     // txtReadIndividual
    int channelOption = -1;
    bool led = false;
    QString clock;
    QString address;
    std::vector<std::array<std::uint8_t, 256>> chips;
    // The board's settings, as the set commands carry them in bytes 1 to 4.
    std::array<std::uint8_t, 4> signalsSetting{};
    std::array<std::uint8_t, 4> clockSetting{};
};

Snapshot snapshot(TestRig& rig) {
    Snapshot s;
    for (int r = 0; r < RegisterGrid::kCells; ++r)
        s.cells << rig.window().grid().text(r);
    Ui::frmMain& ui = rig.window().ui();
    s.panel = ui.txtReadIndividual->text();
    for (int i = 0; i < 6; ++i) {
        if (rig.widget<QRadioButton>(QStringLiteral("obChannelSelect_%1").arg(i))->isChecked())
            s.channelOption = i;
    }
    s.led = ui.chkLED->isChecked();
    s.clock = ui.cboSMBusFrequency->currentText();
    s.address = ui.txtI2Caddress->text();
    const SimBoard& board = rig.board();
    for (const SimChip& chip : board.chips)
        s.chips.push_back(chip.registers);
    s.signalsSetting = {CMD_BOARD_SIGNALS, 0,
                        static_cast<std::uint8_t>((board.pollDisabled ? 2 : 0) | board.ledOn),
                        board.switches};
    s.clockSetting = {CMD_I2C_CLOCK, 0, board.divider, 0};
    return s;
}

struct Run {
    std::unique_ptr<TestRig> rig = std::make_unique<TestRig>();
    Snapshot before;
    Snapshot after;
    std::vector<Report> received;
    std::vector<ScriptedDialogs::Shown> shown;
};

void prepare(Run& run, const Operation& op) {
    TestRig& rig = *run.rig;
    if (op.startUp) {
        rig.create();
        plantRegisters(rig.chip());
        run.before = snapshot(rig);
        return;
    }
    rig.loadAndSettle();
    plantRegisters(rig.chip());
    if (op.setUp)
        op.setUp(rig);
    rig.clearRecords();
    run.before = snapshot(rig);
}

void finish(Run& run) {
    run.after = snapshot(*run.rig);
    run.received = run.rig->board().received;
    run.shown = run.rig->dialogs.shown;
}

bool isI2CWrite(const Report& r) {
    return r[1] == CMD_I2C && (r[3] & 1) == 0;
}
bool isSetCommand(const Report& r) {
    return (r[1] == CMD_BOARD_SIGNALS || r[1] == CMD_I2C_CLOCK) && r[2] == 0;
}
// What a set command changes on the board: bytes 1 to 4.
std::array<std::uint8_t, 4> setFields(const Report& r) {
    return {r[1], r[2], r[3], r[4]};
}

// A reconnection: the instance selection's read-backs, from the LED query
// to the channel read-back.
bool isReconnection(const std::vector<Report>& reports) {
    if (reports.empty() || reports.front() != reportOf({0, CMD_BOARD_SIGNALS, 1}))
        return false;
    const Report& last = reports.back();
    const bool clockQueried =
        std::find(reports.begin(), reports.end(), reportOf({0, CMD_I2C_CLOCK, 1})) != reports.end();
    return clockQueried && last[1] == CMD_I2C && last[2] == 1 && (last[3] & 1) && last[4] == 0x02;
}

QString describe(const std::vector<ScriptedDialogs::Shown>& shown) {
    QStringList out;
    for (const auto& s : shown)
        out << QStringLiteral("%1 [%2]").arg(s.text).arg(int(s.buttons));
    return out.join(QStringLiteral(" | "));
}

} // namespace

class TestFaultMatrix : public QObject {
    Q_OBJECT
private slots:
    // The windows of the clean runs go before the application does.
    void cleanupTestCase() { cleanRuns_.clear(); }

    void operationUnderFault_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("fault");
        for (const Operation& op : operations()) {
            for (const auto& [fault, faultName] : kFaults)
                QTest::addRow("%s / %s", op.name, faultName)
                    << QString::fromLatin1(op.name) << static_cast<int>(fault);
        }
    }

    void operationUnderFault() {
        QFETCH(QString, operation);
        QFETCH(int, fault);
        const Operation& op = operationNamed(operation);
        const auto f = static_cast<Fault>(fault);
        const Run& clean = cleanRun(op);
        QVERIFY2(!clean.rig->ended() && clean.rig->board().refused.empty(),
                 "the clean run must go through");

        Run run;
        prepare(run, op);
        TestRig& rig = *run.rig;
        SimBoard& board = rig.board();
        const Expectation expected = expectationFor(op.path, f);

        // The fault, and the answer to its message.
        QTimer chatter; // stale reports keep coming while the operation pauses
        switch (f) {
        case Fault::Unplugged:
            board.unplugAfterReports = op.reportsBefore;
            rig.dialogs.answer(Answer::Cancel);
            break;
        case Fault::BackAfterRetry:
            board.unplugAfterReports = op.reportsBefore;
            rig.dialogs.answer(Answer::Retry, [&] { board.unplugged = false; });
            break;
        case Fault::Stale:
            for (int i = 0; i < 3; ++i)
                queueStale(board, i);
            // During pauses, the kind that looks like a good answer.
            connect(&chatter, &QTimer::timeout, [&] { queueStale(board, 0); });
            chatter.start(0);
            break;
        default: {
            board.answerFaults.assign(op.answersBefore, AnswerFault::none());
            const std::map<Fault, AnswerFault> answers = {
                {Fault::NoAnswer, AnswerFault::drop()},
                {Fault::NoAnswerCancel, AnswerFault::drop()},
                {Fault::Late, AnswerFault::late()},
                {Fault::NotAcknowledged, AnswerFault::nak()},
                {Fault::Status01, AnswerFault::withStatus(0x01)},
                {Fault::Status80, AnswerFault::withStatus(0x80)},
                {Fault::StatusFF, AnswerFault::withStatus(0xFF)},
                {Fault::ShortReport, AnswerFault::shortReport()},
            };
            board.answerFaults.push_back(answers.at(f));
            if (!expected.message.isEmpty())
                rig.dialogs.answer(f == Fault::NoAnswerCancel ? Answer::Cancel : Answer::Retry);
            break;
        }
        }
        // The operation's own messages after a refusal: No to closing.
        if (expected.outcome == Outcome::Abandoned) {
            for (int i = 0; i < op.afterRefusal.size(); ++i)
                rig.dialogs.answer(Answer::No);
        }
        // The clean run's messages, answered as there.
        for (const auto& s : clean.shown)
            rig.dialogs.answer(s.buttons == Buttons::Ok ? Answer::Ok : Answer::Retry);

        op.trigger(rig);
        chatter.stop();
        finish(run);

        checkMessages(run, clean, op, expected);
        QVERIFY2(rig.ended() == (expected.outcome == Outcome::Ends), "end of the program");
        checkReports(run, clean, op, expected);
        checkDisplay(run, clean, op, expected);
        checkWrites(run, clean);
    }

private:
    // The clean run of each operation, made once.
    const Run& cleanRun(const Operation& op) {
        auto it = cleanRuns_.find(op.name);
        if (it != cleanRuns_.end())
            return it->second;
        Run& run = cleanRuns_[op.name];
        prepare(run, op);
        op.trigger(*run.rig);
        finish(run);
        return run;
    }

    std::map<std::string, Run> cleanRuns_;

    static void checkMessages(const Run& run, const Run& clean, const Operation& op,
                              const Expectation& expected) {
        std::vector<ScriptedDialogs::Shown> want;
        if (!expected.message.isEmpty())
            want.push_back({expected.message, Buttons::RetryCancel, kAppTitle});
        switch (expected.outcome) {
        case Outcome::AsClean:
        case Outcome::Repeated:
        case Outcome::Silent:
            want.insert(want.end(), clean.shown.begin(), clean.shown.end());
            break;
        case Outcome::Abandoned:
            for (const QString& text : op.afterRefusal)
                want.push_back({text, Buttons::YesNo, kAppTitle});
            break;
        case Outcome::Reconnects:
        case Outcome::Ends:
            break;
        }
        bool same = want.size() == run.shown.size();
        for (std::size_t i = 0; same && i < want.size(); ++i) {
            same = want[i].text == run.shown[i].text && want[i].buttons == run.shown[i].buttons &&
                   want[i].title == run.shown[i].title;
        }
        QVERIFY2(same, qPrintable(QStringLiteral("shown: %1\nexpected: %2")
                                      .arg(describe(run.shown), describe(want))));
    }

    static void checkReports(const Run& run, const Run& clean, const Operation& op,
                             const Expectation& expected) {
        const std::vector<Report>& got = run.received;
        const std::vector<Report>& base = clean.received;
        const auto n = static_cast<std::size_t>(op.reportsBefore);
        QVERIFY2(n < base.size(), "the clean run sends the faulted request");
        // Up to the faulted request, everything went out as in the clean run.
        const std::vector<Report> head = slice(base, 0, expected.reached ? n + 1 : n);
        QVERIFY2(slice(got, 0, head.size()) == head, "the reports before the fault");

        switch (expected.outcome) {
        case Outcome::AsClean:
            QVERIFY2(got == base, "the reports of the clean run");
            break;
        case Outcome::Repeated:
        case Outcome::Reconnects: {
            // Retry: a reconnection, then the same request again (or, for a
            // board command, what followed it).
            const std::size_t resume =
                expected.outcome == Outcome::Repeated
                    ? n
                    : n + 1 + static_cast<std::size_t>(op.skippedAfterFailure);
            const std::vector<Report> tail = slice(base, resume, base.size());
            QVERIFY2(got.size() > head.size() + tail.size(), "a reconnection");
            QVERIFY2(slice(got, got.size() - tail.size(), got.size()) == tail,
                     "the same transfer after the reconnection");
            QVERIFY2(isReconnection(slice(got, head.size(), got.size() - tail.size())),
                     "the instance selection's read-backs");
            break;
        }
        case Outcome::Ends:
            QVERIFY2(got == head, "nothing more after Cancel");
            QVERIFY2(run.rig->board().refused ==
                         (expected.reached ? std::vector<Report>{} : std::vector<Report>{base[n]}),
                     "no write after Cancel");
            break;
        case Outcome::Silent:
            if (expected.reached) {
                QVERIFY2(got == base, "the operation goes on as in the clean run");
            } else {
                QVERIFY2(got == head, "the unplugged board takes nothing more");
                QVERIFY2(run.rig->board().refused == slice(base, n, base.size()),
                         "the later requests are refused too");
            }
            break;
        case Outcome::Abandoned: {
            std::vector<Report> want = head;
            if (op.sentAfterRefusal) {
                const std::vector<Report> more = op.sentAfterRefusal(base, n);
                want.insert(want.end(), more.begin(), more.end());
            }
            QVERIFY2(got == want, "the operation stops where it should");
            break;
        }
        }
    }

    static void checkDisplay(const Run& run, const Run& clean, const Operation& op,
                             const Expectation& expected) {
        // Every value shown came from the chip (before or after), was written
        // by the operation, or is the text the cell had.
        std::map<int, std::set<QString>> written;
        for (const Report& r : clean.received) {
            if (isI2CWrite(r)) {
                for (int i = 0; i < r[2]; ++i)
                    written[r[4] + i].insert(hexByte(r[5 + i]));
            }
        }
        auto fromChip = [&](int reg, const QString& text, const QString& before) {
            if (text == before || written[reg].count(text))
                return true;
            if (op.zerosWhenReadBackFails.count(reg) && text == QStringLiteral("00"))
                return true;
            for (const auto& chips : {run.before.chips, run.after.chips}) {
                for (const auto& regs : chips) {
                    if (text == hexByte(regs[reg]))
                        return true;
                }
            }
            return false;
        };
        for (int r = 0; r < RegisterGrid::kCells; ++r) {
            const QString& text = run.after.cells[r];
            QVERIFY2(!text.contains(QStringLiteral("EE")), qPrintable(QString::number(r)));
            QVERIFY2(fromChip(r, text, run.before.cells.value(r)),
                     qPrintable(QStringLiteral("cell %1 shows %2").arg(r).arg(text)));
        }
        QVERIFY2(fromChip(0x05, run.after.panel, run.before.panel),
                 qPrintable(QStringLiteral("the panel shows ") + run.after.panel));

        if (expected.outcome == Outcome::AsClean || expected.outcome == Outcome::Repeated) {
            QCOMPARE(run.after.cells, clean.after.cells);
            QCOMPARE(run.after.panel, clean.after.panel);
            QCOMPARE(run.after.channelOption, clean.after.channelOption);
            QCOMPARE(run.after.led, clean.after.led);
            QCOMPARE(run.after.clock, clean.after.clock);
            QCOMPARE(run.after.address, clean.after.address);
            QVERIFY(run.after.chips == clean.after.chips);
        }
    }

    static void checkWrites(const Run& run, const Run& clean) {
        // No I2C write and no board setting that the clean run does not make,
        // apart from a board setting sent back as the board already had it.
        std::set<Report> i2cWrites;
        std::set<std::array<std::uint8_t, 4>> settings = {run.before.signalsSetting,
                                                          run.before.clockSetting};
        for (const Report& r : clean.received) {
            if (isI2CWrite(r))
                i2cWrites.insert(r);
            if (isSetCommand(r))
                settings.insert(setFields(r));
        }
        for (const Report& r : run.received) {
            if (isI2CWrite(r))
                QVERIFY2(i2cWrites.count(r), "an I2C write the user did not ask for");
            if (isSetCommand(r))
                QVERIFY2(settings.count(setFields(r)), "a board setting the user did not ask for");
        }
        // The chip: every register as before, or holding a value written to it.
        for (std::size_t c = 0; c < run.after.chips.size(); ++c) {
            for (int reg = 0; reg < 256; ++reg) {
                const std::uint8_t now = run.after.chips[c][reg];
                if (c < run.before.chips.size() && now == run.before.chips[c][reg])
                    continue;
                bool asked = false;
                for (const Report& w : i2cWrites) {
                    for (int i = 0; i < w[2]; ++i)
                        asked = asked || (w[4] + i == reg && w[5 + i] == now);
                }
                QVERIFY2(asked, qPrintable(QStringLiteral("chip %1 register %2 became %3")
                                               .arg(c)
                                               .arg(reg)
                                               .arg(hexByte(now))));
            }
        }
    }
};

QTEST_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
