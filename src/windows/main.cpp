#include "core/hid/hidapitransport.h"
#include "core/link/reporttrace.h"
#include "core/platform/clock.h"
#include "core/platform/outsidetext.h"
#include "core/platform/processend.h"
#include "core/platform/standardstreams.h"
#include "core/regfiles/fileaccess.h"
#include "core/sim/simtransport.h"
#include "windows/linktestwindow.h"
#include "windows/mainwindow.h"
#include "windows/options.h"
#include "windows/qtprompt.h"
#include "windows/stopsignalnotifier.h"

#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The command line as the system gave it: bytes, which file names keep.
QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << nameFromBytes(argv[i]);
    return arguments;
}

// A line on standard error, with whatever came from outside escaped.
void say(const QString& line) {
    std::fprintf(stderr, "qdm7720a-eval: %s\n", escapedText(line).toUtf8().constData());
}

// Help or version on standard output; 2 when it could not be written.
int print(const QString& text) {
    errno = 0;
    std::fputs(text.toUtf8().constData(), stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    say(QStringLiteral("cannot write standard output: %1")
            .arg(QString::fromLocal8Bit(std::strerror(errno ? errno : EIO))));
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    // Before any thread starts, so that none of them takes a stop signal.
    StopSignalNotifier::blockStopSignals();
    openStandardDescriptors();
    ignoreWriteSignals();

    // The options are read before the application connects to a display, so
    // that --help, --version and an option error work without one.
    ParsedOptions parsed;
    const QStringList arguments = argumentsOf(argc, argv);
    if (arguments.contains(QLatin1String("--help-all"))) {
        // Qt's own options are listed by the application itself; it needs no
        // display to list them.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        QApplication::setApplicationVersion(QStringLiteral(QDM_VERSION));
        parsed = parseOptions(QApplication::arguments()); // prints and ends the process
    } else {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("qdm7720a-eval"));
        QCoreApplication::setApplicationVersion(QStringLiteral(QDM_VERSION));
        parsed = parseOptions(arguments);
    }
    if (!parsed.options) {
        say(parsed.error + QStringLiteral(" See --help."));
        return 2;
    }
    const Options& options = *parsed.options;
    if (options.showHelp)
        return print(parsed.helpText);
    if (options.showVersion)
        return print(QStringLiteral("qdm7720a-eval " QDM_VERSION "\n"));

    // The trace file is opened before the display too: a name it cannot
    // write is an error in the options.
    TraceFile traceFile;
    if (!options.traceFile.isEmpty()) {
        traceFile = openTraceFile(options.traceFile);
        if (!traceFile.file) {
            say(QStringLiteral("cannot write the trace to %1: %2")
                    .arg(options.traceFile, traceFile.error));
            return 2;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qdm7720a-eval"));
    QApplication::setApplicationVersion(QStringLiteral(QDM_VERSION));
    // Lets the desktop match the window to its menu entry and icon (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral(QDM_APP_ID));

    SystemClock clock;
    QtPrompt prompt;
    SystemProcessEnd end;

    std::unique_ptr<HidTransport> transport;
    if (options.demo)
        transport =
            makeDemoTransport(clock, options.demoBoards, options.demoAddress, options.demoFault);
    else
        transport = std::make_unique<HidapiTransport>();
    // The not-found message keeps its words; a user at a terminal learns here
    // that the program runs without a board too.
    if (!options.demo && transport->enumerate().empty())
        std::fputs("qdm7720a-eval: no QDM7720A evaluation board is plugged in; "
                   "'qdm7720a-eval --demo' runs on a simulated one.\n",
                   stderr);
    std::unique_ptr<ReportTrace> trace;
    if (traceFile.file)
        trace = std::make_unique<ReportTrace>(traceFile.file, clock, traceFile.name);

    MainWindow window(Platform{*transport, prompt, prompt, clock, end, trace.get()});
    // Why a write or read failed, for a user with a real board: a pulled
    // cable reads differently from a permission problem.
    window.session().link().setFailureLog(say);
    QApplication::setWindowIcon(window.windowIcon());
    // A stop signal ends the program as Quit does, once a link test's run
    // has put back what it changed.
    window.setErrorLines(say);
    StopSignalNotifier stopSignals;
    QObject::connect(&stopSignals, &StopSignalNotifier::received, &window,
                     &MainWindow::endOnStopSignal);
    // The desktop session ends: the run puts back what it changed now, while
    // the board is still there.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &window, [&window] {
        if (LinkTestWindow* test = window.linkTestWindow())
            test->stop();
    });
    window.start();
    window.show();
    return QApplication::exec();
}
