// A register file may hold any bytes: a hand-edited file, a truncated one, the
// wrong file altogether. The check must either refuse it with no writes, or
// give every register line once, in file order, with the register and value
// the line names, and the lines with no value it skips: the writes a load
// makes. A refusal names the first line it cannot read.
#include "core/regfiles/registerfile.h"

#include <QRegularExpression>
#include <QStringList>
#include <cstdlib>

namespace {

// The loader's rules written out once more, another way, as the oracle: lines
// end at CR LF, CR or LF; fields at commas; the first field is the header; a
// field starting "0x" goes on with two hex digits of the register and then
// either nothing but blanks (no value: skipped) or a blank or tab, one or two
// hex digits of the value and nothing but blanks. The field the file ends in,
// with no line end after it, needs both value digits.
RegisterFileCheck expectedCheck(const QByteArray& bytes) {
    static const QRegularExpression write(
        QStringLiteral("^0x([0-9A-Fa-f]{2})[ \t]([0-9A-Fa-f]{1,2})[ \t]*$"));
    static const QRegularExpression noValue(QStringLiteral("^0x[0-9A-Fa-f]{2}[ \t]*$"));
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
            const QString& field = fields[f];
            const bool atEnd = n == lines.size() - 1 && f == fields.size() - 1;
            const QRegularExpressionMatch m = write.match(field);
            if (!field.startsWith(QLatin1String("0x"))) {
                continue;
            } else if (m.hasMatch() && !(atEnd && m.capturedLength(2) == 1)) {
                expected.writes.push_back({std::uint8_t(m.captured(1).toUInt(nullptr, 16)),
                                           std::uint8_t(m.captured(2).toUInt(nullptr, 16))});
            } else if (noValue.match(field).hasMatch() && !atEnd) {
                expected.skippedLines.push_back(int(n) + 1);
            } else {
                RegisterFileCheck refused; // nothing written, nothing skipped
                refused.verdict = RegisterFileCheck::Verdict::BadRegisterLine;
                refused.lineNumber = int(n) + 1;
                return refused;
            }
        }
    }
    expected.verdict = RegisterFileCheck::Verdict::Accepted;
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const RegisterFileCheck expected = expectedCheck(bytes);
    const RegisterFileCheck check = checkRegisterFile(bytes);
    using Verdict = RegisterFileCheck::Verdict;
    if (check.verdict != expected.verdict || check.writes != expected.writes ||
        check.skippedLines != expected.skippedLines ||
        (check.verdict == Verdict::BadRegisterLine && check.lineNumber != expected.lineNumber))
        std::abort();
    return 0;
}
