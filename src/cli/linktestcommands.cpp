#include "cli/linktestcommands.h"

#include "cli/commandsupport.h"
#include "cli/stopsignals.h"
#include "core/operations/linktest.h"

#include <QJsonArray>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <csignal>

namespace cli {

namespace {

// The waits are made in slices this long, each followed by a look for a
// stop signal: it is seen within this time, at a cost of 20 wake-ups a second.
constexpr int kSliceMs = 50;
constexpr int kDefaultSeconds = 10;
constexpr int kDefaultIntervalMs = 1000;
constexpr int kDefaultDwellMs = 100;

const struct {
    const char* name;
    unsigned setting;
} kGenerators[] = {{"off", 0}, {"prbs7", 1}, {"low", 2}, {"high", 3}};

std::optional<unsigned> generatorSetting(const QString& name) {
    for (const auto& g : kGenerators) {
        if (name.compare(QLatin1String(g.name), Qt::CaseInsensitive) == 0)
            return g.setting;
    }
    return std::nullopt;
}

std::optional<int> channelNumber(const QString& name) {
    if (name.size() != 1 || name[0].toUpper() < u'A' || name[0].toUpper() > u'D')
        return std::nullopt;
    return name[0].toUpper().unicode() - u'A';
}

QString channelName(int channel) {
    return QString(QChar(u'A' + channel));
}

// "0x3": a gain, one hexadecimal digit.
QString gainText(unsigned gain) {
    return QStringLiteral("0x") + QString::number(gain, 16).toUpper();
}

// How far a run got when it was stopped: "after 3 of 16 gains", and
// "during its only gain" for a run of one.
QString progressText(std::size_t done, int whole, const QString& noun) {
    if (whole == 1)
        return QStringLiteral("during its only ") + noun;
    return QStringLiteral("after %1 of %2 %3s").arg(done).arg(whole).arg(noun);
}

// A row of the text table: its first column, then each link's count, a
// saturated one followed by "+" (at least that many).
QString textRow(const QString& first, int width, const LinkErrors& e) {
    QString row = first.rightJustified(width);
    for (int link = 0; link < kLinks; ++link)
        row += (QString::number(e.counts[link]) + (e.saturated(link) ? "+" : "")).rightJustified(8);
    return row + '\n';
}

QString textHeader(const QString& first) {
    return first + QStringLiteral("  link 0  link 1  link 2\n");
}

QString csvRow(const QString& first, const LinkErrors& e, const QString& last = {}) {
    QStringList cells{first};
    for (int link = 0; link < kLinks; ++link)
        cells << QString::number(e.counts[link]);
    for (int link = 0; link < kLinks; ++link)
        cells << QString::number(e.saturated(link) ? 1 : 0);
    if (!last.isNull())
        cells << last;
    return cells.join(u',') + '\n';
}

QString csvHeader(const QString& first, const QString& last = {}) {
    return first + QStringLiteral(",link0,link1,link2,saturated0,saturated1,saturated2") +
           (last.isEmpty() ? QString() : ',' + last) + '\n';
}

QJsonObject errorsJson(const LinkErrors& e) {
    QJsonArray counts, saturated;
    for (int link = 0; link < kLinks; ++link) {
        counts.append(e.counts[link]);
        saturated.append(e.saturated(link));
    }
    return {{"errors", counts}, {"saturated", saturated}};
}

QJsonArray restoresJson(const LinkTestEnd& end) {
    QJsonArray restores;
    for (const RegisterRestore& r : end.restores) {
        QJsonObject restore{
            {"register", r.reg}, {"before", r.before}, {"value", r.written}, {"done", r.done}};
        if (!r.done) // what the chip holds as far as known; null: not known
            restore.insert(QStringLiteral("holds"), r.holds ? QJsonValue(*r.holds) : QJsonValue());
        if (r.notApplied)
            restore.insert(QStringLiteral("bestGainRefused"), *r.bestGainByte);
        restores.append(restore);
    }
    return restores;
}

// A run's output: text and CSV lines go out as they come (or into the text),
// JSON is one document at the end.
class RunOutput {
public:
    RunOutput(Workbench& b, CommandResult& r) : b_(b), r_(r) {}
    void line(const QString& text) {
        if (b_.arguments.json)
            return;
        if (!b_.progress)
            r_.text += text;
        else if (!b_.progress(text))
            broken_ = true;
    }
    // Standard output went away: the run ends, and the tool says why.
    bool broken() const { return broken_; }

private:
    Workbench& b_;
    CommandResult& r_;
    bool broken_ = false;
};

// Holds the stop signals for the run, if the bench has them.
void holdStopSignals(Workbench& b) {
    if (b.stopSignals)
        b.stopSignals->hold();
}

// Waits `ms` on the bench's clock, looking for a stop signal between slices:
// the signal that came, else 0.
int waitUnlessStopped(Workbench& b, int ms) {
    for (int left = ms;; left -= kSliceMs) {
        if (const int signal = b.stopSignals ? b.stopSignals->pending() : 0)
            return signal;
        if (left <= 0 || !b.clock)
            return 0;
        b.clock->sleepMs(std::min(left, kSliceMs));
    }
}

// The status and the line on standard error of a run that ended: its
// failure, the signal that stopped it, or a register it could not put back.
void judgeEnd(const Workbench& b, CommandResult& r, const LinkTestEnd& end, int signal,
              const QString& progress) {
    const QString note = restoreSummary(end);
    const auto refused = std::find_if(end.restores.begin(), end.restores.end(),
                                      [](const RegisterRestore& x) { return x.notApplied; });
    if (!end.failure.ok()) {
        const CommandResult failed =
            linkFailure(b, transferName(end.failedAt) + atChip(b), end.failure);
        r.status = failed.status;
        r.error = failed.error + QStringLiteral("; ") + note;
    } else if (!end.interruption.isEmpty()) {
        r.status = kChipOrBoardFailed;
        r.error =
            QStringLiteral("%1 stopped: %2; %3").arg(b.arguments.command, end.interruption, note);
    } else if (signal) {
        r.status = stopStatus(signal);
        r.error = QStringLiteral("%1 stopped by %2 %3; %4")
                      .arg(b.arguments.command, stopSignalName(signal), progress, note);
    } else if (refused != end.restores.end()) {
        const CommandResult failed =
            linkFailure(b,
                        QStringLiteral("write of the best gain %1 to register %2")
                                .arg(hex(*refused->bestGainByte), hex(refused->reg)) +
                            atChip(b),
                        *refused->notApplied);
        r.status = failed.status;
        r.error = failed.error + QStringLiteral("; ") + note;
    } else if (!end.restored()) {
        const auto first = std::find_if(end.restores.begin(), end.restores.end(),
                                        [](const RegisterRestore& x) { return !x.done; });
        const CommandResult failed = linkFailure(
            b, QStringLiteral("write back of register %1").arg(hex(first->reg)) + atChip(b),
            first->failure);
        r.status = failed.status;
        r.error = failed.error + QStringLiteral("; ") + note;
    }
    r.json.insert(QStringLiteral("restores"), restoresJson(end));
    if (signal)
        r.json.insert(QStringLiteral("stoppedBy"), stopSignalName(signal));
}

std::optional<CommandResult> generatorOption(const Workbench& b, std::optional<unsigned>& into) {
    if (b.arguments.generator.isEmpty())
        return std::nullopt;
    into = generatorSetting(b.arguments.generator);
    if (into)
        return std::nullopt;
    return usage(QStringLiteral("--generator takes prbs7, low, high or off, not '%1'.")
                     .arg(b.arguments.generator));
}

std::optional<CommandResult> channelOption(const Workbench& b, std::optional<int>& into) {
    into = channelNumber(b.arguments.channel);
    if (into)
        return std::nullopt;
    return usage(
        QStringLiteral("--channel takes A, B, C or D, not '%1'.").arg(b.arguments.channel));
}

// "best gain 0x3 (no errors from 0x1 to 0x5)": the best of the points, at
// index `i`, with the clean gains around it, or its count when it has errors.
QString bestGainText(const std::vector<GainPoint>& points, std::size_t i) {
    const GainPoint& best = points[i];
    if (best.errors.total() != 0)
        return QStringLiteral("best gain %1 (fewest errors: %2)\n")
            .arg(gainText(best.gain))
            .arg(best.errors.total());
    std::size_t first = i, last = i;
    while (first > 0 && points[first - 1].errors.total() == 0)
        --first;
    while (last + 1 < points.size() && points[last + 1].errors.total() == 0)
        ++last;
    return QStringLiteral("best gain %1 (no errors from %2 to %3)\n")
        .arg(gainText(best.gain), gainText(points[first].gain), gainText(points[last].gain));
}

} // namespace

std::optional<CommandResult> misplacedLinkTestOption(const Arguments& a) {
    const bool prbs = a.command == QLatin1String("prbs");
    const bool sweep = a.command == QLatin1String("sweep");
    const struct {
        bool given;
        const char* option;
        bool allowed;
        const char* commands;
    } options[] = {
        {a.csv, "csv", prbs || sweep, "prbs and sweep"},
        {!a.generator.isEmpty(), "generator", prbs || sweep, "prbs and sweep"},
        {!a.channel.isEmpty(), "channel", prbs || sweep, "prbs and sweep"},
        {a.seconds.has_value(), "seconds", prbs, "prbs"},
        {a.intervalMs.has_value(), "interval", prbs, "prbs"},
        {a.dwellMs.has_value(), "dwell", sweep, "sweep"},
        {a.fromGain.has_value(), "from", sweep, "sweep"},
        {a.toGain.has_value(), "to", sweep, "sweep"},
        {a.apply, "apply", sweep, "sweep"},
    };
    for (const auto& o : options) {
        if (o.given && !o.allowed)
            return usage(QStringLiteral("--%1 is an option of %2.")
                             .arg(QLatin1String(o.option), QLatin1String(o.commands)));
    }
    if (a.csv && a.json)
        return usage(QStringLiteral("--csv and --json do not go together."));
    return std::nullopt;
}

CommandResult prbs(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 0, "no arguments, only its options"); r.status)
        return r;
    const Arguments& a = b.arguments;
    ErrorCountOptions options;
    if (!a.channel.isEmpty()) {
        if (std::optional<CommandResult> bad = channelOption(b, options.setup.channel))
            return *bad;
    }
    if (std::optional<CommandResult> bad = generatorOption(b, options.setup.generator))
        return *bad;
    options.intervalMs = a.intervalMs.value_or(kDefaultIntervalMs);
    const int seconds = a.seconds.value_or(kDefaultSeconds);
    options.intervals =
        std::max(1, static_cast<int>(std::ceil(seconds * 1000.0 / options.intervalMs)));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    holdStopSignals(b);

    CommandResult r;
    RunOutput out(b, r);
    const auto secondsText = [&](std::size_t i) {
        return QString::number((i + 1) * options.intervalMs / 1000.0, 'f', 3);
    };
    out.line(a.csv ? csvHeader(QStringLiteral("seconds")) : textHeader(QStringLiteral("seconds")));
    ErrorCount run(b.chip(), options);
    int signal = 0;
    if (run.start()) {
        while (!run.finished() && !out.broken() && !(signal = waitUnlessStopped(b, run.waitMs()))) {
            const std::optional<LinkErrors> errors = run.step();
            if (!errors)
                break;
            const std::size_t i = run.intervals().size() - 1;
            out.line(a.csv ? csvRow(secondsText(i), *errors) : textRow(secondsText(i), 7, *errors));
        }
    }
    const LinkTestEnd end = run.stop();

    QJsonArray intervals;
    LinkErrors total;
    for (std::size_t i = 0; i < run.intervals().size(); ++i) {
        const LinkErrors& e = run.intervals()[i];
        QJsonObject interval = errorsJson(e);
        interval.insert(QStringLiteral("seconds"), secondsText(i).toDouble());
        intervals.append(interval);
        total.add(e);
    }
    if (!a.csv && !run.intervals().empty()) // no total of nothing counted
        out.line(textRow(QStringLiteral("total"), 7, total));
    QJsonArray totals;
    for (int sum : total.counts)
        totals.append(sum);
    r.json = {{"address", b.address.sevenBit()},
              {"intervalMs", options.intervalMs},
              {"intervals", intervals},
              {"totals", totals},
              {"complete", static_cast<int>(run.intervals().size()) == options.intervals}};
    putAddress(b, r.json);
    judgeEnd(b, r, end, signal,
             progressText(run.intervals().size(), options.intervals, QStringLiteral("interval")));
    return r;
}

