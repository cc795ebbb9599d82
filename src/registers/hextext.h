// Reading the hexadecimal texts of the grid cells and the panel's boxes, and
// the rules for typing into them.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The byte a hex box holds. Typing lets only hexadecimal digits in, so a
// typed text is one or two digits, or empty (read as 0). A pasted text is a
// byte only if, with surrounding blanks removed and an optional "0x" or "0X"
// prefix, it is one or two hexadecimal digits; anything else ("zz", "1ff",
// "0x", control characters) is nothing.
std::optional<std::uint8_t> hexTextByte(const QString& text);

// The key filter of the hex boxes, on a character code (in and out): lower
// case becomes upper case, Enter (13) and Backspace (8) pass, every other
// character but 0-9 and A-F is cancelled (set to 0).
void filterHexKey(int& keyAscii);

// Modifier state of a key event as a bit set: 1 Shift, 2 Ctrl, 4 Alt.
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kAltMask = 4;

// Whether a key release with modifier state `shift` goes on to write: Shift,
// Ctrl or both (without Alt) do not; any other state, Alt ones included, does.
constexpr bool releaseWrites(int shift) {
    return shift != kShiftMask && shift != kCtrlMask && shift != (kShiftMask | kCtrlMask);
}

// The change a step key makes to a cell's value (arrows +-1, Page Up/Down
// +-16), or nothing for any other key. `key` is a Qt::Key.
std::optional<int> stepOfKey(int key);
