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

// Lines `first` to `last` of a register's description.
constexpr std::uint64_t lines(int first, int last) {
    std::uint64_t mask = 0;
    for (int line = first; line <= last; ++line)
        mask |= std::uint64_t(1) << line;
    return mask;
}

constexpr RegisterField field(std::uint8_t reg, const char* name, int high, int low,
                              FieldAccess access, std::span<const FieldSetting> settings,
                              unsigned reset, std::uint64_t description) {
    RegisterField f{reg, name, high, low, access, settings};
    f.reset = reset;
    f.description = description;
    return f;
}

constexpr RegisterField flag(std::uint8_t reg, const char* name, int bit, FieldAccess access,
                             std::span<const FieldSetting> settings, unsigned reset,
                             std::uint64_t description) {
    return field(reg, name, bit, bit, access, settings, reset, description);
}

constexpr RegisterField notUsed(std::uint8_t reg, int high, int low, int line) {
    return field(reg, "not used", high, low, A::NotUsed, {}, 0, lines(line, line));
}

constexpr RegisterField withEffect(RegisterField f, FieldEffect effect) {
    f.effect = effect;
    return f;
}

constexpr RegisterField withAbove(RegisterField f, const char* above) {
    f.above = above;
    return f;
}

constexpr RegisterField readOnlyWhile(RegisterField f, std::uint8_t bits) {
    f.readOnlyWhile = bits;
    return f;
}

constexpr RegisterField milliamps(std::uint8_t reg, const char* name, int high, double base,
                                  int line) {
    RegisterField f = field(reg, name, high, high - 3, A::ReadWrite, {}, 0, lines(line, line + 3));
    f.unit = "mA";
    f.base = base;
    f.step = 0.125;
    f.decimals = 3;
    return f;
}

constexpr RegisterField gain(std::uint8_t reg, const char* name, int high, int line) {
    return field(reg, name, high, high - 3, A::ReadWrite, kBoost, 0xC, lines(line, line + 2));
}

constexpr RegisterField counter(std::uint8_t reg, const char* name) {
    return field(reg, name, 7, 0, A::ClearedByRead, kCounter, 0, lines(5, 8));
}

// Register 0x04: a line for each field, and two that all share.
constexpr RegisterField termination(const char* name, int bit) {
    return flag(0x04, name, bit, A::ReadWrite, kTermination, 0,
                lines(12 - bit, 12 - bit) | lines(14, 15));
}

