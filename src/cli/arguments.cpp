#include "cli/arguments.h"

#include "core/registers/hextext.h"

#include <QCommandLineParser>

namespace {

const char* const kDescription = R"(The QDM7720A evaluation board and chip from scripts.

Commands:
  list                      the boards found: instance, node, serial number, firmware
  scan [FIRST [LAST]]       probe the 7-bit addresses FIRST to LAST (default 0x00 to
                            0x7F): a grid of those that answer, and the addresses
                            where register 0x00 reads as this chip
  read REG [COUNT]          COUNT registers from REG (default 1)
  write REG BYTE...         the bytes to REG and the registers after it
                            (--read-back: then read them back and compare)
  dump [--all|--fields] [--file FILE]
                            the 14 main registers with their names (--all: 0x00-0xFF;
                            --fields: each with its bit fields; --file: those of a
                            register file, without a board)
  decode REG [BYTE] [--long]
                            the register's bit fields, as the chip holds them or in
                            BYTE: value, value after reset, meaning, access (--long:
                            and the description of each)
  set REG FIELD VALUE       one bit field of a register, the others kept: the raw
                            value, a setting's name (B) or a quantity (10.5mA); read back
  set REG FIELD=VALUE...    several fields of the register in one write
  save FILE                 the main registers to a register file (-: standard output)
  load FILE [--no-verify]   a register file (-: standard input) into the chip, then
                            a read-back of it
  diff FILE [FILE2] [--fields]
                            the chip against a register file (-: standard input), or
                            two register files, without a board (--fields: the bit
                            fields that differ)
  channel [A|B|C|D|auto|hardware]   the input channel or channel mode
  recal                     re-calibrate the input termination
  clock [DIVIDER]           the I2C clock, or set its divider (1-255)
  led [on|off]              the board's LED (setting it also turns the board's polling
                            on and clears its manual HPD and DDC lines)
  prbs [--seconds S] [--interval MS] [--channel C [--gain G]] [--generator P]
       [--ber TARGET]       count PRBS7 errors on the three links, a line per interval
                            (--ber: until the BER bound meets TARGET or misses it)
  sweep --channel C [--dwell MS] [--from G] [--to G] [--generator P] [--apply]
                            errors per link at each equalizer gain of a channel, the
                            best gain and its clean window
  Both also take --settle MS, --bit-rate RATE or --tmds-clock FREQ (BER bounds)
  and --confidence CL, and put back every register they changed, also when
  stopped by Ctrl+C, SIGTERM or SIGHUP (exit status 130, 143 or 129, the
  result so far printed).

Registers, bytes and addresses are decimal (64) or hexadecimal (0x40).
Exit status: 0 done; 1 the chip or board answered with a failure, or what was
read back or compared differs; 2 usage or file error, or a trace or output that
cannot be written; 3 no board, or the board is gone; 4 time-out.)";

// "-1" on a command line is taken for an option; as an operand it is a
// negative number, and says so.
// (The value of an option that takes one is the option's.)
std::optional<QString> negativeOperand(const QStringList& arguments,
                                       const QList<QCommandLineOption>& options) {
    QStringList takeValues;
    for (const QCommandLineOption& o : options) {
        if (!o.valueName().isEmpty())
            takeValues << QStringLiteral("--") + o.names().constFirst();
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--"))
            break;
        if (takeValues.contains(arguments[i]))
            ++i;
        else if (arguments[i].size() > 1 && arguments[i][0] == u'-' && arguments[i][1].isDigit())
            return arguments[i];
    }
    return std::nullopt;
}

} // namespace

