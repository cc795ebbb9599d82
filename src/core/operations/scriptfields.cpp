#include "core/operations/scriptfields.h"

#include "core/operations/celledit.h"
#include "core/registers/registerfields.h"

#include <QStringList>

namespace {

OperationFailure usageFailure(const QString& message) {
    return {FailureKind::Usage, message};
}

OperationFailure failed(const Chip& chip, const QString& what, const LinkResult& result) {
    return linkFailure(what + atAddress(chip.address.sevenBit()), result, chip.link.selectedBoard(),
                       chip.link.answerLimitMs());
}

} // namespace

QString fieldRegisterRefusal(const QString& given) {
    return QStringLiteral("the register is one with fields, 0x00 to 0x0C or 0x10, not '%1'.")
        .arg(given);
}

Told<std::vector<FieldChange>> namedFieldChanges(std::uint8_t reg, const QList<NamedValue>& named) {
    Told<std::vector<FieldChange>> told;
    for (const auto& [name, text] : named) {
        const RegisterField* field = findField(reg, name);
        if (!field) {
            QStringList names;
            for (const RegisterField& f : registerFields(reg)) {
                if (!f.ruled())
                    names << QLatin1String(f.name);
            }
            told.failure =
                usageFailure(QStringLiteral("register %1 has no field '%2'; its fields are %3.")
                                 .arg(hexValue(reg), name, names.join(QStringLiteral(", "))));
            return told;
        }
        // Blanks around a value are refused, as around every other operand.
        const std::optional<unsigned> value = !field->writable() ? std::optional<unsigned>(0)
                                              : text == text.trimmed()
                                                  ? parseFieldValue(*field, text)
                                                  : std::nullopt;
        if (!value) {
            told.failure = usageFailure(
                QStringLiteral("%1 %2 takes %3, not '%4'.")
                    .arg(hexValue(reg), QLatin1String(field->name), fieldValueHint(*field), text));
            return told;
        }
        told.value.push_back({field, *value});
    }
    if (const FieldChangeRefusal refused = refusalOf(reg, told.value))
        told.failure = usageFailure(refused.text);
    return told;
}

Told<FieldsSet> setFields(const Chip& chip, std::uint8_t reg,
                          std::span<const FieldChange> changes) {
    Told<FieldsSet> told;
    // The other fields keep what the chip holds now.
    const Told<std::uint8_t> now = readRegister(chip, reg);
    if (!now.ok())
        return {{}, now.failure};
    chip.registers.setRead(reg, now.value);
    const FieldWrite fw = writeFields(chip, reg, changes);
    const CellWrite& w = fw.write;
    if (fw.refusal)
        return {{}, usageFailure(fw.refusal.text)};
    const QString where = QStringLiteral("write of register ") + hexValue(reg);
    if (w.outcome != CellWrite::Outcome::Written)
        return {{}, failed(chip, where, w.failure)};
    told.value.written = w.value;
    told.value.pulsed = fw.pulse.has_value();
    if (fw.pulse && !fw.pulse->low.ok()) {
        told.failure =
            linkFailure(where + atAddress(chip.address.sevenBit()) +
                            QStringLiteral(" that takes %1 low again (it may be left set)")
                                .arg(QLatin1String(pulseAmong(changes)->name)),
                        w.failure, chip.link.selectedBoard(), chip.link.answerLimitMs());
        return told;
    }
    if (!w.readBack) {
        told.failure =
            failed(chip, QStringLiteral("read-back of register ") + hexValue(reg), w.failure);
        return told;
    }
    told.value.readBack = *w.readBack;
    // A reset puts the register back, and may change the rest.
    told.value.resetChip = writeResetsChip(reg, w.value);
    if (*w.readBack != w.value && !told.value.resetChip) {
        const QString name = changes.size() == 1
                                 ? QStringLiteral("%1 %2").arg(
                                       hexValue(reg), QLatin1String(changes.front().field->name))
                                 : QStringLiteral("register ") + hexValue(reg);
        told.failure = {FailureKind::Differs,
                        QStringLiteral("%1: wrote %2, read back %3")
                            .arg(name, hexValue(w.value), hexValue(*w.readBack))};
    }
    return told;
}
