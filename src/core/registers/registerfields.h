// The chip's main registers field by field: for each of the fourteen its bit
// fields, every bit of it in one (name, bits, access, value after reset, the
// lines of the register's description that tell of it, and what each setting
// means, as named settings or as a quantity with its unit), a register's byte
// decoded into them, and a field's new value encoded into a byte that keeps
// every other bit as it was.
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
    Reserved,      // to be kept at its value after reset
    NotUsed,       // bits the chip does not use; they read 0
};

// What writing a field does to the chip besides setting its bits.
enum class FieldEffect {
    None,
    ResetsChip, // written 1, every register goes back to its value after reset
    Pulse,      // the host takes it high, holds it at least 1 ms and takes it low again
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
    // The bits of the register that make the field read-only while any of
    // them is set (Channel Select while a select mode chooses).
    std::uint8_t readOnlyWhile = 0;
    // The value after reset; a reserved or unused field must keep it.
    unsigned reset = 0;
    // The lines of the register's description that tell of the field: bit n
    // for line n, counted from 1.
    std::uint64_t description = 0;

    constexpr int width() const { return high - low + 1; }
    constexpr unsigned maximum() const { return (1u << width()) - 1; }
    constexpr std::uint8_t mask() const { return static_cast<std::uint8_t>(maximum() << low); }
    constexpr unsigned valueIn(std::uint8_t byte) const { return (byte & mask()) >> low; }
    // Whether the user may set it: read-write and self-clearing fields
    // (though perhaps not while another field makes it read-only).
    constexpr bool writable() const {
        return access == FieldAccess::ReadWrite || access == FieldAccess::SelfClearing;
    }
    // Whether its value must stay at its value after reset.
    constexpr bool ruled() const {
        return access == FieldAccess::Reserved || access == FieldAccess::NotUsed;
    }
    constexpr bool breaksRule(unsigned value) const { return ruled() && value != reset; }
    FieldKind kind() const;
    // "7:4", or "5" for one bit.
    QString bits() const;
};

// The fields of `reg` from its highest bits down, which cover its eight bits;
// none for a register outside the main set.
std::span<const RegisterField> registerFields(std::uint8_t reg);

// What the field's access is, in words: "read-write", "self-clearing",
// "read-write, read-only while Hardware Channel Select or Auto Channel Select
// is set".
QString accessText(const RegisterField& field);
// The same for the field of a register holding `byte`: "read-only while Auto
// Channel Select is set" when another field makes it read-only now.
QString accessText(const RegisterField& field, std::uint8_t byte);
// The fields set in `byte` (the field's register) that make `field`
// read-only; none when nothing does.
std::vector<const RegisterField*> fieldsLocking(const RegisterField& field, std::uint8_t byte);
// Why `field` is read-only with its register holding `byte`, as the end of a
// sentence ("Auto Channel Select is set"); empty when it is not.
QString lockedBecause(const RegisterField& field, std::uint8_t byte);
// What a reserved or unused field must hold: "should read 0", "should be
// 000100"; empty for any other.
QString fieldRule(const RegisterField& field);

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

// What `value` of the field means: for a reserved or unused field whose
// value breaks its rule, the rule; else its setting's name ("B"), else its
// quantity with the unit ("10.500 mA"), else the plain number ("12").
QString fieldMeaning(const RegisterField& field, unsigned value);

// `byte` with the field set to `value` (at most its maximum) and every other
// bit, reserved and unused ones included, as it was.
constexpr std::uint8_t encodeField(const RegisterField& field, unsigned value, std::uint8_t byte) {
    return static_cast<std::uint8_t>((byte & ~field.mask()) |
                                     ((value << field.low) & field.mask()));
}

// A value given for the field: a number (decimal or 0x hex, 0 to its
// maximum: the raw value, never the start of a setting's name), one of its
// settings' names or the only one a word begins, "on" or "off" for one bit,
// or a quantity in its unit ("10.5 mA", a whole number of steps from its
// base). Case, blanks, hyphens and underscores do not matter. Nothing when it
// is none of these.
std::optional<unsigned> parseFieldValue(const RegisterField& field, QStringView text);
// What parseFieldValue takes for the field, for a message: "0 to 3, or A, B,
// C, D", "0 to 15, or 10.000 to 11.875 mA in steps of 0.125 mA".
QString fieldValueHint(const RegisterField& field);
