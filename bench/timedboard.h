// A simulated board with one chip behind the full-speed USB timing model, as
// every measurement against that model sets it up. connect() opens its two
// handles for the measurements made on the model alone, without the program.
#pragma once

#include "core/link/linkresult.h"
#include "core/platform/clock.h"
#include "core/sim/frameclock.h"
#include "core/sim/simtransport.h"
#include "core/sim/usbtimedtransport.h"

#include <cstdint>

struct TimedBoard {
    explicit TimedBoard(std::uint8_t chip7) { sim.addBoard().addChip(chip7); }
    SimBoard& board() { return sim.board(0); }

    void connect() {
        const std::vector<HidDevice> devices = usb.enumerate();
        writeHandle = usb.open(devices.at(0).path);
        readHandle = usb.open(devices.at(0).path);
    }
    // The program's drain before a transfer: whatever has arrived, into `answer`.
    void drain() { usb.read(readHandle, answer, kFlushWaitMs); }
    // One exchange: true when its answer came, into `answer`.
    bool exchange(const Report& request) {
        usb.write(writeHandle, request);
        return usb.read(readHandle, answer, kAnswerLimitMs).ok();
    }

    SystemClock clock;
    SteadyFrameClock frames;
    SimTransport sim{clock};
    UsbTimedTransport usb{sim, frames};
    HidHandle writeHandle = 0;
    HidHandle readHandle = 0;
    Report answer{};
};
