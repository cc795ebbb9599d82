// The link test: PRBS7 error counting on the chip's three TMDS links, and a
// sweep of one input channel's equalizer gain. Both are runs made of steps:
// start, then one step per interval or per gain, each after a wait that is
// the caller's (a window's timer, a script's sleep), then stop, which puts
// back every register the run changed. No step waits or handles events.
#pragma once

#include "core/operations/chip.h"
#include "core/registers/registerfields.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

inline constexpr std::uint8_t kTestRegister = 0x09;
inline constexpr int kEqualizerChannels = 4; // A to D
inline constexpr unsigned kMaxGain = 0xF;

// The errors of the three links over a time, summed from the reads of their
// counters (each read clears them). A read that found a counter saturated
// makes its link's count "at least".
struct LinkErrors {
    std::array<int, kLinks> counts{};
    std::array<bool, kLinks> atLeast{};
    bool saturated(int link) const { return atLeast[link]; }
    bool anySaturated() const;
    int total() const;
    // Adds a count read from the counter of `link`.
    void add(int link, std::uint8_t read);
    void add(const LinkErrors& other);
};

// What a run sets up besides the checker, which it always enables.
struct LinkTestSetup {
    std::optional<int> channel;        // 0 to 3 (A to D) selected for the run; none: as it is
    std::optional<unsigned> generator; // the pattern generator's setting; none: as it is
};

// A register the run changed, and what its stop wrote back.
struct RegisterRestore {
    std::uint8_t reg = 0;
    std::uint8_t before = 0;  // its value before the run
    std::uint8_t written = 0; // what the stop wrote: `before`, or the best gain applied
    bool applied = false;     // `written` holds the best gain, not the value before
    bool tried = false; // false once the link was down (gone, or no answer), or the chip reset
    bool done = false;  // the chip took that write
    LinkResult failure; // else why not
    // A best gain the chip did not take: why, the stop having tried the
    // value before the run instead (`written`).
    std::optional<LinkResult> notApplied;
    std::optional<std::uint8_t> bestGainByte; // the byte of the best gain tried
    // What the chip holds as far as the program knows, when not `written`:
    // the run's last write that it took. None when not known.
    std::optional<std::uint8_t> holds;
    // Written by another part of the program during the run: it keeps that.
    bool takenOver = false;
};

// Which transfer: `count` registers from `reg`, written or read.
struct TransferAt {
    std::uint8_t reg = 0;
    int count = 0;
    bool write = false;
};

// How a run ended.
struct LinkTestEnd {
    LinkResult failure; // the transfer that stopped the run, when one did
    TransferAt failedAt;
    // What stopped the run without a failed transfer: "the chip was reset",
    // "another run holds the error counters".
    QString interruption;
    bool chipWasReset = false; // then nothing was written back
    // The registers the run changed, in the order the stop wrote them back.
    std::vector<RegisterRestore> restores;
    std::optional<unsigned> appliedGain; // a sweep's best gain, left in the chip
    bool ok() const { return failure.ok() && interruption.isEmpty(); }
    bool restored() const; // every register changed holds what the stop meant it to
};

// "read of the error counters 0x0A to 0x0C", "write of register 0x09".
QString transferName(const TransferAt& at);
// What the stop did with the registers: "register 0x09 restored, register
// 0x07 not restored to 0xCC (board gone)"; "no register changed".
QString restoreSummary(const LinkTestEnd& end);

// What the run states and the steps share: the chip at the address it had
// when the run was made, the error counters it holds, the registers changed,
// and their restore.
class LinkTestRun : public CounterHolder {
public:
    ~LinkTestRun() override;
    bool started() const { return started_; }
    bool stopped() const { return stopped_; }
    // The transfer that stopped the run; a failed run takes no more steps.
    const LinkResult& failure() const { return failure_; }
    bool failed() const { return !failure_.ok() || !interruption_.isEmpty(); }

    std::uint8_t counterAddress() const override { return address_; }
    void countersRead(const CounterReads& counts) override;
    void chipReset() override;
    // A write by another part of the program to a register the run changed
    // stops the run; that register keeps what was written.
    void registersWrittenByOther(std::uint8_t first, std::span<const std::uint8_t> data) override;

protected:
    LinkTestRun(const Chip& chip, LinkTestSetup setup);
    // Takes the error counters, reads registers 0x02 to 0x09 (nothing there
    // clears on read) and writes the channel selection and the test register
    // the setup asks for.
    bool prepare();
    // Reads the three counters in one transfer: the errors since the last
    // read, with those any other read of the counters took meanwhile; a
    // failure stops the run.
    std::optional<LinkErrors> readErrors();
    // Writes one register, remembering its value before the run first: a
    // write whose answer was lost may still have reached the chip.
    bool writeRegister(std::uint8_t reg, std::uint8_t value);
    std::uint8_t valueBefore(std::uint8_t reg) const { return before_[reg - kFirstRead]; }
    // Writes back every register changed, last changed first, `keep` holding
    // a value to leave in one register instead of its old one.
    LinkTestEnd restore(std::optional<std::pair<std::uint8_t, std::uint8_t>> keep = {});
    bool fail(const LinkResult& result, TransferAt at);
    bool interrupt(const QString& why);
    // What a write to `reg` leaves the run knowing the chip holds.
    void noteWrite(std::uint8_t reg, std::uint8_t value, const LinkResult& result);

