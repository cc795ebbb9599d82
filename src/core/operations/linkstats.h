// What the error counts of a link test say: the errors of the three links
// over a measured time, the bit error ratio they bound at a confidence level,
// the time a BER target needs, and the equalizer gain that carries the link
// best with the width of its clean window. Plain functions, the one formula
// for the tool, the windows and the tests.
#pragma once

#include "core/registers/registermap.h"

#include <QString>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

// The errors of the three links over a time, summed from the reads of their
// counters (each read clears them). A read that found a counter saturated
// makes its link's count "at least".
struct LinkErrors {
    std::array<int, kLinks> counts{};
    std::array<bool, kLinks> atLeast{};
    double seconds = 0; // the time counted, as measured
    bool saturated(int link) const { return atLeast[link]; }
    bool anySaturated() const;
    int total() const;
    // Adds a count read from the counter of `link`.
    void add(int link, std::uint8_t read);
    // Adds the errors and the time of another span.
    void add(const LinkErrors& other);
};

// The bit rate of one TMDS data lane and the confidence of the bounds.
struct BerSettings {
    double bitRate = 0; // bits a second on each link; 0: not known, no BER
    double confidence = kDefaultConfidence;
    static constexpr double kDefaultConfidence = 0.95;
    bool known() const { return bitRate > 0; }
};

// The regularized lower incomplete gamma function P(a, x), a > 0.
double regularizedGammaP(double a, double x);
// The x below which a chi-square variable of `degrees` degrees of freedom
// falls with `probability` (0 < probability < 1).
double chiSquareQuantile(double probability, double degrees);

// The highest bit error ratio that `errors` errors in `bits` bits leave
// possible at `confidence`: -ln(1 - CL) / bits for none, the chi-square
// quantile at CL with 2(n + 1) degrees of freedom over 2 bits for n.
double berUpperBound(long long errors, double bits, double confidence);
// The lowest: the chi-square quantile at 1 - CL with 2n degrees of freedom
// over 2 bits; 0 for no errors.
double berLowerBound(long long errors, double bits, double confidence);

// A link's BER as its count allows: the upper bound, or for a count that
// saturated (at least that many errors) the lower bound only.
struct BerBound {
    double value = 0;
    bool lowerOnly = false;
};
BerBound berBound(const LinkErrors& errors, int link, const BerSettings& ber);
// "2.02e-09", three significant digits; "<2.02e-09" for an upper bound and
// ">1.63e-07" for a lower one with `marked`.
QString berText(double value);
QString berText(const BerBound& bound, bool marked);

// A run to a BER target: met once every link's bound is at or below it,
// above once a link's lower bound is over it; open until then.
enum class BerVerdict { Open, Met, Above };
BerVerdict judgeBer(const LinkErrors& total, double target, const BerSettings& ber);
// The time of counting after which the bounds of `total`'s counts meet
// `target` if no error comes meanwhile; infinity when a count saturated.
double secondsToMeet(const LinkErrors& total, double target, const BerSettings& ber);

// A rate or frequency as typed: "1.485e9", "1.485G", "148.5M", "27000k".
std::optional<double> parseQuantity(const QString& text);
// A confidence level: "0.95" or "95%", strictly between 0 and 1.
std::optional<double> parseConfidence(const QString& text);
// "95 %", "99.9 %".
QString confidenceText(double confidence);
// The bit rate of a TMDS data lane: ten bits for each period of the TMDS clock.
inline constexpr double kBitsPerTmdsClock = 10;

inline constexpr unsigned kMaxGain = 0xF; // the equalizer's most boost

struct GainPoint {
    unsigned gain = 0;
    LinkErrors errors;
};

// The gains from the first to the last, both clean, that carry the link
// without an error on any link.
struct CleanWindow {
    unsigned first = 0;
    unsigned last = 0;
    // The window ends at the sweep's first or last gain, which is not the
    // gain's own limit: it may run further than the sweep looked.
    bool cutBelow = false;
    bool cutAbove = false;
    unsigned width() const { return last - first + 1; } // in gains
    bool cut() const { return cutBelow || cutAbove; }
};

// Why a sweep names no best gain.
enum class NoBestGain {
    None,
    Incomplete,     // the sweep did not measure every gain of its range
    NothingChecked, // no error at the lowest gain nor at the highest
    Saturated,      // no clean gain, and the fewest errors are a saturated count
};

struct GainChoice {
    std::optional<unsigned> best;
    // The longest run of clean gains, the best gain its middle (the lower
    // middle of an even run, the lower of two equal runs); none when no gain
    // is clean, the best gain then the one with the fewest errors.
    std::optional<CleanWindow> window;
    NoBestGain refusal = NoBestGain::None;
    // Steps from the best gain to the nearer edge of its window.
    unsigned margin() const;
};

// The best gain of a sweep from `points` (neighbouring gains, in order), when
// the points mean something: no error at both gain limits says nothing is
// checked; saturated counts cannot be ranked.
GainChoice chooseGain(std::span<const GainPoint> points);
// Why there is no best gain, for channel `channel` (0 to 3).
QString noBestGainText(NoBestGain why, int channel);
// A run whose channel shows no clock in Channel Activity: "channel B shows
// no clock ...", or with the channel not known "no input channel shows ...".
QString noClockText(std::optional<int> channel);
// "no errors from 0x5 to 0x9: 5 gains wide, margin 2 steps", with "; it
// reaches the range's edge at 0x6 and may run further" for a cut window.
QString cleanWindowText(const GainChoice& choice);
// "0x3": a gain, one hexadecimal digit.
QString gainText(unsigned gain);
