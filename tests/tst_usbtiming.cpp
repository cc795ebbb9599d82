// The full-speed USB timing model of the simulated board, on simulated time:
// requests leave at frame boundaries, answers come one frame later, and Read
// All costs what the benchmarks take as its floor.
#include "app/mainwindow.h"
#include "board/boardlink.h"
#include "registers/registergrid.h"
#include "sim/frameclock.h"
#include "sim/simtransport.h"
#include "sim/usbtimedtransport.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QtTest>

namespace {

constexpr std::int64_t kUs = 1'000;
constexpr std::int64_t kMs = 1'000'000;

// One simulated time for the timing model and the board underneath it.
class SimulatedTime : public Clock, public FrameClock {
public:
    std::int64_t ns = 0;

    std::int64_t nowNs() override { return ns; }
    void sleepUntilNs(std::int64_t until) override { ns = std::max(ns, until); }
    double secondsSinceMidnight() override { return ns / 1e9; }
    void sleepMs(int ms) override { ns += ms * kMs; }
};

struct TimedRig {
    TimedRig() {
        sim.addBoard().addChip(0x00);
        link.connectBoards();
        link.selectInstance(0);
    }

    SimulatedTime time;
    ScriptedDialogs dialogs;
    SimTransport sim{time};
    UsbTimedTransport usb{sim, time};
    BoardLink link{usb, dialogs};
};

} // namespace

class TestUsbTiming : public QObject {
    Q_OBJECT
private slots:
    void requestLeavesAtTheNextFrameAndIsAnsweredOneFrameLater() {
        TimedRig rig;
        rig.time.ns = 1 * kMs + 300 * kUs;
        std::uint8_t data[2] = {};
        QCOMPARE(rig.link.readRegistersOnce(0x00, 0x00, 2, data), LINK_OK);
        // Left at 2 ms, answered at 3 ms, with the chip's values.
        QCOMPARE(rig.time.ns, 3 * kMs);
        QCOMPARE(data[0], std::uint8_t{0x31});
        QCOMPARE(rig.sim.board(0).received.back(), i2cRead(0x00, 0x00, 2));

        // A request made right on a boundary waits for the next one.
        QCOMPARE(rig.link.writeRegistersOnce(0x00, 0x05, 1, data), LINK_OK);
        QCOMPARE(rig.time.ns, 5 * kMs);
    }

    void commandWithoutAnswerDelaysNoRead() {
        TimedRig rig;
        rig.link.report = reportOf({0, CMD_BOARD_SIGNALS, 0, 0x01, 0x00}); // set: no answer
        QVERIFY(rig.link.writeReport());
        QCOMPARE(rig.time.ns, 1 * kMs);
        Report in{};
        QCOMPARE(rig.usb.read(rig.link.readHandle, in, 1), ReadResult::Timeout);
        QCOMPARE(rig.time.ns, 2 * kMs);
    }

    void answerStillOnItsWayTimesOutThenArrives() {
        TimedRig rig;
        rig.time.ns = 100 * kUs;
        rig.link.report = i2cRead(0x00, 0x00, 1);
        QVERIFY(rig.link.writeReport()); // leaves at 1 ms, readable at 2 ms
        Report in{};
        QCOMPARE(rig.usb.read(rig.link.readHandle, in, 0), ReadResult::Timeout);
        QCOMPARE(rig.time.ns, 1 * kMs);
        QCOMPARE(rig.usb.read(rig.link.readHandle, in, 6000), ReadResult::Ok);
        QCOMPARE(rig.time.ns, 2 * kMs);
        QCOMPARE(in[2], std::uint8_t{0x31});
        // Nothing more to read: the drain's 1 ms wait on the board's own time.
        QCOMPARE(rig.usb.read(rig.link.readHandle, in, 1), ReadResult::Timeout);
        QCOMPARE(rig.time.ns, 3 * kMs);
    }

    // The floors of the Read All benchmark: the drain's 1 ms, then two
    // frames per exchange, at most; a start just after a frame boundary
    // costs the whole floor.
    void readAllCostsTheModelledFloor_data() {
        QTest::addColumn<bool>("burst");
        QTest::addColumn<int>("exchanges");
        QTest::newRow("burst") << true << 2;
        QTest::newRow("single") << false << 14;
    }
    void readAllCostsTheModelledFloor() {
        QFETCH(bool, burst);
        QFETCH(int, exchanges);
        SimulatedTime time;
        ScriptedDialogs dialogs;
        RecordingExit exit;
        SimTransport sim{time};
        sim.addBoard().addChip(0x00);
        UsbTimedTransport usb{sim, time};
        MainWindow window(Platform{usb, dialogs, time, exit});
        window.Form_Load();
        QVERIFY(dialogs.shown.empty());
        window.ui().chkBurstRead->setChecked(burst);

        for (std::int64_t phase : {std::int64_t{1}, 500 * kUs, kMs - 1}) {
            time.ns = (time.ns / kMs + 10) * kMs + phase;
            sim.board(0).received.clear();
            const std::int64_t start = time.ns;
            window.cmdReadAllRegisters_Click();
            const std::int64_t took = time.ns - start;
            QCOMPARE(sim.board(0).received.size(), static_cast<std::size_t>(exchanges));
            QVERIFY(took <= (1 + 2 * exchanges) * kMs);
            QVERIFY(took > (2 * exchanges) * kMs);
        }
        QCOMPARE(window.grid().text(0x00), QStringLiteral("31"));
    }
};

QTEST_MAIN(TestUsbTiming)
#include "tst_usbtiming.moc"
