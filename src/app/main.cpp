#include "app/clock.h"
#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "app/options.h"
#include "app/processexit.h"
#include "board/hidapitransport.h"
#include "board/reporttrace.h"
#include "sim/simtransport.h"

#include <QApplication>
#include <QFile>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qdm7720a-eval"));
    QApplication::setApplicationVersion(QStringLiteral(QDM_VERSION));
    // Lets the desktop match the window to its menu entry and icon (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral(QDM_APP_ID));

    const ParsedOptions parsed = parseOptions(QApplication::arguments());
    if (!parsed.options) {
        std::fprintf(stderr, "qdm7720a-eval: %s\n%s", qPrintable(parsed.error),
                     qPrintable(parsed.helpText));
        return 2;
    }
    const Options& options = *parsed.options;
    if (options.showHelp) {
        std::printf("%s", qPrintable(parsed.helpText));
        return 0;
    }
    if (options.showVersion) {
        std::printf("qdm7720a-eval %s\n", QDM_VERSION);
        return 0;
    }

    SystemClock clock;
    QtDialogs dialogs;
    SystemProcessExit exit;

    std::unique_ptr<HidTransport> transport;
    if (options.demo)
        transport = makeDemoTransport(clock, options.demoBoards, options.demoAddress);
    else
        transport = std::make_unique<HidapiTransport>();

    std::FILE* traceFile = nullptr;
    std::unique_ptr<ReportTrace> trace;
    if (!options.traceFile.isEmpty()) {
        traceFile = options.traceFile == QLatin1String("-")
                        ? stderr
                        : std::fopen(QFile::encodeName(options.traceFile).constData(), "w");
        if (!traceFile) {
            std::fprintf(stderr, "qdm7720a-eval: cannot write the trace to %s\n",
                         qPrintable(options.traceFile));
            return 2;
        }
        trace = std::make_unique<ReportTrace>(traceFile, clock);
    }

    MainWindow window(Platform{*transport, dialogs, clock, exit, trace.get()});
    QApplication::setWindowIcon(window.windowIcon());
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
