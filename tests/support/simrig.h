// The core on simulated boards: a session with a scripted prompt, a clock
// whose waits cost no time and an end of the program that is only recorded.
#pragma once

#include "core/operations/session.h"
#include "core/sim/simtransport.h"
#include "support/fakeclock.h"
#include "support/scriptedprompt.h"

// Simulated boards and the platform a test controls.
struct SimBench {
    SimBoard& board(std::size_t i = 0) { return transport.board(i); }
    SimChip& simChip(std::size_t i = 0) { return transport.board(i).chips.front(); }
    bool ended() const { return end.calls > 0; }

    FakeClock clock;
    ScriptedPrompt prompt;
    RecordedEnd end;
    SimTransport transport{clock};
};

struct SimRig : SimBench {
    // `boards` boards, each with one chip at 7-bit address `chip7`; the
    // default 0 answers the start-up's channel read-back.
    explicit SimRig(int boards = 1, std::uint8_t chip7 = 0x00) {
        for (int i = 0; i < boards; ++i)
            transport.addBoard().addChip(chip7);
        // Keep tests quick where an answer never comes.
        session.link().setAnswerLimitMs(50);
    }
    // Starts the session, answering Retry to whatever the start shows, then
    // forgets what the boards received and the prompt showed.
    SimRig& started() {
        for (int i = 0; i < 4; ++i)
            prompt.answer(Answer::Retry);
        session.start();
        prompt.script.clear();
        clearRecords();
        return *this;
    }
    void clearRecords() {
        for (std::size_t i = 0; i < transport.boardCount(); ++i)
            transport.board(i).received.clear();
        prompt.clear();
        clock.clearSleeps();
    }
    Chip chip() { return session.chip(); }

    Session session{transport, prompt, end, clock};
};

// A rig whose session has started.
struct StartedRig : SimRig {
    StartedRig() { started(); }
};
