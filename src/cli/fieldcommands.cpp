#include "cli/fieldcommands.h"

#include "cli/commandsupport.h"
#include "core/operations/celledit.h"
#include "core/operations/scriptaccess.h"
#include "core/registers/registerfields.h"
#include "core/regtexts/registertexts.h"

#include <QJsonObject>
#include <QStringList>

namespace cli {

namespace {

// A register whose fields are known, or why the operand is none.
std::optional<std::uint8_t> fieldRegister(const QString& text, CommandResult& refusal) {
    const std::optional<int> reg = byteOperand(text);
    if (reg && !registerFields(std::uint8_t(*reg)).empty())
        return std::uint8_t(*reg);
    refusal = usage(QStringLiteral("the register is one with fields, 0x00 to 0x0C or 0x10, "
                                   "not '%1'.")
                        .arg(text));
    return std::nullopt;
}

// The register as the chip holds it, read once, or why it could not be.
std::optional<std::uint8_t> readRegister(Workbench& b, std::uint8_t reg, CommandResult& failed) {
    if (std::optional<CommandResult> none = b.connect()) {
        failed = *none;
        return std::nullopt;
    }
    const Told<std::uint8_t> read = ::readRegister(b.chip(), reg);
    if (!read.ok()) {
        failed = failure(*read.failure);
        return std::nullopt;
    }
    return read.value;
}

// A field's value as the text output gives it: 0 or 1 for a bit, else hex.
QString valueText(const RegisterField& f, unsigned value) {
    return f.width() == 1 ? QString::number(value)
                          : QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

QJsonObject valueJson(const RegisterField& f, unsigned value) {
    return {{"value", int(value)}, {"meaning", fieldMeaning(f, value)}};
}

QJsonObject fieldJson(const RegisterField& f, unsigned value) {
    QJsonObject field = valueJson(f, value);
    field.insert(QStringLiteral("name"), QLatin1String(f.name));
    field.insert(QStringLiteral("bits"), f.bits());
    return field;
}

} // namespace

QString fieldLines(std::uint8_t reg, std::uint8_t byte) {
    QString text;
    for (const FieldValue& v : decodeFields(reg, byte)) {
        text += QStringLiteral("      %1 %2 %3 %4\n")
                    .arg(v.field->bits(), -4)
                    .arg(QLatin1String(v.field->name), -28)
                    .arg(valueText(*v.field, v.value), -4)
                    .arg(v.meaning);
    }
    return text;
}

QJsonArray fieldsJson(std::uint8_t reg, std::uint8_t byte) {
    QJsonArray fields;
    for (const RegisterField& f : registerFields(reg))
        fields.append(fieldJson(f, f.valueIn(byte)));
    return fields;
}

QString fieldDifferences(std::uint8_t reg, const char* what, std::uint8_t ours, std::uint8_t chip) {
    QString text;
    for (const RegisterField& f : registerFields(reg)) {
        if (f.valueIn(ours) != f.valueIn(chip))
            text += QStringLiteral("%1 %2: %3 %4, chip %5\n")
                        .arg(hex(reg), QLatin1String(f.name), QLatin1String(what),
                             fieldMeaning(f, f.valueIn(ours)), fieldMeaning(f, f.valueIn(chip)));
    }
    return text;
}

QJsonArray fieldDifferencesJson(std::uint8_t reg, const char* what, std::uint8_t ours,
                                std::uint8_t chip) {
    QJsonArray fields;
    for (const RegisterField& f : registerFields(reg)) {
        if (f.valueIn(ours) != f.valueIn(chip))
            fields.append(QJsonObject{{"name", QLatin1String(f.name)},
                                      {"bits", f.bits()},
                                      {QLatin1String(what), valueJson(f, f.valueIn(ours))},
                                      {"chip", valueJson(f, f.valueIn(chip))}});
    }
    return fields;
}

CommandResult decode(Workbench& b) {
    if (CommandResult r = operandCount(b, 1, 2, "a register and an optional byte"); r.status)
        return r;
    const QStringList& ops = b.arguments.operands;
    CommandResult refused;
    const std::optional<std::uint8_t> reg = fieldRegister(ops[0], refused);
    if (!reg)
        return refused;
    std::optional<std::uint8_t> byte;
    if (ops.size() > 1) {
        const std::optional<int> given = byteOperand(ops[1]);
        if (!given)
            return usage(QStringLiteral("a byte is 0 to 255, not '%1'.").arg(ops[1]));
        byte = std::uint8_t(*given);
    } else {
        byte = readRegister(b, *reg, refused);
        if (!byte)
            return refused;
    }
    const std::uint8_t value = *byte;
    CommandResult r;
    r.text = QStringLiteral("%1  %2  %3\n").arg(hex(*reg), hex(value), registerName(*reg)) +
             fieldLines(*reg, value);
    r.json = {{"register", *reg},
              {"name", registerName(*reg)},
              {"value", value},
              {"fields", fieldsJson(*reg, value)}};
    if (ops.size() == 1)
        putAddress(b, r.json);
    return r;
}

CommandResult set(Workbench& b) {
    if (CommandResult r = operandCount(b, 3, 3, "a register, one of its fields and a value");
        r.status)
        return r;
    const QStringList& ops = b.arguments.operands;
    CommandResult refused;
    const std::optional<std::uint8_t> reg = fieldRegister(ops[0], refused);
    if (!reg)
        return refused;
    const RegisterField* field = findField(*reg, ops[1]);
    if (!field) {
        QStringList names;
        for (const RegisterField& f : registerFields(*reg))
            names << QLatin1String(f.name);
        return usage(QStringLiteral("register %1 has no field '%2'; its fields are %3.")
                         .arg(hex(*reg), ops[1], names.join(QStringLiteral(", "))));
    }
    const QString name = QStringLiteral("%1 %2").arg(hex(*reg), QLatin1String(field->name));
    if (!field->writable())
        return usage(name + (field->access == FieldAccess::Reserved
                                 ? QStringLiteral(" is reserved: it keeps the value it holds.")
                                 : QStringLiteral(" is read-only.")));
    // Blanks around it are refused, as around every other operand.
    const std::optional<unsigned> value =
        ops[2] == ops[2].trimmed() ? parseFieldValue(*field, ops[2]) : std::nullopt;
    if (!value)
        return usage(
            QStringLiteral("%1 takes %2, not '%3'.").arg(name, fieldValueHint(*field), ops[2]));
    // The other fields keep what the chip holds now.
    const std::optional<std::uint8_t> now = readRegister(b, *reg, refused);
    if (!now)
        return refused;
    b.registers.setRead(*reg, *now);
    const CellWrite w = writeField(b.chip(), *field, *value).write;
    if (w.outcome != CellWrite::Outcome::Written)
        return linkFailure(b, QStringLiteral("write of register ") + hex(*reg) + atChip(b),
                           w.failure);
    if (!w.readBack)
        return linkFailure(b, QStringLiteral("read-back of register ") + hex(*reg) + atChip(b),
                           w.failure);
    const unsigned readBack = field->valueIn(*w.readBack);
    CommandResult r;
    r.text =
        QStringLiteral("%1: %2 (%3)\n").arg(name, fieldMeaning(*field, readBack), hex(*w.readBack));
    r.json = {{"register", *reg},
              {"written", w.value},
              {"readBack", *w.readBack},
              {"field", fieldJson(*field, readBack)}};
    putAddress(b, r.json);
    // A self-clearing bit reads back clear, and its action may change the rest.
    if (*w.readBack != w.value && field->access != FieldAccess::SelfClearing) {
        r.status = kChipOrBoardFailed;
        r.error =
            QStringLiteral("%1: wrote %2, read back %3").arg(name, hex(w.value), hex(*w.readBack));
    }
    return r;
}

} // namespace cli
