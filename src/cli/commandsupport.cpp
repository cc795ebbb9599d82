#include "cli/commandsupport.h"

#include "cli/fieldcommands.h"
#include "core/operations/scriptaccess.h"
#include "core/registers/hextext.h"

#include <QJsonArray>

namespace cli {

QString hex(int value) {
    return hexValue(value);
}

QString registers(int count) {
    return registerCount(count);
}

CommandResult failure(int status, const QString& error) {
    CommandResult r;
    r.status = status;
    r.error = error;
    return r;
}

CommandResult failure(const OperationFailure& told) {
    static constexpr struct {
        FailureKind kind;
        ExitStatus status;
    } kStatuses[] = {
        {FailureKind::NotAcknowledged, kChipOrBoardFailed},
        {FailureKind::Differs, kChipOrBoardFailed},
        {FailureKind::Usage, kUsageOrFileError},
        {FailureKind::File, kUsageOrFileError},
        {FailureKind::NoBoard, kNoBoard},
        {FailureKind::BoardGone, kNoBoard},
        {FailureKind::TimedOut, kTimedOut},
        {FailureKind::Stopped, kChipOrBoardFailed},
    };
    for (const auto& k : kStatuses) {
        if (k.kind == told.kind)
            return failure(k.status, told.message);
    }
    return failure(kChipOrBoardFailed, told.message);
}

CommandResult usage(const QString& error) {
    CommandResult r = failure(kUsageOrFileError, error + QStringLiteral(" See --help."));
    r.commandLineMistake = true;
    return r;
}

CommandResult fileError(const QString& path, const QString& why) {
    return failure(kUsageOrFileError, QStringLiteral("%1: %2").arg(path, why));
}

CommandResult linkFailure(const Workbench& b, const QString& what, const LinkResult& r) {
    const int board = b.link.selectedBoard() >= 0 ? b.link.selectedBoard() : b.arguments.board;
    return failure(::linkFailure(what, r, board, b.arguments.timeoutMs));
}

QString atChip(const Workbench& b) {
    return atAddress(b.address.sevenBit());
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

CommandResult differencesResult(const Workbench& b, const std::vector<RegisterDifference>& found,
                                const char* expectedName) {
    RegisterValues expected, chip;
    for (const auto& [reg, value, held] : found) {
        expected[reg] = value;
        chip[reg] = held;
    }
    return compareValues(b, expected, expectedName, chip, "chip");
}

CommandResult compareWithChip(Workbench& b, const std::map<int, std::uint8_t>& expected,
                              const char* expectedName, const char* what) {
    const auto compared = ::compareWithChip(b.chip(), expected, what);
    if (!compared.ok())
        return failure(*compared.failure);
    return differencesResult(b, compared.value, expectedName);
}

} // namespace cli
