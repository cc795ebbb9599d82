#include "cli/arguments.h"

#include "core/registers/hextext.h"

#include <QCommandLineParser>

namespace {

const char* const kDescription = R"(The QDM7720A evaluation board and chip from scripts.

Commands:
  list                      the boards found: instance, node, serial number, firmware
  scan                      probe every 7-bit address; a grid of those that answer,
                            and the addresses where register 0x00 reads as this chip
  read REG [COUNT]          COUNT registers from REG (default 1)
  write REG BYTE...         the bytes to REG and the registers after it
  dump [--all|--fields]     the 14 main registers with their names (--all: 0x00-0xFF;
                            --fields: each with its bit fields)
  decode REG [BYTE]         the register's bit fields, as the chip holds them or in BYTE
  set REG FIELD VALUE       one bit field of a register, the others kept: a number,
                            a setting's name (B) or a quantity (10.5mA); read back
  save FILE                 the main registers to a register file
  load FILE [--no-verify]   a register file into the chip, then a read-back of it
  diff FILE [--fields]      the chip against a register file (exit status 1: they differ;
                            --fields: the bit fields that differ)
  channel [A|B|C|D|auto|hardware]   the input channel or channel mode
  recal                     re-calibrate the input termination
  clock [DIVIDER]           the I2C clock, or set its divider (1-255)
  led [on|off]              the board's LED (setting it also turns the board's polling
                            on and clears its manual HPD and DDC lines)
  prbs [--seconds S] [--interval MS] [--channel C] [--generator P]
                            count PRBS7 errors on the three links, a line per interval
  sweep --channel C [--dwell MS] [--from G] [--to G] [--generator P] [--apply]
                            errors per link at each equalizer gain of a channel, and
                            the best gain
  Both put back every register they changed, also when stopped by Ctrl+C or
  SIGTERM (exit status 130 or 143, the result so far printed).

Registers, bytes and addresses are decimal (64) or hexadecimal (0x40).
Exit status: 0 done, 1 the chip or board answered with a failure, 2 usage or
file error, 3 no board, 4 time-out.)";

} // namespace

