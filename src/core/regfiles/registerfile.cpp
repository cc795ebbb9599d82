#include "core/regfiles/registerfile.h"

#include "core/registers/registermap.h"

#include <charconv>

namespace {

// One or two hexadecimal digits and nothing else: no blank, sign or prefix.
std::optional<std::uint8_t> hexByteOf(QByteArrayView digits) {
    if (digits.isEmpty() || digits.size() > 2)
        return std::nullopt;
    unsigned value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, 16);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

// The next line of `bytes` from `pos`, without its end (CR LF, CR or LF);
// `pos` moves past the end.
QByteArrayView nextLine(QByteArrayView bytes, qsizetype& pos) {
    const qsizetype start = pos;
    while (pos < bytes.size() && bytes[pos] != '\r' && bytes[pos] != '\n')
        ++pos;
    const QByteArrayView line = bytes.sliced(start, pos - start);
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

std::optional<RegisterWrite> readRegisterLine(QByteArrayView field) {
    if (!isRegisterLine(field) || field.size() < 6)
        return std::nullopt;
    const auto reg = hexByteOf(field.sliced(2, 2));
    // A one-digit value may be followed by a blank, like any text after it.
    QByteArrayView valueField = field.sliced(5, std::min<qsizetype>(2, field.size() - 5));
    if (valueField.size() == 2 && (valueField[1] == ' ' || valueField[1] == '\t'))
        valueField = valueField.first(1);
    const auto value = hexByteOf(valueField);
    if (!reg || !value)
        return std::nullopt;
    return RegisterWrite{*reg, *value};
}

RegisterFileCheck checkRegisterFile(QByteArrayView bytes) {
    RegisterFileCheck check;
    qsizetype pos = 0;
    int lineNumber = 0;
    bool first = true;
    do {
        const QByteArrayView line = nextLine(bytes, pos);
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
                const auto write = readRegisterLine(field);
                if (!write) {
                    check.verdict = RegisterFileCheck::Verdict::BadRegisterLine;
                    check.lineNumber = lineNumber;
                    check.lineText = line.toByteArray();
                    check.writes.clear();
                    check.writeLines.clear();
                    return check;
                }
                check.writes.push_back(*write);
                check.writeLines.push_back(lineNumber);
            }
            if (comma < 0)
                break;
            start = comma + 1;
        }
    } while (pos < bytes.size());
    check.verdict = RegisterFileCheck::Verdict::Accepted;
    return check;
}
