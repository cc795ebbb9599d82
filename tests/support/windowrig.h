// The real main window on simulated boards, with the scripted prompt, the
// clock whose waits cost no time and a recorded end of the program.
#pragma once

#include "core/sim/simtransport.h"
#include "support/fakeclock.h"
#include "support/scriptedprompt.h"
#include "support/scriptedsysteminfo.h"
#include "ui_mainwindow.h"
#include "windows/mainwindow.h"

#include <QtTest>
#include <memory>

struct WindowRig {
    explicit WindowRig(std::uint8_t chip7 = 0x00) {
        transport.addBoard().addChip(chip7);
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
    SimBoard& board() { return transport.board(0); }
    SimChip& chip() { return transport.board(0).chips.front(); }
    Ui::frmMain& ui() { return window->ui(); }

    FakeClock clock;
    ScriptedPrompt prompt;
    RecordedEnd end;
    ScriptedSystemInfo systemInfo;
    SimTransport transport{clock};
    std::unique_ptr<MainWindow> window;
};

// A rig whose window has started and shows.
struct StartedWindowRig : WindowRig {
    StartedWindowRig() { started(); }
};
