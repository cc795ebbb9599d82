#include "core/operations/scriptruns.h"

#include <algorithm>

QString progressText(std::size_t done, int whole, const QString& noun) {
    if (whole == 1)
        return QStringLiteral("during its only ") + noun;
    if (whole <= 0)
        return QStringLiteral("after %1 %2%3").arg(done).arg(noun, done == 1 ? "" : "s");
    return QStringLiteral("after %1 of %2 %3s").arg(done).arg(whole).arg(noun);
}

std::optional<OperationFailure> linkTestEndFailure(const Chip& chip, const LinkTestEnd& end,
                                                   const QString& command, const QString& missed) {
    const QString note = QStringLiteral("; ") + restoreSummary(end);
    const QString at = atAddress(chip.address.sevenBit());
    const auto failed = [&](const QString& what, const LinkResult& result) {
        OperationFailure f =
            linkFailure(what + at, result, chip.link.selectedBoard(), chip.link.answerLimitMs());
        f.message += note;
        return f;
    };
    if (!end.failure.ok())
        return failed(transferName(end.failedAt), end.failure);
    if (!end.interruption.isEmpty())
        return OperationFailure{FailureKind::Stopped,
                                QStringLiteral("%1 stopped: %2").arg(command, end.interruption) +
                                    note};
    const auto refused = std::find_if(end.restores.begin(), end.restores.end(),
                                      [](const RegisterRestore& x) { return x.notApplied; });
    if (refused != end.restores.end())
        return failed(QStringLiteral("write of the best gain %1 to register %2")
                          .arg(hexValue(*refused->bestGainByte), hexValue(refused->reg)),
                      *refused->notApplied);
    if (!end.restored()) {
        const auto first =
            std::find_if(end.restores.begin(), end.restores.end(),
                         [](const RegisterRestore& x) { return !x.done && !x.takenOver; });
        return failed(QStringLiteral("write back of register %1").arg(hexValue(first->reg)),
                      first->failure);
    }
    if (!missed.isEmpty())
        return OperationFailure{FailureKind::Stopped,
                                QStringLiteral("%1: %2").arg(command, missed) + note};
    return std::nullopt;
}
