#include "core/operations/linkstats.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr double kTiny = 1e-300;
constexpr double kEpsilon = 1e-15;
constexpr int kMaxTerms = 10'000'000;

// e^(a ln x - x - ln Γ(a)): the factor both expansions share.
double gammaPrefix(double a, double x) {
    return std::exp(a * std::log(x) - x - std::lgamma(a));
}

// P(a, x) by its series, which converges fast for x < a + 1.
double gammaSeries(double a, double x) {
    double term = 1 / a;
    double sum = term;
    for (int n = 1; n < kMaxTerms; ++n) {
        term *= x / (a + n);
        sum += term;
        if (term < sum * kEpsilon)
            break;
    }
    return sum * gammaPrefix(a, x);
}

// Q(a, x) = 1 - P(a, x) by its continued fraction (modified Lentz), for
// x >= a + 1.
double gammaFraction(double a, double x) {
    double b = x + 1 - a;
    double c = 1 / kTiny;
    double d = 1 / b;
    double h = d;
    for (int i = 1; i < kMaxTerms; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::fabs(d) < kTiny)
            d = kTiny;
        c = b + an / c;
        if (std::fabs(c) < kTiny)
            c = kTiny;
        d = 1 / d;
        const double step = d * c;
        h *= step;
        if (std::fabs(step - 1) < kEpsilon)
            break;
    }
    return gammaPrefix(a, x) * h;
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
    seconds += other.seconds;
}

int LinkErrors::total() const {
    return std::accumulate(counts.begin(), counts.end(), 0);
}

double regularizedGammaP(double a, double x) {
    if (x <= 0)
        return 0;
    return x < a + 1 ? gammaSeries(a, x) : 1 - gammaFraction(a, x);
}

double chiSquareQuantile(double probability, double degrees) {
    // P(k/2, x/2) = probability, solved for y = x/2 by Newton's method kept
    // inside a bracket that halves whenever a step would leave it.
    const double a = degrees / 2;
    double low = 0;
    double high = a + 10 * std::sqrt(a) + 40;
    while (regularizedGammaP(a, high) < probability)
        high *= 2;
    double y = std::clamp(a, low, high);
    for (int i = 0; i < 200; ++i) {
        const double miss = regularizedGammaP(a, y) - probability;
        if (miss < 0)
            low = y;
        else
            high = y;
        const double slope = std::exp((a - 1) * std::log(y) - y - std::lgamma(a));
        double next = slope > 0 ? y - miss / slope : (low + high) / 2;
        if (!(next > low && next < high))
            next = (low + high) / 2;
        if (std::fabs(next - y) <= 1e-13 * y || high - low <= 1e-13 * high)
            return 2 * next;
        y = next;
    }
    return 2 * y;
}

double berUpperBound(long long errors, double bits, double confidence) {
    if (bits <= 0)
        return std::numeric_limits<double>::infinity();
    if (errors == 0) // the chi-square quantile with 2 degrees of freedom, exactly
        return -std::log1p(-confidence) / bits;
    return chiSquareQuantile(confidence, 2.0 * (errors + 1)) / (2 * bits);
}

double berLowerBound(long long errors, double bits, double confidence) {
    if (errors == 0 || bits <= 0)
        return 0;
    return chiSquareQuantile(1 - confidence, 2.0 * errors) / (2 * bits);
}

BerBound berBound(const LinkErrors& errors, int link, const BerSettings& ber) {
    const double bits = ber.bitRate * errors.seconds;
    if (errors.saturated(link))
        return {berLowerBound(errors.counts[link], bits, ber.confidence), true};
    return {berUpperBound(errors.counts[link], bits, ber.confidence), false};
}

QString berText(double value) {
    return std::isfinite(value) ? QString::number(value, 'e', 2) : QStringLiteral("-");
}

QString berText(const BerBound& bound, bool marked) {
    if (!marked || !std::isfinite(bound.value))
        return berText(bound.value);
    return (bound.lowerOnly ? QStringLiteral(">") : QStringLiteral("<")) + berText(bound.value);
}

BerVerdict judgeBer(const LinkErrors& total, double target, const BerSettings& ber) {
    bool met = total.seconds > 0;
    for (int link = 0; link < kLinks; ++link) {
        const double bits = ber.bitRate * total.seconds;
        if (berLowerBound(total.counts[link], bits, ber.confidence) > target)
            return BerVerdict::Above;
        // The run ends when the bound reaches the target: not a rounding above it.
        met = met && !total.saturated(link) &&
              berUpperBound(total.counts[link], bits, ber.confidence) <= target * (1 + 1e-9);
    }
    return met ? BerVerdict::Met : BerVerdict::Open;
}

double secondsToMeet(const LinkErrors& total, double target, const BerSettings& ber) {
    if (total.anySaturated())
        return std::numeric_limits<double>::infinity();
    const int most = *std::max_element(total.counts.begin(), total.counts.end());
    // The bits at which the bound of `most` errors is the target.
    return berUpperBound(most, 1, ber.confidence) / target / ber.bitRate;
}

