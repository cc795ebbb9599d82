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

} // namespace

std::optional<CommandResult> Workbench::connect() {
    if (link.selectedBoard() >= 0)
        return std::nullopt;
    if (!link.connectBoards())
        return cli::failure(kNoBoard, QStringLiteral("no QDM7720A evaluation board found "
                                                     "(--demo runs on a simulated one)"));
    // The list of boards selects each in turn.
    if (arguments.command == QLatin1String("list") || link.selectBoard(arguments.board))
        return std::nullopt;
    return cli::failure(kNoBoard, QStringLiteral("there is no board %1: %2 found")
                                      .arg(arguments.board)
                                      .arg(link.boardCount()));
}

CommandResult runCommand(Workbench& b) {
    if (b.arguments.all && b.arguments.command != QLatin1String("dump"))
        return cli::usage(QStringLiteral("--all is an option of dump."));
    if (b.arguments.noVerify && b.arguments.command != QLatin1String("load"))
        return cli::usage(QStringLiteral("--no-verify is an option of load."));
    if (std::optional<CommandResult> misplaced = cli::misplacedLinkTestOption(b.arguments))
        return *misplaced;
    if (b.arguments.fields && b.arguments.command != QLatin1String("dump") &&
        b.arguments.command != QLatin1String("diff"))
        return cli::usage(QStringLiteral("--fields is an option of dump and diff."));
    for (const Command& c : kCommands) {
        if (b.arguments.command == QLatin1String(c.name))
            return c.run(b);
    }
    return cli::usage(QStringLiteral("unknown command '%1'.").arg(b.arguments.command));
}
