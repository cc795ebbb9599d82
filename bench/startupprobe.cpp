// A start-up to measure as a whole process: `app` builds the program's main
// window as the program does, on the demo board with its chip at address 0
// (so that no message box waits); `bare` builds a plain window with the same
// three tabs and size (--size WxH). Either prints one line once the window
// has been painted for the first time,
//     painted <CLOCK_MONOTONIC ns> <VmHWM KiB> <width> <height>
// and quits, or with --stay stays idle until it is terminated.
#include "firstpaint.h"

#include "core/platform/clock.h"
#include "core/platform/processend.h"
#include "core/sim/simtransport.h"
#include "windows/mainwindow.h"
#include "windows/qtprompt.h"

#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>
#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<QMainWindow> bareWindow(QSize size) {
    auto window = std::make_unique<QMainWindow>();
    window->setWindowTitle(QStringLiteral("QDM7720A Evaluation Software"));
    auto* tabs = new QTabWidget(window.get());
    for (const char* caption : {"Registers", "Tab 1", "Tab 2"})
        tabs->addTab(new QWidget(tabs), QString::fromLatin1(caption));
    window->setCentralWidget(tabs);
    window->setFixedSize(size);
    return window;
}

int usage() {
    std::fprintf(stderr, "usage: qdm7720a-startup app|bare [--size WxH] [--stay]\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qdm7720a-eval"));
    QApplication::setApplicationDisplayName(QStringLiteral("QDM7720A Evaluation Software"));
    QApplication::setApplicationVersion(QStringLiteral(QDM_VERSION));

    const QStringList args = QApplication::arguments();
    if (args.size() < 2)
        return usage();
    const bool stay = args.contains(QStringLiteral("--stay"));
    QSize size(800, 600);
    const qsizetype sizeAt = args.indexOf(QStringLiteral("--size"));
    if (sizeAt > 0 && sizeAt + 1 < args.size()) {
        const QStringList wh = args[sizeAt + 1].split(QLatin1Char('x'));
        if (wh.size() == 2)
            size = QSize(wh[0].toInt(), wh[1].toInt());
    }

    SystemClock clock;
    QtPrompt prompt;
    SystemProcessEnd end;
    std::unique_ptr<SimTransport> transport;
    std::unique_ptr<QMainWindow> window;
    if (args[1] == QLatin1String("app")) {
        transport = makeDemoTransport(clock, 1, 0x00);
        auto main = std::make_unique<MainWindow>(Platform{*transport, prompt, prompt, clock, end});
        QApplication::setWindowIcon(main->windowIcon());
        main->start();
        window = std::move(main);
    } else if (args[1] == QLatin1String("bare")) {
        window = bareWindow(size);
    } else {
        return usage();
    }

    FirstPaint firstPaint(window.get(), stay);
    window->show();
    return QApplication::exec();
}
