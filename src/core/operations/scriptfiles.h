// Register files as scripts use them, the command-line tool and the Python
// module alike: a file checked whole before the board is touched, a save of
// the main registers, a load in file order with its verification, and a
// comparison with the chip. Failures say the file's name as `shown` gives it
// ("standard input" for the tool's -).
#pragma once

#include "core/operations/registerfiles.h"
#include "core/operations/scriptaccess.h"
#include "core/regfiles/registerfile.h"

#include <QString>
#include <map>

// The file read and checked whole, or a File failure: "m.txt: not a
// register file (...)", "m.txt: line 3 is not a register line (...): ...".
// With `streams`, also a FIFO, a pipe or standard input ("-").
Told<RegisterFileCheck> checkedRegisterFile(const QString& path, const QString& shown,
                                            bool streams = false);

// The registers a file names, each with the value of its last line; with
// `loaded`, without those the chip does not keep what is written to (its
// identity and activity registers, and the error counters, which clear when
// read): what a load's verification compares.
std::map<int, std::uint8_t> registerFileValues(const RegisterFileCheck& file, bool loaded = false);

// Read All, then the file of the main registers written to `path`: only a
// regular file is replaced, whole, and a link followed. The number of
// registers saved.
Told<int> saveRegisterFile(const Chip& chip, const QString& path);

struct RegisterFileLoad {
    RegisterLoad load;
    std::vector<RegisterDifference> differences; // the verification's
    int skipped = 0;                             // register lines without a value
};
// Writes the file's register lines in file order; a write the chip does not
// take stops the load ("m.txt: line 4: write of register 0x07 at 0x40 not
// acknowledged ...; 2 register lines were written and stay written (0x05,
// 0x06)"). With `verify`, reads back the registers the chip keeps; those that
// differ fail it as Differs ("2 registers of m.txt differ from the chip").
Told<RegisterFileLoad> loadRegisterFile(const Chip& chip, const RegisterFileCheck& file,
                                        const QString& shown, bool verify);
