#include "python/session.h"

#include "core/hid/hidapitransport.h"
#include "core/operations/scriptaccess.h"
#include "core/platform/outsidetext.h"
#include "core/regfiles/fileaccess.h"
#include "python/errors.h"

#include <set>

namespace py = pybind11;

namespace {

constexpr int kMaxDemoBoards = 16;
constexpr long long kMaxTimeoutMs = 3'600'000;

// The boards open now, for the interpreter's exit.
std::mutex gOpenLock;
std::set<BoardSession*> gOpen;

int checked(long long value, long long least, long long most, const char* name, const char* what) {
    if (value < least || value > most)
        raiseUsage(QStringLiteral("%1 takes %2, not %3.")
                       .arg(QLatin1String(name), QLatin1String(what))
                       .arg(value));
    return static_cast<int>(value);
}

std::unique_ptr<HidTransport> makeTransport(const OpenOptions& o, Clock& clock) {
    if (o.demo)
        return makeDemoTransport(clock, o.demoBoards, o.demoAddress7, o.demoFault);
    return std::make_unique<HidapiTransport>();
}

} // namespace

OpenOptions openOptions(long long board, long long address, bool demo,
                        std::optional<long long> demoBoards, std::optional<long long> demoAddress,
                        const std::optional<std::string>& demoFault, const py::object& trace,
                        std::optional<long long> timeoutMs) {
    OpenOptions o;
    const char* sevenBit = "a 7-bit address, 0 to 127 or 0x00 to 0x7F";
    o.board = checked(board, 0, 255, "board", "a board instance, 0 to 255");
    o.address7 = std::uint8_t(checked(address, 0, 0x7F, "address", sevenBit));
    o.demo = demo;
    if (!demo && (demoBoards || demoAddress || demoFault))
        raiseUsage(QStringLiteral("%1 is an option of demo=True.")
                       .arg(QLatin1String(demoBoards    ? "demo_boards"
                                          : demoAddress ? "demo_address"
                                                        : "demo_fault")));
    if (demoBoards)
        o.demoBoards =
            checked(*demoBoards, 1, kMaxDemoBoards, "demo_boards", "a number from 1 to 16");
    if (demoAddress)
        o.demoAddress7 = std::uint8_t(checked(*demoAddress, 0, 0x7F, "demo_address", sevenBit));
    if (demoFault) {
        o.demoFault = parseDemoFault(*demoFault);
        if (!o.demoFault)
            raiseUsage(QStringLiteral("demo_fault takes %1, not '%2'.")
                           .arg(QString::fromStdString(demoFaultForms()),
                                QString::fromStdString(*demoFault)));
    }
    if (timeoutMs)
        o.timeoutMs = checked(*timeoutMs, 1, kMaxTimeoutMs, "timeout_ms",
                              "a time in milliseconds, 1 to 3600000");
    if (!trace.is_none()) {
        // A file name as the system gives it, bytes kept whole.
        const py::bytes name = py::module_::import("os").attr("fsencode")(trace);
        o.traceFile = nameFromBytes(std::string_view(name));
        if (o.traceFile.isEmpty())
            raiseUsage(QStringLiteral("trace takes a file name, or - for standard error."));
    }
    return o;
}

BoardSession::BoardSession(const OpenOptions& options)
    : options_(options), ownTransport_(makeTransport(options, clock_)), link_(*ownTransport_) {
    openTrace();
}

BoardSession::BoardSession(HidTransport& transport, const OpenOptions& options)
    : options_(options), link_(transport) {
    openTrace();
}

BoardSession::~BoardSession() {
    close();
}

void BoardSession::openTrace() {
    link_.setAnswerLimitMs(options_.timeoutMs);
    address_.setByte(std::uint8_t(options_.address7 << 1));
    if (!options_.traceFile.isEmpty()) {
        const TraceFile file = openTraceFile(options_.traceFile);
        if (!file.file) {
            open_ = false;
            raiseFailure({FailureKind::File, QStringLiteral("cannot write the trace to %1: %2")
                                                 .arg(options_.traceFile, file.error)});
        }
        traceOut_ = file.file;
        trace_ = std::make_unique<ReportTrace>(traceOut_, clock_, file.name);
        link_.setTrace(trace_.get());
    }
    const std::lock_guard lock(gOpenLock);
    gOpen.insert(this);
}

void BoardSession::connect(bool selectBoard) {
    const std::optional<OperationFailure> failed = run([&](Chip& chip) {
        return connectBoard(chip.link, selectBoard ? options_.board : -1,
                            QStringLiteral("demo=True runs on a simulated one"));
    });
    if (failed)
        raiseFailure(*failed);
}

void BoardSession::close() {
    {
        const std::lock_guard lock(gOpenLock);
        gOpen.erase(this);
    }
    const std::lock_guard lock(mutex_);
    if (!open_)
        return;
    // Each run puts back what it changed while the board is still there.
    Chip chip{link_, registers_, address_, nullptr, &tracker_};
    for (auto stops = std::exchange(runStops_, {}); auto& [run, stop] : stops)
        stop(chip);
    open_ = false;
    link_.closeBoards();
    // The link has no board left to reach it through: hidapi is let go now.
    ownTransport_.reset();
    link_.setTrace(nullptr);
    trace_.reset();
    if (traceOut_ && traceOut_ != stderr)
        std::fclose(traceOut_);
    traceOut_ = nullptr;
}

// With the interpreter held, so that no board object is freed meanwhile; a
// thread in an exchange holds a board's lock only while it does not hold
// the interpreter.
void BoardSession::closeAll() {
    std::set<BoardSession*> open;
    {
        const std::lock_guard lock(gOpenLock);
        open.swap(gOpen);
    }
    for (BoardSession* session : open)
        session->close();
}

void BoardSession::addRunStop(const void* run, std::function<void(Chip&)> stop) {
    const std::lock_guard lock(mutex_);
    runStops_[run] = std::move(stop);
}

void BoardSession::removeRunStop(const void* run) {
    const std::lock_guard lock(mutex_);
    runStops_.erase(run);
}

void BoardSession::sleepMs(int ms) {
    const py::gil_scoped_release release;
    clock_.sleepMs(ms);
}

void BoardSession::raiseClosed() const {
    raiseUsage(QStringLiteral("the board is closed."));
}

void BoardSession::raiseCutTrace() {
    if (!trace_ || trace_->isOpen() || traceCutTold_)
        return;
    traceCutTold_ = true;
    raiseFailure({FailureKind::File, trace_->failure()});
}
