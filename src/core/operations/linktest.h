// The link test: PRBS7 error counting on the chip's three TMDS links, and a
// sweep of one input channel's equalizer gain. Both are runs made of steps:
// start, then one step at a time, each after a wait that is the caller's (a
// window's timer, a script's sleep), then stop, which puts back every
// register the run changed. No step waits or handles events.
//
// After each change (the setup, a gain) the run lets the link settle, and a
// read of the counters, which clears them, ends the settling. Within an
// interval or a dwell it reads the counters as often as their counts ask,
// so that no read saturates: the figures are the sums of the reads, over
// the time measured between the read that began the count and the one that
// ended it.
#pragma once

#include "core/operations/chip.h"
#include "core/operations/linkstats.h"
#include "core/registers/registerfields.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

inline constexpr std::uint8_t kTestRegister = 0x09;
inline constexpr std::uint8_t kChannelActivityRegister = 0x01;
inline constexpr int kEqualizerChannels = 4; // A to D
inline constexpr int kDefaultSettleMs = 10;

// What a run sets up besides the checker, which it always enables, and how
// it counts.
struct LinkTestSetup {
    std::optional<int> channel;        // 0 to 3 (A to D) selected for the run; none: as it is
    std::optional<unsigned> generator; // the pattern generator's setting; none: as it is
    int settleMs = kDefaultSettleMs;   // after each change, before the count begins
    // The clock the run's times are measured and its waits planned on: the
    // one the caller waits on. None: the chip's pauses, else the system's.
    Clock* clock = nullptr;
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
// Why a register was not put back: "not tried", "board gone", "no answer",
// "not acknowledged"; empty when it was.
QString restoreReason(const RegisterRestore& restore);
// What the stop did with one register: "register 0x09 restored", "register
// 0x07 not restored to 0xCC (board gone; it holds 0x6C)".
QString restoreText(const RegisterRestore& restore);
// What the stop did with the registers: "register 0x09 restored, register
// 0x07 not restored to 0xCC (board gone)"; "no register changed".
QString restoreSummary(const LinkTestEnd& end);

// What the run states and the steps share: the chip at the address it had
// when the run was made, the error counters it holds, the registers changed
// and their restore, and the counting: the settle after a change, the reads
// within a span and the time they measure.
class LinkTestRun : public CounterHolder {
public:
    ~LinkTestRun() override;
    bool started() const { return started_; }
    bool stopped() const { return stopped_; }
    // The transfer that stopped the run; a failed run takes no more steps.
    const LinkResult& failure() const { return failure_; }
    bool failed() const { return !failure_.ok() || !interruption_.isEmpty(); }
    // The channel the run checks: the one it selects, or the one register
    // 0x02 selected before; none when the chip's pins or its own choice do.
    std::optional<int> checkedChannel() const;
    // Whether Channel Activity (0x01), read when the count began, shows a
    // clock on that channel (on any, when it is not known); none before
    // that read.
    std::optional<bool> clockSeen() const;
    // The time since the run was made, in seconds on its clock.
    double elapsed();

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
    // the setup asks for; the settle begins.
    bool prepare();
    // Writes one register, remembering its value before the run first: a
    // write whose answer was lost may still have reached the chip.
    bool writeRegister(std::uint8_t reg, std::uint8_t value);
    std::uint8_t valueBefore(std::uint8_t reg) const { return before_[reg - kFirstRead]; }
    // The settle after the last change (a write sent), or from now when
    // there was none: the count begins with a clearing read `settleMs` later.
    void settle();
    // When the count of the run began (the first clearing read was sent),
    // and the span now counted.
    double countStart() const { return countStart_; }
    double spanStart() const { return spanStart_; }
    // The errors of the span so far, over the time to its last read.
    LinkErrors spanSoFar() const;
    // The milliseconds until the next step is due, the span ending at `end`.
    int msUntilStep(double end);
    // One step of the count: at the settle's end the clearing read (the
    // first also reads Channel Activity, and stops the run when it shows no
    // clock); else a read of the counters, added to the span. Once `end` has
    // come, the errors of the span over its measured time, and the next span
    // begins with that read.
    std::optional<LinkErrors> countStep(double end);
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
    // Reads the three counters in one transfer: the errors since the last
    // read, with those any other read of the counters took meanwhile; a
    // failure stops the run.
    std::optional<LinkErrors> readErrors();
    bool readChannelActivity();
    // The next read's distance: shorter when a read came near saturation,
    // longer when it found few errors.
    void adaptPolling(double sinceLastRead);

