// Runs every benchmark of the program and prints one table: what was
// measured, the figure, the floor measured in the same run, their ratio and
// the goal. Google Benchmark's own report goes to standard error.
//
//     qdm7720a-bench [--short] [--no-processes] [Google Benchmark flags]
//
// --short runs each measurement once, briefly, to keep them building and
// running (its figures are not judged); --no-processes leaves out the
// measurements of whole processes (start-up, idle, and qdm7720a-cli's
// start-up to exit, and python3's import of the module).
#include "processes.h"
#include "rows.h"

#include <QApplication>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
    bool shortRun = false;
    bool processes = true;
    std::vector<char*> args{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--short") == 0)
            shortRun = true;
        else if (std::strcmp(argv[i], "--no-processes") == 0)
            processes = false;
    }
    // Ours first, so that flags given on the command line win.
    std::string ours = shortRun ? "--benchmark_min_time=0" : "--benchmark_repetitions=5";
    args.push_back(ours.data());
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--short") != 0 && std::strcmp(argv[i], "--no-processes") != 0)
            args.push_back(argv[i]);
    }

    // Without a display the windows are drawn off screen, here and in the probe.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    QApplication app(count, args.data());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 2;

    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::vector<ResultRow> rows;
    addLinkRows(reporter.runs(), rows);
    addFieldRows(reporter.runs(), rows);
    addReadAllRows(reporter.runs(), rows);
    addCliRows(reporter.runs(), rows);
    addWaitRows(reporter.runs(), rows);
    addLinkTestRows(reporter.runs(), rows);
#ifdef QDM_PYTHON
    addPythonRows(reporter.runs(), rows);
#endif
    if (processes) {
        ProcessOptions options;
        options.probe = QDM_STARTUP_PROBE;
        options.cli = QDM_CLI_PROGRAM;
        options.exitProbe = QDM_EXIT_PROBE;
        options.runProbe = QDM_RUN_PROBE;
        if (shortRun) {
            options.startups = 1;
            options.idleRuns = 1;
            options.idleSeconds = 0.5;
            options.settleSeconds = 0.2;
            options.cliRuns = 1;
        }
        addProcessRows(options, rows);
        addCliProcessRows(options, rows);
#ifdef QDM_PYTHON
        options.python = QDM_PYTHON_EXECUTABLE;
        options.pythonModules = QDM_PYTHON_MODULES;
        addPythonImportRow(options, rows);
#endif
    }

    // A measurement run once says it runs, not how fast: no verdicts.
    if (shortRun) {
        for (ResultRow& row : rows)
            row.judged = false;
    }
    std::printf("Windows drawn by the Qt platform \"%s\"%s.\n\n",
                qPrintable(QGuiApplication::platformName()),
                shortRun ? "; short run, figures not judged against their goals" : "");
    printTable(stdout, rows);
    for (const ResultRow& row : rows) {
        if (!row.measured)
            return 1;
    }
    return 0;
}
