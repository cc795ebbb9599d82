#include "core/operations/linktest.h"

#include "core/operations/chipcontrols.h"
#include "core/registers/hextext.h"
#include "core/registers/registereffects.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The distance of the reads within a span, in milliseconds: the first after
// a settle, the least and the most. A read is aimed at finding about this
// many errors, a fifth of what saturates a counter.
constexpr double kFirstPollMs = 20;
constexpr double kFastestPollMs = 1;
constexpr double kSlowestPollMs = 500;
constexpr double kAimedCount = 48;
constexpr double kSecondsPerDay = 86400;

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

const RegisterField& fieldOf(std::uint8_t reg, QStringView name) {
    return *findField(reg, name);
}

const RegisterField& checkerField() {
    static const RegisterField& f = fieldOf(kTestRegister, u"Enable PRBS Checker");
    return f;
}

// Register 0x02 choosing `channel` by its bits 1:0, with power-down as it
// was and the reset bit clear: writing a 1 there would reset the chip.
std::uint8_t channelSelectByte(std::uint8_t byte, std::optional<int> channel) {
    static const RegisterField& hardware =
        fieldOf(kChannelSelectRegister, u"Hardware Channel Select");
    static const RegisterField& automatic = fieldOf(kChannelSelectRegister, u"Auto Channel Select");
    static const RegisterField& select = fieldOf(kChannelSelectRegister, u"Channel Select");
    if (!channel)
        return fieldWriteByte(select, select.valueIn(byte), byte);
    byte = fieldWriteByte(hardware, 0, byte);
    byte = encodeField(automatic, 0, byte);
    return encodeField(select, static_cast<unsigned>(*channel), byte);
}

// The board is gone: it took no request, or its answer could not be read.
bool boardGone(const LinkResult& r) {
    return r.status == LinkStatus::WriteFailed || r.status == LinkStatus::ReadFailed;
}

// The link cannot carry the write back: the board is gone, or gave no answer
// to the last one tried.
bool linkDown(const LinkResult& r) {
    return boardGone(r) || r.status == LinkStatus::NoAnswer;
}

QString failureWords(const LinkResult& r) {
    return boardGone(r)                       ? QStringLiteral("board gone")
           : r.status == LinkStatus::NoAnswer ? QStringLiteral("no answer")
                                              : QStringLiteral("not acknowledged");
}

} // namespace

bool LinkTestEnd::restored() const {
    return std::all_of(restores.begin(), restores.end(),
                       [](const RegisterRestore& r) { return r.done || r.takenOver; });
}

QString transferName(const TransferAt& at) {
    const auto hex = [](int value) {
        return QStringLiteral("0x") + hexByte(std::uint8_t(value));
    };
    if (at.write)
        return QStringLiteral("write of register %1").arg(hex(at.reg));
    if (at.reg == kFirstErrorCounter)
        return QStringLiteral("read of the error counters 0x0A to 0x0C");
    if (at.count == 1)
        return QStringLiteral("read of register %1").arg(hex(at.reg));
    return QStringLiteral("read of registers %1 to %2")
        .arg(hex(at.reg), hex(at.reg + at.count - 1));
}

QString restoreReason(const RegisterRestore& r) {
    if (r.done || r.takenOver)
        return {};
    return !r.tried && !boardGone(r.failure) ? QStringLiteral("not tried")
                                             : failureWords(r.failure);
}

QString restoreText(const RegisterRestore& r) {
    const auto hex = [](std::uint8_t value) {
        return QStringLiteral("0x") + hexByte(value);
    };
    const QString reg = QStringLiteral("register ") + hex(r.reg);
    QString part;
    if (r.takenOver)
        part = reg + QStringLiteral(" kept as written during the run");
    else if (r.done && r.applied)
        part = reg + QStringLiteral(" left at ") + hex(r.written);
    else if (r.done)
        part = reg + QStringLiteral(" restored");
    else
        part = QStringLiteral("%1 not restored to %2 (%3%4)")
                   .arg(reg, hex(r.written), restoreReason(r),
                        r.holds ? QStringLiteral("; it holds ") + hex(*r.holds)
                                : QStringLiteral("; what it holds is not known"));
    if (r.notApplied)
        part += QStringLiteral(", best gain %1 not applied (%2)")
                    .arg(hex(*r.bestGainByte), failureWords(*r.notApplied));
    return part;
}

