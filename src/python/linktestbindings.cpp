// The Chip's link test: prbs, prbs_iter and sweep, the core's runs driven a
// step at a time as the tool drives them. The waits between steps let the
// interpreter go, in slices: between two, Python's signal handlers run, and a
// KeyboardInterrupt they raise stops the run (its registers put back) and
// goes on up. Every other ending of a run puts them back too: a failure, the
// end of the iteration or a break out of it, the run object collected, the
// board closed, the interpreter's exit.
#include "core/operations/linkresults.h"
#include "core/operations/scriptruns.h"
#include "python/arguments.h"
#include "python/chipobject.h"
#include "python/values.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

// A stop is seen within this time, at a cost of 20 wake-ups a second.
constexpr int kSliceMs = 50;
constexpr long long kMostMs = 3'600'000;

int msArgument(long long ms, long long least, const char* name) {
    if (ms < least || ms > kMostMs)
        raiseUsage(QStringLiteral("%1 takes a time in milliseconds, %2 to 3600000, not %3.")
                       .arg(QLatin1String(name))
                       .arg(least)
                       .arg(ms));
    return static_cast<int>(ms);
}

std::optional<int> channelArgument(const std::optional<std::string>& name) {
    if (!name)
        return std::nullopt;
    const QString given = QString::fromStdString(*name);
    if (given.size() != 1 || given[0].toUpper() < u'A' || given[0].toUpper() > u'D')
        raiseUsage(QStringLiteral("channel takes A, B, C or D, not '%1'.").arg(given));
    return given[0].toUpper().unicode() - u'A';
}

std::optional<unsigned> generatorArgument(const std::optional<std::string>& name) {
    if (!name)
        return std::nullopt;
    const QString given = QString::fromStdString(*name);
    const std::optional<unsigned> setting = generatorSetting(given);
    if (!setting)
        raiseUsage(QStringLiteral("generator takes prbs7, low, high or off, not '%1'.").arg(given));
    return setting;
}

unsigned gainArgument(long long gain, const char* name) {
    if (gain < 0 || gain > kMaxGain)
        raiseUsage(QStringLiteral("%1 takes a gain, 0 to 15 or 0x0 to 0xF, not %2.")
                       .arg(QLatin1String(name))
                       .arg(gain));
    return static_cast<unsigned>(gain);
}

// A rate as a number, or as the tool takes it ("1.485G", "148.5M").
std::optional<double> rateArgument(const py::object& rate, const char* name) {
    if (rate.is_none())
        return std::nullopt;
    std::optional<double> value;
    if (py::isinstance<py::str>(rate))
        value = parseQuantity(QString::fromStdString(rate.cast<std::string>()));
    else if (py::isinstance<py::float_>(rate) || py::isinstance<py::int_>(rate))
        value = rate.cast<double>();
    if (!value || !(*value > 0))
        raiseUsage(QStringLiteral("%1 takes a rate such as 1.485e9, '1.485G' or '148.5M', not %2.")
                       .arg(QLatin1String(name), QString::fromStdString(py::str(py::repr(rate)))));
    return value;
}

BerSettings berArguments(const py::object& bitRate, const py::object& tmdsClock,
                         const py::object& confidence) {
    BerSettings ber;
    const std::optional<double> bits = rateArgument(bitRate, "bit_rate");
    const std::optional<double> clock = rateArgument(tmdsClock, "tmds_clock");
    if (bits && clock)
        raiseUsage(QStringLiteral("bit_rate and tmds_clock do not go together."));
    ber.bitRate = bits ? *bits : clock ? *clock * kBitsPerTmdsClock : 0;
    std::optional<double> level;
    if (py::isinstance<py::str>(confidence))
        level = parseConfidence(QString::fromStdString(confidence.cast<std::string>()));
    else if (py::isinstance<py::float_>(confidence) || py::isinstance<py::int_>(confidence))
        level = confidence.cast<double>();
    if (!level || !(*level > 0 && *level < 1))
        raiseUsage(QStringLiteral("confidence takes a level between 0 and 1 (0.95) or a "
                                  "percentage ('95%'), not %1.")
                       .arg(QString::fromStdString(py::str(py::repr(confidence)))));
    ber.confidence = *level;
    return ber;
}

// A run of the link test on a Chip, driven from Python. It holds the Chip
// object, so that the board outlives it.
class DrivenRun {
public:
    explicit DrivenRun(py::object chip)
        : chip_(std::move(chip)), session_(chip_.cast<PyChip&>().session()) {}
    // The class made last ends the run (with it, its steps are gone).
    virtual ~DrivenRun() { session_.removeRunStop(this); }
    DrivenRun(const DrivenRun&) = delete;
    DrivenRun& operator=(const DrivenRun&) = delete;

