#include "cli/commandsupport.h"

#include "core/registers/hextext.h"

namespace cli {

QString hex(int value) {
    return QStringLiteral("0x") + hexByte(static_cast<std::uint8_t>(value));
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
    switch (r.status) {
    case LinkStatus::NoAnswer:
        return failure(kTimedOut, QStringLiteral("%1: no answer from board %2 within %3 ms%4")
                                      .arg(what)
                                      .arg(b.arguments.board)
                                      .arg(b.arguments.timeoutMs)
                                      .arg(r.reason.isEmpty() ? QString() : ": " + r.reason));
    case LinkStatus::WriteFailed:
        return failure(kNoBoard,
                       QStringLiteral("%1: board %2 took no request: %3")
                           .arg(what)
                           .arg(b.arguments.board)
                           .arg(r.reason.isEmpty() ? QStringLiteral("refused") : r.reason));
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

std::optional<int> byteOperand(const QString& text) {
    return parseNumber(text, 0xFF);
}

CommandResult operandCount(const Workbench& b, int least, int most) {
    const int n = static_cast<int>(b.arguments.operands.size());
    if (n >= least && n <= most)
        return {};
    return usage(QStringLiteral("%1 takes %2 argument%3.")
                     .arg(b.arguments.command)
                     .arg(least == most ? QString::number(least)
                                        : QStringLiteral("%1 to %2").arg(least).arg(most))
                     .arg(most == 1 ? "" : "s"));
}

} // namespace cli
