#include "board/linkhelpers.h"

QString hexByte(std::uint8_t b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

std::uint8_t addWrapped(std::uint8_t b, std::int16_t delta) {
    return static_cast<std::uint8_t>((b + delta) & 0xFF);
}
