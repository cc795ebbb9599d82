// The operations on simulated boards, without a window (under failures: the window's
// table), and the rules beneath them: texts, keys, numbers, fields, descriptions.
#include "core/operations/celledit.h"
#include "core/operations/chipcontrols.h"
#include "core/operations/individual.h"
#include "core/operations/linktest.h"
#include "core/operations/readall.h"
#include "core/operations/systeminformation.h"
#include "core/registers/hextext.h"
#include "core/registers/registereffects.h"
#include "core/registers/registerfields.h"
#include "core/registers/registermap.h"
#include "core/regtexts/registertexts.h"
#include "core/sim/simchip.h"
#include "support/reports.h"
#include "support/scriptedsysteminfo.h"
#include "support/simrig.h"

#include <QCryptographicHash>
#include <QSignalSpy>
#include <QtTest>
#include <tuple>

namespace {

// The pause of a wait of `seconds`, within the 4 ms slices it is made of.
bool pausedFor(const FakeClock& clock, double seconds) {
    const long ms = clock.pausedMs();
    return ms >= seconds * 1000 && ms <= seconds * 1000 + 12;
}

std::vector<Report> i2cOf(const SimBoard& board) {
    return reportsWithCommand(board, CMD_I2C);
}

// Steps a run as its callers do, a wait on the clock before each step, until
// it finishes, or until `results` of its steps have brought a result.
template <typename Run> void stepRun(SimRig& r, Run& run, int results = 1 << 20) {
    for (int i = 0; i < 100000 && results > 0 && !run.finished(); ++i) {
        r.clock.sleepMs(run.waitMs());
        results -= run.step().has_value();
    }
}

// A run as its callers drive it: start, steps, then stop.
template <typename Run> LinkTestEnd runToEnd(SimRig& r, Run& run, int results = 1 << 20) {
    if (run.start())
        stepRun(r, run, results);
    return run.stop();
}

// A started rig whose chip is at 7-bit address 0x48, address byte 0x90.
struct Rig48 : SimRig {
    Rig48() : SimRig(1, 0x48) {
        started();
        session.address().setByte(0x90);
    }
};

} // namespace

class TestOperations : public QObject {
    Q_OBJECT
private slots:
    // A key released in a cell: what is written and shown, and the pauses.
    void cellKeys() {
        // register, text before, key, modifiers (1 Shift, 2 Ctrl, 4 Alt; Shift or Ctrl
        // stops the write, unless with Alt), written (-1: nothing), shown, typing pause
        // clang-format off
        const std::tuple<int, const char*, int, int, int, const char*, double> rows[] = {
            {5, "A", Qt::Key_A, 0, 0x0A, "0A", 0.5}, {5, "A", Qt::Key_A, 4, 0x0A, "0A", 0.5},
            {5, "7", Qt::Key_Shift, 0, 7, "07", 0.5}, {5, "", Qt::Key_Delete, 0, 0, "00", 0.5},
            {5, "A", Qt::Key_A, 1, -1, "A", 0}, {5, "A", Qt::Key_V, 2, -1, "A", 0},
            {5, "A", Qt::Key_Up, 3, -1, "A", 0}, {6, "FF", Qt::Key_Up, 0, 0x00, "00", 0},
            {6, "3C", Qt::Key_Right, 0, 0x3D, "3D", 0}, {6, "00", Qt::Key_Left, 0, 0xFF, "FF", 0},
            {6, "", Qt::Key_Down, 0, 0xFF, "FF", 0}, {6, "05", Qt::Key_PageDown, 0, 0xF5, "F5", 0},
            {6, "F8", Qt::Key_PageUp, 5, 0x08, "08", 0}, {6, "1ff", Qt::Key_Up, 0, -1, "1ff", 0},
            {0x16, "C", Qt::Key_C, 0, 0x0C, "0C", 0.5}, {0x0A, "12", Qt::Key_2, 0, -1, "12", 0},
            {2, "1C", Qt::Key_C, 0, 0x1C, "0C", 0.5}}; // the reset bit, cleared by the chip
        // clang-format on
        for (const auto& [reg, textBefore, key, modifiers, written, textAfter, typingPause] :
             rows) {
            StartedRig rig;
            const auto r = std::uint8_t(reg);
            const QString before = QString::fromLatin1(textBefore);
            rig.session.registers().setTyped(r, before);
            QString shownDuringPause;
            rig.clock.onSleep = [&](double) {
                if (shownDuringPause.isNull() && !i2cOf(rig.board()).empty())
                    shownDuringPause = rig.session.registers().text(r);
            };
            const CellWrite result = releaseKeyInCell(rig.chip(), r, key, modifiers);
            const QString shown = QString::fromLatin1(textAfter);
            QCOMPARE(rig.session.registers().text(r), shown);
            QCOMPARE(rig.clock.drains(), isUserWritable(r) ? 1 : 0);
            if (written < 0) {
                QVERIFY(i2cOf(rig.board()).empty());
                QCOMPARE(result.outcome == CellWrite::Outcome::NotAByte, before == "1ff");
                continue;
            }
            QCOMPARE(i2cOf(rig.board()),
                     (std::vector<Report>{i2cWrite(0x00, reg, {written}), i2cRead(0x00, reg, 1)}));
            // Once written the cell shows the byte, or nothing when it reset the chip.
            QCOMPARE(shownDuringPause, reg == 2 ? QString() : hexByte(std::uint8_t(written)));
            QVERIFY(pausedFor(rig.clock, typingPause + 0.2));
        }
        // A field of a register not known: it is read first, its other fields kept.
        StartedRig rig;
        rig.simChip().registers[6] = 0x04;
        writeField(rig.chip(), *findField(6, u"Transmit PreEmphasis"), 1);
        QCOMPARE(i2cOf(rig.board()),
                 (std::vector<Report>{i2cRead(0, 6, 1), i2cWrite(0, 6, {0x14}), i2cRead(0, 6, 1)}));
    }

