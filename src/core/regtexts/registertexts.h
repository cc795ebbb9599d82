// The descriptions of the fourteen main registers that the register
// definitions window shows, one list of lines per option index: 0 to 12
// describe registers 0x00 to 0x0C, 13 describes register 0x10.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>

constexpr int kDescribedRegisters = 14;

inline const QString kNoRegisterText = QStringLiteral("Please select a valid register.");

// The lines of description `index`, without line ends; none for an index
// outside 0 to 13.
std::span<const char* const> registerDescription(int index);

// The description of register `reg`: its index, or -1 when it has none.
int descriptionIndexOf(std::uint8_t reg);
// The register's name as its description is headed ("Output Options"), or
// empty for a register without a description.
QString registerName(std::uint8_t reg);

// The text the register definitions window shows for option `index`: the
// lines of its description, each ending in CR LF, and one empty line more;
// for an index without a description, kNoRegisterText alone.
QString descriptionText(int index);

// The lines of register `reg`'s description that `which` marks (bit n for
// line n, counted from 1, as a field's `description` holds them), without the
// empty ones: "Bit 5 (Power Down) When high, ...".
QStringList descriptionLines(std::uint8_t reg, std::uint64_t which);
