// Register values as text: the two hexadecimal digits every value is shown
// as, the bytes the hex boxes hold, the filter on typed characters, and
// numbers as a command line gives them.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Exactly two upper-case hexadecimal digits: 0 -> "00", 10 -> "0A", 255 -> "FF".
QString hexByte(std::uint8_t b);

// (b + delta) modulo 256, also for negative sums.
std::uint8_t addWrapped(std::uint8_t b, int delta);

// The byte a hex box holds. Typing lets only hexadecimal digits in, so a
// typed text is one or two digits, or empty (read as 0). A pasted text is a
// byte only if, with surrounding blanks removed and an optional "0x" or "0X"
// prefix, it is one or two hexadecimal digits; anything else ("zz", "1ff",
// "0x", control characters) is nothing.
std::optional<std::uint8_t> hexTextByte(const QString& text);

// The hex boxes' filter on a typed character code: lower case becomes upper
// case, Enter (13) and Backspace (8) pass, every other character but 0-9 and
// A-F is cancelled (0).
int filterHexKey(int keyAscii);

// Decimal digits (64), or 0x or 0X followed by hexadecimal digits (0x40);
// nothing else (no sign, blank or second prefix), and not above `maximum`.
std::optional<int> parseNumber(const QString& text, int maximum);