// In register order, each register's fields from its highest bits down.
constexpr RegisterField kFields[] = {
    field(0x00, "Device ID", 7, 4, A::ReadOnly, kDeviceId, 3, lines(5, 6)),
    withAbove(field(0x00, "Device Revision", 3, 0, A::ReadOnly, kRevision, 1, lines(8, 11)),
              "future revision"),
    notUsed(0x01, 7, 4, 5),
    flag(0x01, "Clock Activity D", 3, A::ReadOnly, kActivity, 0, lines(7, 7)),
    flag(0x01, "Clock Activity C", 2, A::ReadOnly, kActivity, 0, lines(8, 8)),
    flag(0x01, "Clock Activity B", 1, A::ReadOnly, kActivity, 0, lines(9, 9)),
    flag(0x01, "Clock Activity A", 0, A::ReadOnly, kActivity, 0, lines(10, 10)),
    notUsed(0x02, 7, 6, 4),
    flag(0x02, "Power Down", 5, A::ReadWrite, kOffOn, 0, lines(6, 6)),
    withEffect(flag(0x02, "Reset", 4, A::SelfClearing, kReset, 0, lines(8, 8)),
               FieldEffect::ResetsChip),
    flag(0x02, "Hardware Channel Select", 3, A::ReadWrite, kHardwareSelect, 1, lines(10, 11)),
    flag(0x02, "Auto Channel Select", 2, A::ReadWrite, kAutoSelect, 1, lines(13, 14)),
    // The pins or the automatic logic choose while either select mode is on.
    readOnlyWhile(field(0x02, "Channel Select", 1, 0, A::ReadWrite, kChannels, 0, lines(16, 23)),
                  0x0C),
    withEffect(flag(0x03, "Recalibrate", 7, A::ReadWrite, kRecalibrate, 0, lines(5, 7)),
               FieldEffect::Pulse),
    flag(0x03, "Rx Hysteresis Magnitude", 6, A::ReadWrite, kHysteresis, 0, lines(9, 11)),
    flag(0x03, "Rx Hysteresis", 5, A::ReadWrite, kOffOn, 0, lines(13, 15)),
    flag(0x03, "Connection Check", 4, A::ReadWrite, kOffOn, 1, lines(17, 19)),
    flag(0x03, "Tristate Selected Data In", 3, A::ReadWrite, kInputTristate, 0, lines(21, 23)),
    flag(0x03, "Tristate Selected Clock In", 2, A::ReadWrite, kInputTristate, 0, lines(25, 27)),
    flag(0x03, "Tri-state Unselected Data In", 1, A::ReadWrite, kInputTristate, 1, lines(29, 31)),
    flag(0x03, "Tristate Unselected Clock In", 0, A::ReadWrite, kInputTristate, 0, lines(33, 35)),
    termination("DATA term Ch A", 7),
    termination("DATA term Ch B", 6),
    termination("DATA term Ch C", 5),
    termination("DATA term Ch D", 4),
    termination("CLK term Ch A", 3),
    termination("CLK term Ch B", 2),
    termination("CLK term Ch C", 1),
    termination("CLK term Ch D", 0),
    notUsed(0x05, 7, 4, 5),
    flag(0x05, "Reverse Output Order", 3, A::ReadWrite, kOrder, 0, lines(7, 9)),
    flag(0x05, "Invert Output Polarity", 2, A::ReadWrite, kPolarity, 0, lines(11, 13)),
    flag(0x05, "Tristate Data", 1, A::ReadWrite, kOutputTristate, 0, lines(15, 17)),
    flag(0x05, "Tristate Clock", 0, A::ReadWrite, kOutputTristate, 0, lines(19, 21)),
    milliamps(0x06, "Transmit PreEmphasis", 7, 0, 5),
    milliamps(0x06, "Transmit Current", 3, 10, 10),
    gain(0x07, "Rx Equalization Gain B", 7, 5),
    gain(0x07, "Rx Equalization Gain A", 3, 9),
    gain(0x08, "Rx Equalization Gain D", 7, 5),
    gain(0x08, "Rx Equalization Gain C", 3, 9),
    notUsed(0x09, 7, 3, 5),
    flag(0x09, "Enable PRBS Checker", 2, A::ReadWrite, kOffOn, 0, lines(7, 8)),
    field(0x09, "Test Pattern Generator", 1, 0, A::ReadWrite, kPattern, 0, lines(10, 17)),
    counter(0x0A, "PRBS7 Error Counter Link 0"),
    counter(0x0B, "PRBS7 Error Counter Link 1"),
    counter(0x0C, "PRBS7 Error Counter Link 2"),
    field(0x10, "Reserved", 7, 2, A::Reserved, kReserved, 4, lines(5, 5)),
    field(0x10, "PLL Bandwidth", 1, 0, A::ReadWrite, kBandwidth, 0, lines(7, 12)),
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

// Decimal digits, or 0x and hexadecimal digits: a number as a command line
// gives one, in range or not.
bool isPlainNumber(const QString& text) {
    const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QStringView digits = QStringView(text).mid(hex ? 2 : 0);
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [hex](QChar c) {
        return c.isDigit() || (hex && QStringLiteral("abcdefABCDEF").contains(c));
    });
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

QString accessText(const RegisterField& f) {
    if (f.readOnlyWhile) {
        QStringList names;
        for (const RegisterField& other : registerFields(f.reg)) {
            if (other.mask() & f.readOnlyWhile)
                names << QLatin1String(other.name);
        }
        return QStringLiteral("read-write, read-only while %1 is set")
            .arg(names.join(QStringLiteral(" or ")));
    }
    switch (f.access) {
    case FieldAccess::ReadOnly:
        return QStringLiteral("read-only");
    case FieldAccess::ReadWrite:
        return QStringLiteral("read-write");
    case FieldAccess::SelfClearing:
        return QStringLiteral("self-clearing");
    case FieldAccess::ClearedByRead:
        return QStringLiteral("cleared by read");
    case FieldAccess::Reserved:
        return QStringLiteral("reserved");
    case FieldAccess::NotUsed:
        return QStringLiteral("not used");
    }
    return {};
}

QString accessText(const RegisterField& f, std::uint8_t byte) {
    const QString because = lockedBecause(f, byte);
    return because.isEmpty() ? accessText(f) : QStringLiteral("read-only while ") + because;
}

std::vector<const RegisterField*> fieldsLocking(const RegisterField& f, std::uint8_t byte) {
    std::vector<const RegisterField*> locking;
    for (const RegisterField& other : registerFields(f.reg)) {
        if ((other.mask() & f.readOnlyWhile) && other.valueIn(byte) != 0)
            locking.push_back(&other);
    }
    return locking;
}

QString lockedBecause(const RegisterField& f, std::uint8_t byte) {
    const std::vector<const RegisterField*> locking = fieldsLocking(f, byte);
    QStringList names;
    for (const RegisterField* other : locking)
        names << QLatin1String(other->name);
    if (names.isEmpty())
        return {};
    return names.join(QStringLiteral(" and ")) +
           (names.size() == 1 ? QStringLiteral(" is set") : QStringLiteral(" are set"));
}

QString fieldRule(const RegisterField& f) {
    if (f.access == FieldAccess::NotUsed)
        return QStringLiteral("should read %1").arg(f.reset);
    if (f.access == FieldAccess::Reserved)
        return QStringLiteral("should be %1").arg(f.reset, f.width(), 2, QLatin1Char('0'));
    return {};
}

QString fieldMeaning(const RegisterField& f, unsigned value) {
    if (f.breaksRule(value))
        return fieldRule(f);
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
    // A plain number is the raw value, or nothing: "4" is not "4 MHz".
    if (isPlainNumber(trimmed)) {
        if (const std::optional<int> n = parseNumber(trimmed, static_cast<int>(f.maximum())))
            return static_cast<unsigned>(*n);
        return std::nullopt;
    }
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
