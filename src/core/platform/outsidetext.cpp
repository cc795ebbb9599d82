#include "core/platform/outsidetext.h"

namespace {

constexpr char16_t kFirstKeptByte = 0xDC80; // stands for byte 0x80
constexpr char16_t kLastKeptByte = 0xDCFF;  // for byte 0xFF

bool isKeptByte(char16_t c) {
    return c >= kFirstKeptByte && c <= kLastKeptByte;
}

// The length of the UTF-8 character at the start of `bytes`, or 0 when the
// first byte starts none: no overlong form, surrogate or code point beyond
// U+10FFFF is UTF-8.
qsizetype utf8Length(QByteArrayView bytes) {
    const auto at = [&](qsizetype i) {
        return static_cast<unsigned char>(bytes[i]);
    };
    const unsigned char b = at(0);
    const qsizetype n = b < 0x80   ? 1
                        : b < 0xC2 ? 0
                        : b < 0xE0 ? 2
                        : b < 0xF0 ? 3
                        : b < 0xF5 ? 4
                                   : 0;
    if (n == 0 || n > bytes.size())
        return 0;
    for (qsizetype i = 1; i < n; ++i) {
        if ((at(i) & 0xC0) != 0x80)
            return 0;
    }
    // The second byte's least and greatest value where the first allows fewer.
    if ((b == 0xE0 && at(1) < 0xA0) || (b == 0xED && at(1) >= 0xA0) ||
        (b == 0xF0 && at(1) < 0x90) || (b == 0xF4 && at(1) >= 0x90))
        return 0;
    return n;
}

} // namespace

QString nameFromBytes(QByteArrayView bytes) {
    QString name;
    while (!bytes.isEmpty()) {
        const qsizetype n = utf8Length(bytes);
        if (n == 0) {
            name += QChar(kFirstKeptByte + static_cast<unsigned char>(bytes[0]) - 0x80);
            bytes = bytes.sliced(1);
        } else {
            name += QString::fromUtf8(bytes.first(n));
            bytes = bytes.sliced(n);
        }
    }
    return name;
}

QByteArray nameBytes(QStringView name) {
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isKeptByte(name[i].unicode()))
            continue;
        bytes += name.sliced(start, i - start).toUtf8();
        if (i < name.size())
            bytes += static_cast<char>(name[i].unicode() - kFirstKeptByte + 0x80);
        start = i + 1;
    }
    return bytes;
}

QString escapedText(QStringView text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7F && u < 0xA0);
        if (!control && !isKeptByte(u)) {
            shown += c;
            continue;
        }
        switch (u) {
        case u'\n':
            shown += QLatin1String("\\n");
            break;
        case u'\r':
            shown += QLatin1String("\\r");
            break;
        case u'\t':
            shown += QLatin1String("\\t");
            break;
        default: {
            const int byte = control ? u : u - kFirstKeptByte + 0x80;
            shown += QLatin1String("\\x");
            shown += QLatin1Char(kDigits[byte >> 4]);
            shown += QLatin1Char(kDigits[byte & 0x0F]);
        }
        }
    }
    return shown;
}
