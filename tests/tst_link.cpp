// The board link: the board commands' bytes and the trace's lines; on
// simulated boards, transfers and their limits, the input drain, discovery,
// what the program's policy makes of every failure, the simulated USB timing.
#include "core/link/boardframes.h"
#include "core/link/boardlink.h"
#include "core/link/reporttrace.h"
#include "core/sim/frameclock.h"
#include "core/sim/simtransport.h"
#include "core/sim/usbtimedtransport.h"
#include "support/reports.h"
#include "support/simrig.h"

#include <QtTest>
#include <cstdio>

namespace {

struct LinkRig : SimBench {
    LinkRig() {
        transport.addBoard().addChip(0x40);
        link.setFailurePolicy(&policy);
        link.setAnswerLimitMs(50);
        link.setFailureLog([this](const QString& line) { log << line; });
        link.setConnectedHandler([this] {
            ++connections;
            link.selectBoard(0);
        });
        link.connectBoards();
        board().received.clear();
    }

    AskingPolicy policy{prompt, end};
    BoardLink link{transport};
    QStringList log;
    int connections = 0;
};

using Data = std::vector<std::uint8_t>;

// One simulated time, in ns, for the USB timing model and the board under it.
struct SimulatedTime : Clock, FrameClock {
    std::int64_t ns = 0;
    std::int64_t nowNs() override { return ns; }
    void sleepUntilNs(std::int64_t until) override { ns = std::max(ns, until); }
    double secondsSinceMidnight() override { return ns / 1e9; }
    void sleepMs(int ms) override { ns += ms * 1'000'000; }
};

} // namespace

class TestLink : public QObject {
    Q_OBJECT
private slots:
    void transfersAndTheirLimits() {
        LinkRig rig;
        SimChip& chip = rig.board().chips.front();
        for (int r = 0; r < 62; ++r)
            chip.registers[r] = std::uint8_t(r + 1);
        LinkResult read = rig.link.readRegistersOnce(0x80, 0x00, 62);
        QCOMPARE(read.bytes.size() + read.bytes[61], 62u + 62);
        const Data data(59, 0x5A);
        QVERIFY(rig.link.writeRegisters(0x80, 0x20, data).ok());
        QCOMPARE(rig.board().received,
                 (std::vector<Report>{i2cRead(0x80, 0, 62), rig.board().received[1]}));
        QVERIFY(rig.board().received[1][63] == 0x5A && chip.registers[0x20 + 58] == 0x5A);
        // Outside the limits nothing is sent and nothing is asked.
        rig.board().received.clear();
        for (int count : {0, 63})
            QCOMPARE(rig.link.readRegisters(0x80, 0, count).status, LinkStatus::NotAcknowledged);
        QCOMPARE(rig.link.writeRegisters(0x80, 0, Data(60)).status, LinkStatus::NotAcknowledged);
        QCOMPARE(rig.link.writeRegistersOnce(0x80, 0, Data()).status, LinkStatus::NotAcknowledged);
        QVERIFY(rig.board().received.empty() && rig.prompt.shown.empty());
        // A failing status byte: not acknowledged, no values.
        rig.board().answerFaults = {AnswerFault::withStatus(0x80)};
        read = rig.link.readRegistersOnce(0x80, 0, 2);
        QVERIFY(read.status == LinkStatus::NotAcknowledged && read.bytes.empty() &&
                read.statusByte == 0x80);
    }

    // A board pulled out: the message, and a reconnection before the same
    // transfer goes again. Not found again, Retry searches once more; Cancel
    // ends the program, after which nothing goes out and nothing is asked.
    void boardPulledOut() {
        for (const int notFound : {0, 1, 2}) { // times "not found" is shown: Retry, then Cancel
            LinkRig rig;
            SimBoard& board = rig.board();
            board.unplugged = true;
            rig.prompt.answer(Answer::Retry, [&] { board.unplugged = notFound > 0; });
            rig.prompt.answer(Answer::Retry, [&] { board.unplugged = notFound > 1; });
            const LinkResult result = rig.link.readRegisters(0x80, 0x02, 1);
            QStringList messages{kWriteFileErrorText};
            for (int i = 0; i < notFound; ++i)
                messages << kBoardNotFoundText;
            QCOMPARE(rig.prompt.texts(), messages);
            QCOMPARE(result.bytes, notFound < 2 ? Data{0x0C} : Data{});
            QCOMPARE(board.received,
                     notFound < 2 ? std::vector{i2cRead(0x80, 0x02, 1)} : std::vector<Report>{});
            QVERIFY(rig.connections == (notFound < 2 ? 2 : 1) &&
                    rig.end.calls == int(notFound == 2));
            QVERIFY(notFound < 2 ||
                    (rig.link.isShutDown() && !rig.link.readRegisters(0x80, 0, 1).ok() &&
                     rig.prompt.shown.size() == 3));
        }
    }

