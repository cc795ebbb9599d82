// A register file may hold any bytes: a hand-edited file, a truncated one, the
// wrong file altogether. The check must either refuse it with no writes, or
// give every register line once, in file order, with the register and value
// the line names: the writes a load makes.
#include "core/regfiles/registerfile.h"

#include <QRegularExpression>
#include <cstdlib>
#include <optional>

namespace {

// The loader's rules written out once more, another way, as the oracle: lines
// end at CR LF, CR or LF; fields at commas; the first field is the header; a
// field starting "0x" goes on with two hex digits of the register, any one
// character, and two hex digits of the value, or one before a blank or the end.
std::optional<std::vector<RegisterWrite>> expectedWrites(const QByteArray& bytes) {
    static const QRegularExpression registerField(
        QStringLiteral("^0x([0-9A-Fa-f]{2}).([0-9A-Fa-f]{2}|[0-9A-Fa-f](?=[ \t]|$))"),
        QRegularExpression::DotMatchesEverythingOption);
    QString text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList fields = text.split(QRegularExpression(QStringLiteral("[\n,]")));
    if (fields.front() != QLatin1String(kRegisterFileHeader))
        return std::nullopt;
    std::vector<RegisterWrite> writes;
    for (const QString& field : fields.mid(1)) {
        const QRegularExpressionMatch m = registerField.match(field);
        if (field.startsWith(QLatin1String("0x")) && !m.hasMatch())
            return std::nullopt;
        if (m.hasMatch())
            writes.push_back({std::uint8_t(m.captured(1).toUInt(nullptr, 16)),
                              std::uint8_t(m.captured(2).toUInt(nullptr, 16))});
    }
    return writes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<std::vector<RegisterWrite>> expected = expectedWrites(bytes);
    const RegisterFileCheck check = checkRegisterFile(bytes);
    const bool accepted = check.verdict == RegisterFileCheck::Verdict::Accepted;
    if (accepted != expected.has_value() || (accepted && check.writes != *expected) ||
        (!accepted && !check.writes.empty()))
        std::abort();
    return 0;
}
