// The board link on simulated boards with the chip at 0x48 (address byte 0x90):
// a transfer's limits, the drain, discovery, the policy on failures, the board
// commands' bytes, the trace's lines, the USB timing (spans: the transcripts).
#include "core/link/boardframes.h"
#include "core/link/boardlink.h"
#include "core/link/reporttrace.h"
#include "core/operations/readall.h"
#include "core/sim/frameclock.h"
#include "core/sim/simtransport.h"
#include "core/sim/usbtimedtransport.h"
#include "support/reports.h"
#include "support/simrig.h"

#include <QtTest>

namespace {

struct LinkRig : SimBench {
    LinkRig() {
        transport.addBoard().addChip(0x48);
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
    // A transfer not acknowledged ends a span, with no values (how spans are
    // cut into transfers: the transcripts); outside the limits of one
    // transfer nothing is sent and nothing is asked.
    void spanFailureAndTransferLimits() {
        for (const bool write : {false, true}) {
            LinkRig rig;
            rig.board().answerFaults = {AnswerFault::none(), AnswerFault::withStatus(0x80)};
            const LinkResult r = write ? writeRegisterSpan(rig.link, 0x90, 0, Data(130, 1))
                                       : readRegisterSpan(rig.link, 0x90, 0, 130);
            QVERIFY(r.status == LinkStatus::NotAcknowledged && r.bytes.empty());
            QVERIFY(r.statusByte == 0x80 && rig.board().received.size() == 2);
        }
        LinkRig rig;
        for (int count : {0, 63})
            QCOMPARE(rig.link.readRegisters(0x90, 0, count).status, LinkStatus::NotAcknowledged);
        QCOMPARE(rig.link.writeRegisters(0x90, 0, Data(60)).status, LinkStatus::NotAcknowledged);
        QCOMPARE(rig.link.writeRegistersOnce(0x90, 0, Data()).status, LinkStatus::NotAcknowledged);
        QVERIFY(rig.board().received.empty() && rig.prompt.shown.empty());
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
            const LinkResult result = rig.link.readRegisters(0x90, 0x02, 1);
            QStringList messages{kWriteFileErrorText};
            for (int i = 0; i < notFound; ++i)
                messages << kBoardNotFoundText;
            QCOMPARE(rig.prompt.texts(), messages);
            QCOMPARE(result.bytes, notFound < 2 ? Data{0x0C} : Data{});
            QCOMPARE(board.received,
                     notFound < 2 ? std::vector{i2cRead(0x90, 0x02, 1)} : std::vector<Report>{});
            QVERIFY(rig.connections == (notFound < 2 ? 2 : 1) &&
                    rig.end.calls == int(notFound == 2));
            QVERIFY(notFound < 2 ||
                    (rig.link.isShutDown() && !rig.link.readRegisters(0x90, 0, 1).ok() &&
                     rig.prompt.shown.size() == 3));
        }
    }

    void answerLimitAndDrain() {
        LinkRig rig;
        QCOMPARE(BoardLink(rig.transport).answerLimitMs(), 6000); // unless the tool is told
        rig.link.setAnswerLimitMs(kAnswerLimitMs);
        rig.board().answerFaults = {AnswerFault::late()};
        const long before = rig.clock.sleptMs;
        QCOMPARE(rig.link.readRegistersOnce(0x90, 0, 1).status, LinkStatus::NoAnswer);
        QCOMPARE(rig.clock.sleptMs - before, long(kAnswerLimitMs));
        QVERIFY(rig.board().hasInput()); // the answer, after the read gave up
        // A stop asked while an answer is awaited leaves it the grace only.
        int looks = 0;
        rig.link.setStopRequest([&] { return ++looks > 3; }); // asked after 150 ms
        rig.board().answerFaults = {AnswerFault::none(), AnswerFault::drop()};
        QVERIFY(rig.link.readRegistersOnce(0x90, 0, 1).ok()); // an answer in time is taken
        looks = 0;
        const long start = rig.clock.sleptMs;
        const LinkResult cut = rig.link.readRegistersOnce(0x90, 0, 1);
        QVERIFY(cut.status == LinkStatus::NoAnswer && cut.givenUp);
        QCOMPARE(rig.clock.sleptMs - start, long(150 + kStopGraceMs));
        rig.link.setStopRequest({});
        // Stale reports go before the next answer is taken.
        rig.board().queueInput(reportOf({0, 0, 0xEE}));
        QCOMPARE(rig.link.readRegistersOnce(0x90, 0, 1).bytes, Data{0x31});
        rig.board().queueInput(reportOf({0, 0}), 2);       // short, and one that would say "not
        rig.board().queueInput(reportOf({0, 0x01, 0xEE})); // acknowledged" behind it
        QVERIFY(rig.link.writeRegistersOnce(0x90, 0x05, Data{1}).ok());
        QCOMPARE(rig.board().chips.front().registers[5], 1);
        // A board that is gone ends the drain at its first failed read.
        rig.board().unplugged = true;
        rig.log.clear();
        rig.link.flushInput();
        QCOMPARE(rig.log, QStringList{QStringLiteral(
                              "board 0: the read of the input report failed: No such device")});
    }

