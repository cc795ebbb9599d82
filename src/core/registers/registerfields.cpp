#include "core/registers/registerfields.h"

#include "core/registers/hextext.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

using A = FieldAccess;

constexpr FieldSetting kOffOn[] = {{0, "off"}, {1, "on"}};
constexpr FieldSetting kDeviceId[] = {{3, "QDM7720"}};
constexpr FieldSetting kRevision[] = {{1, "initial silicon"}, {2, "first revision"}};
constexpr FieldSetting kActivity[] = {{0, "inactive"}, {1, "active"}};
constexpr FieldSetting kReset[] = {{0, "normal"}, {1, "reset"}};
constexpr FieldSetting kHardwareSelect[] = {{0, "bits 2:0"}, {1, "I/O pins"}};
constexpr FieldSetting kAutoSelect[] = {{0, "bits 1:0"}, {1, "automatic"}};
constexpr FieldSetting kChannels[] = {{0, "A"}, {1, "B"}, {2, "C"}, {3, "D"}};
constexpr FieldSetting kRecalibrate[] = {{0, "normal"}, {1, "recalibrate"}};
constexpr FieldSetting kHysteresis[] = {{0, "10 mV"}, {1, "20 mV"}};
constexpr FieldSetting kInputTristate[] = {{0, "terminated"}, {1, "tristated"}};
constexpr FieldSetting kTermination[] = {{0, "50 ohms"}, {1, "100 ohms"}};
constexpr FieldSetting kOrder[] = {{0, "normal"}, {1, "crossed"}};
constexpr FieldSetting kPolarity[] = {{0, "normal"}, {1, "inverted"}};
constexpr FieldSetting kOutputTristate[] = {{0, "driven"}, {1, "tristated"}};
constexpr FieldSetting kBoost[] = {{0, "minimum boost"}, {15, "maximum boost"}};
constexpr FieldSetting kPattern[] = {
    {0, "disabled"}, {1, "PRBS7"}, {2, "low-frequency pattern"}, {3, "high-frequency pattern"}};
constexpr FieldSetting kCounter[] = {{255, "255, saturated"}};
constexpr FieldSetting kReserved[] = {{4, "kept at 000100"}};
constexpr FieldSetting kBandwidth[] = {{0, "4 MHz"}, {1, "2 MHz"}, {2, "1 MHz"}, {3, "100 kHz"}};

constexpr RegisterField flag(std::uint8_t reg, const char* name, int bit, FieldAccess access,
                             std::span<const FieldSetting> settings) {
    return {reg, name, bit, bit, access, settings};
}

constexpr RegisterField resetFlag(std::uint8_t reg, const char* name, int bit) {
    RegisterField f = flag(reg, name, bit, A::SelfClearing, kReset);
    f.effect = FieldEffect::ResetsChip;
    return f;
}

constexpr RegisterField milliamps(std::uint8_t reg, const char* name, int high, double base) {
    return {reg, name, high, high - 3, A::ReadWrite, {}, nullptr, "mA", base, 0.125, 3};
}