QString restoreSummary(const LinkTestEnd& end) {
    if (end.chipWasReset)
        return QStringLiteral("nothing written back, the reset having put every register back");
    if (end.restores.empty())
        return QStringLiteral("no register changed");
    QStringList parts;
    for (const RegisterRestore& r : end.restores)
        parts << restoreText(r);
    return parts.join(QStringLiteral(", "));
}

const RegisterField& equalizerGainField(int channel) {
    static const std::array<const RegisterField*, kEqualizerChannels> fields = {
        findField(0x07, u"Rx Equalization Gain A"), findField(0x07, u"Rx Equalization Gain B"),
        findField(0x08, u"Rx Equalization Gain C"), findField(0x08, u"Rx Equalization Gain D")};
    return *fields.at(static_cast<std::size_t>(channel));
}

const RegisterField& patternGeneratorField() {
    static const RegisterField& f = fieldOf(kTestRegister, u"Test Pattern Generator");
    return f;
}

LinkTestRun::LinkTestRun(const Chip& chip, LinkTestSetup setup)
    : chip_(chip), address_(chip.address.byte()), setup_(setup),
      clock_(setup.clock   ? setup.clock
             : chip.pauses ? chip.pauses
                           : &systemClock()),
      lastSeen_(clock_->secondsSinceMidnight()), pollMs_(kFirstPollMs) {}

LinkTestRun::~LinkTestRun() {
    if (chip_.tracker)
        chip_.tracker->releaseCounters(*this);
}

double LinkTestRun::elapsed() {
    const double now = clock_->secondsSinceMidnight();
    double step = now - lastSeen_;
    // Past midnight the time of day starts again; a clock set back a little
    // moves nothing.
    if (step < -kSecondsPerDay / 2)
        step += kSecondsPerDay;
    lastSeen_ = now;
    elapsed_ += std::max(step, 0.0);
    return elapsed_;
}

bool LinkTestRun::fail(const LinkResult& result, TransferAt at) {
    if (!failed()) {
        failure_ = result;
        failedAt_ = at;
    }
    return false;
}

bool LinkTestRun::interrupt(const QString& why) {
    if (!failed())
        interruption_ = why;
    return false;
}

void LinkTestRun::noteWrite(std::uint8_t reg, std::uint8_t value, const LinkResult& result) {
    if (result.ok())
        known_[reg] = value;
    else if (result.mayHaveReached())
        known_[reg].reset();
}

void LinkTestRun::countersRead(const CounterReads& counts) {
    for (int link = 0; link < kLinks; ++link) {
        if (counts[link])
            counted_.add(link, *counts[link]);
    }
}

void LinkTestRun::registersWrittenByOther(std::uint8_t first, std::span<const std::uint8_t> data) {
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto reg = static_cast<std::uint8_t>(first + i);
        if (std::find(changed_.begin(), changed_.end(), reg) == changed_.end() ||
            std::find(takenOver_.begin(), takenOver_.end(), reg) != takenOver_.end())
            continue;
        takenOver_.push_back(reg);
        interrupt(QStringLiteral("register 0x%1 was written during the run").arg(hexByte(reg)));
    }
}

void LinkTestRun::chipReset() {
    chipWasReset_ = true;
    interrupt(QStringLiteral("the chip was reset"));
}

std::optional<int> LinkTestRun::checkedChannel() const {
    static const RegisterField& hardware =
        fieldOf(kChannelSelectRegister, u"Hardware Channel Select");
    static const RegisterField& automatic = fieldOf(kChannelSelectRegister, u"Auto Channel Select");
    static const RegisterField& select = fieldOf(kChannelSelectRegister, u"Channel Select");
    const std::uint8_t before = valueBefore(kChannelSelectRegister);
    if (setup_.channel || hardware.valueIn(before) != 0 || automatic.valueIn(before) != 0)
        return setup_.channel;
    return static_cast<int>(select.valueIn(before));
}

std::optional<bool> LinkTestRun::clockSeen() const {
    if (!activity_)
        return std::nullopt;
    const std::optional<int> channel = checkedChannel();
    if (!channel) // chosen by the chip: a clock on any input
        return (*activity_ & 0x0F) != 0;
    const RegisterField& clock = fieldOf(
        kChannelActivityRegister, QStringLiteral("Clock Activity %1").arg(QChar(u'A' + *channel)));
    return clock.valueIn(*activity_) != 0;
}

