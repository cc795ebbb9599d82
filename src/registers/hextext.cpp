#include "registers/hextext.h"

#include <Qt>
#include <array>
#include <utility>

namespace {

int hexDigit(char16_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::uint8_t> hexTextByte(const QString& text) {
    if (text.isEmpty())
        return 0;
    QStringView digits = QStringView(text).trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.sliced(2);
    if (digits.isEmpty() || digits.size() > 2)
        return std::nullopt;
    int value = 0;
    for (QChar c : digits) {
        const int digit = hexDigit(c.unicode());
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return static_cast<std::uint8_t>(value);
}

void filterHexKey(int& keyAscii) {
    if (keyAscii >= 'a' && keyAscii <= 'z')
        keyAscii -= 'a' - 'A';
    else if (keyAscii > 127)
        keyAscii = QChar(static_cast<char16_t>(keyAscii)).toUpper().unicode();
    if (keyAscii == 13 || keyAscii == 8)
        return;
    const bool digit = keyAscii >= '0' && keyAscii <= '9';
    const bool hexLetter = keyAscii >= 'A' && keyAscii <= 'F';
    if (!digit && !hexLetter)
        keyAscii = 0;
}

std::optional<int> stepOfKey(int key) {
    // Tested in this order: the -1 keys, the +1 keys, Page Down, Page Up.
    static constexpr std::array<std::pair<int, int>, 6> steps = {{
        {Qt::Key_Down, -1},
        {Qt::Key_Left, -1},
        {Qt::Key_Up, +1},
        {Qt::Key_Right, +1},
        {Qt::Key_PageDown, -16},
        {Qt::Key_PageUp, +16},
    }};
    for (const auto& [k, change] : steps) {
        if (k == key)
            return change;
    }
    return std::nullopt;
}
