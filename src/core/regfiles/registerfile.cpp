#include "core/regfiles/registerfile.h"

#include "core/registers/registermap.h"

#include <algorithm>

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool onlyBlanks(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), isBlank);
}

// The next line of `bytes` from `pos`, without its end (CR LF, CR or LF);
// `pos` moves past the end. `ended`: the line has an end (the last may not).
QByteArrayView nextLine(QByteArrayView bytes, qsizetype& pos, bool& ended) {
    const qsizetype start = pos;
    while (pos < bytes.size() && bytes[pos] != '\r' && bytes[pos] != '\n')
        ++pos;
    const QByteArrayView line = bytes.sliced(start, pos - start);
    ended = pos < bytes.size();
    if (pos < bytes.size() && bytes[pos] == '\r')
        ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n')
        ++pos;
    return line;
}

} // namespace

QByteArray fileLine(const QString& text) {
    return text.toLatin1() + "\r\n";
}

QByteArray registerLine(std::uint8_t reg, const QString& cellText) {
    QString text = cellText;
    for (QChar& c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char(','))
            c = QLatin1Char('?');
    }
    return fileLine(registerAddressText(reg) + QLatin1Char('\t') + text);
}

QByteArray registerFileBytes(const std::function<QString(std::uint8_t)>& cellText) {
    QByteArray bytes = kRegisterFileHeader + "\r\n";
    for (std::uint8_t reg : kMainRegisters)
        bytes += registerLine(reg, cellText(reg));
    return bytes;
}

bool isRegisterLine(QByteArrayView field) {
    return field.startsWith("0x");
}

RegisterLine readRegisterLine(QByteArrayView field, bool atEnd) {
    using V = LineVerdict;
    if (!isRegisterLine(field) || field.size() < 4 || hexDigit(field[2]) < 0 ||
        hexDigit(field[3]) < 0)
        return {V::BadAddress};
    const auto reg = static_cast<std::uint8_t>(hexDigit(field[2]) * 16 + hexDigit(field[3]));
    const QByteArrayView rest = field.sliced(4);
    if (onlyBlanks(rest))
        return {atEnd ? V::CutOff : V::NoValue};
    if (!isBlank(rest[0]))
        return {V::BadSeparator};
    const QByteArrayView value = rest.sliced(1);
    qsizetype digits = 0;
    while (digits < value.size() && digits < 3 && hexDigit(value[digits]) >= 0)
        ++digits;
    if (digits == 0 || digits > 2 || !onlyBlanks(value.sliced(digits)))
        return {V::BadValue};
    if (digits == 1 && atEnd)
        return {V::CutOff};
    int byte = 0;
    for (char c : value.first(digits))
        byte = byte * 16 + hexDigit(c);
    return {V::Write, {reg, static_cast<std::uint8_t>(byte)}};
}

QString lineFaultText(LineVerdict verdict) {
    switch (verdict) {
    case LineVerdict::BadAddress:
        return QStringLiteral("its address is not two hexadecimal digits after \"0x\"");
    case LineVerdict::BadSeparator:
        return QStringLiteral("a blank or a tab must follow its address");
    case LineVerdict::BadValue:
        return QStringLiteral(
            "its value is not one or two hexadecimal digits followed by nothing but blanks");
    case LineVerdict::CutOff:
        return QStringLiteral("the file ends in it before the second digit of its value, "
                              "as if cut off while being written");
    case LineVerdict::Write:
    case LineVerdict::NoValue:
        break;
    }
    return {};
}

RegisterFileCheck checkRegisterFile(QByteArrayView bytes) {
    RegisterFileCheck check;
    qsizetype pos = 0;
    int lineNumber = 0;
    bool first = true;
    do {
        bool ended = false;
        const QByteArrayView line = nextLine(bytes, pos, ended);
        ++lineNumber;
        qsizetype start = 0;
        while (true) {
            const qsizetype comma = line.indexOf(',', start);
            const qsizetype end = comma < 0 ? line.size() : comma;
            const QByteArrayView field = line.sliced(start, end - start);
            if (first) {
                if (field != kRegisterFileHeader)
                    return check;
                first = false;
            } else if (isRegisterLine(field)) {
                const RegisterLine read = readRegisterLine(field, comma < 0 && !ended);
                if (read.verdict == LineVerdict::Write) {
                    check.writes.push_back(read.write);
                } else if (read.verdict == LineVerdict::NoValue) {
                    check.skippedLines.push_back(lineNumber);
                } else {
                    check.verdict = RegisterFileCheck::Verdict::BadRegisterLine;
                    check.lineNumber = lineNumber;
                    check.lineText = line.toByteArray();
                    check.fault = read.verdict;
                    check.writes.clear();
                    check.skippedLines.clear();
                    return check;
                }
            }
            if (comma < 0)
                break;
            start = comma + 1;
        }
    } while (pos < bytes.size());
    check.verdict = RegisterFileCheck::Verdict::Accepted;
    return check;
}
