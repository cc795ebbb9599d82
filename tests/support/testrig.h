// The real main window on simulated boards, with scripted dialogs, a fake
// clock and a recorded end of the program.
#pragma once

#include "app/mainwindow.h"
#include "app/processexit.h"
#include "sim/simtransport.h"
#include "support/fakeclock.h"
#include "support/scripteddialogs.h"
#include "support/scriptedsysteminfo.h"

#include <QString>
#include <QWidget>
#include <memory>

class RecordingExit : public ProcessExit {
public:
    void endProcess(int code) override {
        ++calls;
        lastCode = code;
    }
    int calls = 0;
    int lastCode = -1;
};

class TestRig {
public:
    // `boards` boards, each with one chip at 7-bit address `chipAddress7`.
    // The default address 0 answers the start-up channel read-back.
    explicit TestRig(int boards = 1, std::uint8_t chipAddress7 = 0x00);
    ~TestRig();

    // Builds the window without loading it (to script the start first).
    MainWindow& create();
    // Builds the window if needed, runs Form_Load and shows the window.
    MainWindow& load();
    // Loads, answering Retry to whatever the start-up shows (no chip at the
    // start-up address), waits until the window is on screen, then forgets
    // the start-up's reports and messages.
    MainWindow& loadAndSettle();

    MainWindow& window() { return *window_; }
    SimBoard& board(std::size_t i = 0) { return transport.board(i); }
    SimChip& chip(std::size_t board = 0) { return transport.board(board).chips.front(); }
    bool ended() const { return exit.calls > 0; }

    template <typename W> W* widget(const QString& name) { return window_->findChild<W*>(name); }
    // Forget what the boards received and what the dialogs showed.
    void clearRecords();

    FakeClock clock;
    ScriptedDialogs dialogs;
    RecordingExit exit;
    ScriptedSystemInfo systemInfo;
    SimTransport transport{clock};

private:
    std::unique_ptr<MainWindow> window_;
};
