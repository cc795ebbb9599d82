#include "cli/commands.h"

#include "cli/boardcommands.h"
#include "cli/chipcommands.h"
#include "cli/commandsupport.h"
#include "cli/fieldcommands.h"
#include "cli/filecommands.h"
#include "cli/linktestcommands.h"
#include "cli/registercommands.h"

namespace {

struct Command {
    const char* name;
    CommandResult (*run)(Workbench&);
};

const Command kCommands[] = {
    {"list", cli::list},       {"read", cli::read},   {"write", cli::write},   {"dump", cli::dump},
    {"scan", cli::scan},       {"save", cli::save},   {"load", cli::load},     {"diff", cli::diff},
    {"channel", cli::channel}, {"recal", cli::recal}, {"clock", cli::clock},   {"led", cli::led},
    {"prbs", cli::prbs},       {"sweep", cli::sweep}, {"decode", cli::decode}, {"set", cli::set},
};

// The options that belong to one or two commands.
const struct {
    bool Arguments::*set;
    const char* option;
    const char* command;
    const char* otherCommand = nullptr;
} kCommandOptions[] = {
    {&Arguments::all, "all", "dump"},
    {&Arguments::noVerify, "no-verify", "load"},
    {&Arguments::readBack, "read-back", "write"},
    {&Arguments::fields, "fields", "dump", "diff"},
    {&Arguments::longForm, "long", "decode"},
};

} // namespace

std::optional<CommandResult> Workbench::connect() {
    if (link.selectedBoard() >= 0)
        return std::nullopt;
    if (openTrace) {
        if (const std::optional<QString> why = openTrace(files))
            return cli::failure(
                kUsageOrFileError,
                QStringLiteral("cannot write the trace to %1: %2").arg(arguments.traceFile, *why));
    }
    // The list of boards selects each in turn.
    const int board = arguments.command == QLatin1String("list") ? -1 : arguments.board;
    if (std::optional<OperationFailure> failed =
            connectBoard(link, board, QStringLiteral("--demo runs on a simulated one")))
        return cli::failure(*failed);
    return std::nullopt;
}

CommandResult runCommand(Workbench& b) {
    const Command* command = nullptr;
    for (const Command& c : kCommands) {
        if (b.arguments.command == QLatin1String(c.name))
            command = &c;
    }
    if (!command)
        return cli::usage(QStringLiteral("unknown command '%1'.").arg(b.arguments.command));
    for (const auto& o : kCommandOptions) {
        const QString& name = b.arguments.command;
        if (!(b.arguments.*o.set) || name == QLatin1String(o.command) ||
            (o.otherCommand && name == QLatin1String(o.otherCommand)))
            continue;
        const QString owners = QLatin1String(o.command) +
                               (o.otherCommand ? " and " + QLatin1String(o.otherCommand) : "");
        return cli::usage(
            QStringLiteral("--%1 is an option of %2.").arg(QLatin1String(o.option), owners));
    }
    if (!b.arguments.file.isEmpty() && b.arguments.command != QLatin1String("dump"))
        return cli::usage(QStringLiteral("--file is an option of dump."));
    if (std::optional<CommandResult> misplaced = cli::misplacedLinkTestOption(b.arguments))
        return *misplaced;
    return command->run(b);
}