ParsedArguments parseArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption board(QStringLiteral("board"),
                                   QStringLiteral("The board instance, as list numbers them "
                                                  "(default 0)."),
                                   QStringLiteral("N"));
    const QCommandLineOption address(
        QStringLiteral("address"),
        QStringLiteral("The chip's 7-bit I2C address, 0x40 or 64 (default 0x40); the address "
                       "byte on the bus is twice it (0x80)."),
        QStringLiteral("A"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Run on simulated boards instead of USB."));
    const QCommandLineOption demoBoards(
        QStringLiteral("demo-boards"),
        QStringLiteral("With --demo: the number of simulated boards, 1 to %1 (default 1).")
            .arg(kMaxDemoBoards),
        QStringLiteral("N"));
    const QCommandLineOption demoAddress(
        QStringLiteral("demo-address"),
        QStringLiteral("With --demo: the simulated chip's 7-bit address (default 0x40)."),
        QStringLiteral("A"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Write every report sent to and received from the board to FILE "
                       "(- for standard error)."),
        QStringLiteral("FILE"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("One JSON document on standard output."));
    const QCommandLineOption timeout(
        QStringLiteral("timeout-ms"),
        QStringLiteral("How long an answer may take, in milliseconds (default 6000)."),
        QStringLiteral("N"));
    const QCommandLineOption all(QStringLiteral("all"),
                                 QStringLiteral("dump: every register, 0x00 to 0xFF."));
    const QCommandLineOption noVerify(QStringLiteral("no-verify"),
                                      QStringLiteral("load: no read-back."));
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("prbs, sweep: comma-separated values."));
    const QCommandLineOption seconds(QStringLiteral("seconds"),
                                     QStringLiteral("prbs: how long to count (default 10)."),
                                     QStringLiteral("S"));
    const QCommandLineOption interval(
        QStringLiteral("interval"),
        QStringLiteral("prbs: milliseconds between two reads of the counters (default 1000)."),
        QStringLiteral("MS"));
    const QCommandLineOption channel(
        QStringLiteral("channel"),
        QStringLiteral("sweep: the input channel swept, A to D; prbs: one selected for the count."),
        QStringLiteral("C"));
    const QCommandLineOption generator(
        QStringLiteral("generator"),
        QStringLiteral("prbs, sweep: the chip's pattern generator during the run, prbs7, low, "
                       "high or off (default: as it is)."),
        QStringLiteral("P"));
    const QCommandLineOption dwell(
        QStringLiteral("dwell"),
        QStringLiteral("sweep: milliseconds of counting at each gain (default 100)."),
        QStringLiteral("MS"));
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("sweep: the first gain, 0 to 0xF (default 0)."),
                                  QStringLiteral("G"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("sweep: the last gain, 0 to 0xF (default 0xF)."),
                                QStringLiteral("G"));
    const QCommandLineOption apply(
        QStringLiteral("apply"),
        QStringLiteral("sweep: leave the best gain in the chip instead of the gain before."));
    const QCommandLineOption fields(QStringLiteral("fields"),
                                    QStringLiteral("dump, diff: the registers' bit fields."));
    parser.addOptions({board,   address,   demo,     demoBoards, demoAddress, trace,   json,
                       timeout, all,       noVerify, fields,     csv,         seconds, interval,
                       channel, generator, dwell,    from,       to,          apply});
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("What to do."),
                                 QStringLiteral("COMMAND [ARGS]"));

    ParsedArguments result;
    result.helpText = parser.helpText();
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    Arguments a;
    a.help = parser.isSet(help) || parser.isSet(QStringLiteral("help-all"));
    a.version = parser.isSet(version);
    a.demo = parser.isSet(demo);
    a.json = parser.isSet(json);
    a.all = parser.isSet(all);
    a.noVerify = parser.isSet(noVerify);
    a.fields = parser.isSet(fields);
    a.traceFile = parser.value(trace);
    a.csv = parser.isSet(csv);
    a.apply = parser.isSet(apply);
    a.channel = parser.value(channel);
    a.generator = parser.value(generator);
    // A number option: its value as parseNumber takes it, within limits.
    const auto number = [&](const QCommandLineOption& option, int least, int most,
                            const QString& what) -> std::optional<int> {
        const std::optional<int> n = parseNumber(parser.value(option), most);
        if (!n || *n < least)
            result.error = QStringLiteral("--%1 takes %2.").arg(option.names().constFirst(), what);
        return n && *n >= least ? n : std::nullopt;
    };
    for (const QCommandLineOption* demoOnly : {&demoBoards, &demoAddress}) {
        if (parser.isSet(*demoOnly) && !a.demo) {
            result.error =
                QStringLiteral("--%1 is an option of --demo.").arg(demoOnly->names().constFirst());
            return result;
        }
    }
    const QString sevenBit = QStringLiteral("a 7-bit address, 0 to 127 or 0x00 to 0x7F");
    struct {
        const QCommandLineOption& option;
        int least, most;
        QString what;
        int& into;
    } numbers[] = {
        {board, 0, 255, QStringLiteral("a board instance, 0 to 255"), a.board},
        {demoBoards, 1, kMaxDemoBoards, QStringLiteral("a number from 1 to %1").arg(kMaxDemoBoards),
         a.demoBoards},
        {timeout, 1, 3'600'000, QStringLiteral("a time in milliseconds, 1 to 3600000"),
         a.timeoutMs},
    };
    for (auto& n : numbers) {
        if (!parser.isSet(n.option))
            continue;
        const std::optional<int> value = number(n.option, n.least, n.most, n.what);
        if (!value)
            return result;
        n.into = *value;
    }
    const QString milliseconds = QStringLiteral("a time in milliseconds, 1 to 3600000");
    struct {
        const QCommandLineOption& option;
        int least, most;
        QString what;
        std::optional<int>& into;
    } runNumbers[] = {
        {seconds, 1, 86400, QStringLiteral("a number of seconds, 1 to 86400"), a.seconds},
        {interval, 1, 3'600'000, milliseconds, a.intervalMs},
        {dwell, 1, 3'600'000, milliseconds, a.dwellMs},
        {from, 0, 15, QStringLiteral("a gain, 0 to 15 or 0x0 to 0xF"), a.fromGain},
        {to, 0, 15, QStringLiteral("a gain, 0 to 15 or 0x0 to 0xF"), a.toGain},
    };
    for (auto& n : runNumbers) {
        if (!parser.isSet(n.option))
            continue;
        n.into = number(n.option, n.least, n.most, n.what);
        if (!n.into)
            return result;
    }
    for (const auto& [option, into] :
         {std::pair{&address, &a.address7}, std::pair{&demoAddress, &a.demoAddress7}}) {
        if (!parser.isSet(*option))
            continue;
        const std::optional<int> value = number(*option, 0, 0x7F, sevenBit);
        if (!value)
            return result;
        *into = static_cast<std::uint8_t>(*value);
    }
    const QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty()) {
        a.command = positional.constFirst();
        a.operands = positional.mid(1);
    } else if (!a.help && !a.version) {
        result.error = QStringLiteral("no command given.");
        return result;
    }
    result.arguments = a;
    return result;
}