    bool ended() const { return ended_; }

protected:
    // Makes the run on the board and starts it; the board's ending stops it.
    template <typename Make> void begin(Make make) {
        session_.run([&](Chip& chip) {
            make(chip);
            started_ = startRun();
            return true;
        });
        session_.addRunStop(this, [this](Chip&) { endRun(); });
    }

    // The next step made, after its wait: true when the run has ended (its
    // registers put back). A KeyboardInterrupt during the wait ends it and
    // is raised.
    template <typename Step> bool stepAfterWait(Step step) {
        if (ended_)
            return true;
        const std::optional<int> wait = session_.runUnlessClosed(
            [this](Chip&) { return started_ && !finished() ? waitMs() : -1; });
        if (!wait || *wait < 0) {
            end();
            return true;
        }
        for (int left = *wait; left > 0; left -= kSliceMs) {
            session_.sleepMs(std::min(left, kSliceMs));
            if (PyErr_CheckSignals() != 0) {
                py::error_already_set interrupted; // taken, so that the stop can run
                endQuietly();
                throw interrupted;
            }
        }
        if (!session_.runUnlessClosed([&](Chip&) {
                step();
                return true;
            }))
            ended_ = true; // the board's ending stopped the run
        return false;
    }

    // Stops the run, if it has not ended: its registers put back.
    void end() {
        if (!ended_ && made() && !session_.runUnlessClosed([this](Chip&) {
                endRun();
                return true;
            }))
            ended_ = true;
    }
    // The results of the run of `command`, which has ended; raised with the
    // failure as `result` when it failed.
    py::object told(py::object result, const QString& command) {
        const std::optional<OperationFailure> failed =
            session_
                .runUnlessClosed(
                    [&](Chip& chip) { return linkTestEndFailure(chip, end_, command); })
                .value_or(std::nullopt);
        if (failed)
            raiseFailure(*failed, py::dict("result"_a = result));
        return result;
    }
    void endQuietly() noexcept {
        try {
            py::gil_scoped_acquire held; // a collection may come from any thread
            end();
        } catch (...) { // an ending cannot fail: it says what it did
        }
    }

    LinkTestEnd end_;
    py::object chip_;
    BoardSession& session_;

private:
    void endRun() {
        if (ended_ || !made())
            return;
        end_ = stopRun();
        ended_ = true;
    }
    // Whether the run was made (the board was open).
    virtual bool made() const = 0;
    virtual bool startRun() = 0;
    virtual bool finished() = 0;
    virtual int waitMs() = 0;
    // Writes back what the run changed; called once, with the board's lock.
    virtual LinkTestEnd stopRun() = 0;

    bool started_ = false;
    bool ended_ = false;
};

struct PrbsArguments {
    ErrorCountOptions options;
    BerSettings ber;
};

PrbsArguments prbsArguments(const py::object& seconds, const std::optional<std::string>& channel,
                            const std::optional<std::string>& generator, long long intervalMs,
                            std::optional<long long> gain, long long settleMs,
                            const py::object& bitRate, const py::object& tmdsClock,
                            const py::object& confidence, std::optional<double> berTarget,
                            bool untilStopped) {
    PrbsArguments a;
    ErrorCountOptions& o = a.options;
    o.setup.channel = channelArgument(channel);
    o.setup.generator = generatorArgument(generator);
    if (gain && !o.setup.channel)
        raiseUsage(QStringLiteral("gain is a channel's: it needs channel."));
    if (gain)
        o.gain = gainArgument(*gain, "gain");
    a.ber = berArguments(bitRate, tmdsClock, confidence);
    if (berTarget) {
        if (!(*berTarget > 0 && *berTarget < 1))
            raiseUsage(QStringLiteral("ber takes a bit error ratio between 0 and 1 (1e-9), not %1.")
                           .arg(*berTarget));
        if (!a.ber.known())
            raiseUsage(QStringLiteral("ber needs the bit rate: bit_rate or tmds_clock."));
        o.target = BerTarget{*berTarget, a.ber};
    }
    o.intervalMs = msArgument(intervalMs, 1, "interval_ms");
    o.setup.settleMs = msArgument(settleMs, 0, "settle_ms");
    if (!seconds.is_none()) {
        const double s = seconds.cast<double>();
        if (!(s >= 0.001 && s <= 86400))
            raiseUsage(
                QStringLiteral("seconds takes a time of 0.001 to 86400 seconds, not %1.").arg(s));
        o.durationMs = static_cast<int>(s * 1000 + 0.5);
    } else if (!untilStopped && !o.target) {
        o.durationMs = 10'000; // the tool's default
    }
    return a;
}