    void answerLimitAndDrain() {
        LinkRig rig;
        rig.link.setAnswerLimitMs(kAnswerLimitMs);
        rig.board().answerFaults = {AnswerFault::late()};
        const long before = rig.clock.sleptMs;
        QCOMPARE(rig.link.readRegistersOnce(0x80, 0, 1).status, LinkStatus::NoAnswer);
        QCOMPARE(rig.clock.sleptMs - before, long(kAnswerLimitMs));
        QVERIFY(rig.board().hasInput()); // the answer, after the read gave up
        // Stale reports, a short one among them, go before the next answer is
        // taken; so does an answer that came too late.
        for (int i = 0; i < 3; ++i)
            rig.board().queueInput(reportOf({0, 0, 0xEE}), i == 1 ? 16 : 64);
        rig.link.flushInput();
        QVERIFY(!rig.board().hasInput());
        rig.board().queueInput(reportOf({0, 0, 0xEE}));
        QCOMPARE(rig.link.readRegistersOnce(0x80, 0, 1).bytes, Data{0x31});
        rig.board().queueInput(reportOf({0, 0x01, 0xEE})); // it would say "not acknowledged"
        QVERIFY(rig.link.writeRegistersOnce(0x80, 0x05, Data{1}).ok());
        QCOMPARE(rig.board().chips.front().registers[5], 1);
        // A board that is gone ends the drain at its first failed read.
        rig.board().unplugged = true;
        rig.log.clear();
        rig.link.flushInput();
        QCOMPARE(rig.log, QStringList{QStringLiteral(
                              "board 0: the read of the input report failed: No such device")});
    }

    void reasonsGoToTheLogAndTheTrace() {
        LinkRig rig;
        char traced[4096] = {};
        std::FILE* out = ::fmemopen(traced, sizeof traced - 1, "w");
        ReportTrace trace(out, rig.clock, QStringLiteral("memory"));
        rig.link.setTrace(&trace);
        Report query{};
        buildClockQuery(query);
        QVERIFY(rig.link.readRegistersOnce(0x80, 2, 1).ok() && rig.link.queryBoard(query).ok());
        rig.board().unplugged = true;
        QCOMPARE(rig.link.writeRegistersOnce(0x80, 0, Data{1}).reason, "No such device");
        std::fclose(out);
        const QString line = "board 0: the write of the output report failed: No such device";
        QVERIFY(rig.log.contains(line));
        QVERIFY(QByteArray(traced).contains(" out-refused 0 00 02 01 80 00 01 00"));
        QVERIFY(QByteArray(traced).contains("# " + line.toUtf8()));
        for (const char* meaning : {"# I2C read 0x40 reg 0x02 count 1: 0C, acknowledged\n",
                                    "# I2C clock query: base 12 MHz, divider 120\n"})
            QVERIFY2(QByteArray(traced).contains(meaning), meaning);
    }

    // Only the board's vendor and product are boards; each is opened twice,
    // everything else is closed again; a reconnection starts afresh.
    void discovery() {
        FakeClock clock;
        SimTransport transport{clock};
        transport.addOtherDevice(kBoardVendorId, 0x1234);
        transport.addBoard().addChip(0x40);
        transport.addOtherDevice(0x1234, kBoardProductId);
        transport.addOtherDevice(kBoardVendorId, kBoardProductId, false);
        transport.addOtherDevice(kBoardVendorId, kBoardProductId, true, false);
        transport.addBoard().addChip(0x40);
        BoardLink link{transport};
        for (int round = 0; round < 2; ++round) {
            QVERIFY(link.connectBoards() && link.boardCount() == 2 &&
                    transport.openHandleCount() == 4);
            QCOMPARE(link.boardDevice(1).serialNumber, std::string("SIM0001"));
        }
        QVERIFY(link.selectBoard(1) && link.readRegistersOnce(0x80, 0, 1).ok() &&
                !link.selectBoard(2));
        QCOMPARE(transport.board(0).received.size() * 10 + transport.board(1).received.size(), 1u);
        link.shutDown();
        QVERIFY(transport.openHandleCount() == 0 && !link.connectBoards());
    }

