// The full-speed USB timing model of the simulated board, on simulated time:
// requests leave at frame boundaries, answers come one frame later, and Read
// All costs what the benchmarks take as its floor.
#include "core/link/boardlink.h"
#include "core/operations/readall.h"
#include "core/sim/frameclock.h"
#include "core/sim/simtransport.h"
#include "core/sim/usbtimedtransport.h"
#include "support/reports.h"

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
        link.selectBoard(0);
        handle = usb.open(sim.enumerate().at(0).path);
    }

    SimulatedTime time;
    SimTransport sim{time};
    UsbTimedTransport usb{sim, time};
    BoardLink link{usb};
    HidHandle handle = kInvalidHandle; // a handle of the board's own, to read what is waiting
};

} // namespace

class TestUsbTiming : public QObject {
    Q_OBJECT
private slots:
    void requestsLeaveAtFramesAndAreAnsweredAFrameLater() {
        TimedRig rig;
        rig.time.ns = 1 * kMs + 300 * kUs;
        // Left at 2 ms, answered at 3 ms; a request right on a boundary waits
        // for the next; a command without an answer delays no read.
        QCOMPARE(rig.link.readRegistersOnce(0x00, 0x00, 2).bytes.at(0), std::uint8_t{0x31});
        QCOMPARE(rig.time.ns, 3 * kMs);
        QVERIFY(rig.link.writeRegistersOnce(0x00, 0x05, std::vector<std::uint8_t>{1}).ok());
        QCOMPARE(rig.time.ns, 5 * kMs);
        QVERIFY(rig.link.sendBoardCommand(reportOf({0, CMD_I2C_CLOCK, 0, 120})).ok());
        Report in{};
        QCOMPARE(rig.usb.read(rig.handle, in, 1).status, IoStatus::Timeout);
        QCOMPARE(rig.time.ns, 7 * kMs);
    }

    // The floors of the Read All benchmark: the drain's 1 ms, then two frames
    // per exchange; a start just after a frame boundary costs all of it.
    void readAllCostsTheModelledFloor() {
        for (const auto& [burst, exchanges] : {std::pair{true, 2}, {false, 14}}) {
            TimedRig rig;
            RegisterModel registers;
            DeviceAddress address;
            const Chip chip{rig.link, registers, address};
            for (std::int64_t phase : {std::int64_t{1}, 500 * kUs, kMs - 1}) {
                rig.time.ns = (rig.time.ns / kMs + 10) * kMs + phase;
                const std::int64_t start = rig.time.ns;
                QVERIFY(readAllRegisters(chip, burst ? ReadMode::Burst : ReadMode::Single).ok());
                const std::int64_t took = rig.time.ns - start;
                QVERIFY(took <= 1 * kMs + exchanges * 2 * kMs);
                QVERIFY(phase != 1 || took == 1 * kMs + exchanges * 2 * kMs - 1);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestUsbTiming)
#include "tst_usbtiming.moc"
