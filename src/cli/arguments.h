// The command line of qdm7720a-cli: its options, the command and the
// command's arguments.
#pragma once

#include "core/sim/simtransport.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

inline constexpr int kMaxDemoBoards = 16;

struct Arguments {
    int board = 0;
    std::uint8_t address7 = 0x40; // the chip's 7-bit address
    bool demo = false;
    int demoBoards = 1;
    std::uint8_t demoAddress7 = 0x40;
    std::optional<DemoFault> demoFault;
    QString traceFile; // empty: none; "-": standard error
    bool json = false;
    int timeoutMs = 6000;
    bool all = false;      // dump --all
    bool noVerify = false; // load --no-verify
    bool readBack = false; // write --read-back
    bool fields = false;   // dump --fields, diff --fields
    bool longForm = false; // decode --long
    QString file;          // dump --file; empty: the chip
    // prbs and sweep
    bool csv = false;
    std::optional<int> seconds, intervalMs, dwellMs, fromGain, toGain, settleMs, gain;
    QString channel, generator; // as given; empty: not given
    // As given (empty: not given): a lane's bit rate, the TMDS clock, the
    // confidence of the BER bounds, prbs's BER target.
    QString bitRate, tmdsClock, confidence, berTarget;
    bool apply = false;
    bool help = false;
    bool version = false;
    QString command;
    QStringList operands;
};

struct ParsedArguments {
    std::optional<Arguments> arguments; // nothing when the command line is wrong
    QString error;                      // why, in one line
    QString helpText;
};

// `arguments` includes the program name first. File names among them are
// taken as nameFromBytes() gives them, so that they reach the system as the
// command line gave them.
ParsedArguments parseArguments(const QStringList& arguments);
