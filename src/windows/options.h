// The program's command line.
#pragma once

#include "core/sim/simtransport.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

struct Options {
    bool demo = false;
    int demoBoards = 1;
    std::uint8_t demoAddress = 0x40; // 7-bit
    std::optional<DemoFault> demoFault;
    QString traceFile; // empty: no trace; "-": standard error
    bool showHelp = false;
    bool showVersion = false;
};

struct ParsedOptions {
    std::optional<Options> options; // nothing when the command line is wrong
    QString error;                  // why, when it is wrong
    QString helpText;
};

// `arguments` includes the program name first. A file name among them is
// taken as nameFromBytes() gives it. An error is one line, without the
// program's name.
ParsedOptions parseOptions(const QStringList& arguments);

inline constexpr int kMaxDemoBoards = 16;

// A 7-bit address, 0 to 127, written as parseNumber takes it.
std::optional<std::uint8_t> parseSevenBitAddress(const QString& text);