    Chip chip_;
    std::uint8_t address_; // the device address byte the run started with
    LinkTestSetup setup_;
    bool started_ = false;
    bool stopped_ = false;

private:
    static constexpr std::uint8_t kFirstRead = 0x02;
    std::array<std::uint8_t, kTestRegister - kFirstRead + 1> before_{};
    std::vector<std::uint8_t> changed_; // in the order first written
    // What each register changed holds as far as the run knows: its last
    // write the chip took; none after a write whose answer was lost.
    std::array<std::optional<std::uint8_t>, 256> known_{};
    LinkErrors counted_; // since the last read of the run's own
    bool chipWasReset_ = false;
    std::vector<std::uint8_t> takenOver_; // registers others wrote during the run
    LinkResult failure_;
    TransferAt failedAt_;
    QString interruption_;
};

// Error counting: every interval the three counters, until the intervals
// asked for are done or the caller stops.
struct ErrorCountOptions {
    LinkTestSetup setup;
    int intervalMs = 1000;
    int intervals = 0; // 0: until stopped
};

class ErrorCount : public LinkTestRun {
public:
    ErrorCount(const Chip& chip, ErrorCountOptions options);
    // Sets the chip up and clears the counters by reading them; false when a
    // transfer failed (stop() then writes back what was changed).
    bool start();
    // The wait before the next step.
    int waitMs() const { return options_.intervalMs; }
    bool finished() const;
    // One interval: the counters read, and so cleared, in one transfer.
    std::optional<LinkErrors> step();
    const std::vector<LinkErrors>& intervals() const { return intervals_; }
    // Writes back what the run changed; a second call changes nothing.
    LinkTestEnd stop();

private:
    ErrorCountOptions options_;
    std::vector<LinkErrors> intervals_;
};

struct GainPoint {
    unsigned gain = 0;
    LinkErrors errors;
};

// The best gain of a sweep: the middle of the longest run of neighbouring
// gains without an error on any link, else the gain with the fewest
// saturated counters and then the fewest errors. A tie goes to the lower gain: of
// two equally long runs the lower one, of a run of even length the lower of
// its two middle gains. Nothing for no points.
std::optional<unsigned> bestGain(std::span<const GainPoint> points);

struct SweepOptions {
    int channel = 0;                   // 0 to 3 (A to D): swept, and selected for the run
    std::optional<unsigned> generator; // the pattern generator's setting; none: as it is
    int dwellMs = 100;
    unsigned from = 0; // at most `to`
    unsigned to = kMaxGain;
};

// The field of channel `channel`'s (0 to 3) equalizer gain in 0x07 or 0x08.
const RegisterField& equalizerGainField(int channel);
// The test register's pattern generator, whose settings a run may choose.
const RegisterField& patternGeneratorField();

// For each gain from `from` to `to`: the channel's gain nibble written (the
// other channel's kept), the counters cleared, a dwell, the counters read.
class EqualizerSweep : public LinkTestRun {
public:
    EqualizerSweep(const Chip& chip, SweepOptions options);
    // Sets the chip up, writes the first gain and clears the counters.
    bool start();
    int waitMs() const { return options_.dwellMs; }
    bool finished() const;
    // The counters of the gain set now; then the next gain and a clear.
    std::optional<GainPoint> step();
    const std::vector<GainPoint>& points() const { return points_; }
    std::optional<unsigned> best() const { return bestGain(points_); }
    // Writes back what the run changed. With `applyBest`, after a sweep of
    // the whole range, the gain register gets the best gain instead.
    LinkTestEnd stop(bool applyBest = false);

private:
    bool setGain(unsigned gain);

    SweepOptions options_;
    const RegisterField& field_;
    std::uint8_t gainByte_ = 0; // the gain register as last written
    unsigned next_ = 0;         // the gain set now, whose counters the next step reads
    std::vector<GainPoint> points_;
};

struct GainApplied {
    std::optional<std::uint8_t> value; // the register as read back; none: see failure
    bool written = false;              // the chip took the write
    LinkResult failure;
    // Without a read-back: what the register holds as far as known (as read
    // before, when the write was not taken; the byte written, when it was).
    std::optional<std::uint8_t> holds;
};

// Writes `gain` into channel `channel`'s nibble of its equalizer register,
// the other channel's kept as read, and reads the register back.
GainApplied applyEqualizerGain(const Chip& chip, int channel, unsigned gain);
