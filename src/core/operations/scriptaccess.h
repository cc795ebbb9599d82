// The board and the chip as scripts reach them, the command-line tool and the
// Python module alike: each call is one operation with single attempts and no
// pause meant for a person, and comes to its values or to one failure told
// in words. Both faces call these, so that the same request makes the same
// exchanges and the same message.
#pragma once

#include "core/operations/boardcontrols.h"
#include "core/operations/chip.h"
#include "core/operations/operationfailure.h"

#include <QString>
#include <array>
#include <map>
#include <optional>
#include <span>
#include <vector>

// A value, or the failure that stopped it; a value may be partial then.
template <typename T> struct Told {
    T value{};
    std::optional<OperationFailure> failure;
    bool ok() const { return !failure; }
};

// Finds the boards and selects `board`; none: no board found (the message
// ends in `demoHint`, which says how the face runs without one), or none of
// that number. `board` below 0 selects none (the list of boards).
std::optional<OperationFailure> connectBoard(BoardLink& link, int board, const QString& demoHint);

// `count` registers from `first` (1 to 256, not past 0xFF), in transfers of
// at most 62: "read of 3 registers from 0x10 at 0x40" when one fails.
Told<std::vector<std::uint8_t>> readSpan(const Chip& chip, std::uint8_t first, int count);
// Why a read from `first` does not take the count given as `count`, which
// is 1 to 256 - first: "a read from 0x10 takes a count of 1 to 240, not '300'.".
QString readCountRefusal(int first, const QString& count);
// Why a write from `first` does not take `count` bytes.
QString writeLengthRefusal(int first, int count);

// One register: "read of register 0x02 at 0x40" when it fails.
Told<std::uint8_t> readRegister(const Chip& chip, std::uint8_t reg);
// The 256 registers 0x00 to 0xFF, in five transfers.
Told<std::vector<std::uint8_t>> readEveryRegister(const Chip& chip);
// The main registers in two bursts, into the model; their values in the
// order of kMainRegisters.
Told<std::vector<std::uint8_t>> readMainRegisters(const Chip& chip);

// `data` written from `first` on, in transfers of at most 59; a failure
// after the first transfers says how many bytes the chip took.
std::optional<OperationFailure> writeSpan(const Chip& chip, std::uint8_t first,
                                          std::span<const std::uint8_t> data);

struct RegisterDifference {
    std::uint8_t reg = 0;
    std::uint8_t expected = 0;
    std::uint8_t chip = 0;
};
// The registers of `expected` as the chip reads them now, in as few
// transfers as runs of neighbouring registers allow (no register is read
// that is not asked for: the error counters clear when read), and each that
// differs. `reading` names the reads in a failure ("read-back").
Told<std::vector<RegisterDifference>>
compareWithChip(const Chip& chip, const std::map<int, std::uint8_t>& expected, const char* reading);
// `data` written from `first` on, then read back and compared; registers
// that differ fail the write as Differs ("2 of the 3 registers written
// differ from the chip"), with the differences as the value.
Told<std::vector<RegisterDifference>> writeSpanWithReadBack(const Chip& chip, std::uint8_t first,
                                                            std::span<const std::uint8_t> data);

// The channel register 0x02 as read, or after writing channel option
// `option` (0 to 5), as read back.
Told<std::uint8_t> readChannel(const Chip& chip);
Told<std::uint8_t> setChannel(const Chip& chip, int option);
// The re-calibration pulse on bit 7 of register 0x03; its value as read.
Told<std::uint8_t> recalibrate(const Chip& chip);

// The board's I2C clock, after setting `divider` (1 to 255) if given.
Told<I2CClock> boardClock(BoardLink& link, std::optional<std::uint8_t> divider);
// Whether the board's LED is on, after setting it if asked (which also turns
// the board's polling on and clears its manual HPD and DDC lines).
Told<bool> boardLed(BoardLink& link, std::optional<bool> on);

// "2.0 2010-01-15": a board's firmware version and date.
QString firmwareText(const FirmwareVersion& version);
struct BoardEntry {
    int instance = 0;
    HidDevice device;
    std::optional<FirmwareVersion> firmware;
    std::optional<OperationFailure> failure; // why there is no firmware version
};
// Every board found, each selected in turn for its firmware version. Leaves
// the last board selected.
std::vector<BoardEntry> listBoards(BoardLink& link);

// The 7-bit addresses `first` to `last` probed with a read of register
// 0x00 each, and what it read where one answered; a failure other than no
// acknowledge stops the scan.
using ScanAnswers = std::array<std::optional<std::uint8_t>, 128>;
Told<ScanAnswers> scanAddresses(BoardLink& link, int first, int last);
