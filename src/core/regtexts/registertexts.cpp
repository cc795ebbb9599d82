#include "core/regtexts/registertexts.h"

#include <array>

namespace {

// Every line is shown exactly as written here, spacing and spelling included;
// the small bit tables are lined up with blanks.
// clang-format off
const char* const kRegister00[] = {
    "Register 0x00, Device ID and Revision",
    "This register is read only.",
    "Default value = 0x31",
    "",
    "Bits 7:4 is the Device ID",
    "     a value of 3 is QDM7720",
    "",
    "Bits 3:0 is the Device revision",
    "     a value of 1 is initial silicon",
    "     a value of 2 is first revison of silicon",
    "     a value of 3... future revisions of silicon",
};

const char* const kRegister01[] = {
    "Register 0x01, Channel Activity",
    "This register is read only.",
    "Default value = 0x00",
    "",
    "Bits 7:4 are not used",
    "",
    "Bit 3 indicates the TMDS clock for channel D is active.",
    "Bit 2 indicates the TMDS clock for channel C is active.",
    "Bit 1 indicates the TMDS clock for channel B is active.",
    "Bit 0 indicates the TMDS clock for channel A is active.",
};

const char* const kRegister02[] = {
    "Register 0x02, Channel Select",
    "Default value = 0x0C",
    "",
    "Bits 7:6 are not used",
    "",
    "Bit 5 (Power Down) When high, this bit places the QDM7720 in minimal power consumption mode, turning off all TMDS outputs and open-circuiting all TMDS inputs. This bit is ORed with the Power-down input pin: the QDM7720 enters power-down if either is set. The two-wire interface stays operational during power-down.",
    "",
    "Bit 4 (Reset) This bit is normally low. When written high, the QDM7720 will automatically clear this bit when the QDM7720 reset has completed.",
    "",
    "Bit 3 (Hardware Channel Select) This bit is normally high. When this bit is high, the channel is selected by the I/O pins Auto-Channel Select and Ch_sel[1:0].",
    "When this bit is low, the channel selection is using bits [2:0] of this register.",
    "",
    "Bit 2 (Auto Channel Select) This bit is normally high. When this bit is high, the channel is selected by active-channel detection, with channel A at the highest priority, then B, then C, and D at the lowest.",
    "When this bit is low, channel selection is controlled by bits [1:0 of this register.",
    "",
    "Bit [1:0] (Channel Select) These two bits select the channel per the table below:",
    "  bit            1 0",
    "channel A  0 0",
    "channel B  0 1",
    "channel C  1 0",
    "channel D  1 1",
    "",
    "bits [1:0] are read only when channel selection is automatic.",
};

const char* const kRegister03[] = {
    "Register 0x03, Input Control",
    "",
    "Default value = 0x12",
    "",
    "Bit 7 (Recalibrate)",
    "This bit causes the Rx termination resistors to be recalibrated. To recalibrate them, take this bit high, hold it high for at least 1 ms, and take it low again.",
    "Calibration is automatically done after poer-on, so this function is not needed in normal opertion.",
    "",
    "Bit 6 (Rx Hysteresis Magnitude)",
    " A low sets the input hysterisis as 10mV.",
    " A high sets the input hysterisis as 20mV.",
    "",
    "Bit 5 (Rx Hysteresis)",
    "A low disables TMDS input hysteresis.",
    "A high enables TMDS input hysteresis. This reduces false activity detects on unconnected channels, but may reduce the ability to recover the poorest quality input signals.",
    "",
    "Bit 4 (Connection Check)",
    "A low disbles connection checking.",
    "A high enables connection checking: when no TMDS source is connected to a clock input, the activity detect of that input is always negative, which prevents noise on unconnected inputs from falsely triggering the activity detect.",
    "",
    "Bit 3 (Tristate Selected Data In)",
    "A low has the selected data inputs terminated into 50/100 ohms.",
    "A high tristates the selected data inputs to allow the chip to operate in parallel with another TMDS receiver with fixed 50-ohm termination.",
    "",
    "Bit 2 (Tristate Selected Clock In)",
    "A low has the selected clock inputs terminated into 50/100 ohms.",
    "A high tristates the selected clock inputs to allow the chip to operate in parallel with another TMDS receiver with fixed 50-ohm termination.",
    "",
    "Bit 1 (Tri-state Unselected Data In)",
    "A low has the un-selected data inputs terminated into 50/100 ohms.",
    "A high tristates the un-selected data inputs to save power. This option is not for use in a crosspoint configuration, where the selected channels cannot be foreseen.",
    "",
    "Bit 0 (Tristate Unselected Clock In)",
    "A low has the un-selected clock inputs terminated into 50/100 ohms.",
    "A high tristates the un-selected clock inputs to save power. This option is not for use in a crosspoint configuration, where the selected channels cannot be foreseen.",
};

const char* const kRegister04[] = {
    "Register 0x04, Termination Control",
    "",
    "Default value = 0x00",
    "",
    "Bit 7 (DATA term Ch A)",
    "Bit 6 (DATA term Ch B)",
    "Bit 5 (DATA term Ch C)",
    "Bit 4 (DATA term Ch D)",
    "Bit 3 (CLK term Ch A)",
    "Bit 2 (CLK term Ch B)",
    "Bit 1 (CLK term Ch C)",
    "Bit 0 (CLK term Ch D)",
    "",
    "A low sets the input termination to 50-ohms (standard mode).",
    "A high sets the input termination to 100-ohms (Crosspoint mode).",
};

const char* const kRegister05[] = {
    "Register 0x05, Output Options",
    "",
    "Default value = 0x00",
    "",
    "Bit [7:4] (Not used)",
    "",
    "Bit 3 (Reverse Output Order)",
    "A low sets normal operation: CH0=>CH0, CH1=>CH1, and CH2=>CH2.",
    "A high crosses the channels so: CH0=>CH2, CH1=>CH1, and CH2=>CH1. This is necessary when paralleling two 4:1 muxes (one on top of the PCB and one on the bottom) to create an 8:1 mux.",
    "",
    "Bit 2 (Invert Output Polarity)",
    "A low sets normal output polarity.",
    "A high inverts the output polarity: +=>- and -=>+. This is necessary when paralleling two 4:1 muxes (one on top of the PCB and one on the bottom) to create an 8:1 mux.",
    "",
    "Bit 1 (Tristate Data)",
    "A low sets normal operation.",
    "A high tristates the data outputs allowing another chip to drive the output pins.",
    "",
    "Bit 0 (Tristate Clock)",
    "A low sets normal operation.",
    "A high tristates the clock outputs allowing another chip to drive the output pins.",
};

const char* const kRegister06[] = {
    "Register 0x06, Output Drive and PreEmphasis",
    "",
    "Default value = 0x00",
    "",
    "Bit [7:4] (Transmit PreEmphasis)",
    "A value of 0x0 is 0mA PreEmphasis output current.",
    "A value of 0xF is 1.875mA PreEmphasis output current.",
    "The PreEmphasis increases by 0.125mA for each increment in value.",
    "",
    "Bit [3:0] (Transmit Current)",
    "A value of 0x0 is 10mA output current.",
    "A value of 0xF is 11.875mA output current.",
    "The output current increases by 0.125mA for each increment in value.",
};

const char* const kRegister07[] = {
    "Register 0x07, Equalization for Channels B and A",
    "",
    "Default value = 0xCC",
    "",
    "Bit [7:4] (Rx Equalization Gain - Channel B)",
    "A value of 0x0 is minimum boost.",
    "A value of 0xF is maximum boost.",
    "",
    "Bit [3:0] (Rx Equalization Gain - Channel A)",
    "A value of 0x0 is minimum boost.",
    "A value of 0xF is maximum boost.",
};

const char* const kRegister08[] = {
    "Register 0x08, Equalization for Channels D and C",
    "",
    "Default value = 0xCC",
    "",
    "Bit [7:4] (Rx Equalization Gain - Channel D)",
    "A value of 0x0 is minimum boost.",
    "A value of 0xF is maximum boost.",
    "",
    "Bit [3:0] (Rx Equalization Gain - Channel C)",
    "A value of 0x0 is minimum boost.",
    "A value of 0xF is maximum boost.",
};

const char* const kRegister09[] = {
    "Register 0x09, Test Registers",
    "",
    "Default value = 0x00",
    "",
    "Bit [7:3] (Not used)",
    "",
    "Bit 2 (Enable PRBS Checker)",
    " When high, the PRBS counter registers (0x0A, 0x0B, and 0x0C) will count PRBS7 errors.",
    "",
    "Bit [1:0] (Test Pattern Generator)",
    "",
    " bit",
    " 1 0",
    " 0 0     Disabled",
    " 0 1     PRBS7 pattern generator",
    " 1 0     Low Frequency test pattern (0000011111...)",
    " 1 1     High Frequency test pattern (1010101010...)",
};

const char* const kRegister0A[] = {
    "Register 0x0A, PRBS7 Error counter Link 0",
    "",
    "Default value = 0x00",
    "",
    "Bits [7:0] (PRBS7 Error Counter Link 0)",
    "",
    "The counter saturates at 0xFF.",
    "Reading this register clears this register at end of the read.",
};

const char* const kRegister0B[] = {
    "Register 0x0B, PRBS7 Error counter Link 1",
    "",
    "Default value = 0x00",
    "",
    "Bits [7:0] (PRBS7 Error Counter Link 1)",
    "",
    "The counter saturates at 0xFF.",
    "Reading this register clears this register at end of the read.",
};

const char* const kRegister0C[] = {
    "Register 0x0C, PRBS7 Error counter Link 2",
    "",
    "Default value = 0x00",
    "",
    "Bits [7:0] (PRBS7 Error Counter Link 2)",
    "",
    "The counter saturates at 0xFF.",
    "Reading this register clears this register at end of the read.",
};

const char* const kRegister10[] = {
    "Register 0x10, PLL Settings",
    "",
    "Default value = 0x10",
    "",
    "Bit [7:2] (Reserved) Keep set to 000100 binary.",
    "",
    "Bit [1:0] (PLL Bandwidth) These two bits set the bandwidth of the PLL per the table below:",
    " bit          1 0",
    "4MHz     0 0",
    "2MHz     0 1",
    "1MHz     1 0",
    "100KHz  1 1",
};

// clang-format on

const std::array<std::span<const char* const>, kDescribedRegisters> kDescriptions = {
    kRegister00, kRegister01, kRegister02, kRegister03, kRegister04, kRegister05, kRegister06,
    kRegister07, kRegister08, kRegister09, kRegister0A, kRegister0B, kRegister0C, kRegister10,
};

} // namespace