    // Requests leave at the next 1 ms frame boundary and are answered a frame
    // later; a command without an answer delays no read.
    void usbFrameTiming() {
        SimulatedTime time;
        SimTransport sim{time};
        sim.addBoard().addChip(0x00);
        UsbTimedTransport usb{sim, time};
        BoardLink link{usb};
        link.connectBoards();
        link.selectBoard(0);
        const HidHandle own = usb.open(sim.enumerate().at(0).path);
        time.ns = 1'300'000;
        QCOMPARE(link.readRegistersOnce(0x00, 0x00, 2).bytes.at(0), std::uint8_t{0x31});
        QCOMPARE(time.ns, 3'000'000);
        QVERIFY(link.writeRegistersOnce(0x00, 0x05, Data{1}).ok()); // on a boundary: the next
        QCOMPARE(time.ns, 5'000'000);
        QVERIFY(link.sendBoardCommand(reportOf({0, CMD_I2C_CLOCK, 0, 120})).ok());
        Report in{};
        QCOMPARE(usb.read(own, in, 1).status, IoStatus::Timeout);
        QCOMPARE(time.ns, 7'000'000);
    }

    // The board commands' bytes beyond what the operations' tests show.
    void boardReports() {
        QCOMPARE(signalsSwitchByte({false, true, true, false, true, false}), 0x46);
        QVERIFY(!ledOnInAnswer(reportOf({0, 0, 0xBF})));
        // Base clock 12 MHz, divider 120 in use: from 100 kHz up to 12000.
        const ClockList list = clockListFromAnswer(reportOf({0, 0, 12, 120}));
        QCOMPARE(list.items.size(), 120u);
        QCOMPARE(list.items[1].kHz + list.items[2].kHz + list.items.back().kHz, 100 + 101 + 12000);
        QCOMPARE(list.items.back().divider, 1);
        QCOMPARE(clockListFromAnswer(reportOf({0, 0, 0, 1})).items.size(), 0u);
        QCOMPARE(clockListFromAnswer(reportOf({0, 0, 12, 121})).selected, -1); // 99 kHz
        const FirmwareVersion v =
            firmwareVersionFromAnswer(reportOf({0, 0, 0x12, 0x07, 0xD7, 3, 5}));
        QCOMPARE(firmwareVersionText(v, QLocale::c()),
                 QStringLiteral("Firmware Version 1.2 - 2007/March/5"));
        QCOMPARE(firmwareVersionText({2, 0, 2010, 13, 1}, QLocale::c()),
                 QStringLiteral("Firmware Version 2.0 - 2010/13/1"));
    }

    // The demo board's faults as the window meets them: a board gone between
    // a request and its answer is a read the system refused, told apart from
    // a time-out yet shown in the same box; a board command's failure has its
    // own box; a chip that does not acknowledge leaves board commands alone.
    void demoFaultsAtTheLink() {
        // The fault, exchanges made before, the transfer's status, its box and
        // a board command's.
        const std::tuple<const char*, int, LinkStatus, QString, QString> rows[] = {
            {"nak", 0, LinkStatus::NotAcknowledged, kInvalidAddressText, QString()},
            {"silent@2", 1, LinkStatus::NoAnswer, kReadFileErrorText, kCheckGPstatusText},
            {"short", 0, LinkStatus::NoAnswer, kReadFileErrorText, kCheckGPstatusText},
            {"gone@2", 1, LinkStatus::ReadFailed, kReadFileErrorText, kCheckGPstatusText},
            {"gone", 1, LinkStatus::WriteFailed, kWriteFileErrorText, kCheckGPstatusText}};
        for (const auto& [fault, before, status, box, commandBox] : rows) {
            for (const bool command : {false, true}) {
                SimBench bench;
                const auto transport =
                    makeDemoTransport(bench.clock, 1, 0x48, parseDemoFault(fault));
                BoardLink link{*transport};
                AskingPolicy policy{bench.prompt, bench.end};
                link.setFailurePolicy(&policy);
                QVERIFY(link.connectBoards() && link.selectBoard(0));
                for (int i = 0; i < before; ++i)
                    link.readRegistersOnce(0x90, 0, 1);
                if (command)
                    link.queryBoard(reportOf({0, CMD_BOARD_SIGNALS, 1}));
                else
                    QCOMPARE(link.readRegisters(0x90, 0, 1).status, status);
                QCOMPARE(bench.prompt.texts().value(0), command ? commandBox : box);
            }
        }
    }

    void traceLine() {
        const QString line = ReportTrace::line(18 * 3600 + 30 * 60 + 7.125, "out", 1,
                                               reportOf({0, 2, 1, 0x81, 0xAB}));
        QVERIFY(line.startsWith(QStringLiteral("18:30:07.125 out 1 00 02 01 81 AB 00")));
        QCOMPARE(line.count(QLatin1Char(' ')), 2 + 64);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
