// qdm7720a-cli: the evaluation board and the chip from scripts, on the same
// core as the program's windows.
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/stopsignals.h"
#include "core/hid/hidapitransport.h"
#include "core/link/reporttrace.h"
#include "core/platform/clock.h"
#include "core/platform/standardstreams.h"
#include "core/sim/simtransport.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The command's result on the standard streams: its text or JSON document on
// standard output, and a failure in one line on standard error.
int finish(const Arguments& a, CommandResult r) {
    if (!r.error.isEmpty()) {
        std::fprintf(stderr, "qdm7720a-cli: %s\n", qPrintable(r.error));
        r.json.insert(QStringLiteral("error"), r.error);
    }
    if (a.json) {
        r.json.insert(QStringLiteral("exitStatus"), r.status);
        std::fputs(QJsonDocument(r.json).toJson(QJsonDocument::Indented).constData(), stdout);
    } else {
        std::fputs(r.text.toLocal8Bit().constData(), stdout);
    }
    // Output that did not reach its file is a file error, as a save's is.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "qdm7720a-cli: cannot write standard output: %s\n",
                     std::strerror(errno));
        return r.status ? r.status : kUsageOrFileError;
    }
    return r.status;
}

CommandResult failed(int status, const QString& error) {
    CommandResult r;
    r.status = status;
    r.error = error;
    return r;
}

} // namespace

int main(int argc, char* argv[]) {
    openStandardDescriptors();
    ignoreBrokenPipes();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qdm7720a-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QDM_VERSION));

    const ParsedArguments parsed = parseArguments(QCoreApplication::arguments());
    if (!parsed.arguments) {
        std::fprintf(stderr, "qdm7720a-cli: %s See --help.\n", qPrintable(parsed.error));
        return kUsageOrFileError;
    }
    const Arguments& a = *parsed.arguments;
    if (a.help) {
        std::fputs(qPrintable(parsed.helpText), stdout);
        return kDone;
    }
    if (a.version) {
        std::printf("qdm7720a-cli %s\n", QDM_VERSION);
        return kDone;
    }

    TraceFile traceFile;
    if (!a.traceFile.isEmpty()) {
        traceFile = openTraceFile(a.traceFile);
        if (!traceFile.file)
            return finish(
                a, failed(kUsageOrFileError, QStringLiteral("cannot write the trace to %1: %2")
                                                 .arg(a.traceFile, traceFile.error)));
    }
    SystemClock clock;
    std::unique_ptr<HidTransport> transport;
    if (a.demo)
        transport = makeDemoTransport(clock, a.demoBoards, a.demoAddress7);
    else
        transport = std::make_unique<HidapiTransport>();
    std::unique_ptr<ReportTrace> trace;
    if (traceFile.file)
        trace = std::make_unique<ReportTrace>(traceFile.file, clock, traceFile.name);

    // No policy: a failure comes back to the command, which says what failed.
    BoardLink link(*transport);
    link.setTrace(trace.get());
    link.setAnswerLimitMs(a.timeoutMs);
    Workbench bench(link, a);
    bench.address.setByte(static_cast<std::uint8_t>(a.address7 << 1));
    StopSignals stopSignals;
    bench.clock = &clock;
    bench.stopSignals = &stopSignals;
    // A run's lines go out as they come, and a reader that went away stops it.
    if (!a.json)
        bench.progress = [](const QString& line) {
            std::fputs(line.toLocal8Bit().constData(), stdout);
            return std::fflush(stdout) == 0 && !std::ferror(stdout);
        };
    return finish(a, runCommand(bench));
}
