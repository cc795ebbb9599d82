// The real main window on simulated boards, with the scripted prompt, the
// clock whose waits cost no time and a recorded end of the program.
#pragma once

#include "support/scriptedsysteminfo.h"
#include "support/simrig.h"
#include "ui_mainwindow.h"
#include "windows/mainwindow.h"

#include <QtTest>
#include <memory>

struct WindowRig : SimBench {
    WindowRig() {
        transport.addBoard().addChip(0x00);
        window = std::make_unique<MainWindow>(
            Platform{transport, prompt, prompt, clock, end, nullptr, &systemInfo});
        window->session().link().setAnswerLimitMs(50);
    }
    // Starts and shows the window, then forgets the start-up's records.
    MainWindow& started() {
        window->start();
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the main window did not become active");
        board().received.clear();
        prompt.clear();
        return *window;
    }
    Ui::frmMain& ui() { return window->ui(); }

    ScriptedSystemInfo systemInfo;
    std::unique_ptr<MainWindow> window;
};

// A rig whose window has started and shows.
struct StartedWindowRig : WindowRig {
    StartedWindowRig() { started(); }
};
