#include "cli/chipcommands.h"

#include "cli/commandsupport.h"
#include "core/operations/chipcontrols.h"

namespace cli {

namespace {

const char* const kChannelNames[kChannelOptions] = {"A", "B", "C", "D", "auto", "hardware"};

} // namespace

CommandResult channel(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 1, "at most one of A, B, C, D, auto or hardware");
        r.status)
        return r;
    int option = -1;
    if (!b.arguments.operands.isEmpty()) {
        const QString& name = b.arguments.operands[0];
        option = 0;
        while (option < kChannelOptions &&
               name.compare(QLatin1String(kChannelNames[option]), Qt::CaseInsensitive) != 0)
            ++option;
        if (option == kChannelOptions)
            return usage(
                QStringLiteral("channel takes A, B, C, D, auto or hardware, not '%1'.").arg(name));
    }
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    std::uint8_t value = 0;
    if (option < 0) {
        const LinkResult read = b.link.readRegisters(b.address.byte(), kChannelSelectRegister, 1);
        if (!read.ok())
            return linkFailure(b, QStringLiteral("read of register 0x02") + atChip(b), read);
        value = read.bytes[0];
    } else {
        const ChannelWrite written = selectChannel(b.chip(), option);
        if (!written.written)
            return linkFailure(b, QStringLiteral("write of register 0x02") + atChip(b),
                               written.failure);
        if (!written.readBack)
            return linkFailure(b, QStringLiteral("read-back of register 0x02") + atChip(b),
                               written.failure);
        value = *written.readBack;
    }
    CommandResult r;
    const QString name = QLatin1String(kChannelNames[channelOptionFor(value)]);
    r.text = QStringLiteral("%1 (%2)\n").arg(name, hex(value));
    r.json = {{"channel", name}, {"value", value}};
    putAddress(b, r.json);
    return r;
}

CommandResult recal(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 0, "no arguments"); r.status)
        return r;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const Recalibration done = recalibrateTermination(b.chip());
    if (!done.done)
        return linkFailure(b, QStringLiteral("read of register 0x03") + atChip(b), done.failure);
    if (!done.failure.ok()) // either write of the pulse
        return linkFailure(b,
                           QStringLiteral("re-calibration: a write of register 0x03%1 (its bit 7 "
                                          "may be left set)")
                               .arg(atChip(b)),
                           done.failure);
    CommandResult r;
    r.text = hex(done.value) + '\n';
    r.json = {{"register", 3}, {"value", done.value}};
    putAddress(b, r.json);
    return r;
}

} // namespace cli
