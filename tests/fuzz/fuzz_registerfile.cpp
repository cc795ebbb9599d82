// A register file may hold any bytes: a hand-edited file, a truncated one, the
// wrong file altogether. The check must either refuse it with no writes, or
// give every register line once, in file order, with the register and value
// the line names: the writes a load makes.
#include "core/regfiles/registerfile.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// The loader's rules written out once more, plainly, as the oracle: lines end
// at CR LF, CR or LF; fields at commas; the first field is the header; a
// field starting "0x" has its address in characters 3-4 and its value in 6-7,
// where one digit may be followed by a blank.
std::optional<std::vector<RegisterWrite>> expectedWrites(const QByteArray& bytes) {
    QByteArray text = bytes;
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    std::vector<RegisterWrite> writes;
    bool first = true;
    for (const QByteArray& line : text.split('\n')) {
        for (const QByteArray& field : line.split(',')) {
            if (first) {
                if (field != kRegisterFileHeader)
                    return std::nullopt;
                first = false;
                continue;
            }
            if (!field.startsWith("0x"))
                continue;
            QByteArray value = field.mid(5, 2);
            if (value.size() == 2 && (value[1] == ' ' || value[1] == '\t'))
                value.chop(1);
            if (field.size() < 6 || !isHexDigit(field[2]) || !isHexDigit(field[3]) ||
                value.isEmpty() || !std::all_of(value.begin(), value.end(), isHexDigit))
                return std::nullopt;
            int v = 0;
            for (char c : value)
                v = v * 16 + hexValue(c);
            writes.push_back(
                {static_cast<std::uint8_t>(hexValue(field[2]) * 16 + hexValue(field[3])),
                 static_cast<std::uint8_t>(v)});
        }
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
