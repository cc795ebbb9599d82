#include "core/registers/registermap.h"

#include "core/registers/hextext.h"

#include <algorithm>

bool isMainRegister(int reg) {
    return std::find(kMainRegisters.begin(), kMainRegisters.end(), reg) != kMainRegisters.end();
}

bool isGridRegister(int reg) {
    return reg >= 0 && reg < kGridRegisters && (reg < 0x0D || reg > 0x0F);
}

bool isUserWritable(int reg) {
    return isGridRegister(reg) && reg != 0x00 && reg != 0x01 && (reg < 0x0A || reg > 0x0C);
}

QString registerAddressText(std::uint8_t reg) {
    return QStringLiteral("0x") + hexByte(reg);
}
