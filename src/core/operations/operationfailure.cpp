#include "core/operations/operationfailure.h"

#include "core/registers/hextext.h"

QString hexValue(int value) {
    return QStringLiteral("0x") + hexByte(static_cast<std::uint8_t>(value));
}

QString registerCount(int count) {
    return QStringLiteral("%1 register%2").arg(count).arg(count == 1 ? "" : "s");
}

QString registersOf(int part, int whole) {
    if (whole == 1)
        return QStringLiteral("the register");
    if (part == whole)
        return whole == 2 ? QStringLiteral("both registers")
                          : QStringLiteral("all %1 registers").arg(whole);
    return QStringLiteral("%1 of the %2").arg(part).arg(registerCount(whole));
}

QString atAddress(std::uint8_t address7) {
    return QStringLiteral(" at ") + hexValue(address7);
}

OperationFailure linkFailure(const QString& what, const LinkResult& r, int board,
                             int answerLimitMs) {
    switch (r.status) {
    case LinkStatus::NoAnswer:
        if (!r.reason.isEmpty()) // something came, but not the answer
            return {FailureKind::TimedOut, QStringLiteral("%1: no answer from board %2: %3")
                                               .arg(what)
                                               .arg(board)
                                               .arg(r.reason)};
        return {FailureKind::TimedOut, QStringLiteral("%1: no answer from board %2 within %3 ms")
                                           .arg(what)
                                           .arg(board)
                                           .arg(answerLimitMs)};
    case LinkStatus::WriteFailed:
    case LinkStatus::ReadFailed:
        return {FailureKind::BoardGone,
                QStringLiteral("%1: board %2 is gone: %3")
                    .arg(what)
                    .arg(board)
                    .arg(r.reason.isEmpty() ? QStringLiteral("the system refused the report")
                                            : r.reason)};
    default:
        return {FailureKind::NotAcknowledged,
                r.reason.isEmpty() ? QStringLiteral("%1: not acknowledged (status %2)")
                                         .arg(what, hexValue(r.statusByte))
                                   : QStringLiteral("%1: %2").arg(what, r.reason)};
    }
}
