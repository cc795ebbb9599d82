#include "core/registers/hextext.h"

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

QString hexByte(std::uint8_t b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

std::uint8_t addWrapped(std::uint8_t b, int delta) {
    return static_cast<std::uint8_t>((b + delta) & 0xFF);
}

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

int filterHexKey(int keyAscii) {
    if (keyAscii >= 'a' && keyAscii <= 'z')
        keyAscii -= 'a' - 'A';
    else if (keyAscii > 127)
        keyAscii = QChar(static_cast<char16_t>(keyAscii)).toUpper().unicode();
    if (keyAscii == 13 || keyAscii == 8)
        return keyAscii;
    const bool digit = keyAscii >= '0' && keyAscii <= '9';
    const bool hexLetter = keyAscii >= 'A' && keyAscii <= 'F';
    return digit || hexLetter ? keyAscii : 0;
}

std::optional<int> parseNumber(const QString& text, int maximum) {
    const bool hex = text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X');
    QStringView digits = QStringView(text).mid(hex ? 2 : 0);
    if (digits.isEmpty())
        return std::nullopt;
    // Leading zeros say nothing (000000001 is 1); eight digits after them are
    // more than any number here needs.
    while (digits.size() > 1 && digits[0] == u'0')
        digits = digits.mid(1);
    if (digits.size() > 8)
        return std::nullopt;
    long long value = 0;
    for (const QChar c : digits) {
        const int digit = hexDigit(c.unicode());
        if (digit < 0 || (!hex && digit > 9))
            return std::nullopt;
        value = value * (hex ? 16 : 10) + digit;
    }
    if (value > maximum)
        return std::nullopt;
    return static_cast<int>(value);
}