bool LinkTestRun::prepare() {
    if (!chip_.tracker || !chip_.tracker->holdCounters(*this))
        return interrupt(QStringLiteral("another run holds the error counters"));
    chip_.link.flushInput();
    const LinkResult read =
        chip_.link.readRegistersOnce(address_, kFirstRead, static_cast<int>(before_.size()));
    if (!read.ok())
        return fail(read, {kFirstRead, static_cast<int>(before_.size()), false});
    std::copy_n(read.bytes.begin(), before_.size(), before_.begin());
    for (std::size_t i = 0; i < before_.size(); ++i) {
        known_[kFirstRead + i] = before_[i];
        chip_.registers.setRead(static_cast<std::uint8_t>(kFirstRead + i), before_[i]);
    }

    const std::uint8_t select = valueBefore(kChannelSelectRegister);
    if (setup_.channel && channelSelectByte(select, setup_.channel) != select &&
        !writeRegister(kChannelSelectRegister, channelSelectByte(select, setup_.channel)))
        return false;
    std::uint8_t test = encodeField(checkerField(), 1, valueBefore(kTestRegister));
    if (setup_.generator)
        test = encodeField(patternGeneratorField(), *setup_.generator, test);
    return test == valueBefore(kTestRegister) || writeRegister(kTestRegister, test);
}

std::optional<LinkErrors> LinkTestRun::readErrors() {
    if (failed())
        return std::nullopt;
    // The tracker hands this read's counts to the run, as it does any other's.
    const LinkResult read = chip_.tracker->readHeldCounters();
    if (!read.ok()) {
        fail(read, {kFirstErrorCounter, kLinks, false});
        return std::nullopt;
    }
    for (int i = 0; i < kLinks; ++i)
        chip_.registers.setRead(static_cast<std::uint8_t>(kFirstErrorCounter + i), read.bytes[i]);
    lastReadMost_ = *std::max_element(read.bytes.begin(), read.bytes.begin() + kLinks);
    if (failed()) // the chip was reset meanwhile
        return std::nullopt;
    return std::exchange(counted_, {});
}

bool LinkTestRun::readChannelActivity() {
    const LinkResult read = chip_.link.readRegistersOnce(address_, kChannelActivityRegister, 1);
    if (!read.ok())
        return fail(read, {kChannelActivityRegister, 1, false});
    activity_ = read.bytes[0];
    chip_.registers.setRead(kChannelActivityRegister, read.bytes[0]);
    return clockSeen() != false || interrupt(noClockText(checkedChannel()));
}

bool LinkTestRun::writeRegister(std::uint8_t reg, std::uint8_t value) {
    if (std::find(changed_.begin(), changed_.end(), reg) == changed_.end())
        changed_.push_back(reg);
    changedAt_ = elapsed();
    const LinkResult written = chip_.tracker->writeAsHolder(address_, reg, value);
    noteWrite(reg, value, written);
    return written.ok() || fail(written, {reg, 1, true});
}

void LinkTestRun::settle() {
    const double since = changedAt_ ? *changedAt_ : elapsed();
    changedAt_.reset();
    settling_ = true;
    settleEnd_ = since + setup_.settleMs / 1000.0;
}

LinkErrors LinkTestRun::spanSoFar() const {
    LinkErrors errors = span_;
    errors.seconds = lastRead_ - spanStart_;
    return errors;
}

int LinkTestRun::msUntilStep(double end) {
    const double due = settling_      ? settleEnd_
                       : overwhelmed_ ? end
                                      : std::min(lastRead_ + pollMs_ / 1000, end);
    // No wait longer than an hour, whatever the plan says.
    return static_cast<int>(std::clamp(std::ceil((due - elapsed()) * 1000 - 1e-6), 0.0, 3.6e6));
}

void LinkTestRun::adaptPolling(double sinceLastRead) {
    const double ms = std::max(sinceLastRead * 1000, kFastestPollMs);
    // The distance at which the rate just seen would bring the aimed count;
    // it grows by no more than twice at a time.
    const double aimed = lastReadMost_ > 0 ? kAimedCount * ms / lastReadMost_ : 2 * pollMs_;
    // A read that saturates at the fastest rate leaves the count "at least"
    // whatever comes: the span is read once more, at its end.
    overwhelmed_ = lastReadMost_ >= kCounterSaturated && pollMs_ <= kFastestPollMs;
    pollMs_ = std::clamp(std::min(aimed, 2 * pollMs_), kFastestPollMs, kSlowestPollMs);
    if (lastReadMost_ >= kCounterSaturated)
        pollMs_ = kFastestPollMs;
}

