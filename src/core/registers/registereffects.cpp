#include "core/registers/registereffects.h"

#include <algorithm>

namespace {

bool anySetWhere(std::uint8_t reg, std::uint8_t value, bool (*which)(const RegisterField&)) {
    const auto fields = registerFields(reg);
    return std::any_of(fields.begin(), fields.end(),
                       [&](const RegisterField& f) { return which(f) && f.valueIn(value) != 0; });
}

bool resets(const RegisterField& f) {
    return f.effect == FieldEffect::ResetsChip;
}

bool clearsItself(const RegisterField& f) {
    return f.access == FieldAccess::SelfClearing;
}

} // namespace

bool writeResetsChip(std::uint8_t reg, std::uint8_t value) {
    return anySetWhere(reg, value, resets);
}

bool readClears(std::uint8_t reg) {
    const auto fields = registerFields(reg);
    return std::any_of(fields.begin(), fields.end(), [](const RegisterField& f) {
        return f.access == FieldAccess::ClearedByRead;
    });
}

std::uint8_t fieldWriteByte(const RegisterField& field, unsigned value, std::uint8_t known) {
    for (const RegisterField& other : registerFields(field.reg)) {
        if (&other != &field && clearsItself(other))
            known = encodeField(other, 0, known);
    }
    return encodeField(field, value, known);
}

void noteRegistersWritten(RegisterModel& model, std::uint8_t first,
                          std::span<const std::uint8_t> data) {
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (writeResetsChip(static_cast<std::uint8_t>(first + i), data[i])) {
            model.forgetAll();
            for (std::size_t j = 0; j < data.size(); ++j)
                model.forget(static_cast<std::uint8_t>(first + j));
            return;
        }
    }
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto reg = static_cast<std::uint8_t>(first + i);
        if (anySetWhere(reg, data[i], clearsItself))
            model.forget(reg);
        else
            model.setWritten(reg, data[i]);
    }
}
