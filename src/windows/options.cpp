#include "windows/options.h"

#include "core/registers/hextext.h"

#include <QCommandLineParser>

std::optional<std::uint8_t> parseSevenBitAddress(const QString& text) {
    const std::optional<int> value = parseNumber(text, 0x7F);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

ParsedOptions parseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Evaluation software for the QDM7720A 4:1 TMDS multiplexer on its USB "
                       "evaluation board."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Run on a simulated evaluation board instead of USB."));
    const QCommandLineOption boards(
        QStringLiteral("demo-boards"),
        QStringLiteral("With --demo: the number of simulated boards, 1 to %1 (default 1).")
            .arg(kMaxDemoBoards),
        QStringLiteral("N"));
    const QCommandLineOption address(
        QStringLiteral("demo-address"),
        QStringLiteral("With --demo: the 7-bit I2C address of the simulated chip, hex (0x40) or "
                       "decimal (64); default 0x40."),
        QStringLiteral("ADDR"));
    const QCommandLineOption fault(
        QStringLiteral("demo-fault"),
        QStringLiteral("With --demo: from exchange N on (default 1), the chip acknowledges "
                       "nothing (nak), the board does not answer (silent) or sends short reports "
                       "(short), or the board is gone (gone)."),
        QStringLiteral("KIND[@N]"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Write every report sent to and received from the board to FILE "
                       "(- for standard error)."),
        QStringLiteral("FILE"));
    parser.addOptions({demo, boards, address, fault, trace});

    ParsedOptions result;
    result.helpText = parser.helpText();
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    // The help that includes Qt's own options has no text accessor: the
    // parser prints it and ends the process itself, as --help-all promises.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(arguments);
    if (!parser.positionalArguments().isEmpty()) {
        result.error = QStringLiteral("unexpected argument '%1'.")
                           .arg(parser.positionalArguments().constFirst());
        return result;
    }
    Options o;
    o.showHelp = parser.isSet(help);
    o.showVersion = parser.isSet(version);
    o.demo = parser.isSet(demo);
    for (const QCommandLineOption* demoOnly : {&boards, &address, &fault}) {
        if (parser.isSet(*demoOnly) && !o.demo) {
            result.error =
                QStringLiteral("--%1 is an option of --demo.").arg(demoOnly->names().constFirst());
            return result;
        }
    }
    if (parser.isSet(boards)) {
        const std::optional<int> n = parseNumber(parser.value(boards), kMaxDemoBoards);
        if (!n || *n < 1) {
            result.error =
                QStringLiteral("--demo-boards takes a number from 1 to %1.").arg(kMaxDemoBoards);
            return result;
        }
        o.demoBoards = *n;
    }
    if (parser.isSet(address)) {
        const auto a = parseSevenBitAddress(parser.value(address));
        if (!a) {
            result.error =
                QStringLiteral("--demo-address takes a 7-bit address, 0 to 127 or 0x00 to 0x7F.");
            return result;
        }
        o.demoAddress = *a;
    }
    if (parser.isSet(fault)) {
        o.demoFault = parseDemoFault(parser.value(fault).toStdString());
        if (!o.demoFault) {
            result.error = QStringLiteral("--demo-fault takes %1, not '%2'.")
                               .arg(QString::fromStdString(demoFaultForms()), parser.value(fault));
            return result;
        }
    }
    if (parser.isSet(trace)) {
        o.traceFile = parser.value(trace);
        if (o.traceFile.isEmpty()) {
            result.error = QStringLiteral("--trace takes a file name, or - for standard error.");
            return result;
        }
    }
    result.options = o;
    return result;
}
