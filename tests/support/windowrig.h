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
    // One board with a chip at 7-bit address `chip7`.
    explicit WindowRig(std::uint8_t chip7 = 0x00) : chip7(chip7) {
        transport.addBoard().addChip(chip7);
        window = std::make_unique<MainWindow>(
            Platform{transport, prompt, prompt, clock, end, nullptr, &systemInfo});
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
        return *window;
    }
    Ui::frmMain& ui() { return window->ui(); }

    std::uint8_t chip7;
    ScriptedSystemInfo systemInfo;
    std::unique_ptr<MainWindow> window;
};

// A rig whose window has started and shows.
struct StartedWindowRig : WindowRig {
    explicit StartedWindowRig(std::uint8_t chip7 = 0x00) : WindowRig(chip7) { started(); }
};