    std::array<std::uint8_t, kTestRegister - kFirstRead + 1> before_{};
    std::vector<std::uint8_t> changed_; // in the order first written
    // What each register changed holds as far as the run knows: its last
    // write the chip took; none after a write whose answer was lost.
    std::array<std::optional<std::uint8_t>, 256> known_{};
    LinkErrors counted_;   // since the last read of the run's own
    int lastReadMost_ = 0; // the highest count of the run's last own read
    bool chipWasReset_ = false;
    std::vector<std::uint8_t> takenOver_; // registers others wrote during the run
    LinkResult failure_;
    TransferAt failedAt_;
    QString interruption_;

    Clock* clock_;
    double lastSeen_ = 0; // the clock's reading at the last look
    double elapsed_ = 0;
    std::optional<double> changedAt_; // the last write sent, not yet settled
    bool settling_ = false;
    double settleEnd_ = 0;
    double countStart_ = -1;
    double spanStart_ = 0;     // when the read that began the span was sent
    double lastRead_ = 0;      // when the last read within it was sent
    double pollMs_ = 0;        // the distance of the next read
    bool overwhelmed_ = false; // a read saturated at the fastest rate: none until the end
    LinkErrors span_;          // counted in the span so far
    std::optional<std::uint8_t> activity_;
};

// Error counting: the three counters every interval, until the time asked
// for is counted, a BER target is decided, or the caller stops.
struct BerTarget {
    double ber = 0; // at most this on every link
    BerSettings settings;
};

struct ErrorCountOptions {
    LinkTestSetup setup;
    int intervalMs = 1000;
    int durationMs = 0;                // the time counted; 0: until stopped (or decided)
    std::optional<unsigned> gain{};    // the equalizer gain of the setup's channel for the run
    std::optional<BerTarget> target{}; // ends the run once decided
};

class ErrorCount : public LinkTestRun {
public:
    ErrorCount(const Chip& chip, ErrorCountOptions options);
    // Sets the chip up; false when a transfer failed (stop() then writes
    // back what was changed). The count begins after the settle.
    bool start();
    // The wait before the next step.
    int waitMs();
    bool finished() const;
    // Whether the run counted the whole time asked for, or was decided.
    bool complete() const { return complete_; }
    // A step: the interval it ended, if it ended one.
    std::optional<LinkErrors> step();
    const std::vector<LinkErrors>& intervals() const { return intervals_; }
    // Every interval so far, added up.
    const LinkErrors& total() const { return total_; }
    BerVerdict verdict() const { return verdict_; }
    // Writes back what the run changed; a second call changes nothing.
    LinkTestEnd stop();

private:
    double intervalEnd() const;

    ErrorCountOptions options_;
    std::vector<LinkErrors> intervals_;
    LinkErrors total_;
    BerVerdict verdict_ = BerVerdict::Open;
    bool complete_ = false;
};

struct SweepOptions {
    int channel = 0;                   // 0 to 3 (A to D): swept, and selected for the run
    std::optional<unsigned> generator; // the pattern generator's setting; none: as it is
    int dwellMs = 100;
    unsigned from = 0; // at most `to`
    unsigned to = kMaxGain;
    int settleMs = kDefaultSettleMs;
    Clock* clock = nullptr; // as LinkTestSetup's
};

// The field of channel `channel`'s (0 to 3) equalizer gain in 0x07 or 0x08.
const RegisterField& equalizerGainField(int channel);
// The test register's pattern generator, whose settings a run may choose.
const RegisterField& patternGeneratorField();

// For each gain from `from` to `to`: the channel's gain nibble written (the
// other channel's kept), the settle, the count for the dwell.
class EqualizerSweep : public LinkTestRun {
public:
    EqualizerSweep(const Chip& chip, SweepOptions options);
    // Sets the chip up and writes the first gain.
    bool start();
    int waitMs();
    bool finished() const;
    // Whether every gain of the range was measured.
    bool complete() const;
    // A step: the gain it finished, if it finished one; then the next gain.
    std::optional<GainPoint> step();
    const std::vector<GainPoint>& points() const { return points_; }
    // The best gain of a sweep that ran through, and its clean window.
    GainChoice choice() const;
    std::optional<unsigned> best() const { return choice().best; }
    // Writes back what the run changed. With `applyBest`, after a sweep of
    // the whole range that names a best gain, the gain register gets it
    // instead.
    LinkTestEnd stop(bool applyBest = false);

private:
    bool setGain(unsigned gain);

    SweepOptions options_;
    const RegisterField& field_;
    std::uint8_t gainByte_ = 0; // the gain register as last written
    unsigned next_ = 0;         // the gain set now, whose count the next steps make
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