std::span<const char* const> registerDescription(int index) {
    if (index < 0 || index >= kDescribedRegisters)
        return {};
    return kDescriptions[static_cast<std::size_t>(index)];
}

int descriptionIndexOf(std::uint8_t reg) {
    if (reg <= 0x0C)
        return reg;
    return reg == 0x10 ? kDescribedRegisters - 1 : -1;
}

QString registerName(std::uint8_t reg) {
    const std::span<const char* const> lines = registerDescription(descriptionIndexOf(reg));
    if (lines.empty())
        return {};
    // "Register 0x05, Output Options"
    const QString heading = QString::fromLatin1(lines.front());
    return heading.mid(heading.indexOf(QLatin1Char(',')) + 2);
}

QString descriptionText(int index) {
    const std::span<const char* const> lines = registerDescription(index);
    if (lines.empty())
        return kNoRegisterText;
    const QString lineEnd = QStringLiteral("\r\n");
    QString text;
    for (const char* line : lines)
        text += QString::fromLatin1(line) + lineEnd;
    return text + lineEnd;
}

QStringList descriptionLines(std::uint8_t reg, std::uint64_t which) {
    const std::span<const char* const> lines = registerDescription(descriptionIndexOf(reg));
    QStringList words;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool told = (which >> (i + 1)) & 1;
        if (told && *lines[i] != 0)
            words << QString::fromLatin1(lines[i]);
    }
    return words;
}