std::optional<double> parseQuantity(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*([0-9]*\\.?[0-9]+(?:[eE][-+]?[0-9]+)?)\\s*([kKMG]?)\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString unit = m.captured(2).toUpper();
    const double factor = unit == u"K" ? 1e3 : unit == u"M" ? 1e6 : unit == u"G" ? 1e9 : 1;
    const double value = m.captured(1).toDouble() * factor;
    if (!std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

std::optional<double> parseConfidence(const QString& text) {
    QString t = text.trimmed();
    const bool percent = t.endsWith(u'%');
    if (percent)
        t.chop(1);
    bool ok = false;
    double value = t.trimmed().toDouble(&ok);
    if (percent)
        value /= 100;
    if (!ok || !(value > 0 && value < 1))
        return std::nullopt;
    return value;
}

QString confidenceText(double confidence) {
    return QString::number(confidence * 100, 'g', 6) + QStringLiteral(" %");
}

unsigned GainChoice::margin() const {
    if (!window || !best)
        return 0;
    return std::min(*best - window->first, window->last - *best);
}

GainChoice chooseGain(std::span<const GainPoint> points) {
    GainChoice choice;
    if (points.empty()) {
        choice.refusal = NoBestGain::Incomplete;
        return choice;
    }
    const auto clean = [](const GainPoint& p) {
        return p.errors.total() == 0 && !p.errors.anySaturated();
    };
    // A link that counts nothing at the least boost and at the most alike
    // is not checked at all.
    const auto lowest =
        std::find_if(points.begin(), points.end(), [](const GainPoint& p) { return p.gain == 0; });
    const auto highest = std::find_if(points.begin(), points.end(),
                                      [](const GainPoint& p) { return p.gain == kMaxGain; });
    if (lowest != points.end() && highest != points.end() && clean(*lowest) && clean(*highest)) {
        choice.refusal = NoBestGain::NothingChecked;
        return choice;
    }
    std::size_t bestStart = 0, bestLength = 0;
    for (std::size_t i = 0; i < points.size();) {
        std::size_t j = i;
        while (j < points.size() && clean(points[j]) &&
               (j == i || points[j].gain == points[j - 1].gain + 1))
            ++j;
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j > i ? j : i + 1;
    }
    if (bestLength > 0) {
        CleanWindow w{points[bestStart].gain, points[bestStart + bestLength - 1].gain};
        w.cutBelow = bestStart == 0 && w.first != 0;
        w.cutAbove = bestStart + bestLength == points.size() && w.last != kMaxGain;
        choice.window = w;
        choice.best = points[bestStart + (bestLength - 1) / 2].gain;
        return choice;
    }
    // No gain is clean: the fewest errors, if they are a true count. A
    // saturated count stands for that many or more, and ranks with nothing.
    const auto fewest =
        std::min_element(points.begin(), points.end(), [](const GainPoint& a, const GainPoint& b) {
            return std::pair(a.errors.total(), a.errors.anySaturated()) <
                   std::pair(b.errors.total(), b.errors.anySaturated());
        });
    if (fewest->errors.anySaturated())
        choice.refusal = NoBestGain::Saturated;
    else
        choice.best = fewest->gain;
    return choice;
}

QString noBestGainText(NoBestGain why, int channel) {
    const QChar name(u'A' + channel);
    switch (why) {
    case NoBestGain::None:
        return {};
    case NoBestGain::Incomplete:
        return QStringLiteral("the sweep did not measure every gain");
    case NoBestGain::NothingChecked:
        return QStringLiteral("no errors at gain 0x0 and at 0xF alike: nothing is checked (is a "
                              "PRBS7 pattern reaching channel %1?)")
            .arg(name);
    case NoBestGain::Saturated:
        return QStringLiteral("no gain is clean and the fewest errors are a saturated count, "
                              "which cannot be ranked");
    }
    return {};
}

QString noClockText(std::optional<int> channel) {
    return (channel ? QStringLiteral("channel %1 shows no clock").arg(QChar(u'A' + *channel))
                    : QStringLiteral("no input channel shows a clock")) +
           QStringLiteral(" in register 0x01 (Channel Activity): nothing is checked");
}

QString gainText(unsigned gain) {
    return QStringLiteral("0x") + QString::number(gain, 16).toUpper();
}

QString cleanWindowText(const GainChoice& choice) {
    if (!choice.window)
        return {};
    const CleanWindow& w = *choice.window;
    const unsigned margin = choice.margin();
    QString text = QStringLiteral("no errors from %1 to %2: %3 gain%4 wide, margin %5 step%6")
                       .arg(gainText(w.first), gainText(w.last))
                       .arg(w.width())
                       .arg(w.width() == 1 ? "" : "s")
                       .arg(margin)
                       .arg(margin == 1 ? "" : "s");
    if (w.cutBelow && w.cutAbove)
        text += QStringLiteral("; it reaches both ends of the range and may run further");
    else if (w.cut())
        text += QStringLiteral("; it reaches the range's edge at %1 and may run further")
                    .arg(gainText(w.cutBelow ? w.first : w.last));
    return text;
}
