// Any bytes, checked against the loader's rules stated another way: lines end
// at CR LF, CR or LF, fields at commas; the first field is the header; "0x",
// two hex digits, then a blank or tab and one or two hex digits or no value
// (skipped), then blanks only; the field the file ends in needs two value
// digits; any other "0x" field refuses the file at its line, nothing written.
#include "core/regfiles/registerfile.h"

#include <QRegularExpression>
#include <QStringList>
#include <cstdlib>

static RegisterFileCheck expectedCheck(const QByteArray& bytes) {
    static const QRegularExpression line(
        QStringLiteral("^0x([0-9A-Fa-f]{2})(?:[ \t]([0-9A-Fa-f]{1,2}))?[ \t]*$"));
    QString text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    RegisterFileCheck expected;
    if (lines.front().split(QLatin1Char(',')).front() != QLatin1String(kRegisterFileHeader))
        return expected;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QStringList fields = lines[n].split(QLatin1Char(','));
        for (qsizetype f = n == 0 ? 1 : 0; f < fields.size(); ++f) {
            const QRegularExpressionMatch m = line.match(fields[f]);
            const bool atEnd = n == lines.size() - 1 && f == fields.size() - 1;
            if (!fields[f].startsWith(QLatin1String("0x")))
                continue;
            if (!m.hasMatch() || (atEnd && m.capturedLength(2) < 2))
                return {RegisterFileCheck::Verdict::BadRegisterLine, {}, {}, int(n) + 1, {}, {}};
            if (m.hasCaptured(2))
                expected.writes.push_back({std::uint8_t(m.captured(1).toUInt(nullptr, 16)),
                                           std::uint8_t(m.captured(2).toUInt(nullptr, 16))});
            else
                expected.skippedLines.push_back(int(n) + 1);
        }
    }
    expected.verdict = RegisterFileCheck::Verdict::Accepted;
    return expected;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const RegisterFileCheck expected = expectedCheck(bytes);
    const RegisterFileCheck check = checkRegisterFile(bytes);
    if (check.verdict != expected.verdict || check.writes != expected.writes ||
        check.skippedLines != expected.skippedLines || check.lineNumber != expected.lineNumber)
        std::abort();
    return 0;
}
