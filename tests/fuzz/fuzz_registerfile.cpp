// A register file may hold any bytes: a hand-edited file, a truncated one, the
// wrong file altogether. Loading it as the File menu does must either refuse
// it with a message and write nothing, or write every register line once, in
// file order, to the register and with the value the line names, and then
// read the registers back.
#include "core/operations/registerfiles.h"
#include "support/reports.h"
#include "support/simrig.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

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

struct Bench {
    Bench() {
        rig.started();
        path = dir.filePath(QStringLiteral("fuzzed.txt"));
    }
    SimRig rig;
    RegisterFileCommands files{rig.prompt, rig.prompt};
    QTemporaryDir dir;
    QString path;
};

Bench* bench = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Never destroyed: libFuzzer ends the run with exit(), and an application
    // torn down among the exit handlers outlives Qt's own globals.
    static QCoreApplication* app = new QCoreApplication(*argc, *argv);
    Q_UNUSED(app);
    bench = new Bench;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<std::vector<RegisterWrite>> expected = expectedWrites(bytes);

    const RegisterFileCheck check = checkRegisterFile(bytes);
    const bool accepted = check.verdict == RegisterFileCheck::Verdict::Accepted;
    if (accepted != expected.has_value() || (accepted && check.writes != *expected) ||
        (!accepted && !check.writes.empty()))
        std::abort();

    SimRig& rig = bench->rig;
    {
        QFile file(bench->path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            std::abort();
    }
    rig.clearRecords();
    rig.prompt.chooseFile(bench->path);
    bench->files.load(rig.chip(), ReadMode::Burst);

    const std::vector<Report> i2c = reportsWithCommand(rig.board(), CMD_I2C);
    std::vector<RegisterWrite> written;
    for (const Report& r : i2c) {
        if ((r[3] & 1) == 0) {
            if (r[2] != 1 || r[3] != 0x00)
                std::abort(); // one byte at a time, to the device address in use
            written.push_back({r[4], r[5]});
        }
    }
    if (accepted) {
        // Every line once, in order, then Read All: 13 registers from 0x00, then 0x10.
        if (written != check.writes || !rig.prompt.shown.empty() ||
            i2c.size() != written.size() + 2 || i2c[written.size()] != i2cRead(0x00, 0x00, 13))
            std::abort();
    } else if (!written.empty() || rig.prompt.shown.size() != 1) {
        std::abort(); // refused: one message, nothing written
    }
    if (rig.ended() || !rig.prompt.script.empty())
        std::abort();
    return 0;
}