    // Only the board's vendor and product are boards; each is opened twice,
    // everything else is closed again; a reconnection starts afresh.
    void discovery() {
        FakeClock clock;
        SimTransport transport{clock};
        transport.addOtherDevice(kBoardVendorId, 0x1234);
        transport.addBoard().addChip(0x48);
        transport.addOtherDevice(0x1234, kBoardProductId);
        transport.addOtherDevice(kBoardVendorId, kBoardProductId, false);
        transport.addOtherDevice(kBoardVendorId, kBoardProductId, true, false);
        transport.addBoard().addChip(0x48);
        BoardLink link{transport};
        for (int round = 0; round < 2; ++round) {
            QVERIFY(link.connectBoards() && link.boardCount() == 2 &&
                    transport.openHandleCount() == 4);
            QCOMPARE(link.boardDevice(1).serialNumber, std::string("SIM0001"));
        }
        QVERIFY(link.selectBoard(1) && link.readRegistersOnce(0x90, 0, 1).ok() &&
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
        sim.addBoard().addChip(0x48);
        UsbTimedTransport usb{sim, time};
        BoardLink link{usb};
        link.connectBoards();
        link.selectBoard(0);
        const HidHandle own = usb.open(sim.enumerate().at(0).path);
        time.ns = 1'300'000;
        QCOMPARE(link.readRegistersOnce(0x90, 0x00, 2).bytes.at(0), std::uint8_t{0x31});
        QCOMPARE(time.ns, 3'000'000);
        QVERIFY(link.writeRegistersOnce(0x90, 0x05, Data{1}).ok()); // on a boundary: the next
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
        QCOMPARE(clockListFromAnswer(reportOf({0, 0, 0, 1})).items.size(), 0u);
        QCOMPARE(clockListFromAnswer(reportOf({0, 0, 12, 121})).selected, -1); // 99 kHz
        const FirmwareVersion v =
            firmwareVersionFromAnswer(reportOf({0, 0, 0x12, 0x07, 0xD7, 3, 5}));
        QCOMPARE(firmwareVersionText(v, QLocale::c()),
                 QStringLiteral("Firmware Version 1.2 - 2007/March/5"));
        QCOMPARE(firmwareVersionText({2, 0, 2010, 13, 1}, QLocale::c()),
                 QStringLiteral("Firmware Version 2.0 - 2010/13/1"));
    }

    // A demo board gone between a request and its answer: a read the system
    // refused, told apart from a time-out yet shown in the same box (the
    // other demo faults and the board commands' box: the window's table).
    void demoBoardGoneBeforeTheAnswer() {
        SimBench bench;
        const auto transport = makeDemoTransport(bench.clock, 1, 0x48, parseDemoFault("gone@2"));
        BoardLink link{*transport};
        AskingPolicy policy{bench.prompt, bench.end};
        link.setFailurePolicy(&policy);
        QVERIFY(link.connectBoards() && link.selectBoard(0) &&
                link.readRegistersOnce(0x90, 0, 1).ok());
        QCOMPARE(link.readRegisters(0x90, 0, 1).status, LinkStatus::ReadFailed);
        QCOMPARE(bench.prompt.texts(), QStringList{kReadFileErrorText});
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