    void panelRegisterNumbers() {
        const std::tuple<const char*, const char*, int> rows[] = {
            {"0C", "0C", 0x0C}, {"10", "10", 0x10},   {"5", "05", 0x05},  {"", "00", 0x00},
            {"0D", "10", 0x10}, {"0F", "10", 0x10},   {"11", "10", 0x10}, {"FF", "10", 0x10},
            {" 0x05", "05", 5}, {"1234", "1234", -1}, {"zz", "zz", -1}}; // -1: nothing read
        for (const auto& [typed, shown, read] : rows) {
            StartedRig rig;
            if (read >= 0)
                rig.simChip().registers[read] = 0x5A;
            PanelTexts panel;
            panel.reg = QString::fromLatin1(typed);
            const PanelResult result = readIndividualRegister(rig.chip(), panel);
            QCOMPARE(panel.reg, QString::fromLatin1(shown));
            QCOMPARE(rig.clock.drains(), 1);
            if (read < 0) {
                QVERIFY(result.outcome == PanelResult::Outcome::NotARegister &&
                        i2cOf(rig.board()).empty());
                continue;
            }
            QCOMPARE(i2cOf(rig.board()), std::vector<Report>{i2cRead(0x00, read, 1)});
            QCOMPARE(panel.read, QStringLiteral("5A"));
            QVERIFY(rig.session.registers().text(std::uint8_t(read)).isEmpty()); // the panel only
        }
    }

    void scan() {
        // chips' 7-bit addresses (negative: reads 0x30), address byte found (-1: none),
        // the answer to "not found"
        const std::tuple<std::vector<int>, int, Answer> rows[] = {{{0x00}, 0x00, Answer::No},
                                                                  {{0x50, 0x21}, 0x42, Answer::No},
                                                                  {{-0x40}, -1, Answer::No},
                                                                  {{}, -1, Answer::Yes}};
        for (const auto& [chips, found, answer] : rows) {
            SimRig rig(0);
            rig.transport.addBoard();
            for (int a : chips)
                rig.board().addChip(std::uint8_t(std::abs(a))).registers[0] = a < 0 ? 0x30 : 0x31;
            rig.started();
            QSignalSpy moves(&rig.session.address(), &DeviceAddress::changed);
            rig.prompt.answer(answer);
            const ScanResult scan = rig.session.scanForChip();
            const int probes = found < 0 ? 128 : found / 2 + 1;
            QCOMPARE(scan.found ? int(*scan.found) : -1, found);
            QCOMPARE(int(i2cOf(rig.board()).size()), probes);
            QCOMPARE(i2cOf(rig.board()).back(), i2cRead(found < 0 ? 0xFE : found, 0x00, 1));
            QVERIFY(moves.size() == probes &&
                    rig.session.address().byte() == (found < 0 ? 0xFE : found));
            QCOMPARE(rig.prompt.texts(),
                     found < 0 ? QStringList{kAddressNotFoundText} : QStringList{});
            QCOMPARE(rig.ended(), found < 0 && answer == Answer::Yes);
            QVERIFY(rig.clock.pausedMs() >= 100 * probes && rig.clock.pausedMs() <= 105 * probes);
        }
    }

    void channel() {
        StartedRig rig;
        const Chip chip = rig.chip();
        const int bytes[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x08}; // A to D, auto, hardware
        for (int option = 0; option < kChannelOptions; ++option) {
            rig.clearRecords();
            const ChannelWrite w = selectChannel(chip, option);
            QCOMPARE(i2cOf(rig.board()),
                     (std::vector<Report>{i2cWrite(0, 2, {bytes[option]}), i2cRead(0, 2, 1)}));
            QVERIFY(rig.clock.drains() == 1 && w.readBack == bytes[option]);
            QCOMPARE(readChannelOption(chip).value_or(-1), option);
        }
        // A chip held on its hardware pins: the cell shows what it read back.
        rig.board().afterReceive = [&](const Report&) {
            rig.simChip().registers[2] = 0x08;
        };
        QVERIFY(selectChannel(chip, 0).readBack == 0x08);
        QCOMPARE(rig.session.registers().text(2), QStringLiteral("08"));
    }

    void recalibration() {
        for (const auto& [before, high] : {std::pair{0x12, 0x92}, {0x80, 0x80}}) {
            StartedRig rig;
            rig.simChip().registers[3] = std::uint8_t(before);
            QString shownHigh;
            rig.clock.onSleep = [&](double) {
                if (shownHigh.isNull() && rig.clock.pausedMs() > 0)
                    shownHigh = rig.session.registers().text(3);
            };
            QVERIFY(recalibrateTermination(rig.chip()).done && rig.clock.drains() == 1);
            QCOMPARE(i2cOf(rig.board()),
                     (std::vector<Report>{i2cRead(0, 3, 1), i2cWrite(0, 3, {high}),
                                          i2cWrite(0, 3, {high & 0x7F})}));
            QCOMPARE(shownHigh, hexByte(std::uint8_t(high)));
            QCOMPARE(rig.session.registers().text(3), hexByte(std::uint8_t(high & 0x7F)));
            QVERIFY(pausedFor(rig.clock, 0.1));
        }
    }

