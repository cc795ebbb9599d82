#include "cli/boardcommands.h"

#include "cli/commandsupport.h"
#include "core/operations/boardcontrols.h"
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
    if (*divider) {
        if (const LinkResult set = setClockDivider(b.link, std::uint8_t(*divider)); !set.ok())
            return linkFailure(b, QStringLiteral("I2C clock set"), set);
    }
    const BoardAnswer<I2CClock> clock = readI2CClock(b.link);
    if (!clock)
        return linkFailure(b, QStringLiteral("I2C clock query"), clock.failure);
    CommandResult r;
    r.text = QStringLiteral("%1 kHz (base clock %2 MHz, divider %3)\n")
                 .arg(clock->kHz())
                 .arg(clock->baseMHz)
                 .arg(clock->divider);
    r.json = {{"kHz", clock->kHz()}, {"baseMHz", clock->baseMHz}, {"divider", clock->divider}};
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
    if (!state.isEmpty()) {
        BoardSignals signals_;
        signals_.led = state == QLatin1String("on");
        if (const LinkResult set = sendBoardSignals(b.link, signals_); !set.ok())
            return linkFailure(b, QStringLiteral("board signals set"), set);
    }
    const BoardAnswer<bool> on = readLedState(b.link);
    if (!on)
        return linkFailure(b, QStringLiteral("LED query"), on.failure);
    CommandResult r;
    r.text = *on ? QStringLiteral("on\n") : QStringLiteral("off\n");
    r.json = {{"led", *on}};
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
    BoardLink& link = b.link;
    for (int i = 0; i < link.boardCount(); ++i) {
        link.selectBoard(i);
        const HidDevice& device = link.boardDevice(i);
        const QString path = QString::fromStdString(device.path);
        const QString serial = QString::fromStdString(device.serialNumber);
        const BoardAnswer<FirmwareVersion> fw = readFirmwareVersion(link);
        QJsonObject board{{"instance", i}, {"path", path}, {"serialNumber", serial}};
        QString firmware = QStringLiteral("no answer");
        if (fw) {
            firmware = QStringLiteral("%1.%2 %3-%4-%5")
                           .arg(fw->major)
                           .arg(fw->minor)
                           .arg(fw->year, 4, 10, QLatin1Char('0'))
                           .arg(fw->month, 2, 10, QLatin1Char('0'))
                           .arg(fw->day, 2, 10, QLatin1Char('0'));
            board.insert(QStringLiteral("firmware"), firmware.section(' ', 0, 0));
            board.insert(QStringLiteral("firmwareDate"), firmware.section(' ', 1));
        } else { // every board that failed named, with the status of the first
            const CommandResult failed =
                linkFailure(b, QStringLiteral("firmware query of board %1").arg(i), fw.failure);
            r.status = r.status ? r.status : failed.status;
            r.error += (r.error.isEmpty() ? "" : "; ") + failed.error;
        }
        r.text += QStringLiteral("%1  %2  serial %3  firmware %4\n")
                      .arg(i)
                      .arg(escapedText(path),
                           serial.isEmpty() ? QStringLiteral("-") : escapedText(serial), firmware);
        boards.append(board);
    }
    r.json = {{"boards", boards}};
    return r;
}

} // namespace cli
