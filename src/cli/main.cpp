// qdm7720a-cli: the evaluation board and the chip from scripts, on the same
// core as the program's windows.
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/stopsignals.h"
#include "core/hid/hidapitransport.h"
#include "core/link/reporttrace.h"
#include "core/platform/clock.h"
#include "core/platform/outsidetext.h"
#include "core/platform/standardstreams.h"
#include "core/regfiles/fileaccess.h"
#include "core/sim/simtransport.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// A line on standard error, with whatever came from outside escaped.
void say(const QString& line) {
    std::fprintf(stderr, "qdm7720a-cli: %s\n", escapedText(line).toUtf8().constData());
}

// Output that did not reach standard output is a file error, as a save's is.
int outputFailed(int status, int error) {
    say(QStringLiteral("cannot write standard output: %1")
            .arg(QString::fromLocal8Bit(std::strerror(error))));
    return status ? status : kUsageOrFileError;
}

// Help or version on standard output.
int print(const QByteArray& text) {
    errno = 0;
    std::fputs(text.constData(), stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return kDone;
    return outputFailed(kDone, errno ? errno : EIO);
}

// The command's result on the standard streams: its text or JSON document on
// standard output (no document for a mistake in the command line, as for one
// the parser found), then a failure in one line on standard error. A trace
// that was cut makes a command that went well a failure, after it ran to its
// end; its one line was said when it was cut. `outputError` is why a line of
// a run could not be written, if one could not.
int finish(const Arguments& a, CommandResult r, const ReportTrace* trace, int outputError) {
    if (trace && !trace->isOpen() && r.status == kDone) {
        r.status = kUsageOrFileError;
        r.json.insert(QStringLiteral("error"), escapedText(trace->failure()));
    }
    if (!r.error.isEmpty())
        r.json.insert(QStringLiteral("error"), escapedText(r.error));
    if (a.json && !r.commandLineMistake) {
        r.json.insert(QStringLiteral("exitStatus"), r.status);
        std::fputs(QJsonDocument(r.json).toJson(QJsonDocument::Indented).constData(), stdout);
    } else {
        std::fwrite(r.bytes.constData(), 1, std::size_t(r.bytes.size()), stdout);
        std::fputs(r.text.toUtf8().constData(), stdout);
    }
    errno = 0;
    const bool written = std::fflush(stdout) == 0 && !std::ferror(stdout);
    const int error = outputError ? outputError : errno ? errno : EIO;
    if (!r.error.isEmpty())
        say(r.error);
    if (!r.notice.isEmpty())
        say(r.notice);
    return written ? r.status : outputFailed(r.status, error);
}

// The command line as the system gave it: bytes, which file names keep.
QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << nameFromBytes(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char* argv[]) {
    openStandardDescriptors();
    ignoreWriteSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qdm7720a-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QDM_VERSION));

    const ParsedArguments parsed = parseArguments(argumentsOf(argc, argv));
    if (!parsed.arguments) {
        say(parsed.error + QStringLiteral(" See --help."));
        return kUsageOrFileError;
    }
    const Arguments& a = *parsed.arguments;
    if (a.help || a.version)
        return print(a.help ? parsed.helpText.toUtf8()
                            : QByteArray("qdm7720a-cli " QDM_VERSION "\n"));

    SystemClock clock;
    std::unique_ptr<HidTransport> transport;
    if (a.demo)
        transport = makeDemoTransport(clock, a.demoBoards, a.demoAddress7, a.demoFault);
    else
        transport = std::make_unique<HidapiTransport>();

    // No policy: a failure comes back to the command, which says what failed.
    BoardLink link(*transport);
    link.setAnswerLimitMs(a.timeoutMs);
    Workbench bench(link, a);
    bench.address.setByte(static_cast<std::uint8_t>(a.address7 << 1));
    StopSignals stopSignals;
    bench.clock = &clock;
    bench.stopSignals = &stopSignals;
    // A run's lines go out as they come, and a reader that went away stops it.
    int outputError = 0;
    if (!a.json)
        bench.progress = [&outputError](const QString& line) {
            errno = 0;
            std::fputs(line.toUtf8().constData(), stdout);
            if (std::fflush(stdout) == 0 && !std::ferror(stdout))
                return true;
            outputError = errno ? errno : EIO;
            return false;
        };
    // The trace is opened once the command has checked its arguments, and
    // never over a file the command reads or writes, standard output's among them.
    TraceFile traceFile;
    std::unique_ptr<ReportTrace> trace;
    if (!a.traceFile.isEmpty()) {
        bench.openTrace = [&](const QStringList& files) -> std::optional<QString> {
            traceFile = openTraceFile(a.traceFile, files + QStringList{"/dev/stdout"});
            if (!traceFile.file)
                return traceFile.error;
            trace = std::make_unique<ReportTrace>(traceFile.file, clock, traceFile.name);
            link.setTrace(trace.get());
            return std::nullopt;
        };
    }
    const CommandResult result = runCommand(bench);
    return finish(a, result, trace.get(), outputError);
}