    // Several fields of a register in one read-modify-write (chip at 0x48,
    // address byte 0x90): the register read first when not known, the rules
    // of the fields checked before anything is written, a pulse field pulsed.
    void fieldWrites() {
        using R = FieldChangeRefusal::Reason;
        using Changes = std::vector<std::pair<const char*, unsigned>>;
        // register, value before, changes, bytes written (none: nothing), why refused, read first
        const std::tuple<int, int, Changes, std::vector<int>, R, bool> rows[] = {
            {2,
             0x0C,
             {{"Auto Channel Select", 0}, {"hardware channel select", 0}, {"Channel Select", 2}},
             {0x02},
             R::None,
             true},
            {2, 0x0C, {{"Channel Select", 1}}, {}, R::ReadOnlyWhile, true},
            {2,
             0x0C,
             {{"Auto Channel Select", 0}, {"Channel Select", 1}},
             {},
             R::ReadOnlyWhile,
             true},
            {2, 0x04, {{"Auto Channel Select", 0}, {"Channel Select", 3}}, {0x03}, R::None, true},
            {2,
             0x00,
             {{"Auto Channel Select", 1}, {"Channel Select", 3}},
             {},
             R::ReadOnlyWhile,
             true},
            {2, 0x21, {{"Channel Select", 3}, {"Reset", 0}}, {0x23}, R::None, true},
            {3, 0x12, {{"Rx Hysteresis", 1}, {"Recalibrate", 1}}, {0xB2, 0x32}, R::None, true},
            {3, 0x80, {{"Recalibrate", 0}}, {0x00}, R::None, true},
            {2, 0x0C, {{"Reset", 1}, {"Power Down", 1}}, {}, R::ResetWithOthers, false},
            {2, 0x0C, {{"Power Down", 1}, {"Power Down", 0}}, {}, R::GivenTwice, false},
            {0x10, 0x10, {{"Reserved", 4}}, {}, R::NotWritable, false},
            {2, 0x0C, {{"not used", 0}}, {}, R::NotWritable, false},
            {0x0A, 0, {{"PRBS7 Error Counter Link 0", 0}}, {}, R::NotWritable, false},
            {2, 0x0C, {{"Power Down", 2}}, {}, R::OutOfRange, false}};
        for (const auto& [reg, before, given, bytes, reason, readFirst] : rows) {
            Rig48 rig;
            const auto r = std::uint8_t(reg);
            rig.simChip().registers[r] = std::uint8_t(before);
            std::vector<FieldChange> changes;
            for (const auto& [name, value] : given)
                changes.push_back({findField(r, QString::fromLatin1(name)), value});
            if (reg == 3) // a field of another register
                changes.push_back({findField(6, u"Transmit Current"), 0});
            const FieldWrite w = writeFields(rig.chip(), r, std::span(changes).first(given.size()));
            QVERIFY(w.refusal.reason == reason && (reason == R::None) == w.refusal.text.isEmpty());
            std::vector<Report> sent;
            if (readFirst)
                sent.push_back(i2cRead(0x90, reg, 1));
            for (int b : bytes)
                sent.push_back(i2cWrite(0x90, reg, {b}));
            if (!bytes.empty())
                sent.push_back(i2cRead(0x90, reg, 1));
            QCOMPARE(i2cOf(rig.board()), sent);
            QCOMPARE(rig.session.registers().text(r),
                     bytes.empty() ? (readFirst ? hexByte(std::uint8_t(before)) : QString())
                                   : hexByte(std::uint8_t(bytes.back())));
            QCOMPARE(w.pulse.has_value(), bytes.size() == 2);
            QVERIFY(pausedFor(rig.clock, bytes.empty() ? 0 : bytes.size() == 2 ? 0.3 : 0.2));
            if (reg == 3) {
                QCOMPARE(writeFields(rig.chip(), 3, changes).refusal.reason, R::OtherRegister);
                QCOMPARE(int(i2cOf(rig.board()).size()), int(sent.size()));
            }
        }
    }

    // A pause begun just before midnight ends on time.
    void pauseAcrossMidnight() {
        FakeClock clock;
        clock.now = 86400 - 0.05;
        waitSeconds(clock, 0.1f);
        QVERIFY(clock.sleptMs >= 100 && clock.sleptMs <= 104);
    }

    void multiWrite() {
        StartedRig rig;
        // Something else changes register 0x07 between the write and the read.
        rig.clock.onSleep = [&](double) {
            rig.simChip().registers[7] = 0x5A;
        };
        QVERIFY(runMultiWriteTest(rig.chip()).readBack);
        QCOMPARE(rig.session.registers().text(6) + rig.session.registers().text(7) +
                     rig.session.registers().text(8),
                 QStringLiteral("015A01"));
        QVERIFY(pausedFor(rig.clock, 0.2) && rig.clock.drains() == 1 &&
                rig.session.registers().text(9).isEmpty());
    }

    // The tool's own path first, else the folder of the shared tools if it
    // holds the program; every failure ends in the one message.
    void systemInformation() {
        const QString tool = QStringLiteral("C:\\MSInfo\\msinfo32.exe");
        const QString gone = QStringLiteral("C:\\Gone\\msinfo32.exe");
        const QString program = QStringLiteral("C:\\Shared\\MSINFO32.EXE");
        const auto text = [](const QString& s) { // as the registry stores it, with its NUL
            return RegistryValue{kRegistryString, s.toLocal8Bit() + '\0'};
        };
        const RegistryValue raw{kRegistryString, tool.toLocal8Bit()}; // without its NUL
        const RegistryValue number{kRegistryNumber, QByteArray("\x34\x12\0\0", 4)};
        const RegistryValue huge{kRegistryString, QByteArray(kRegistryValueRoom + 1, 'a')};
        const RegistryValue shared = text(QStringLiteral("C:\\Shared"));
        using Value = std::optional<RegistryValue>;
        // the tool's path, the shared tools' folder, what is started (empty: nothing)
        const std::tuple<Value, Value, QString> rows[] = {{text(tool), shared, tool},
                                                          {text(gone), {}, gone},
                                                          {raw, {}, tool},
                                                          {{}, shared, program},
                                                          {{}, text("C:\\Empty"), QString()},
                                                          {number, {}, QStringLiteral("&h1234")},
                                                          {huge, {}, QString()}};
        for (const auto& [path, folder, started] : rows) {
            ScriptedSystemInfo system;
            system.files << program;
            system.startable << tool << program;
            if (path)
                system.values[kMsInfoKey + '\\' + kMsInfoValue] = *path;
            if (folder)
                system.values[kSharedToolsKey + '\\' + kSharedToolsValue] = *folder;
            ScriptedPrompt prompt;
            startSystemInformation(system, prompt);
            QCOMPARE(system.started.value(0), started);
            QCOMPARE(prompt.texts(), system.startable.contains(started)
                                         ? QStringList{}
                                         : QStringList{kSysInfoUnavailableText});
        }
    }

