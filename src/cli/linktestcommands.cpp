#include "cli/linktestcommands.h"

#include "cli/commandsupport.h"
#include "cli/stopsignals.h"
#include "core/operations/linkresults.h"
#include "core/operations/scriptruns.h"

#include <QStringList>
#include <algorithm>
#include <csignal>
#include <tuple>

namespace cli {

namespace {

// The waits are made in slices this long, each followed by a look for a
// stop signal: it is seen within this time, at a cost of 20 wake-ups a second.
constexpr int kSliceMs = 50;
constexpr int kDefaultSeconds = 10;
constexpr int kDefaultIntervalMs = 1000;
constexpr int kDefaultDwellMs = 100;

std::optional<int> channelNumber(const QString& name) {
    if (name.size() != 1 || name[0].toUpper() < u'A' || name[0].toUpper() > u'D')
        return std::nullopt;
    return name[0].toUpper().unicode() - u'A';
}

// A row of the text table: its first column, then each link's count, a
// saturated one followed by "+" (at least that many), and with a bit rate
// the bits of each link and the BER bounds ("<": at most, ">": at least).
QString textRow(const QString& first, int width, const LinkErrors& e, const BerSettings& ber) {
    QString row = first.rightJustified(width);
    for (int link = 0; link < kLinks; ++link)
        row += (QString::number(e.counts[link]) + (e.saturated(link) ? "+" : "")).rightJustified(8);
    if (ber.known()) {
        row += QString::number(ber.bitRate * e.seconds, 'e', 2).rightJustified(11);
        for (int link = 0; link < kLinks; ++link)
            row += berText(berBound(e, link, ber), true).rightJustified(11);
    }
    return row + '\n';
}

QString textHeader(const QString& first, const BerSettings& ber) {
    return first + QStringLiteral("  link 0  link 1  link 2") +
           (ber.known() ? QStringLiteral("  bits/link      BER 0      BER 1      BER 2")
                        : QString()) +
           '\n';
}

// Under a table with BER bounds: what they are.
QString berNote(const BerSettings& ber) {
    return QStringLiteral("BER bounds at %1 confidence, %2 bits a second a link (<: at most; "
                          ">: at least, a counter having saturated)\n")
        .arg(confidenceText(ber.confidence), QString::number(ber.bitRate, 'g', 6));
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

// Holds the stop signals for the run, if the bench has them, and lets a stop
// cut short a wait for an answer that does not come.
void holdStopSignals(Workbench& b) {
    if (!b.stopSignals)
        return;
    b.stopSignals->hold();
    b.link.setStopRequest([stop = b.stopSignals] { return stop->pending() != 0; });
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

// The stop signal that cut short a wait for an answer, if one did.
int signalThatCut(const Workbench& b, const LinkTestEnd& end) {
    const bool cut = end.failure.givenUp ||
                     std::any_of(end.restores.begin(), end.restores.end(),
                                 [](const RegisterRestore& r) { return r.failure.givenUp; });
    return cut && b.stopSignals ? b.stopSignals->pending() : 0;
}

// The status and the line on standard error of a run that ended: its
// failure, the signal that stopped it, a register it could not put back, or
// what it found (`missed`: no best gain, a BER target not met).
void judgeEnd(Workbench& b, CommandResult& r, const LinkTestEnd& end, int signal,
              const QString& progress, const QString& missed = {}) {
    const QString note = restoreSummary(end);
    if (!signal)
        signal = signalThatCut(b, end);
    if (signal) {
        r.status = stopStatus(signal);
        r.error =
            QStringLiteral("%1 stopped by %2 %3; %4")
                .arg(b.arguments.command, stopSignalName(signal),
                     end.failure.givenUp ? QStringLiteral("while waiting for the answer to the ") +
                                               transferName(end.failedAt) + atChip(b)
                                         : progress,
                     note);
    } else if (const std::optional<OperationFailure> failed =
                   linkTestEndFailure(b.chip(), end, b.arguments.command, missed)) {
        const CommandResult told = failure(*failed);
        r.status = told.status;
        r.error = told.error;
    }
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

// The bit rate (from --bit-rate, or ten times --tmds-clock) and the
// confidence of the BER bounds.
std::optional<CommandResult> berOptions(const Workbench& b, BerSettings& into) {
    const Arguments& a = b.arguments;
    if (!a.bitRate.isEmpty() && !a.tmdsClock.isEmpty())
        return usage(QStringLiteral("--bit-rate and --tmds-clock do not go together."));
    for (const auto& [text, option, factor] :
         {std::tuple{a.bitRate, "bit-rate", 1.0},
          std::tuple{a.tmdsClock, "tmds-clock", kBitsPerTmdsClock}}) {
        if (text.isEmpty())
            continue;
        const std::optional<double> value = parseQuantity(text);
        if (!value)
            return usage(QStringLiteral("--%1 takes a rate such as 1.485e9, 1.485G or 148.5M, "
                                        "not '%2'.")
                             .arg(QLatin1String(option), text));
        into.bitRate = *value * factor;
    }
    if (a.confidence.isEmpty())
        return std::nullopt;
    const std::optional<double> confidence = parseConfidence(a.confidence);
    if (!confidence)
        return usage(QStringLiteral("--confidence takes a level between 0 and 1 (0.95) or a "
                                    "percentage (95%), not '%1'.")
                         .arg(a.confidence));
    into.confidence = *confidence;
    return std::nullopt;
}

LinkTestInfo runInfo(const Workbench& b, bool sweep, std::optional<int> channel,
                     std::optional<unsigned> generator, int periodMs, int settleMs,
                     const BerSettings& ber) {
    return linkTestInfo(b.link, b.address.sevenBit(), sweep, channel, generator, periodMs, settleMs,
                        ber);
}

// "best gain 0x3 (no errors from 0x1 to 0x5: ...)", or its count when no
// gain is clean, or why there is none.
QString bestGainText(const LinkTestResults& results) {
    const GainChoice& c = results.choice;
    if (!c.best)
        return QStringLiteral("no best gain: %1\n")
            .arg(noBestGainText(c.refusal, results.info.channel.value_or(0)));
    if (c.window)
        return QStringLiteral("best gain %1 (%2)\n").arg(gainText(*c.best), cleanWindowText(c));
    const auto point = std::find_if(results.points.begin(), results.points.end(),
                                    [&](const GainPoint& p) { return p.gain == *c.best; });
    return QStringLiteral("best gain %1 (fewest errors: %2; no gain is clean)\n")
        .arg(gainText(*c.best))
        .arg(point->errors.total());
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
        {a.settleMs.has_value(), "settle", prbs || sweep, "prbs and sweep"},
        {!a.bitRate.isEmpty(), "bit-rate", prbs || sweep, "prbs and sweep"},
        {!a.tmdsClock.isEmpty(), "tmds-clock", prbs || sweep, "prbs and sweep"},
        {!a.confidence.isEmpty(), "confidence", prbs || sweep, "prbs and sweep"},
        {a.gain.has_value(), "gain", prbs, "prbs"},
        {!a.berTarget.isEmpty(), "ber", prbs, "prbs"},
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
    if (a.gain && !options.setup.channel)
        return usage(QStringLiteral("--gain is a channel's: it needs --channel."));
    options.gain = a.gain ? std::optional<unsigned>(*a.gain) : std::nullopt;
    BerSettings ber;
    if (std::optional<CommandResult> bad = berOptions(b, ber))
        return *bad;
    if (!a.berTarget.isEmpty()) {
        bool ok = false;
        const double target = a.berTarget.toDouble(&ok);
        if (!ok || !(target > 0 && target < 1))
            return usage(QStringLiteral("--ber takes a bit error ratio between 0 and 1 (1e-9), "
                                        "not '%1'.")
                             .arg(a.berTarget));
        if (!ber.known())
            return usage(QStringLiteral("--ber needs the bit rate: --bit-rate or --tmds-clock."));
        options.target = BerTarget{target, ber};
    }
    options.intervalMs = a.intervalMs.value_or(kDefaultIntervalMs);
    // Run to a target, --seconds is the most it may take; else the time counted.
    if (a.seconds || !options.target)
        options.durationMs = a.seconds.value_or(kDefaultSeconds) * 1000;
    options.setup.settleMs = a.settleMs.value_or(kDefaultSettleMs);
    options.setup.clock = b.clock;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    holdStopSignals(b);

    CommandResult r;
    RunOutput out(b, r);
    LinkTestResults results;
    results.info = runInfo(b, false, options.setup.channel, options.setup.generator,
                           options.intervalMs, options.setup.settleMs, ber);
    results.info.gain = options.gain;
    if (options.target)
        results.info.berTarget = options.target->ber;
    out.line(a.csv ? csvHead(results.info) : textHeader(QStringLiteral("seconds"), ber));
    ErrorCount run(b.chip(), options);
    int signal = 0;
    double counted = 0;
    if (run.start()) {
        while (!run.finished() && !out.broken() && !(signal = waitUnlessStopped(b, run.waitMs()))) {
            const std::optional<LinkErrors> errors = run.step();
            if (!errors)
                continue;
            counted += errors->seconds;
            const QString at = QString::number(counted, 'f', 3);
            out.line(a.csv ? csvIntervalRow(results.info, *errors, counted)
                           : textRow(at, 7, *errors, ber));
        }
    }
    results.end = run.stop();
    results.intervals = run.intervals();
    results.complete = run.complete();
    results.verdict = run.verdict();
    if (a.csv) {
        out.line(csvTail(results));
    } else if (!run.intervals().empty()) { // no total of nothing counted
        out.line(textRow(QStringLiteral("total"), 7, results.total(), ber));
        if (ber.known())
            out.line(berNote(ber));
        if (options.target && run.complete())
            out.line(verdictText(results) + '\n');
    }
    r.json = resultsJson(results);
    const int whole = options.target || !options.durationMs
                          ? 0
                          : (options.durationMs + options.intervalMs - 1) / options.intervalMs;
    judgeEnd(b, r, results.end, signal,
             progressText(run.intervals().size(), whole, QStringLiteral("interval")),
             options.target && results.verdict != BerVerdict::Met ? verdictText(results)
                                                                  : QString());
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
    BerSettings ber;
    if (std::optional<CommandResult> bad = berOptions(b, ber))
        return *bad;
    options.dwellMs = a.dwellMs.value_or(kDefaultDwellMs);
    options.from = static_cast<unsigned>(a.fromGain.value_or(0));
    options.to = static_cast<unsigned>(a.toGain.value_or(kMaxGain));
    options.settleMs = a.settleMs.value_or(kDefaultSettleMs);
    options.clock = b.clock;
    if (options.from > options.to)
        return usage(QStringLiteral("--from %1 lies above --to %2.")
                         .arg(gainText(options.from), gainText(options.to)));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    holdStopSignals(b);

    CommandResult r;
    RunOutput out(b, r);
    LinkTestResults results;
    results.info = runInfo(b, true, options.channel, options.generator, options.dwellMs,
                           options.settleMs, ber);
    if (!a.csv)
        out.line(textHeader(QStringLiteral("gain"), ber));
    EqualizerSweep run(b.chip(), options);
    int signal = 0;
    if (run.start()) {
        while (!run.finished() && !out.broken() && !(signal = waitUnlessStopped(b, run.waitMs()))) {
            const std::optional<GainPoint> point = run.step();
            if (point && !a.csv)
                out.line(textRow(gainText(point->gain), 4, point->errors, ber));
        }
    }
    results.complete = run.complete();
    results.choice = run.choice();
    results.points = run.points();
    results.end = run.stop(a.apply);
    if (a.csv) {
        out.line(resultsCsv(results));
    } else {
        if (ber.known() && !results.points.empty())
            out.line(berNote(ber));
        if (results.complete && !run.failed())
            out.line(bestGainText(results));
        for (const RegisterRestore& kept : results.end.restores) {
            if (kept.applied && kept.done)
                out.line(QStringLiteral("applied: register %1 = %2\n")
                             .arg(hex(kept.reg), hex(kept.written)));
        }
    }
    r.json = resultsJson(results);
    const bool noBest = results.complete && !run.failed() && !results.choice.best;
    judgeEnd(b, r, results.end, signal,
             progressText(run.points().size(), int(options.to - options.from + 1),
                          QStringLiteral("gain")) +
                 (a.apply ? QStringLiteral(", best gain not applied") : QString()),
             noBest ? QStringLiteral("no best gain: ") +
                          noBestGainText(results.choice.refusal, options.channel) +
                          (a.apply ? QStringLiteral(", nothing applied") : QString())
                    : QString());
    return r;
}

} // namespace cli
