// The individual register read/write panel: reads one register of the main
// set, and writes it with a two-value toggle followed by a read-back shown in
// the panel and in the register model.
#pragma once

#include "core/operations/chip.h"

#include <QString>
#include <array>
#include <optional>

// The panel's boxes: the register number, the value last read (display
// only) and the two toggle values, as hexadecimal texts.
struct PanelTexts {
    QString reg = QStringLiteral("00");
    QString read;
    std::array<QString, 2> values = {QStringLiteral("00"), QStringLiteral("00")};
};

struct PanelResult {
    enum class Outcome {
        NotARegister,    // the register box holds pasted text that is no byte
        NotAValue,       // a value box does: nothing read or written
        NotAcknowledged, // the read was not taken
        Read,            // `value` is the value read
        Toggled,         // the toggle chose `value` and wrote it, or tried to
    };
    Outcome outcome = Outcome::NotARegister;
    std::uint8_t reg = 0;
    std::uint8_t value = 0;
    bool written = false;                 // the chip took the toggle's write
    std::optional<std::uint8_t> readBack; // what the chip read back after it
    LinkResult failure;                   // the read, else the toggle's write, else its read-back
};

// Reads the register named in the panel, a number outside the main set
// becoming 0x10, and shows it in the panel only.
PanelResult readIndividualRegister(const Chip& chip, PanelTexts& panel);

// The toggle of button `button` (0 or 1): reads the register, writes the
// button's own value unless the register already holds it, else the other
// button's value, then reads it back once into the panel and the model (the
// value read before when the read-back fails), whether the chip took the
// write or not.
PanelResult toggleIndividualRegister(const Chip& chip, PanelTexts& panel, int button);
