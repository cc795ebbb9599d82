#include "core/operations/linktest.h"

#include "core/operations/chipcontrols.h"
#include "core/registers/hextext.h"
#include "core/registers/registereffects.h"

#include <QStringList>
#include <algorithm>
#include <numeric>
#include <utility>

namespace {

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

bool LinkErrors::anySaturated() const {
    return std::find(atLeast.begin(), atLeast.end(), true) != atLeast.end();
}

void LinkErrors::add(int link, std::uint8_t read) {
    counts[link] += read;
    atLeast[link] = atLeast[link] || read == kCounterSaturated;
}

void LinkErrors::add(const LinkErrors& other) {
    for (int link = 0; link < kLinks; ++link) {
        counts[link] += other.counts[link];
        atLeast[link] = atLeast[link] || other.atLeast[link];
    }
}

int LinkErrors::total() const {
    return std::accumulate(counts.begin(), counts.end(), 0);
}

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
    return QStringLiteral("read of registers %1 to %2")
        .arg(hex(at.reg), hex(at.reg + at.count - 1));
}

QString restoreSummary(const LinkTestEnd& end) {
    if (end.chipWasReset)
        return QStringLiteral("nothing written back, the reset having put every register back");
    if (end.restores.empty())
        return QStringLiteral("no register changed");
    QStringList parts;
    const auto hex = [](std::uint8_t value) {
        return QStringLiteral("0x") + hexByte(value);
    };
    for (const RegisterRestore& r : end.restores) {
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
                       .arg(reg, hex(r.written),
                            !r.tried && !boardGone(r.failure) ? QStringLiteral("not tried")
                                                              : failureWords(r.failure),
                            r.holds ? QStringLiteral("; it holds ") + hex(*r.holds)
                                    : QStringLiteral("; what it holds is not known"));
        if (r.notApplied)
            part += QStringLiteral(", best gain %1 not applied (%2)")
                        .arg(hex(*r.bestGainByte), failureWords(*r.notApplied));
        parts << part;
    }
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
    : chip_(chip), address_(chip.address.byte()), setup_(setup) {}

LinkTestRun::~LinkTestRun() {
    if (chip_.tracker)
        chip_.tracker->releaseCounters(*this);
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
    if (failed()) // the chip was reset meanwhile
        return std::nullopt;
    return std::exchange(counted_, {});
}

bool LinkTestRun::writeRegister(std::uint8_t reg, std::uint8_t value) {
    if (std::find(changed_.begin(), changed_.end(), reg) == changed_.end())
        changed_.push_back(reg);
    const LinkResult written = chip_.tracker->writeAsHolder(address_, reg, value);
    noteWrite(reg, value, written);
    return written.ok() || fail(written, {reg, 1, true});
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
    return prepare() && readErrors().has_value();
}

bool ErrorCount::finished() const {
    return failed() || stopped_ ||
           (options_.intervals > 0 && static_cast<int>(intervals_.size()) >= options_.intervals);
}

std::optional<LinkErrors> ErrorCount::step() {
    if (!started_ || finished())
        return std::nullopt;
    std::optional<LinkErrors> errors = readErrors();
    if (errors)
        intervals_.push_back(*errors);
    return errors;
}

LinkTestEnd ErrorCount::stop() {
    return restore();
}

std::optional<unsigned> bestGain(std::span<const GainPoint> points) {
    if (points.empty())
        return std::nullopt;
    std::size_t bestStart = 0, bestLength = 0;
    for (std::size_t i = 0; i < points.size();) {
        std::size_t j = i;
        while (j < points.size() && points[j].errors.total() == 0 &&
               (j == i || points[j].gain == points[j - 1].gain + 1))
            ++j;
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j > i ? j : i + 1;
    }
    if (bestLength > 0)
        return points[bestStart + (bestLength - 1) / 2].gain;
    // A saturated counter stands for 255 errors or more: fewer saturated
    // links first, then fewer errors.
    const auto rank = [](const GainPoint& p) {
        const auto& s = p.errors.atLeast;
        return std::pair(std::count(s.begin(), s.end(), true), p.errors.total());
    };
    const auto fewest =
        std::min_element(points.begin(), points.end(),
                         [&](const GainPoint& a, const GainPoint& b) { return rank(a) < rank(b); });
    return fewest->gain;
}

EqualizerSweep::EqualizerSweep(const Chip& chip, SweepOptions options)
    : LinkTestRun(chip, {options.channel, options.generator}), options_(options),
      field_(equalizerGainField(options.channel)) {}

bool EqualizerSweep::start() {
    started_ = true;
    if (!prepare())
        return false;
    gainByte_ = valueBefore(field_.reg);
    return setGain(options_.from) && readErrors().has_value();
}

bool EqualizerSweep::setGain(unsigned gain) {
    next_ = gain;
    gainByte_ = encodeField(field_, gain, gainByte_);
    return writeRegister(field_.reg, gainByte_);
}

bool EqualizerSweep::finished() const {
    return failed() || stopped_ || (!points_.empty() && points_.back().gain >= options_.to);
}

std::optional<GainPoint> EqualizerSweep::step() {
    if (!started_ || finished())
        return std::nullopt;
    const std::optional<LinkErrors> errors = readErrors();
    if (!errors)
        return std::nullopt;
    points_.push_back({next_, *errors});
    // The next gain, and its counters cleared: its dwell starts now.
    if (next_ < options_.to && setGain(next_ + 1))
        readErrors();
    return points_.back();
}

LinkTestEnd EqualizerSweep::stop(bool applyBest) {
    const bool whole = !failed() && !points_.empty() && points_.back().gain >= options_.to;
    const std::optional<unsigned> gain = best();
    if (!applyBest || !whole || !gain)
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
