#include "cli/commandsupport.h"

#include "cli/fieldcommands.h"
#include "core/operations/readall.h"
#include "core/registers/hextext.h"

#include <QJsonArray>

namespace cli {

QString hex(int value) {
    return QStringLiteral("0x") + hexByte(static_cast<std::uint8_t>(value));
}

QString registers(int count) {
    return QStringLiteral("%1 register%2").arg(count).arg(count == 1 ? "" : "s");
}

QString registersOf(int part, int whole) {
    if (whole == 1)
        return QStringLiteral("the register");
    if (part == whole)
        return whole == 2 ? QStringLiteral("both registers")
                          : QStringLiteral("all %1 registers").arg(whole);
    return QStringLiteral("%1 of the %2").arg(part).arg(registers(whole));
}

CommandResult failure(int status, const QString& error) {
    CommandResult r;
    r.status = status;
    r.error = error;
    return r;
}

CommandResult usage(const QString& error) {
    return failure(kUsageOrFileError, error + QStringLiteral(" See --help."));
}

CommandResult fileError(const QString& path, const QString& why) {
    return failure(kUsageOrFileError, QStringLiteral("%1: %2").arg(path, why));
}

CommandResult linkFailure(const Workbench& b, const QString& what, const LinkResult& r) {
    const int board = b.link.selectedBoard() >= 0 ? b.link.selectedBoard() : b.arguments.board;
    switch (r.status) {
    case LinkStatus::NoAnswer:
        if (!r.reason.isEmpty()) // something came, but not the answer
            return failure(kTimedOut, QStringLiteral("%1: no answer from board %2: %3")
                                          .arg(what)
                                          .arg(board)
                                          .arg(r.reason));
        return failure(kTimedOut, QStringLiteral("%1: no answer from board %2 within %3 ms")
                                      .arg(what)
                                      .arg(board)
                                      .arg(b.arguments.timeoutMs));
    case LinkStatus::WriteFailed:
    case LinkStatus::ReadFailed:
        return failure(kNoBoard,
                       QStringLiteral("%1: board %2 is gone: %3")
                           .arg(what)
                           .arg(board)
                           .arg(r.reason.isEmpty() ? QStringLiteral("the system refused the report")
                                                   : r.reason));
    default:
        return failure(
            kChipOrBoardFailed,
            r.reason.isEmpty()
                ? QStringLiteral("%1: not acknowledged (status %2)").arg(what, hex(r.statusByte))
                : QStringLiteral("%1: %2").arg(what, r.reason));
    }
}

QString atChip(const Workbench& b) {
    return QStringLiteral(" at ") + hex(b.address.sevenBit());
}

void putAddress(const Workbench& b, QJsonObject& json) {
    json.insert(QStringLiteral("address"), b.address.sevenBit());
    json.insert(QStringLiteral("addressByte"), b.address.byte());
}

std::optional<int> byteOperand(const QString& text) {
    return parseNumber(text, 0xFF);
}

CommandResult operandCount(const Workbench& b, int least, int most, const char* takes) {
    const int n = static_cast<int>(b.arguments.operands.size());
    if (n >= least && n <= most)
        return {};
    return usage(QStringLiteral("%1 takes %2.").arg(b.arguments.command, QLatin1String(takes)));
}

CommandResult compareValues(const Workbench& b, const RegisterValues& ours, const char* ourName,
                            const RegisterValues& theirs, const char* theirName) {
    RegisterValues both = ours;
    both.insert(theirs.begin(), theirs.end());
    const auto valueIn = [](const RegisterValues& values, int reg) {
        const auto found = values.find(reg);
        return found == values.end() ? std::nullopt : found->second;
    };
    const auto json = [](std::optional<std::uint8_t> v) {
        return v ? QJsonValue(*v) : QJsonValue();
    };
    const auto text = [](std::optional<std::uint8_t> v) {
        return v ? hex(*v) : QStringLiteral("none");
    };
    CommandResult r;
    QJsonArray differences;
    for (const auto& entry : both) {
        const int reg = entry.first;
        const std::optional<std::uint8_t> mine = valueIn(ours, reg), other = valueIn(theirs, reg);
        if (mine == other)
            continue;
        r.status = kChipOrBoardFailed;
        // With --fields, the fields that differ; the bytes when no field does.
        const bool fields = b.arguments.fields && mine && other;
        const QString lines =
            fields ? fieldDifferences(std::uint8_t(reg), ourName, *mine, theirName, *other)
                   : QString();
        r.text += !lines.isEmpty() ? lines
                                   : QStringLiteral("%1: %2 %3, %4 %5\n")
                                         .arg(hex(reg), QLatin1String(ourName), text(mine),
                                              QLatin1String(theirName), text(other));
        QJsonObject difference{{"register", reg}, {ourName, json(mine)}, {theirName, json(other)}};
        if (fields)
            difference.insert(
                QStringLiteral("fields"),
                fieldDifferencesJson(std::uint8_t(reg), ourName, *mine, theirName, *other));
        differences.append(difference);
    }
    r.json = {{"differences", differences}};
    return r;
}

CommandResult compareWithChip(Workbench& b, const std::map<int, std::uint8_t>& expected,
                              const char* expectedName, const char* what) {
    RegisterValues chip;
    for (auto run = expected.begin(); run != expected.end();) {
        auto end = std::next(run);
        int count = 1;
        while (end != expected.end() && end->first == run->first + count) {
            ++end;
            ++count;
        }
        const LinkResult read =
            readRegisterSpan(b.link, b.address.byte(), std::uint8_t(run->first), count);
        if (!read.ok())
            return linkFailure(
                b,
                QStringLiteral("%1 of %2 from %3%4")
                    .arg(QLatin1String(what), registers(count), hex(run->first), atChip(b)),
                read);
        for (int i = 0; run != end; ++run, ++i)
            chip[run->first] = read.bytes[i];
    }
    return compareValues(b, RegisterValues(expected.begin(), expected.end()), expectedName, chip,
                         "chip");
}

} // namespace cli
