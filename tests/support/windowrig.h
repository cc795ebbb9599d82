// The real main window on simulated boards, with the scripted prompt, the
// clock whose waits cost no time and a recorded end of the program.
#pragma once

#include "core/link/reporttrace.h"
#include "support/scriptedsysteminfo.h"
#include "support/simrig.h"
#include "ui_mainwindow.h"
#include "windows/mainwindow.h"

#include <QtTest>
#include <cstdio>
#include <memory>

// A trace into memory: what its '#' lines say, without the "# ".
struct MemoryTrace {
    explicit MemoryTrace(Clock& clock)
        : file(open_memstream(&bytes, &size)), trace(file, clock, QStringLiteral("memory")) {}
    ~MemoryTrace() {
        std::fclose(file);
        std::free(bytes);
    }
    // The meanings written since the last call.
    QStringList takeMeanings() {
        std::fflush(file);
        const QString added = QString::fromUtf8(bytes + taken, qsizetype(size - taken));
        taken = size;
        return added.split('\n').filter(QRegularExpression("^# ")).replaceInStrings("# ", "");
    }
    char* bytes = nullptr;
    std::size_t size = 0, taken = 0;
    std::FILE* file;
    ReportTrace trace;
};

struct WindowRig : SimBench {
    // One board with a chip at 7-bit address `chip7`.
    explicit WindowRig(std::uint8_t chip7 = 0x00) : chip7(chip7) {
        transport.addBoard().addChip(chip7);
        window = std::make_unique<MainWindow>(
            Platform{transport, prompt, prompt, clock, end, &memory.trace, &systemInfo});
        window->session().link().setAnswerLimitMs(50);
    }
    // Starts and shows the window (Retry when no chip answers at 0x00), sets
    // the chip's address, then forgets the start-up's records.
    MainWindow& started() {
        if (chip7 != 0x00)
            prompt.answer(Answer::Retry);
        window->start();
        window->session().address().setByte(std::uint8_t(chip7 << 1));
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the main window did not become active");
        board().received.clear();
        prompt.clear();
        memory.takeMeanings();
        return *window;
    }
    Ui::frmMain& ui() { return window->ui(); }

    std::uint8_t chip7;
    MemoryTrace memory{clock};
    ScriptedSystemInfo systemInfo;
    std::unique_ptr<MainWindow> window;
};

// A rig whose window has started and shows.
struct StartedWindowRig : WindowRig {
    explicit StartedWindowRig(std::uint8_t chip7 = 0x00) : WindowRig(chip7) { started(); }
};