// An error count, an interval at a time.
class PrbsRun : public DrivenRun {
public:
    PrbsRun(py::object chip, PrbsArguments arguments)
        : DrivenRun(std::move(chip)), arguments_(std::move(arguments)) {
        begin([&](Chip& chip) {
            const ErrorCountOptions& o = arguments_.options;
            results_.info =
                linkTestInfo(chip.link, chip.address.sevenBit(), false, o.setup.channel,
                             o.setup.generator, o.intervalMs, o.setup.settleMs, arguments_.ber);
            results_.info.gain = o.gain;
            if (o.target)
                results_.info.berTarget = o.target->ber;
            ErrorCountOptions options = o;
            options.setup.clock = &session_.clock();
            run_ = std::make_unique<ErrorCount>(chip, options);
        });
    }
    ~PrbsRun() override { endQuietly(); }

    // The next interval's errors; none once the run has ended.
    std::optional<LinkErrors> next() {
        std::optional<LinkErrors> interval;
        while (!interval && !stepAfterWait([&] { interval = run_->step(); })) {
        }
        return interval;
    }

    // The results, the run stopped first; a run that failed raises its
    // failure with the results as `result`.
    py::object result() {
        end();
        results_.end = end_;
        results_.intervals = run_->intervals();
        results_.complete = run_->complete();
        results_.verdict = run_->verdict();
        return told(prbsResult(results_, arguments_.options), QStringLiteral("prbs"));
    }
    const BerSettings& ber() const { return arguments_.ber; }

private:
    bool made() const override { return run_ != nullptr; }
    bool startRun() override { return run_->start(); }
    bool finished() override { return run_->finished(); }
    int waitMs() override { return run_->waitMs(); }
    LinkTestEnd stopRun() override { return run_->stop(); }

    PrbsArguments arguments_;
    std::unique_ptr<ErrorCount> run_;
    LinkTestResults results_;
};

class SweepRun : public DrivenRun {
public:
    SweepRun(py::object chip, SweepOptions options, BerSettings ber, bool apply)
        : DrivenRun(std::move(chip)), options_(options), apply_(apply) {
        begin([&](Chip& chip) {
            results_.info =
                linkTestInfo(chip.link, chip.address.sevenBit(), true, options_.channel,
                             options_.generator, options_.dwellMs, options_.settleMs, ber);
            SweepOptions o = options_;
            o.clock = &session_.clock();
            run_ = std::make_unique<EqualizerSweep>(chip, o);
        });
    }
    ~SweepRun() override { endQuietly(); }
    py::object run() {
        while (!stepAfterWait([&] { run_->step(); })) {
        }
        results_.complete = run_->complete();
        results_.choice = run_->choice();
        results_.points = run_->points();
        results_.end = end_;
        return told(sweepResult(results_, run_->failed()), QStringLiteral("sweep"));
    }

private:
    bool made() const override { return run_ != nullptr; }
    bool startRun() override { return run_->start(); }
    bool finished() override { return run_->finished(); }
    int waitMs() override { return run_->waitMs(); }
    LinkTestEnd stopRun() override { return run_->stop(apply_); }

    SweepOptions options_;
    bool apply_;
    std::unique_ptr<EqualizerSweep> run_;
    LinkTestResults results_;
};

const char* const kRunOptionsDoc = R"(
channel: 'A' to 'D' selected for the run (none: the channel as it is); gain:
that channel's equalizer gain for the run (0 to 15). generator: the pattern
generator for the run, 'prbs7', 'low', 'high' or 'off' (none: as it is).
settle_ms: the link settles this long after each change before the count
begins (default 10). bit_rate (bits a second on a link, 1.485e9 or '1.485G')
or tmds_clock (its TMDS clock, ten bits a period) gives each LinkErrors its
bits and BER bounds at `confidence` (0.95 or '95%'); ber: run until every
link's BER is known to be at most this, or one is known above it.
Every register the run changed is put back when it ends, however it ends, as
the `restores` of the result say. Raises RunStopped when the channel checked
shows no clock, the chip was reset or another run holds the error counters,
and the kind of a transfer that failed; the exception's `result` holds what
was counted.)";

// An error count of the whole time asked for (a PrbsResult), or `iterated`
// one interval at a time (a PrbsRun).
template <bool iterated>
py::object
prbs(py::object self, const py::object& seconds, const std::optional<std::string>& channel,
     const std::optional<std::string>& generator, long long intervalMs,
     std::optional<long long> gain, long long settleMs, const py::object& bitRate,
     const py::object& tmdsClock, const py::object& confidence, std::optional<double> ber) {
    auto run = std::make_unique<PrbsRun>(self, prbsArguments(seconds, channel, generator,
                                                             intervalMs, gain, settleMs, bitRate,
                                                             tmdsClock, confidence, ber, iterated));
    if (iterated)
        return py::cast(std::move(run));
    while (run->next()) {
    }
    return run->result();
}

