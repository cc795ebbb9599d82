// A register file may hold any bytes: a hand-edited file, a truncated one, the
// wrong file altogether. The check must agree with an oracle that states the
// loader's rules another way: lines end at CR LF, CR or LF; fields at commas;
// the first field is the header; a field starting "0x" goes on with two hex
// digits of the register, then a blank or tab and one or two hex digits of
// the value or no value at all (skipped), then nothing but blanks, and the
// field the file ends in needs both value digits; any other such field
// refuses the file at its line, with nothing written and nothing skipped.
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
                return {RegisterFileCheck::Verdict::BadRegisterLine, {}, {}, int(n) + 1};
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
