// What the register operations work on: the link to the board that carries
// the chip, what the program knows of the chip's registers, the chip's
// address, and the pauses a person needs between steps (none for a script).
#pragma once

#include "core/link/boardlink.h"
#include "core/operations/chiptracker.h"
#include "core/platform/clock.h"
#include "core/registers/deviceaddress.h"
#include "core/registers/registermodel.h"

struct Chip {
    BoardLink& link;
    RegisterModel& registers;
    DeviceAddress& address;
    // The window waits with its events handled; a script does not wait.
    Clock* pauses = nullptr;
    // Keeps the model in step with the transfers, and knows who holds the
    // error counters; a run of the link test needs it.
    ChipTracker* tracker = nullptr;

    void pause(float seconds) const {
        if (pauses)
            waitSeconds(*pauses, seconds);
    }
    // A wait the chip needs: `seconds` with the window's pauses, else at least
    // `leastMs` without handling any event.
    void hold(float seconds, int leastMs) const;
};