std::optional<LinkErrors> LinkTestRun::countStep(double end) {
    if (failed() || stopped_)
        return std::nullopt;
    if (settling_) {
        if (!activity_ && !readChannelActivity())
            return std::nullopt;
        const double sent = elapsed();
        if (!readErrors()) // what the change brought is not counted
            return std::nullopt;
        settling_ = false;
        spanStart_ = lastRead_ = sent;
        if (countStart_ < 0)
            countStart_ = sent;
        span_ = {};
        pollMs_ = std::min(pollMs_, kFirstPollMs);
        overwhelmed_ = false;
        return std::nullopt;
    }
    const double sent = elapsed();
    const std::optional<LinkErrors> read = readErrors();
    if (!read)
        return std::nullopt;
    span_.add(*read);
    adaptPolling(sent - lastRead_);
    lastRead_ = sent;
    if (sent < end - 1e-9)
        return std::nullopt;
    LinkErrors done = std::exchange(span_, {});
    done.seconds = sent - spanStart_;
    spanStart_ = sent;
    overwhelmed_ = false;
    return done;
}

LinkTestEnd LinkTestRun::restore(std::optional<std::pair<std::uint8_t, std::uint8_t>> keep) {
    LinkTestEnd end;
    end.failure = failure_;
    end.failedAt = failedAt_;
    end.interruption = interruption_;
    if (stopped_)
        return end;
    stopped_ = true;
    // The holder's writes are its own until it lets the chip go.
    struct Release {
        LinkTestRun& run;
        ~Release() {
            if (run.chip_.tracker)
                run.chip_.tracker->releaseCounters(run);
        }
    } release{*this};
    // The reset has put every register back already.
    end.chipWasReset = chipWasReset_;
    if (chipWasReset_)
        return end;
    // A board that is gone takes nothing; one that gave no answer gets one
    // write to show whether it is back.
    std::optional<LinkResult> down;
    if (boardGone(failure_))
        down = failure_;
    else if (failed())
        chip_.link.flushInput(); // a late answer must not pass for a write's
    const auto write = [&](RegisterRestore& r, std::uint8_t value) {
        r.tried = true;
        r.failure = chip_.tracker->writeAsHolder(address_, r.reg, value);
        r.done = r.failure.ok();
        noteWrite(r.reg, value, r.failure);
        if (linkDown(r.failure))
            down = r.failure;
    };
    for (auto it = changed_.rbegin(); it != changed_.rend(); ++it) {
        RegisterRestore r;
        r.reg = *it;
        r.before = valueBefore(r.reg);
        r.written =
            r.reg == kChannelSelectRegister ? channelSelectByte(r.before, std::nullopt) : r.before;
        if (std::find(takenOver_.begin(), takenOver_.end(), r.reg) != takenOver_.end()) {
            r.takenOver = true; // what was written meanwhile stays
        } else if (down) {
            r.failure = *down;
        } else if (keep && keep->first == r.reg) {
            // The best gain; if the chip does not take it, the value before.
            r.bestGainByte = keep->second;
            write(r, keep->second);
            r.applied = r.done;
            if (r.applied) {
                r.written = keep->second;
            } else {
                r.notApplied = r.failure;
                if (!down)
                    write(r, r.written);
            }
        } else {
            write(r, r.written);
        }
        if (!r.done && !r.takenOver)
            r.holds = known_[r.reg];
        end.restores.push_back(r);
    }
    return end;
}

ErrorCount::ErrorCount(const Chip& chip, ErrorCountOptions options)
    : LinkTestRun(chip, options.setup), options_(options) {}

bool ErrorCount::start() {
    started_ = true;
    if (!prepare())
        return false;
    if (options_.gain && setup_.channel) {
        const RegisterField& field = equalizerGainField(*setup_.channel);
        const std::uint8_t byte = encodeField(field, *options_.gain, valueBefore(field.reg));
        if (byte != valueBefore(field.reg) && !writeRegister(field.reg, byte))
            return false;
    }
    settle();
    return true;
}

