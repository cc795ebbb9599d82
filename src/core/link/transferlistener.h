// Told of every register transfer the link makes, so that what the program
// knows of a chip keeps in step with what the transfers did to it: the values
// a read brought, and a write that may have reached the chip.
#pragma once

#include <cstdint>
#include <span>

class TransferListener {
public:
    virtual ~TransferListener() = default;
    // A read the chip answered: `values` from `first` on.
    virtual void registersRead(std::uint8_t deviceAddress, std::uint8_t first,
                               std::span<const std::uint8_t> values) = 0;
    // A write the chip took, or one whose answer was lost (it may have been
    // taken): `data` from `first` on. A write refused or not sent is not told.
    virtual void registersWritten(std::uint8_t deviceAddress, std::uint8_t first,
                                  std::span<const std::uint8_t> data, bool acknowledged) = 0;
};