// In register order, each register's fields from its highest bits down.
constexpr RegisterField kFields[] = {
    {0x00, "Device ID", 7, 4, A::ReadOnly, kDeviceId},
    {0x00, "Device Revision", 3, 0, A::ReadOnly, kRevision, "future revision"},
    flag(0x01, "Clock Activity D", 3, A::ReadOnly, kActivity),
    flag(0x01, "Clock Activity C", 2, A::ReadOnly, kActivity),
    flag(0x01, "Clock Activity B", 1, A::ReadOnly, kActivity),
    flag(0x01, "Clock Activity A", 0, A::ReadOnly, kActivity),
    flag(0x02, "Power Down", 5, A::ReadWrite, kOffOn),
    resetFlag(0x02, "Reset", 4),
    flag(0x02, "Hardware Channel Select", 3, A::ReadWrite, kHardwareSelect),
    flag(0x02, "Auto Channel Select", 2, A::ReadWrite, kAutoSelect),
    {0x02, "Channel Select", 1, 0, A::ReadWrite, kChannels},
    // Taken high for at least 1 ms and low again, by the host.
    flag(0x03, "Recalibrate", 7, A::ReadWrite, kRecalibrate),
    flag(0x03, "Rx Hysteresis Magnitude", 6, A::ReadWrite, kHysteresis),
    flag(0x03, "Rx Hysteresis", 5, A::ReadWrite, kOffOn),
    flag(0x03, "Connection Check", 4, A::ReadWrite, kOffOn),
    flag(0x03, "Tristate Selected Data In", 3, A::ReadWrite, kInputTristate),
    flag(0x03, "Tristate Selected Clock In", 2, A::ReadWrite, kInputTristate),
    flag(0x03, "Tri-state Unselected Data In", 1, A::ReadWrite, kInputTristate),
    flag(0x03, "Tristate Unselected Clock In", 0, A::ReadWrite, kInputTristate),
    flag(0x04, "DATA term Ch A", 7, A::ReadWrite, kTermination),
    flag(0x04, "DATA term Ch B", 6, A::ReadWrite, kTermination),
    flag(0x04, "DATA term Ch C", 5, A::ReadWrite, kTermination),
    flag(0x04, "DATA term Ch D", 4, A::ReadWrite, kTermination),
    flag(0x04, "CLK term Ch A", 3, A::ReadWrite, kTermination),
    flag(0x04, "CLK term Ch B", 2, A::ReadWrite, kTermination),
    flag(0x04, "CLK term Ch C", 1, A::ReadWrite, kTermination),
    flag(0x04, "CLK term Ch D", 0, A::ReadWrite, kTermination),
    flag(0x05, "Reverse Output Order", 3, A::ReadWrite, kOrder),
    flag(0x05, "Invert Output Polarity", 2, A::ReadWrite, kPolarity),
    flag(0x05, "Tristate Data", 1, A::ReadWrite, kOutputTristate),
    flag(0x05, "Tristate Clock", 0, A::ReadWrite, kOutputTristate),
    milliamps(0x06, "Transmit PreEmphasis", 7, 0),
    milliamps(0x06, "Transmit Current", 3, 10),
    {0x07, "Rx Equalization Gain B", 7, 4, A::ReadWrite, kBoost},
    {0x07, "Rx Equalization Gain A", 3, 0, A::ReadWrite, kBoost},
    {0x08, "Rx Equalization Gain D", 7, 4, A::ReadWrite, kBoost},
    {0x08, "Rx Equalization Gain C", 3, 0, A::ReadWrite, kBoost},
    flag(0x09, "Enable PRBS Checker", 2, A::ReadWrite, kOffOn),
    {0x09, "Test Pattern Generator", 1, 0, A::ReadWrite, kPattern},
    {0x0A, "PRBS7 Error Counter Link 0", 7, 0, A::ClearedByRead, kCounter},
    {0x0B, "PRBS7 Error Counter Link 1", 7, 0, A::ClearedByRead, kCounter},
    {0x0C, "PRBS7 Error Counter Link 2", 7, 0, A::ClearedByRead, kCounter},
    {0x10, "Reserved", 7, 2, A::Reserved, kReserved},
    {0x10, "PLL Bandwidth", 1, 0, A::ReadWrite, kBandwidth},
};

// Names as they compare: lower case, without blanks, hyphens and underscores.
QString folded(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (!c.isSpace() && c != u'-' && c != u'_')
            out += c.toLower();
    }
    return out;
}

const FieldSetting* settingOf(const RegisterField& f, unsigned value) {
    for (const FieldSetting& s : f.settings) {
        if (s.value == value)
            return &s;
    }
    return nullptr;
}

// The setting whose name is `name`, or failing that the only one whose name
// begins with it.
std::optional<unsigned> settingNamed(const RegisterField& f, const QString& name) {
    std::optional<unsigned> prefixed;
    int prefixes = 0;
    for (const FieldSetting& s : f.settings) {
        const QString candidate = folded(QString::fromLatin1(s.name));
        if (candidate == name)
            return s.value;
        if (candidate.startsWith(name)) {
            prefixed = s.value;
            ++prefixes;
        }
    }
    return prefixes == 1 ? prefixed : std::nullopt;
}

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

} // namespace

