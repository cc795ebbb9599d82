// The chip's I2C address as every register operation sends it: the 7-bit
// address shifted left by one, bit 0 clear (0x40 is sent as 0x80).
#pragma once

#include <QObject>
#include <array>
#include <cstdint>

class DeviceAddress : public QObject {
    Q_OBJECT
public:
    explicit DeviceAddress(QObject* parent = nullptr);

    std::uint8_t byte() const { return byte_; }
    std::uint8_t sevenBit() const { return byte_ >> 1; }
    // Bit 0 is dropped: the read bit is the link's to add.
    void setByte(std::uint8_t byte);

signals:
    void changed(std::uint8_t byte);

private:
    std::uint8_t byte_ = 0;
};

// The address byte of seven address bits, bit i of the 7-bit address being
// bit i + 1 of the byte.
std::uint8_t addressByteFromBits(const std::array<bool, 7>& bits);
