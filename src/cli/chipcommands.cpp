#include "cli/chipcommands.h"

#include "cli/commandsupport.h"
#include "core/operations/chipcontrols.h"
#include "core/operations/scriptaccess.h"

namespace cli {

CommandResult channel(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 1, "at most one of A, B, C, D, auto or hardware");
        r.status)
        return r;
    std::optional<int> option;
    if (!b.arguments.operands.isEmpty()) {
        const QString& name = b.arguments.operands[0];
        option = channelOptionNamed(name);
        if (!option)
            return usage(
                QStringLiteral("channel takes A, B, C, D, auto or hardware, not '%1'.").arg(name));
    }
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const Told<std::uint8_t> channel =
        option ? setChannel(b.chip(), *option) : readChannel(b.chip());
    if (!channel.ok())
        return failure(*channel.failure);
    const std::uint8_t value = channel.value;
    CommandResult r;
    const QString name = channelOptionName(channelOptionFor(value));
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
    const Told<std::uint8_t> done = recalibrate(b.chip());
    if (!done.ok())
        return failure(*done.failure);
    CommandResult r;
    r.text = hex(done.value) + '\n';
    r.json = {{"register", 3}, {"value", done.value}};
    putAddress(b, r.json);
    return r;
}

} // namespace cli