CommandResult sweep(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 0, "no arguments, only its options"); r.status)
        return r;
    const Arguments& a = b.arguments;
    if (a.channel.isEmpty())
        return usage(QStringLiteral("sweep takes --channel A, B, C or D."));
    std::optional<int> channel;
    if (std::optional<CommandResult> bad = channelOption(b, channel))
        return *bad;
    SweepOptions options;
    options.channel = *channel;
    if (std::optional<CommandResult> bad = generatorOption(b, options.generator))
        return *bad;
    options.dwellMs = a.dwellMs.value_or(kDefaultDwellMs);
    options.from = static_cast<unsigned>(a.fromGain.value_or(0));
    options.to = static_cast<unsigned>(a.toGain.value_or(kMaxGain));
    if (options.from > options.to)
        return usage(QStringLiteral("--from %1 lies above --to %2.")
                         .arg(gainText(options.from), gainText(options.to)));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    holdStopSignals(b);

    CommandResult r;
    RunOutput out(b, r);
    if (!a.csv)
        out.line(textHeader(QStringLiteral("gain")));
    EqualizerSweep run(b.chip(), options);
    int signal = 0;
    if (run.start()) {
        while (!run.finished() && !out.broken() && !(signal = waitUnlessStopped(b, run.waitMs()))) {
            const std::optional<GainPoint> point = run.step();
            if (!point)
                break;
            if (!a.csv)
                out.line(textRow(gainText(point->gain), 4, point->errors));
        }
    }
    const bool complete = !run.points().empty() && run.points().back().gain == options.to;
    const LinkTestEnd end = run.stop(a.apply);
    const std::optional<unsigned> best = complete ? run.best() : std::nullopt;
    const int bestValue = best ? static_cast<int>(*best) : -1;

    QJsonArray points;
    if (a.csv)
        out.line(csvHeader(QStringLiteral("gain"), QStringLiteral("best")));
    for (const GainPoint& p : run.points()) {
        QJsonObject point = errorsJson(p.errors);
        point.insert(QStringLiteral("gain"), static_cast<int>(p.gain));
        points.append(point);
        if (a.csv)
            out.line(csvRow(QString::number(p.gain), p.errors,
                            bestValue == static_cast<int>(p.gain) ? "1" : "0"));
    }
    if (best && !a.csv)
        out.line(bestGainText(run.points(), static_cast<std::size_t>(bestValue) - options.from));
    for (const RegisterRestore& kept : end.restores) {
        if (kept.applied && kept.done)
            out.line(QStringLiteral("applied: register %1 = %2\n")
                         .arg(hex(kept.reg), hex(kept.written)));
    }
    r.json = {{"address", b.address.sevenBit()},
              {"channel", channelName(options.channel)},
              {"dwellMs", options.dwellMs},
              {"points", points},
              {"complete", complete},
              {"bestGain", best ? QJsonValue(bestValue) : QJsonValue()},
              {"applied", end.appliedGain.has_value()}};
    putAddress(b, r.json);
    judgeEnd(b, r, end, signal,
             progressText(run.points().size(), int(options.to - options.from + 1),
                          QStringLiteral("gain")) +
                 (a.apply ? QStringLiteral(", best gain not applied") : QString()));
    return r;
}

} // namespace cli
