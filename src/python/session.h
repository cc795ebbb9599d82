// One board as a Python object holds it: its transport (USB or the demo
// boards), the link with its answer limit and trace, what is known of the
// chip's registers and its address. Every exchange runs with the
// interpreter released and this board's lock held, so that other threads
// run meanwhile and several boards can be driven at once.
#pragma once

#include "core/link/boardlink.h"
#include "core/link/reporttrace.h"
#include "core/operations/chip.h"
#include "core/operations/operationfailure.h"
#include "core/platform/clock.h"
#include "core/sim/simtransport.h"

#include "python/pybind.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

// What open(), SMBus() and boards() take, checked.
struct OpenOptions {
    int board = 0;
    std::uint8_t address7 = 0x40;
    bool demo = false;
    int demoBoards = 1;
    std::uint8_t demoAddress7 = 0x40;
    std::optional<DemoFault> demoFault;
    QString traceFile; // empty: none; "-": standard error
    int timeoutMs = kAnswerLimitMs;
};

// The options from Python's arguments; a UsageError when one is wrong.
OpenOptions openOptions(long long board, long long address, bool demo,
                        std::optional<long long> demoBoards, std::optional<long long> demoAddress,
                        const std::optional<std::string>& demoFault, const pybind11::object& trace,
                        std::optional<long long> timeoutMs);

class BoardSession {
public:
    // Opens the trace and the transport the options name; connect() finds
    // the boards.
    explicit BoardSession(const OpenOptions& options);
    // On a transport of the caller's (benchmarks: the USB timing model).
    BoardSession(HidTransport& transport, const OpenOptions& options);
    ~BoardSession();
    BoardSession(const BoardSession&) = delete;
    BoardSession& operator=(const BoardSession&) = delete;

    // Finds the boards and selects the options' board (none: `list` selects
    // each in turn); raises what failed.
    void connect(bool selectBoard = true);

    // Runs `work` on the chip with the interpreter released and the board's
    // lock held, then raises the failure it told, if any; a closed board
    // raises UsageError without an exchange. A trace cut meanwhile raises
    // FileError once, after the work is done.
    template <typename Work> auto run(Work work) {
        auto result = runUnlessClosed(std::move(work));
        if (!result)
            raiseClosed();
        raiseCutTrace();
        return std::move(*result);
    }

    // As run(), but a closed board is told by an empty result, and nothing is
    // raised: for the endings of a run, which may come at any time.
    template <typename Work> auto runUnlessClosed(Work work) {
        std::optional<decltype(work(std::declval<Chip&>()))> result;
        pybind11::gil_scoped_release release;
        std::lock_guard lock(mutex_);
        if (open_) {
            Chip chip{link_, registers_, address_, nullptr, &tracker_};
            result.emplace(work(chip));
        }
        return result;
    }

    // A run of the link test on this board registers how it is stopped: the
    // board's ending (close(), the interpreter's exit) stops it first, with
    // the board's lock held, so that its registers are put back.
    void addRunStop(const void* run, std::function<void(Chip&)> stop);
    void removeRunStop(const void* run);
    // Waits `ms` on the board's clock with the interpreter released.
    void sleepMs(int ms);
    Clock& clock() { return clock_; }

    // Closes the boards and the trace; later calls raise. Every ending of a
    // board object comes here: leaving `with`, close(), garbage collection
    // and the interpreter's exit.
    void close();
    bool isOpen() const { return open_; }
    const OpenOptions& options() const { return options_; }
    std::uint8_t address7() const { return address_.sevenBit(); }
    void setAddress7(std::uint8_t address7) { address_.setByte(std::uint8_t(address7 << 1)); }
    BoardLink& link() { return link_; }

    // Closes every board still open: at the interpreter's exit.
    static void closeAll();

private:
    void openTrace();
    [[noreturn]] void raiseClosed() const;
    void raiseCutTrace();

    OpenOptions options_;
    SystemClock clock_;
    std::unique_ptr<HidTransport> ownTransport_;
    std::FILE* traceOut_ = nullptr;
    std::unique_ptr<ReportTrace> trace_;
    bool traceCutTold_ = false;
    BoardLink link_;
    RegisterModel registers_;
    ChipTracker tracker_{link_, registers_};
    DeviceAddress address_;
    std::mutex mutex_;
    bool open_ = true;
    std::map<const void*, std::function<void(Chip&)>> runStops_;
};
