#include "core/registers/registereffects.h"

#include "core/registers/hextext.h"

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

FieldChangeRefusal refusalOf(std::uint8_t reg, std::span<const FieldChange> changes) {
    using Reason = FieldChangeRefusal::Reason;
    for (auto c = changes.begin(); c != changes.end(); ++c) {
        if (!c->field || c->field->reg != reg)
            return {Reason::OtherRegister, c->field,
                    QStringLiteral("A field given is not one of register 0x%1.").arg(hexByte(reg))};
        const RegisterField& f = *c->field;
        const QString name = QStringLiteral("0x%1 %2").arg(hexByte(f.reg), QLatin1String(f.name));
        if (c->value > f.maximum())
            return {
                Reason::OutOfRange, &f,
                QStringLiteral("%1 takes %2, not %3.").arg(name, fieldValueHint(f)).arg(c->value)};
        if (!f.writable()) {
            const QString why =
                f.access == FieldAccess::NotUsed
                    ? QStringLiteral("0x%1 bits %2 are not used.").arg(hexByte(f.reg), f.bits())
                : f.access == FieldAccess::Reserved
                    ? name + QStringLiteral(" is reserved: it keeps its value after reset.")
                    : name + QStringLiteral(" is read-only.");
            return {Reason::NotWritable, &f, why};
        }
        if (std::any_of(changes.begin(), c, [&](const FieldChange& e) { return e.field == &f; }))
            return {Reason::GivenTwice, &f, name + QStringLiteral(" is given twice.")};
        if (f.effect == FieldEffect::ResetsChip && c->value != 0 && changes.size() > 1)
            return {Reason::ResetWithOthers, &f,
                    name + QStringLiteral(" resets the chip, which puts every other field "
                                          "back: set it alone.")};
    }
    return {};
}

FieldChangeRefusal refusalOf(std::uint8_t reg, std::span<const FieldChange> changes,
                             std::uint8_t known) {
    if (FieldChangeRefusal refused = refusalOf(reg, changes))
        return refused;
    const std::uint8_t written = fieldsWriteByte(changes, known);
    for (const FieldChange& c : changes) {
        const QString because = lockedBecause(*c.field, written);
        if (!because.isEmpty())
            return {FieldChangeRefusal::Reason::ReadOnlyWhile, c.field,
                    QStringLiteral("0x%1 %2 is read-only while %3: clear %4 in the same write.")
                        .arg(hexByte(reg), QLatin1String(c.field->name), because,
                             fieldsLocking(*c.field, written).size() == 1
                                 ? QStringLiteral("it")
                                 : QStringLiteral("them"))};
    }
    return {};
}

std::uint8_t fieldsWriteByte(std::span<const FieldChange> changes, std::uint8_t known) {
    if (changes.empty())
        return known;
    for (const RegisterField& other : registerFields(changes.front().field->reg)) {
        if (clearsItself(other))
            known = encodeField(other, 0, known);
    }
    for (const FieldChange& c : changes)
        known = encodeField(*c.field, c.value, known);
    return known;
}

std::uint8_t fieldWriteByte(const RegisterField& field, unsigned value, std::uint8_t known) {
    const FieldChange change[] = {{&field, value}};
    return fieldsWriteByte(change, known);
}

const RegisterField* pulseAmong(std::span<const FieldChange> changes) {
    const auto pulse = std::find_if(changes.begin(), changes.end(), [](const FieldChange& c) {
        return c.field->effect == FieldEffect::Pulse && c.value != 0;
    });
    return pulse == changes.end() ? nullptr : pulse->field;
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