// The arguments prbs() and prbs_iter() take, with their defaults.
#define QDM_PRBS_ARGUMENTS                                                                         \
    "seconds"_a = py::none(), "channel"_a = py::none(), "generator"_a = py::none(),                \
    "interval_ms"_a = 1000, "gain"_a = py::none(), "settle_ms"_a = kDefaultSettleMs,               \
    "bit_rate"_a = py::none(), "tmds_clock"_a = py::none(), "confidence"_a = 0.95,                 \
    "ber"_a = py::none()

} // namespace

void defineLinkTestMethods(py::module_& module, ChipClass& chip) {
    py::class_<PrbsRun>(module, "PrbsRun",
                        "An error count an interval at a time, from Chip.prbs_iter(): iterating "
                        "gives each interval's LinkErrors; a break, close(), leaving `with` or "
                        "the object's collection stops it and puts its registers back.")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__",
             [](PrbsRun& run) {
                 const std::optional<LinkErrors> interval = run.next();
                 if (!interval) {
                     run.result(); // raises a run that failed
                     throw py::stop_iteration();
                 }
                 return linkErrors(*interval, run.ber());
             })
        .def("stop", &PrbsRun::result,
             "Stops the run, its registers put back: a PrbsResult, or the run's failure raised.")
        .def(
            "close",
            [](PrbsRun& run) {
                try {
                    run.result();
                } catch (const py::error_already_set&) { // close() says nothing
                }
            },
            "Stops the run, its registers put back, raising nothing.")
        .def_property_readonly("ended", &PrbsRun::ended, "Whether the run has ended.")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](PrbsRun& run, py::args) {
            run.result();
            return false;
        });

    chip.def("prbs", &prbs<false>, QDM_PRBS_ARGUMENTS,
             (std::string("Counts PRBS7 errors on the three links for `seconds` (default 10; "
                          "with ber, the most), reading the counters every interval_ms, as "
                          "qdm7720a-cli prbs does: a PrbsResult.\n") +
              kRunOptionsDoc)
                 .c_str());
    chip.def("prbs_iter", &prbs<true>, QDM_PRBS_ARGUMENTS,
             (std::string("The error count of prbs() as a PrbsRun that gives each interval's "
                          "LinkErrors as it ends; without `seconds` (or ber) until stopped.\n") +
              kRunOptionsDoc)
                 .c_str());
    chip.def(
        "sweep",
        [](py::object self, const std::string& channel, const std::optional<std::string>& generator,
           long long dwellMs, long long first, long long last, long long settleMs,
           const py::object& bitRate, const py::object& tmdsClock, const py::object& confidence,
           bool apply) {
            SweepOptions o;
            o.channel = *channelArgument(channel);
            o.generator = generatorArgument(generator);
            o.dwellMs = msArgument(dwellMs, 1, "dwell_ms");
            o.from = gainArgument(first, "first");
            o.to = gainArgument(last, "last");
            if (o.from > o.to)
                raiseUsage(QStringLiteral("first %1 lies above last %2.")
                               .arg(gainText(o.from), gainText(o.to)));
            o.settleMs = msArgument(settleMs, 0, "settle_ms");
            const BerSettings ber = berArguments(bitRate, tmdsClock, confidence);
            SweepRun run(self, o, ber, apply);
            return run.run();
        },
        "channel"_a, "generator"_a = py::none(), "dwell_ms"_a = 100, "first"_a = 0,
        "last"_a = kMaxGain, "settle_ms"_a = kDefaultSettleMs, "bit_rate"_a = py::none(),
        "tmds_clock"_a = py::none(), "confidence"_a = 0.95, "apply"_a = false,
        R"(Sweeps channel `channel`'s equalizer gain from `first` to `last`, counting
errors for dwell_ms at each, as qdm7720a-cli sweep does: a SweepResult with the
best gain, the centre of the widest run of clean gains, and that clean window.
No best gain is named for a sweep that counted nothing (no error at either
end) or only saturated counts: no_best_gain says why. With apply=True the best
gain stays in the gain register; else it gets its value before the sweep.
generator, settle_ms, bit_rate, tmds_clock and confidence are prbs()'s.
Raises as prbs() does; a best gain the chip did not take raises with the value
before the sweep tried instead.)");
}
