#include "core/operations/readall.h"

#include "core/link/linkresult.h"

#include <algorithm>

RangeRead readRegisterRange(const Chip& chip, std::uint8_t first, std::uint8_t last,
                            ReadMode mode) {
    RangeRead range;
    if (mode == ReadMode::Burst) {
        const LinkResult read =
            chip.link.readRegisters(chip.address.byte(), first, last - first + 1);
        if (!read.ok()) {
            range.failure = read;
            return range;
        }
        for (int r = first; r <= last; ++r)
            chip.registers.setRead(static_cast<std::uint8_t>(r), read.bytes[r - first]);
        range.registersRead = last - first + 1;
        return range;
    }
    for (int r = first; r <= last; ++r) {
        const auto reg = static_cast<std::uint8_t>(r);
        const LinkResult read = chip.link.readRegisters(chip.address.byte(), reg, 1);
        if (!read.ok()) {
            range.failure = read;
            return range;
        }
        chip.registers.setRead(reg, read.bytes[0]);
        ++range.registersRead;
    }
    return range;
}

RangeRead readAllRegisters(const Chip& chip, ReadMode mode) {
    chip.link.flushInput();
    RangeRead all = readRegisterRange(chip, 0x00, 0x0C, mode);
    if (!all.ok())
        return all;
    const RangeRead last = readRegisterRange(chip, 0x10, 0x10, mode);
    all.registersRead += last.registersRead;
    all.failure = last.failure;
    return all;
}

RangeRead readOneRegister(const Chip& chip, std::uint8_t reg) {
    chip.link.flushInput();
    return readRegisterRange(chip, reg, reg, ReadMode::Single);
}

LinkResult readRegisterSpan(BoardLink& link, std::uint8_t deviceAddress, std::uint8_t first,
                            int count) {
    LinkResult all;
    if (count < 1 || first + count > 256) {
        all.status = LinkStatus::NotAcknowledged;
        all.reason = QStringLiteral("the registers lie beyond 0xFF");
        return all;
    }
    for (int done = 0; done < count;) {
        const int n = std::min(count - done, kMaxReadCount);
        LinkResult part =
            link.readRegistersOnce(deviceAddress, static_cast<std::uint8_t>(first + done), n);
        if (!part.ok())
            return part;
        all.bytes.insert(all.bytes.end(), part.bytes.begin(), part.bytes.end());
        done += n;
    }
    return all;
}

LinkResult writeRegisterSpan(BoardLink& link, std::uint8_t deviceAddress, std::uint8_t first,
                             std::span<const std::uint8_t> data, int* written) {
    const int count = static_cast<int>(data.size());
    if (written)
        *written = 0;
    if (count < 1 || first + count > 256) {
        LinkResult refused;
        refused.status = LinkStatus::NotAcknowledged;
        refused.reason = QStringLiteral("the registers lie beyond 0xFF");
        return refused;
    }
    for (int done = 0; done < count;) {
        const int n = std::min(count - done, kMaxWriteCount);
        const LinkResult part = link.writeRegistersOnce(
            deviceAddress, static_cast<std::uint8_t>(first + done), data.subspan(done, n));
        if (!part.ok())
            return part;
        done += n;
        if (written)
            *written = done;
    }
    return {};
}
