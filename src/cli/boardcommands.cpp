#include "cli/boardcommands.h"

#include "cli/commandsupport.h"
#include "core/operations/scriptaccess.h"
#include "core/platform/outsidetext.h"

#include <QJsonArray>

namespace cli {

CommandResult clock(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 1, "at most one divider, 1 to 255"); r.status)
        return r;
    const std::optional<int> divider =
        b.arguments.operands.isEmpty() ? 0 : byteOperand(b.arguments.operands[0]);
    if (!divider || (!b.arguments.operands.isEmpty() && *divider < 1))
        return usage(
            QStringLiteral("the divider is 1 to 255, not '%1'.").arg(b.arguments.operands[0]));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const auto told =
        boardClock(b.link, *divider ? std::optional(std::uint8_t(*divider)) : std::nullopt);
    if (!told.ok())
        return failure(*told.failure);
    const I2CClock& clock = told.value;
    CommandResult r;
    r.text = QStringLiteral("%1 kHz (base clock %2 MHz, divider %3)\n")
                 .arg(clock.kHz())
                 .arg(clock.baseMHz)
                 .arg(clock.divider);
    r.json = {{"kHz", clock.kHz()}, {"baseMHz", clock.baseMHz}, {"divider", clock.divider}};
    return r;
}

CommandResult led(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 1, "at most one of on or off"); r.status)
        return r;
    const QString state = b.arguments.operands.value(0).toLower();
    if (!state.isEmpty() && state != QLatin1String("on") && state != QLatin1String("off"))
        return usage(QStringLiteral("led takes on or off, not '%1'.").arg(b.arguments.operands[0]));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const Told<bool> on = boardLed(
        b.link, state.isEmpty() ? std::nullopt : std::optional(state == QLatin1String("on")));
    if (!on.ok())
        return failure(*on.failure);
    CommandResult r;
    r.text = on.value ? QStringLiteral("on\n") : QStringLiteral("off\n");
    r.json = {{"led", on.value}};
    return r;
}

CommandResult list(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 0, "no arguments"); r.status)
        return r;
    CommandResult r;
    QJsonArray boards;
    // No board is an answer, not a failure, for the list of boards.
    if (std::optional<CommandResult> none = b.connect()) {
        if (none->status != kNoBoard)
            return *none;
        r.notice = none->error;
        r.json = {{"boards", boards}};
        return r;
    }
    for (const BoardEntry& entry : listBoards(b.link)) {
        const QString path = QString::fromStdString(entry.device.path);
        const QString serial = QString::fromStdString(entry.device.serialNumber);
        QJsonObject board{{"instance", entry.instance}, {"path", path}, {"serialNumber", serial}};
        const QString firmware =
            entry.firmware ? firmwareText(*entry.firmware) : QStringLiteral("no answer");
        if (entry.firmware) {
            board.insert(QStringLiteral("firmware"), firmware.section(' ', 0, 0));
            board.insert(QStringLiteral("firmwareDate"), firmware.section(' ', 1));
        } else { // every board that failed named, with the status of the first
            const CommandResult failed = failure(*entry.failure);
            r.status = r.status ? r.status : failed.status;
            r.error += (r.error.isEmpty() ? "" : "; ") + failed.error;
        }
        r.text += QStringLiteral("%1  %2  serial %3  firmware %4\n")
                      .arg(entry.instance)
                      .arg(escapedText(path),
                           serial.isEmpty() ? QStringLiteral("-") : escapedText(serial), firmware);
        boards.append(board);
    }
    r.json = {{"boards", boards}};
    return r;
}

} // namespace cli