    // What a start and a board selection read back and send, in order.
    void startAndBoardSelection() {
        SimRig rig(2);
        rig.board(1).ledOn = true;
        rig.board(1).divider = 60;
        QSignalSpy options(&rig.session, &Session::channelOptionRead);
        rig.session.address().setByte(0x90);
        rig.prompt.answer(Answer::Retry);
        rig.session.start();
        // The channel read (those before it: the window's table) at the byte set before.
        QCOMPARE(rig.board(0).received.back(), i2cRead(0x90, 2, 1));
        QCOMPARE(rig.session.address().byte(), 0x00);
        QVERIFY(rig.clock.drains() == 3 && options.empty());
        QCOMPARE(rig.prompt.texts(), QStringList{kInvalidAddressText}); // no chip at 0x48

        rig.session.selectBoard(1);
        QCOMPARE(options.takeFirst().at(0).toInt(), kHardwareSelectOption);
        const std::vector<Report>& got = rig.board(1).received;
        // The LED read back as on sends the board signals once, over the
        // report the query left.
        QVERIFY(got.size() == 5 && rig.session.boardSignals().led);
        QCOMPARE(Report(got[1]), reportOf({0, CMD_BOARD_SIGNALS, 0, 0x01}));
        QCOMPARE(got[3], reportOf({0, CMD_I2C_CLOCK, 0, 60}));

        // The board signals go out over the report last exchanged, the
        // firmware answer: its month and day stand in bytes 5 and 6.
        rig.board(1).firmwareMonth = 3;
        rig.board(1).firmwareDay = 5;
        rig.session.showFirmwareVersion();
        BoardSignals s = rig.session.boardSignals();
        s.pollDisabled = true;
        s.switches = {true, false, false, true, false, true};
        rig.session.setBoardSignals(s);
        QCOMPARE(rig.board(1).received.back(),
                 reportOf({0, CMD_BOARD_SIGNALS, 0, 0x03, 0x89, 3, 5}));
    }

    // A sweep of each simulated cable finds the middle of its clean gains,
    // errors rising on both sides, counted past 255 until a read saturates
    // at the fastest rate, and leaves the chip as it found it.
    void sweepOfEachCable() {
        Rig48 rig;
        const std::array<std::uint8_t, 256> before = rig.simChip().registers;
        for (int channel = 0; channel < kEqualizerChannels; ++channel) {
            EqualizerSweep run(rig.chip(), {channel, 1});
            QVERIFY(runToEnd(rig, run).restored());
            const SimCable& cable = kSimCables[channel];
            QCOMPARE(run.best(), (cable.firstClean + cable.lastClean) / 2);
            for (const GainPoint& p : run.points()) {
                const bool clean = p.gain >= cable.firstClean && p.gain <= cable.lastClean;
                QCOMPARE(p.errors.total() == 0, clean);
                QVERIFY(qAbs(p.errors.seconds - 0.1) < 1e-6);
                const unsigned out =
                    clean ? 0
                          : std::max(cable.firstClean, p.gain) - std::min(cable.lastClean, p.gain);
                // 3 out, about 3200 a second, never saturates; 6 out, a million, always
                if (out <= 3 || out >= 6)
                    QCOMPARE(p.errors.anySaturated(), out >= 6);
                if (out == 3)
                    QVERIFY(p.errors.counts[1] > 255);
            }
            QVERIFY(rig.simChip().registers == before);
        }
    }

    // Every write is one register byte at the address byte 0x90; the count
    // begins with Channel Activity and a clearing read 10 ms after the gain
    // is written, and reads the counters within the dwell; with the best
    // gain applied, the gain register keeps it and the rest go back.
    void sweepBytes() {
        Rig48 rig;
        rig.simChip().registers[0x02] = 0x3C; // power-down, reset under way, hardware selection
        rig.clearRecords();
        EqualizerSweep run(rig.chip(), {1, 1, 50, 6, 7});
        QVERIFY(run.start());
        stepRun(rig, run);
        const LinkTestEnd end = run.stop(true);
        QCOMPARE(end.appliedGain, 6u);
        const Report counters = i2cRead(0x90, 0x0A, 3);
        QCOMPARE(i2cOf(rig.board()),
                 (std::vector<Report>{i2cRead(0x90, 0x02, 8), i2cWrite(0x90, 0x02, {0x21}),
                                      i2cWrite(0x90, 0x09, {0x05}), i2cWrite(0x90, 0x07, {0x6C}),
                                      i2cRead(0x90, 0x01, 1), counters, counters, counters,
                                      i2cWrite(0x90, 0x07, {0x7C}), counters, counters, counters,
                                      i2cWrite(0x90, 0x07, {0x6C}), i2cWrite(0x90, 0x09, {0x00}),
                                      i2cWrite(0x90, 0x02, {0x2C})}));
        // Settle, the reads 20 ms and 50 ms into the dwell; for each gain.
        std::erase(rig.clock.sleeps, 0); // the drains of each exchange, which find nothing
        QCOMPARE(rig.clock.sleeps, (std::vector<int>{1, 10, 20, 30, 10, 20, 30}));
        QCOMPARE(restoreSummary(end), QStringLiteral("register 0x07 left at 0x6C, register 0x09 "
                                                     "restored, register 0x02 restored"));
        QCOMPARE(rig.session.registers().text(0x07), QStringLiteral("6C"));
        // Applying a gain later keeps the other channel's nibble.
        rig.simChip().registers[0x08] = 0x3C;
        QCOMPARE(applyEqualizerGain(rig.chip(), 3, 0xE).value, 0xEC);
    }

