#include "core/platform/outsidetext.h"

namespace {

constexpr char16_t kFirstKeptByte = 0xDC80; // stands for byte 0x80
constexpr char16_t kLastKeptByte = 0xDCFF;  // for byte 0xFF

// 2 for a pair of surrogates at `i`, one character; else 1. Text is walked
// by characters, so that the second half of one beyond U+FFFF is never
// taken for a kept byte (U+10080 is D800 DC80).
qsizetype characterLength(QStringView text, qsizetype i) {
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

// A byte nameFromBytes() kept, at a character's start `i`.
bool isKeptByte(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    return c >= kFirstKeptByte && c <= kLastKeptByte;
}

// A character a terminal or a message shows as nothing, or as a blank that
// is not one, or that reorders or breaks the line around it.
bool showsNothing(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:       // C1 (C0 and DEL are escaped as bytes)
    case QChar::Other_Format:        // U+200B, U+202E, U+2066, U+FEFF, soft hyphen
    case QChar::Other_Surrogate:     // half a character
    case QChar::Other_PrivateUse:    // nothing any font agrees on
    case QChar::Other_NotAssigned:   // nothing at all yet
    case QChar::Separator_Line:      // U+2028
    case QChar::Separator_Paragraph: // U+2029
        return true;
    case QChar::Separator_Space:
        return c != u' ';
    default: // the Hangul fillers, letters that show as blanks
        return c == 0x115F || c == 0x1160 || c == 0x3164 || c == 0xFFA0;
    }
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
    name.reserve(bytes.size());
    while (!bytes.isEmpty()) {
        const qsizetype n = utf8Length(bytes);
        const auto at = [&](qsizetype i) {
            return char32_t(static_cast<unsigned char>(bytes[i]));
        };
        if (n == 0) {
            name += QChar(kFirstKeptByte + at(0) - 0x80);
            bytes = bytes.sliced(1);
            continue;
        }
        // Decoded here, character by character: a decoder of Qt's would
        // drop a U+FEFF at the start of what it is given.
        char32_t c = n == 1 ? at(0) : at(0) & (0x7F >> n);
        for (qsizetype i = 1; i < n; ++i)
            c = c << 6 | (at(i) & 0x3F);
        if (QChar::requiresSurrogates(c)) {
            name += QChar(QChar::highSurrogate(c));
            name += QChar(QChar::lowSurrogate(c));
        } else {
            name += QChar(char16_t(c));
        }
        bytes = bytes.sliced(n);
    }
    return name;
}

QByteArray nameBytes(QStringView name) {
    QByteArray bytes;
    qsizetype start = 0; // of the text not yet converted
    for (qsizetype i = 0; i < name.size(); i += characterLength(name, i)) {
        if (!isKeptByte(name, i))
            continue;
        bytes += name.sliced(start, i - start).toUtf8();
        bytes += static_cast<char>(name[i].unicode() - kFirstKeptByte + 0x80);
        start = i + 1;
    }
    return bytes + name.sliced(start).toUtf8();
}

QString escapedText(QStringView text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString shown;
    shown.reserve(text.size());
    const auto hex = [&](char32_t value, int digits) {
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
            shown += QLatin1Char(kDigits[(value >> shift) & 0x0F]);
    };
    for (qsizetype i = 0; i < text.size(); i += characterLength(text, i)) {
        const char32_t c = characterLength(text, i) == 2
                               ? QChar::surrogateToUcs4(text[i], text[i + 1])
                               : char32_t(text[i].unicode());
        if (isKeptByte(text, i) || c < 0x20 || c == 0x7F) {
            const char* named = c == u'\n' ? "\\n" : c == u'\r' ? "\\r" : c == u'\t' ? "\\t" : "";
            if (*named) {
                shown += QLatin1String(named);
            } else {
                shown += QLatin1String("\\x");
                hex(isKeptByte(text, i) ? c - kFirstKeptByte + 0x80 : c, 2);
            }
        } else if (c == u'\\') {
            shown += QLatin1String("\\\\");
        } else if (showsNothing(c)) {
            shown += QLatin1String(c > 0xFFFF ? "\\U" : "\\u");
            hex(c, c > 0xFFFF ? 8 : 4);
        } else {
            shown += text.sliced(i, characterLength(text, i));
        }
    }
    return shown;
}