FieldKind RegisterField::kind() const {
    if (width() == 1)
        return FieldKind::Flag;
    return settings.size() == maximum() + 1 ? FieldKind::Choice : FieldKind::Number;
}

QString RegisterField::bits() const {
    return high == low ? QString::number(high) : QStringLiteral("%1:%2").arg(high).arg(low);
}

std::span<const RegisterField> registerFields(std::uint8_t reg) {
    const auto first = std::find_if(std::begin(kFields), std::end(kFields),
                                    [reg](const RegisterField& f) { return f.reg == reg; });
    const auto last = std::find_if(first, std::end(kFields),
                                   [reg](const RegisterField& f) { return f.reg != reg; });
    return {first, last};
}

const RegisterField* findField(std::uint8_t reg, QStringView name) {
    const QString wanted = folded(name);
    for (const RegisterField& f : registerFields(reg)) {
        if (folded(QString::fromLatin1(f.name)) == wanted)
            return &f;
    }
    return nullptr;
}

std::vector<FieldValue> decodeFields(std::uint8_t reg, std::uint8_t byte) {
    const std::span<const RegisterField> fields = registerFields(reg);
    std::vector<FieldValue> values;
    values.reserve(fields.size());
    for (const RegisterField& f : fields) {
        const unsigned value = f.valueIn(byte);
        values.push_back({&f, value, fieldMeaning(f, value)});
    }
    return values;
}

QString fieldMeaning(const RegisterField& f, unsigned value) {
    if (const FieldSetting* s = settingOf(f, value))
        return QLatin1String(s->name);
    if (f.above && !f.settings.empty() && value > f.settings.back().value)
        return QLatin1String(f.above);
    if (f.step <= 0)
        return QString::number(value);
    return number(f.base + value * f.step, f.decimals) + u' ' + QLatin1String(f.unit);
}

std::optional<unsigned> parseFieldValue(const RegisterField& f, QStringView text) {
    const QString trimmed = text.trimmed().toString();
    if (const std::optional<int> n = parseNumber(trimmed, static_cast<int>(f.maximum())))
        return static_cast<unsigned>(*n);
    const QString given = folded(trimmed);
    if (given.isEmpty())
        return std::nullopt;
    if (f.width() == 1 && (given == QLatin1String("off") || given == QLatin1String("on")))
        return given == QLatin1String("on") ? 1u : 0u;
    if (const std::optional<unsigned> named = settingNamed(f, given))
        return named;
    if (f.step <= 0)
        return std::nullopt;
    // A quantity: a decimal number and the field's unit, a whole number of
    // steps from its base.
    qsizetype digits = 0;
    while (digits < trimmed.size() && (trimmed[digits].isDigit() || trimmed[digits] == u'.'))
        ++digits;
    if (digits == 0 ||
        folded(QStringView(trimmed).sliced(digits)) != folded(QString::fromLatin1(f.unit)))
        return std::nullopt;
    bool ok = false;
    const double steps = (trimmed.left(digits).toDouble(&ok) - f.base) / f.step;
    const double whole = std::round(steps);
    if (!ok || std::abs(steps - whole) > 1e-6 || whole < 0 || whole > f.maximum())
        return std::nullopt;
    return static_cast<unsigned>(whole);
}

QString fieldValueHint(const RegisterField& f) {
    QString hint = QStringLiteral("0 to %1").arg(f.maximum());
    if (f.step > 0) {
        const QString unit = QLatin1String(f.unit);
        return hint + QStringLiteral(", or %1 to %2 %3 in steps of %4 %3")
                          .arg(number(f.base, f.decimals),
                               number(f.base + f.maximum() * f.step, f.decimals), unit,
                               number(f.step, f.decimals));
    }
    QStringList names;
    for (const FieldSetting& s : f.settings)
        names << QLatin1String(s.name);
    if (f.width() == 1)
        names << QStringLiteral("off") << QStringLiteral("on");
    names.removeDuplicates();
    return names.isEmpty() ? hint
                           : hint + QStringLiteral(", or ") + names.join(QStringLiteral(", "));
}