ParsedArguments parseArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    // --help only: the tool has no options of Qt's own for --help-all to add.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
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
    const QCommandLineOption demoFault(
        QStringLiteral("demo-fault"),
        QStringLiteral("With --demo: from exchange N on (default 1), the chip acknowledges "
                       "nothing (nak), the board does not answer (silent) or sends short "
                       "reports (short), or the board is gone (gone)."),
        QStringLiteral("KIND[@N]"));
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
    const QCommandLineOption settle(
        QStringLiteral("settle"),
        QStringLiteral("prbs, sweep: milliseconds the link settles after each change before the "
                       "count begins (default 10)."),
        QStringLiteral("MS"));
    const QCommandLineOption gain(
        QStringLiteral("gain"),
        QStringLiteral("prbs: the equalizer gain of --channel's input for the count, 0 to 0xF."),
        QStringLiteral("G"));
    const QCommandLineOption bitRate(
        QStringLiteral("bit-rate"),
        QStringLiteral("prbs, sweep: bits a second on each TMDS data lane (1.485e9 or 1.485G), "
                       "for the BER bounds."),
        QStringLiteral("RATE"));
    const QCommandLineOption tmdsClock(
        QStringLiteral("tmds-clock"),
        QStringLiteral("prbs, sweep: the TMDS clock (148.5M); a lane carries ten bits a period."),
        QStringLiteral("FREQ"));
    const QCommandLineOption confidence(
        QStringLiteral("confidence"),
        QStringLiteral("prbs, sweep: the confidence level of the BER bounds (default 0.95)."),
        QStringLiteral("CL"));
    const QCommandLineOption ber(
        QStringLiteral("ber"),
        QStringLiteral("prbs: count until every link's BER bound is at most TARGET (1e-9), or the "
                       "errors prove it above; --seconds is then the most."),
        QStringLiteral("TARGET"));
    const QCommandLineOption apply(
        QStringLiteral("apply"),
        QStringLiteral("sweep: leave the best gain in the chip instead of the gain before."));
    const QCommandLineOption fields(QStringLiteral("fields"),
                                    QStringLiteral("dump, diff: the registers' bit fields."));
    const QCommandLineOption longForm(QStringLiteral("long"),
                                      QStringLiteral("decode: each field's description too."));
    const QCommandLineOption file(
        QStringLiteral("file"),
        QStringLiteral("dump: the registers of a register file (- for standard input)."),
        QStringLiteral("FILE"));
    const QCommandLineOption readBack(
        {QStringLiteral("r"), QStringLiteral("read-back")},
        QStringLiteral("write: read the registers back; exit status 1 when they differ."));
    const QList<QCommandLineOption> options = {
        board,   address,  demo,    demoBoards, demoAddress, demoFault,  trace,
        json,    timeout,  all,     noVerify,   readBack,    fields,     csv,
        seconds, interval, channel, generator,  dwell,       from,       to,
        apply,   settle,   gain,    bitRate,    tmdsClock,   confidence, ber,
        longForm, file};
    parser.addOptions(options);
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("What to do."),
                                 QStringLiteral("COMMAND [ARGS]"));

    ParsedArguments result;
    if (const std::optional<QString> negative = negativeOperand(arguments, options)) {
        result.error = QStringLiteral("'%1': registers, bytes, counts and addresses are not "
                                      "negative.")
                           .arg(*negative);
        return result;
    }
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    Arguments a;
    a.help = parser.isSet(help);
    // Only asked for: laying it out costs a run of the tool time and memory.
    if (a.help)
        result.helpText = parser.helpText();
    a.version = parser.isSet(version);
    a.demo = parser.isSet(demo);
    a.json = parser.isSet(json);
    a.all = parser.isSet(all);
    a.noVerify = parser.isSet(noVerify);
    a.readBack = parser.isSet(readBack);
    a.fields = parser.isSet(fields);
    a.longForm = parser.isSet(longForm);
    a.file = parser.value(file);
    if (parser.isSet(file) && a.file.isEmpty()) {
        result.error = QStringLiteral("--file takes a file name, or - for standard input.");
        return result;
    }
    a.traceFile = parser.value(trace);
    if (parser.isSet(trace) && a.traceFile.isEmpty()) {
        result.error = QStringLiteral("--trace takes a file name, or - for standard error.");
        return result;
    }
    a.csv = parser.isSet(csv);
    a.apply = parser.isSet(apply);
    a.channel = parser.value(channel);
    a.generator = parser.value(generator);
    // Empty means not given to the commands: an empty value given (a script's
    // unset variable) is refused here.
    for (const auto& [option, takes] :
         {std::pair{&channel, "A, B, C or D"}, std::pair{&generator, "prbs7, low, high or off"}}) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty()) {
            result.error = QStringLiteral("--%1 takes %2, not ''.")
                               .arg(option->names().constFirst(), QLatin1String(takes));
            return result;
        }
    }
    a.bitRate = parser.value(bitRate);
    a.tmdsClock = parser.value(tmdsClock);
    a.confidence = parser.value(confidence);
    a.berTarget = parser.value(ber);
    // A number option: its value as parseNumber takes it, within limits.
    const auto number = [&](const QCommandLineOption& option, int least, int most,
                            const QString& what) -> std::optional<int> {
        const std::optional<int> n = parseNumber(parser.value(option), most);
        if (!n || *n < least)
            result.error = QStringLiteral("--%1 takes %2, not '%3'.")
                               .arg(option.names().constLast(), what, parser.value(option));
        return n && *n >= least ? n : std::nullopt;
    };
    for (const QCommandLineOption* demoOnly : {&demoBoards, &demoAddress, &demoFault}) {
        if (parser.isSet(*demoOnly) && !a.demo) {
            result.error =
                QStringLiteral("--%1 is an option of --demo.").arg(demoOnly->names().constFirst());
            return result;
        }
    }
    if (parser.isSet(demoFault)) {
        a.demoFault = parseDemoFault(parser.value(demoFault).toStdString());
        if (!a.demoFault) {
            result.error =
                QStringLiteral("--demo-fault takes %1, not '%2'.")
                    .arg(QString::fromStdString(demoFaultForms()), parser.value(demoFault));
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
        {settle, 0, 3'600'000, QStringLiteral("a time in milliseconds, 0 to 3600000"), a.settleMs},
        {gain, 0, 15, QStringLiteral("a gain, 0 to 15 or 0x0 to 0xF"), a.gain},
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