double ErrorCount::intervalEnd() const {
    double end = countStart() + (intervals_.size() + 1) * options_.intervalMs / 1000.0;
    if (options_.durationMs > 0)
        end = std::min(end, countStart() + options_.durationMs / 1000.0);
    if (options_.target) {
        // The target decides the run: at the time its bound is met, if no
        // error comes meanwhile, or at once when the errors prove it missed.
        LinkErrors sofar = total_;
        sofar.add(spanSoFar());
        const BerTarget& t = *options_.target;
        if (judgeBer(sofar, t.ber, t.settings) == BerVerdict::Above)
            return spanStart();
        end = std::min(end, countStart() + secondsToMeet(sofar, t.ber, t.settings));
    }
    return end;
}

int ErrorCount::waitMs() {
    return msUntilStep(intervalEnd());
}

bool ErrorCount::finished() const {
    return failed() || stopped_ || complete_;
}

std::optional<LinkErrors> ErrorCount::step() {
    if (!started_ || finished())
        return std::nullopt;
    const std::optional<LinkErrors> errors = countStep(intervalEnd());
    if (!errors)
        return std::nullopt;
    intervals_.push_back(*errors);
    total_.add(*errors);
    if (options_.target)
        verdict_ = judgeBer(total_, options_.target->ber, options_.target->settings);
    complete_ = verdict_ != BerVerdict::Open ||
                (options_.durationMs > 0 && total_.seconds >= options_.durationMs / 1000.0 - 1e-9);
    return errors;
}

LinkTestEnd ErrorCount::stop() {
    return restore();
}

EqualizerSweep::EqualizerSweep(const Chip& chip, SweepOptions options)
    : LinkTestRun(chip, {options.channel, options.generator, options.settleMs, options.clock}),
      options_(options), field_(equalizerGainField(options.channel)) {}

bool EqualizerSweep::start() {
    started_ = true;
    if (!prepare())
        return false;
    gainByte_ = valueBefore(field_.reg);
    if (!setGain(options_.from))
        return false;
    settle();
    return true;
}

bool EqualizerSweep::setGain(unsigned gain) {
    next_ = gain;
    gainByte_ = encodeField(field_, gain, gainByte_);
    return writeRegister(field_.reg, gainByte_);
}

int EqualizerSweep::waitMs() {
    return msUntilStep(spanStart() + options_.dwellMs / 1000.0);
}

bool EqualizerSweep::complete() const {
    return !points_.empty() && points_.back().gain >= options_.to;
}

bool EqualizerSweep::finished() const {
    return failed() || stopped_ || complete();
}

std::optional<GainPoint> EqualizerSweep::step() {
    if (!started_ || finished())
        return std::nullopt;
    const std::optional<LinkErrors> errors = countStep(spanStart() + options_.dwellMs / 1000.0);
    if (!errors)
        return std::nullopt;
    points_.push_back({next_, *errors});
    // The next gain, and its settle.
    if (next_ < options_.to && setGain(next_ + 1))
        settle();
    return points_.back();
}

GainChoice EqualizerSweep::choice() const {
    if (failed() || !complete())
        return {std::nullopt, std::nullopt, NoBestGain::Incomplete};
    return chooseGain(points_);
}

LinkTestEnd EqualizerSweep::stop(bool applyBest) {
    const std::optional<unsigned> gain = best();
    if (!applyBest || !gain)
        return restore();
    const auto kept = encodeField(field_, *gain, valueBefore(field_.reg));
    LinkTestEnd end = restore(std::pair{field_.reg, kept});
    for (const RegisterRestore& r : end.restores) {
        if (r.applied && r.done)
            end.appliedGain = gain;
    }
    return end;
}

GainApplied applyEqualizerGain(const Chip& chip, int channel, unsigned gain) {
    const RegisterField& field = equalizerGainField(channel);
    chip.link.flushInput();
    GainApplied result;
    const LinkResult read = chip.link.readRegisters(chip.address.byte(), field.reg, 1);
    if (!read.ok()) {
        result.failure = read;
        return result;
    }
    const std::uint8_t data[1] = {encodeField(field, gain, read.bytes[0])};
    result.failure = chip.link.writeRegisters(chip.address.byte(), field.reg, data);
    if (!result.failure.ok()) {
        if (!result.failure.mayHaveReached())
            result.holds = read.bytes[0];
        return result;
    }
    result.written = true;
    const LinkResult readBack = chip.link.readRegistersOnce(chip.address.byte(), field.reg, 1);
    if (!readBack.ok()) {
        result.failure = readBack;
        result.holds = data[0];
        return result;
    }
    result.value = readBack.bytes[0];
    chip.registers.setRead(field.reg, readBack.bytes[0]);
    return result;
}
