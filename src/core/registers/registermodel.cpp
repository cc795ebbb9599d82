#include "core/registers/registermodel.h"

#include "core/registers/hextext.h"

RegisterModel::RegisterModel(QObject* parent) : QObject(parent) {}

QString RegisterModel::text(std::uint8_t reg) const {
    const Entry& e = entries_[reg];
    switch (e.origin) {
    case Origin::Unknown:
        return {};
    case Origin::Typed:
        return e.typed;
    default:
        return hexByte(e.value);
    }
}

void RegisterModel::set(std::uint8_t reg, Entry entry) {
    entries_[reg] = std::move(entry);
    emit changed(reg);
}

void RegisterModel::setRead(std::uint8_t reg, std::uint8_t value) {
    set(reg, {Origin::Read, value, {}});
}

void RegisterModel::setWritten(std::uint8_t reg, std::uint8_t value) {
    set(reg, {Origin::Written, value, {}});
}

void RegisterModel::setReadFailed(std::uint8_t reg, std::uint8_t shown) {
    set(reg, {Origin::ReadFailed, shown, {}});
}

void RegisterModel::forget(std::uint8_t reg) {
    if (entries_[reg].origin != Origin::Unknown)
        set(reg, {});
}

void RegisterModel::forgetAll() {
    for (int reg = 0; reg < int(entries_.size()); ++reg) {
        if (entries_[reg].origin != Origin::Typed)
            forget(static_cast<std::uint8_t>(reg));
    }
}

void RegisterModel::setTyped(std::uint8_t reg, const QString& text) {
    if (text == this->text(reg))
        return;
    set(reg, {Origin::Typed, 0, text});
}
