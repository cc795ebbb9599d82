// Byte layout of the I2C register transfer (command 2): the requests the host
// sends and what it takes from the answers. Plain functions on a report, so
// that the framing can be checked byte by byte without a board.
#pragma once

#include "board/report.h"

#include <cstdint>
#include <span>

// True when a read of `count` registers fits one transfer and `data` has room.
bool readRequestValid(int count, std::size_t dataSize);
bool writeRequestValid(int count, std::size_t dataSize);

// Fill `report` (already cleared) with a read request:
// 0, 2, count, deviceAddress + 1, startRegister.
void buildI2CReadRequest(Report& report, std::uint8_t deviceAddress, std::uint8_t startRegister,
                         std::uint8_t count);

// Fill `report` (already cleared) with a write request:
// 0, 2, count, deviceAddress, startRegister, data[0..count-1].
void buildI2CWriteRequest(Report& report, std::uint8_t deviceAddress, std::uint8_t startRegister,
                          std::span<const std::uint8_t> data);

// LINK_OK when the answer's status byte (byte 1) is 0, else LINK_DEVICE_ERROR.
LinkStatus answerStatus(const Report& answer);

// Copy the `count` register values of a read answer (bytes 2 ..) into `data`.
void copyReadAnswer(const Report& answer, std::span<std::uint8_t> data);
