#include "core/registers/deviceaddress.h"

DeviceAddress::DeviceAddress(QObject* parent) : QObject(parent) {}

void DeviceAddress::setByte(std::uint8_t byte) {
    byte_ = static_cast<std::uint8_t>(byte & 0xFE);
    emit changed(byte_);
}

std::uint8_t addressByteFromBits(const std::array<bool, 7>& bits) {
    int byte = 0;
    for (int i = 0; i < 7; ++i) {
        if (bits[i])
            byte += 1 << (i + 1);
    }
    return static_cast<std::uint8_t>(byte);
}