    // The best gain only when the points mean something: the middle of the
    // longest clean run (the lower middle of an even one, the lower of equal
    // ones) with its width and margin, flagged where the range cuts it;
    // else the fewest errors when they are a true count; never from saturated
    // counts, nor from a link clean at 0x0 and 0xF alike.
    void gainChoice() {
        const int sat = -1; // a saturated read of 255
        struct Row {
            unsigned from;
            std::vector<int> counts; // link 0's at gains from `from` on
            int best;                // -1: none
            int first, last, margin; // of the clean window; -1: none
            bool cut;
            NoBestGain refusal;
        };
        const Row rows[] = {
            {0, {5, 0, 0, 0, 7, 0, 0, 9}, 2, 1, 3, 1, false, NoBestGain::None},
            {0, {3, 0, 0, 0, 0, 3}, 2, 1, 4, 1, false, NoBestGain::None},
            {13, {9, 0, 0}, 14, 14, 15, 0, false, NoBestGain::None}, // 0xF is the gain's limit
            {4, {4, 0, 0}, 5, 5, 6, 0, true, NoBestGain::None},      // the range ends at 0x6
            {5, {0, 0, 0}, 6, 5, 7, 1, true, NoBestGain::None},
            {0, {9, 4, 4, 7}, 1, -1, -1, 0, false, NoBestGain::None},
            {0, {200, sat, 400}, 0, -1, -1, 0, false, NoBestGain::None},
            {0, {sat, 254, sat}, 1, -1, -1, 0, false, NoBestGain::None},
            {0, {sat, sat, sat}, -1, -1, -1, 0, false, NoBestGain::Saturated},
            {0, {sat, 300, 600}, -1, -1, -1, 0, false, NoBestGain::Saturated},
            {0, std::vector<int>(16, 0), -1, -1, -1, 0, false, NoBestGain::NothingChecked},
            {0,
             {0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
             -1,
             -1,
             -1,
             0,
             false,
             NoBestGain::NothingChecked},
            {0, {}, -1, -1, -1, 0, false, NoBestGain::Incomplete},
        };
        for (const Row& row : rows) {
            std::vector<GainPoint> points;
            for (std::size_t i = 0; i < row.counts.size(); ++i) {
                GainPoint p{row.from + unsigned(i), {}};
                p.errors.add(0, std::uint8_t(row.counts[i] == sat ? 255 : 0));
                p.errors.counts[0] += row.counts[i] == sat ? 0 : row.counts[i];
                points.push_back(p);
            }
            const GainChoice c = chooseGain(points);
            QCOMPARE(c.best ? int(*c.best) : -1, row.best);
            QCOMPARE(c.window ? int(c.window->first) : -1, row.first);
            QCOMPARE(c.window ? int(c.window->last) : -1, row.last);
            QCOMPARE(int(c.margin()), row.margin);
            QCOMPARE(c.window && c.window->cut(), row.cut);
            QCOMPARE(int(c.refusal), int(row.refusal));
        }
    }

    // The BER bounds against values computed apart from the program (the
    // chi-square quantile, by mpmath), to three digits; a count that
    // saturated bounds the BER from below only, also in a total where an
    // earlier interval saturated and the last did not.
    void berBounds() {
        // errors, bits, confidence: the upper bound, and the lower bound
        const std::tuple<long long, double, double, double, double> rows[] = {
            {0, 1.485e9, 0.95, 2.01733e-9, 0},
            {0, 1e12, 0.99, 4.60517e-12, 0},
            {0, 1e9, 0.6827, 1.14791e-9, 0},
            {1, 1e9, 0.95, 4.74386e-9, 5.12933e-11},
            {3, 1e10, 0.90, 6.68078e-10, 1.10207e-10},
            {10, 1e9, 0.95, 1.69622e-8, 5.42541e-9},
            {255, 1e8, 0.95, 2.82874e-6, 2.29314e-6},
            {100000, 1e12, 0.999, 1.00981e-7, 9.90256e-8},
        };
        for (const auto& [errors, bits, confidence, upper, lower] : rows) {
            QVERIFY(qAbs(berUpperBound(errors, bits, confidence) / upper - 1) < 2e-5);
            QVERIFY(lower == 0 ? berLowerBound(errors, bits, confidence) == 0
                               : qAbs(berLowerBound(errors, bits, confidence) / lower - 1) < 2e-5);
        }
        const BerSettings ber{1e9, 0.95};
        LinkErrors first, second;
        first.add(1, 255);
        first.seconds = 0.1;
        second.add(1, 12);
        second.seconds = 0.9;
        LinkErrors total = first;
        total.add(second);
        QCOMPARE(total.counts[1], 267);
        QVERIFY(total.saturated(1) && !total.saturated(0));
        QCOMPARE(total.seconds, 1.0);
        const BerBound least = berBound(total, 1, ber);
        QVERIFY(least.lowerOnly && qAbs(least.value / berLowerBound(267, 1e9, 0.95) - 1) < 1e-9);
        QCOMPARE(berText(least, true), QStringLiteral(">2.41e-07"));
        QCOMPARE(berText(berBound(total, 0, ber), true), QStringLiteral("<3.00e-09"));
        // The time a target needs with no error, and the quantities typed.
        QVERIFY(qAbs(secondsToMeet(LinkErrors{}, 1e-9, {1.485e9, 0.95}) - 2.01734) < 1e-4);
        QCOMPARE(parseQuantity(QStringLiteral("1.485G")), 1.485e9);
        QCOMPARE(parseQuantity(QStringLiteral("148.5M")), 148.5e6);
        QCOMPARE(parseQuantity(QStringLiteral("1.485e9")), 1.485e9);
        QVERIFY(!parseQuantity(QStringLiteral("1.485X")) && !parseQuantity(QStringLiteral("0")));
        // A saturated count never meets a target; the end is planned by the most errors.
        LinkErrors big;
        big.add(1, 255);
        big.seconds = 1000;
        QCOMPARE(int(judgeBer(big, 1e-9, ber)), int(BerVerdict::Open));
        big.atLeast = {};
        QCOMPARE(secondsToMeet(big, 1e-9, ber), berUpperBound(255, 1, 0.95) / 1e-9 / 1e9);
        QCOMPARE(parseConfidence(QStringLiteral("99%")), 0.99);
        QVERIFY(!parseConfidence(QStringLiteral("1")) && !parseConfidence(QStringLiteral("95")));
    }

    // A failure stops the run; the stop writes back what it can and says what
    // it could not, and what the chip holds as far as the run knows.
    void restoreAfterFailure() {
        enum Fault { Nak, Silent, Gone, GoneAfterRequest, StopAfterOneGain, Nak2 };
        const QString restored = QStringLiteral("register 0x09 restored, register 0x02 restored");
        const QString gone = QStringLiteral("register 0x09 not restored to 0x00 (board gone; it "
                                            "holds 0x05), register 0x02 not restored to 0x0C "
                                            "(board gone; it holds 0x01)");
        // the sweep's exchange (from 0: 0x02 to 0x09 read, 0x02 and 0x09 written, then for
        // each gain a write, 0x01 read the first time, a clearing read, three reads in the
        // dwell) that fails, how, whether the best gain is applied,
        // what the stop says, the failure's status
        const std::tuple<int, Fault, bool, QString, LinkStatus> rows[] = {
            {5, Nak, false, "register 0x07 restored, " + restored, LinkStatus::NotAcknowledged},
            {5, Silent, false,
             "register 0x07 not restored to 0xCC (no answer; what it holds is not known), "
             "register 0x09 not "
             "restored to 0x00 (not tried; it holds 0x05), register 0x02 not restored to 0x0C "
             "(not tried; it holds 0x01)",
             LinkStatus::NoAnswer},
            {6, Gone, false,
             "register 0x07 not restored to 0xCC (board gone; it holds 0x6C), " + gone,
             LinkStatus::WriteFailed},
            {9, GoneAfterRequest, false,
             "register 0x07 not restored to 0xCC (board gone; what it holds is not known), " + gone,
             LinkStatus::ReadFailed},
            {2, Nak, false, restored, LinkStatus::NotAcknowledged},
            {5, StopAfterOneGain, true, "register 0x07 restored, " + restored, LinkStatus::Ok},
            // the best gain (0x7) not taken: the value before instead
            {24, Nak, true,
             "register 0x07 restored, best gain 0x7C not applied (not acknowledged), " + restored,
             LinkStatus::Ok},
            {24, Nak2, true,
             "register 0x07 not restored to 0xCC (not acknowledged; it holds 0x9C), "
             "best gain 0x7C not applied (not acknowledged), " +
                 restored,
             LinkStatus::Ok}};
        for (const auto& [exchange, fault, apply, summary, status] : rows) {
            Rig48 rig;
            const std::array<std::uint8_t, 256> before = rig.simChip().registers;
            SimBoard& board = rig.board();
            board.answerFaults.resize(exchange, AnswerFault::none());
            if (fault == Nak || fault == Nak2)
                board.answerFaults.insert(board.answerFaults.end(), fault == Nak2 ? 2 : 1,
                                          AnswerFault::nak());
            else if (fault == Silent)
                board.everyAnswer = AnswerFault::drop();
            else if (fault == Gone)
                board.unplugAfterReports = exchange;
            else if (fault == GoneAfterRequest)
                board.laterFault = SimBoard::LaterFault{exchange + 1, {}, true};
            EqualizerSweep run(rig.chip(), {1, 1, 100, 6, 9});
            if (run.start())
                stepRun(rig, run, fault == StopAfterOneGain ? 1 : 99);
            const LinkTestEnd end = run.stop(apply);
            QCOMPARE(restoreSummary(end), summary);
            QCOMPARE(end.restored(), fault != Silent && fault != Gone &&
                                         fault != GoneAfterRequest && fault != Nak2);
            QCOMPARE(int(end.failure.status), int(status));
            QVERIFY(!end.appliedGain);
            if (end.restored())
                QVERIFY(rig.simChip().registers == before);
            QCOMPARE(board.refused.size(), std::size_t(fault == Gone)); // nothing tried once gone
            QVERIFY(run.stop().restores.empty()); // a second stop changes nothing
        }
    }

    // The counts of each interval over its measured time, summed from reads
    // made often enough that none saturates: about 50 a second one step out,
    // 400 two steps out (not 255+); the last interval ends at the time asked
    // for; the same for the same seed.
    void errorCount() {
        Rig48 rig;
        const auto countOnce = [&](ErrorCountOptions o) {
            ErrorCount run(rig.chip(), o);
            runToEnd(rig, run);
            return run.intervals();
        };
        // Channel C's gain 0xC lies one step above its clean gains, B's 0x3 two below.
        const int tenth = countOnce({{2, 1}, 100, 100})[0].counts[0];
        const int whole = countOnce({{2, 1}, 1000, 1000})[0].counts[0];
        const std::vector<LinkErrors> two = countOnce({{1, 1}, 3000, 1000, 3});
        QVERIFY2(tenth >= 3 && tenth <= 7 && whole >= 37 && whole <= 63 &&
                     two[0].counts[0] >= 300 && two[0].counts[0] <= 500 && !two[0].anySaturated(),
                 qPrintable(QStringLiteral("%1 in 0.1 s, %2 in 1 s, %3 two out")
                                .arg(tenth)
                                .arg(whole)
                                .arg(two[0].counts[0])));
        QCOMPARE(two.size(), std::size_t(1));
        QVERIFY(qAbs(two[0].seconds - 1) < 1e-6);
        ErrorCount late(rig.chip(), {{2, 1}, 1000, 2000}); // its caller late by 0.3 s
        QVERIFY(late.start());
        rig.clock.sleepMs(late.waitMs());
        late.step();
        rig.clock.sleepMs(1300);
        QVERIFY(qAbs(late.step().value().seconds - 1.3) < 1e-6); // as measured
        SimChip a(0x48, 7), b(0x48, 7);
        for (SimChip* c : {&a, &b}) {
            c->write(0x09, 0x05);
            c->write(0x07, 0xC7);
            c->advanceTo(86399.9);
            c->advanceTo(0.3); // past midnight: 0.4 s
        }
        QCOMPARE(a.read(0x0B), b.read(0x0B));
        QVERIFY(a.read(0x0A) > 0 && a.read(0x0A) == 0);
    }

    // A run to a BER target ends as soon as the statistics allow: met after
    // -ln(0.05) / (1e-9 x 1.485e9) = 2.017 s without an error, missed once
    // the errors prove the bound above it; not decided in the time allowed.
    // With no clock on the channel nothing is checked: the run stops.
    void berTarget() {
        Rig48 rig;
        const BerSettings ber{1.485e9, 0.95};
        const std::tuple<unsigned, double, int, BerVerdict, double, double> rows[] = {
            // B's gain, target, most ms; verdict, seconds counted from, to
            {7, 1e-9, 0, BerVerdict::Met, 2.0173, 2.019},
            {4, 1e-9, 0, BerVerdict::Above, 0.001, 0.1},
            {7, 1e-12, 1000, BerVerdict::Open, 1.0, 1.0},
        };
        for (const auto& [gain, target, mostMs, verdict, least, most] : rows) {
            ErrorCount run(rig.chip(), {{1, 1}, 1000, mostMs, gain, BerTarget{target, ber}});
            QVERIFY(runToEnd(rig, run).restored());
            QCOMPARE(int(run.verdict()), int(verdict));
            QVERIFY(run.complete());
            QVERIFY2(run.total().seconds >= least && run.total().seconds <= most,
                     qPrintable(QString::number(run.total().seconds)));
        }
        ErrorCount silent(rig.chip(), {{1, 0}, 1000, 1000});
        const LinkTestEnd end = runToEnd(rig, silent);
        QCOMPARE(end.interruption,
                 QStringLiteral("channel B shows no clock in register 0x01 (Channel Activity): "
                                "nothing is checked"));
        QVERIFY(silent.intervals().empty() && end.restored());
    }

    // The counters have one owner: a read of them by anything else during a
    // run hands its counts to the run (whose interval stays whole) and shows
    // them too; a second run cannot take them; a reset stops the run, which
    // then writes nothing back (the reset put every register back), and so
    // does another's write to a register the run changed, which keeps it.
    void countersHeldByOneRun() {
        Rig48 rig;
        QSignalSpy handed(&rig.session.tracker(), &ChipTracker::countsHandedOver);
        ErrorCount run(rig.chip(), {{2, 1}, 1000, 1000}); // C one gain out: ~50 a second
        QVERIFY(run.start());
        rig.clock.sleepMs(run.waitMs());
        run.step(); // the settle ends, the count begins
        rig.clock.sleepMs(500);
        QVERIFY(readAllRegisters(rig.chip(), ReadMode::Single).ok());
        const int taken = rig.session.registers().entry(0x0A).value;
        ErrorCount second(rig.chip(), {});
        QVERIFY(!second.start());
        QCOMPARE(second.stop().interruption,
                 QStringLiteral("another run holds the error counters"));
        stepRun(rig, run);
        const int whole = run.intervals().at(0).counts[0];
        QVERIFY2(taken > 0 && whole > taken && whole >= 37 && whole <= 63,
                 qPrintable(QStringLiteral("%1 taken of %2").arg(taken).arg(whole)));
        QCOMPARE(handed.size(), 3); // one register at a time
        QVERIFY(run.stop().restored());

        ErrorCount reset(rig.chip(), {{2, 1}, 1000, 0});
        QVERIFY(reset.start());
        writeRegisterWithReadBack(rig.chip(), 0x02, 0x10);
        rig.board().received.clear();
        QVERIFY(!reset.step());
        const LinkTestEnd end = reset.stop();
        QCOMPARE(end.interruption, QStringLiteral("the chip was reset"));
        QVERIFY(restoreSummary(end).startsWith(QStringLiteral("nothing written back")));
        QCOMPARE(i2cOf(rig.board()), std::vector<Report>{});
        QVERIFY(ErrorCount(rig.chip(), {}).start()); // the counters are free again

        EqualizerSweep sweep(rig.chip(), {1, 1, 100, 4, 9});
        QVERIFY(sweep.start());
        stepRun(rig, sweep, 1);
        writeRegisterWithReadBack(rig.chip(), 0x06, 0x11); // not the run's: it goes on
        stepRun(rig, sweep, 1);
        QCOMPARE(sweep.points().size(), 2u);
        writeRegisterWithReadBack(rig.chip(), 0x07, 0x3C);
        stepRun(rig, sweep);
        QVERIFY(sweep.finished() && sweep.points().size() == 2u);
        const LinkTestEnd kept = sweep.stop(true);
        QCOMPARE(kept.interruption, QStringLiteral("register 0x07 was written during the run"));
        QCOMPARE(restoreSummary(kept), QStringLiteral("register 0x07 kept as written during the "
                                                      "run, register 0x09 restored, register 0x02 "
                                                      "restored"));
        QVERIFY(kept.restored() && rig.simChip().registers[0x07] == 0x3C);
    }

    // A hex box's text is a byte only as one or two digits, blanks around and
    // a 0x prefix allowed, an empty text 0; the keys a hex box takes; the
    // tool's numbers; the channel option of register 0x02 (hardware select
    // first, then auto).
    void textsKeysAndNumbers() {
        const std::pair<const char*, int> texts[] = {
            {"", 0},    {"7", 7},     {"af", 0xAF},  {"0X5A", 0x5A}, {" \t5A \r\n", 0x5A},
            {"0x", -1}, {"1FF", -1},  {"005", -1},   {"1G", -1},     {"5 A", -1},
            {"  ", -1}, {"\x01", -1}, {"0x0x5", -1}, {"+5", -1}};
        for (const auto& [text, value] : texts) {
            const std::optional<std::uint8_t> byte = hexTextByte(QString::fromLatin1(text));
            QCOMPARE(byte ? int(*byte) : -1, value);
        }
        const std::pair<int, int> typed[] = {{'7', '7'}, {'a', 'A'}, {'F', 'F'}, {'g', 0}, {'G', 0},
                                             {' ', 0},   {'-', 0},   {13, 13},   {8, 8},   {1, 0},
                                             {22, 0},    {27, 0},    {0xE9, 0}};
        for (const auto& [in, out] : typed)
            QCOMPARE(filterHexKey(in), out);
        const std::pair<const char*, int> numbers[] = {
            {"64", 64},   {"0x40", 0x40}, {"0X7f", 0x7F},   {"127", 127},     {"128", -1},
            {"0x80", -1}, {"-1", -1},     {"+64", -1},      {" 64", -1},      {"64 ", -1},
            {"0x", -1},   {"0x0x40", -1}, {"0x+7f", -1},    {"zz", -1},       {"", -1},
            {"64\n", -1}, {"0x40\n", -1}, {"00000064", 64}, {"000000064", 64}};
        for (const auto& [text, value] : numbers)
            QCOMPARE(parseNumber(QString::fromLatin1(text), 0x7F).value_or(-1), value);
        const std::pair<int, int> shown[] = {{0x0C, 5}, {0x0E, 5}, {0x06, 4},
                                             {0x02, 2}, {0x21, 1}, {0x13, 3}};
        for (const auto& [value, option] : shown)
            QCOMPARE(channelOptionFor(std::uint8_t(value)), option);
    }

    // The fields of the fourteen registers, one line a field with its bits,
    // access, value after reset and the meaning of its values (every value up
    // to two bits, else 0, 1, 4 and the maximum), pinned by its digest and
    // printed when it differs.
    void registerFieldTable() {
        QString table;
        for (std::uint8_t reg : kMainRegisters) {
            for (const RegisterField& f : registerFields(reg)) {
                table += QStringLiteral("%1 %2 %3 %4 %5:")
                             .arg(hexByte(reg), f.bits(), accessText(f), f.name)
                             .arg(f.reset);
                for (unsigned v = 0; v <= f.maximum(); ++v) {
                    if (f.width() <= 2 || v <= 1 || v == 4 || v == f.maximum())
                        table += QStringLiteral(" %1=%2").arg(v).arg(fieldMeaning(f, v));
                }
                table += '\n';
            }
        }
        QVERIFY2(QCryptographicHash::hash(table.toUtf8(), QCryptographicHash::Sha1).toHex() ==
                     "583e21e72ce4be773f03fe875a979043a1331293",
                 qPrintable(table));
        QVERIFY(registerFields(0x0D).empty() && registerFields(0x11).empty());
        // What an access does besides its byte agrees with the descriptions: a
        // read clears, a bit written 1 clears itself and resets the chip, just
        // where they say so.
        for (std::uint8_t reg : kMainRegisters) {
            const QString text = descriptionText(descriptionIndexOf(reg));
            const auto fields = registerFields(reg);
            QCOMPARE(readClears(reg), text.contains("Reading this register clears"));
            QCOMPARE(std::any_of(fields.begin(), fields.end(),
                                 [](const RegisterField& f) {
                                     return f.access == FieldAccess::SelfClearing;
                                 }),
                     text.contains("will automatically clear this bit"));
            QCOMPARE(writeResetsChip(reg, 0xFF), text.contains("(Reset)"));
        }
    }

    // Each register's fields cover its eight bits, and their values after
    // reset make the default its description gives and the simulated chip
    // starts with; each field's words are lines of that description, the
    // first naming its bits, and every line after the default tells of a field.
    void registerFieldDefaultsAndWords() {
        const SimChip chip(0x40);
        for (std::uint8_t reg : kMainRegisters) {
            std::uint8_t covered = 0, reset = 0;
            std::uint64_t told = 0;
            for (const RegisterField& f : registerFields(reg)) {
                covered |= f.mask();
                reset = encodeField(f, f.reset, reset);
                told |= f.description;
                const QStringList words = descriptionLines(f.reg, f.description);
                const QString bits =
                    f.width() == 1 ? QStringLiteral("Bit %1").arg(f.high) : f.bits();
                QVERIFY2(!words.isEmpty() && words[0].contains(bits), f.name);
            }
            const std::span<const char* const> lines = registerDescription(descriptionIndexOf(reg));
            QCOMPARE(QString::fromLatin1(lines[reg == 2 ? 1 : 2]),
                     QStringLiteral("Default value = 0x") + hexByte(reset));
            QVERIFY(covered == 0xFF && chip.registers[reg] == reset);
            for (std::size_t line = 3; line < lines.size(); ++line)
                QVERIFY2(*lines[line] == 0 || (told >> (line + 1) & 1), lines[line]);
        }
    }

    // Every byte of every register decodes into its fields; setting any value
    // of a writable field changes that field alone, unused, reserved and
    // read-only bits kept; what a value means reads back as that value.
    void registerFieldsRoundTrip() {
        for (std::uint8_t reg : kMainRegisters) {
            for (int byte = 0; byte < 256; ++byte) {
                const auto b = std::uint8_t(byte);
                std::uint8_t covered = 0;
                for (const FieldValue& d : decodeFields(reg, b)) {
                    const RegisterField& f = *d.field;
                    QVERIFY((covered & f.mask()) == 0); // fields do not overlap
                    covered |= f.mask();
                    QVERIFY(d.value == f.valueIn(b) && encodeField(f, d.value, b) == b);
                    for (unsigned v = 0; f.writable() && v <= f.maximum(); ++v) {
                        const std::uint8_t changed = encodeField(f, v, b);
                        QVERIFY(f.valueIn(changed) == v &&
                                (changed & ~f.mask()) == (b & ~f.mask()));
                        QCOMPARE(parseFieldValue(f, fieldMeaning(f, v)).value_or(999), v);
                    }
                }
            }
        }
    }

    // A field by its name; a value as a number, a setting's name (or the one
    // setting it begins), on or off, or a quantity in whole steps.
    void registerFieldNamesAndValues() {
        // clang-format off
        const std::tuple<int, const char*, const char*, int> rows[] = {
            {0x02, "CHANNEL SELECT", " 0x3 ", 3}, {0x02, "Channel_Select", "4", -1},
            {0x02, "power down", "ON", 1}, {0x02, "Reset", "off", 0},
            {0x06, "Transmit Current", "11.875ma", 15}, {0x06, "Transmit Current", "12 mA", -1},
            {0x06, "Transmit Current", "10.5", -1}, {0x06, "Transmit Current", "9.875 mA", -1},
            {0x06, "Transmit Current", "1 0", -1}, {0x06, "transmit preemphasis", "0 mA", 0},
            {0x03, "tristate selected data in", "t", -1}, {0x10, "pll bandwidth", "", -1},
            {0x07, "rx equalization gain a", "max", 15}, {0x0A, "PRBS7 Error Counter Link 0", "", -1},
            {0x02, "Channel", "A", -2}, {0x06, "Channel Select", "A", -2},
            // A plain number is the raw value, never the start of a setting's name.
            {0x10, "PLL Bandwidth", "1", 1}, {0x10, "PLL Bandwidth", "4", -1},
            {0x10, "PLL Bandwidth", "100", -1}, {0x10, "PLL Bandwidth", "4 MHz", 0},
            {0x10, "PLL Bandwidth", "0x3", 3}, {0x04, "DATA term Ch A", "50", -1},
            {0x03, "Rx Hysteresis Magnitude", "10", -1}, {0x03, "Rx Hysteresis Magnitude", "20mV", 1},
        };
        // clang-format on
        for (const auto& [reg, name, text, value] : rows) {
            const RegisterField* f = findField(std::uint8_t(reg), QString::fromLatin1(name));
            QCOMPARE(f ? int(parseFieldValue(*f, QString::fromLatin1(text)).value_or(-1)) : -2,
                     value);
        }
    }

    // Each option shows the description of its own register (the texts
    // exactly as they stand: their digest); anything else asks for a register.
    void registerDescriptions() {
        QCryptographicHash all(QCryptographicHash::Sha1);
        for (int i = 0; i < kDescribedRegisters; ++i) {
            all.addData(descriptionText(i).toUtf8());
            const std::uint8_t reg = kMainRegisters[i];
            QVERIFY(descriptionIndexOf(reg) == i && !registerName(reg).isEmpty());
        }
        QCOMPARE(all.result().toHex(), "aa218078b4d36b008e6e6ea98fc57f6b4ced378f");
        QCOMPARE(descriptionText(14) + descriptionText(-1),
                 "Please select a valid register.Please select a valid register.");
        QVERIFY(registerName(0x05) == "Output Options" && registerName(0x11).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestOperations)
#include "tst_operations.moc"
