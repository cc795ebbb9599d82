// The chip's main registers field by field: for each of the fourteen its bit
// fields (name, bits, access, and what each setting means, as named settings
// or as a quantity with its unit), a register's byte decoded into them, and a
// field's new value encoded into a byte that keeps every other bit as it was.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

enum class FieldAccess {
    ReadOnly,      // the chip sets it; what is written to it is lost
    ReadWrite,     // as written
    SelfClearing,  // written 1 starts an action, and the chip clears it again (Reset)
    ClearedByRead, // a counter that the chip clears when it is read
    Reserved,      // to be kept at the value it holds
};

// What writing a field does to the chip besides setting its bits.
enum class FieldEffect {
    None,
    ResetsChip, // written 1, every register goes back to its value after reset
};

// How a field reads and is set: one bit, one of its settings when every value
// has a name, else a number (a quantity when it has a step).
enum class FieldKind { Flag, Choice, Number };

struct FieldSetting {
    unsigned value;
    const char* name; // "B", "PRBS7", "4 MHz", "on", "minimum boost"
};

struct RegisterField {
    std::uint8_t reg;
    const char* name; // "Channel Select"
    int high;         // the field's bits, high down to low, 7 to 0
    int low;
    FieldAccess access;
    std::span<const FieldSetting> settings = {}; // the values that have a name
    // The meaning of every value above the last named one, if it has one.
    const char* above = nullptr;
    // A number's quantity, base + value x step in `unit` (none when the step
    // is 0), shown with `decimals` decimals.
    const char* unit = nullptr;
    double base = 0;
    double step = 0;
    int decimals = 0;
    FieldEffect effect = FieldEffect::None;

    constexpr int width() const { return high - low + 1; }
    constexpr unsigned maximum() const { return (1u << width()) - 1; }
    constexpr std::uint8_t mask() const { return static_cast<std::uint8_t>(maximum() << low); }
    constexpr unsigned valueIn(std::uint8_t byte) const { return (byte & mask()) >> low; }
    // Whether the user may set it: read-write and self-clearing fields.
    constexpr bool writable() const {
        return access == FieldAccess::ReadWrite || access == FieldAccess::SelfClearing;
    }
    FieldKind kind() const;
    // "7:4", or "5" for one bit.
    QString bits() const;
};

// The fields of `reg` from its highest bits down; none for a register outside
// the main set. Bits that no field covers are not used by the chip.
std::span<const RegisterField> registerFields(std::uint8_t reg);

// The field of `reg` named `name`, in any case, with blanks, hyphens and
// underscores ignored ("channel-select" finds "Channel Select"); else null.
const RegisterField* findField(std::uint8_t reg, QStringView name);

struct FieldValue {
    const RegisterField* field;
    unsigned value;
    QString meaning; // fieldMeaning of the value
};

// Every field of `reg` with its value in `byte` and what that means.
std::vector<FieldValue> decodeFields(std::uint8_t reg, std::uint8_t byte);

// What `value` of the field means: its setting's name ("B"), else its
// quantity with the unit ("10.500 mA"), else the plain number ("12").
QString fieldMeaning(const RegisterField& field, unsigned value);

// `byte` with the field set to `value` (at most its maximum) and every other
// bit, reserved and unused ones included, as it was.
constexpr std::uint8_t encodeField(const RegisterField& field, unsigned value, std::uint8_t byte) {
    return static_cast<std::uint8_t>((byte & ~field.mask()) |
                                     ((value << field.low) & field.mask()));
}

// A value given for the field: a number (decimal or 0x hex, 0 to its
// maximum), one of its settings' names, "on" or "off" for one bit, or a
// quantity in its unit ("10.5 mA", a whole number of steps from its base).
// Case, blanks, hyphens and underscores do not matter. Nothing when it is none
// of these.
std::optional<unsigned> parseFieldValue(const RegisterField& field, QStringView text);
// What parseFieldValue takes for the field, for a message: "0 to 3, or A, B,
// C, D", "0 to 15, or 10.000 to 11.875 mA in steps of 0.125 mA".
QString fieldValueHint(const RegisterField& field);
