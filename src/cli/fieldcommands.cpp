#include "cli/fieldcommands.h"

#include "cli/commandsupport.h"
#include "core/operations/celledit.h"
#include "core/operations/scriptaccess.h"
#include "core/operations/scriptfields.h"
#include "core/registers/registereffects.h"
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
    refusal = usage(fieldRegisterRefusal(text));
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

// A field's value as the text output gives it: 0 or 1 for a bit, else hex
// with a digit for every four bits ("0xA", "0x1F", "0x01").
QString valueText(const RegisterField& f, unsigned value) {
    return f.width() == 1
               ? QString::number(value)
               : QStringLiteral("0x") + QStringLiteral("%1")
                                            .arg(value, (f.width() + 3) / 4, 16, QLatin1Char('0'))
                                            .toUpper();
}

// What a value means in a comparison: the number itself for a reserved or
// unused field, whose words are its rule.
QString comparedText(const RegisterField& f, unsigned value) {
    return f.ruled() ? valueText(f, value) : fieldMeaning(f, value);
}

QJsonObject valueJson(const RegisterField& f, unsigned value) {
    return {{"value", int(value)}, {"meaning", fieldMeaning(f, value)}};
}

QJsonObject fieldJson(const RegisterField& f, std::uint8_t byte, bool described = false) {
    const unsigned value = f.valueIn(byte);
    QJsonObject field = valueJson(f, value);
    field.insert(QStringLiteral("name"), QLatin1String(f.name));
    field.insert(QStringLiteral("bits"), f.bits());
    field.insert(QStringLiteral("access"), accessText(f));
    field.insert(QStringLiteral("writable"), f.writable() && fieldsLocking(f, byte).empty());
    if (const QString because = lockedBecause(f, byte); !because.isEmpty())
        field.insert(QStringLiteral("readOnlyBecause"), because);
    field.insert(QStringLiteral("default"), int(f.reset));
    field.insert(QStringLiteral("isDefault"), value == f.reset);
    if (f.ruled()) {
        field.insert(QStringLiteral("rule"), fieldRule(f));
        field.insert(QStringLiteral("breaksRule"), f.breaksRule(value));
    }
    if (described)
        field.insert(QStringLiteral("description"),
                     QJsonArray::fromStringList(descriptionLines(f.reg, f.description)));
    return field;
}

// The changes `set` names after its register: FIELD VALUE, or FIELD=VALUE
// for each field; else why they are none.
std::optional<std::vector<FieldChange>> changesOf(std::uint8_t reg, const QStringList& given,
                                                  CommandResult& refusal) {
    QList<NamedValue> pairs;
    if (given.size() == 2 && !given[0].contains(u'=')) {
        pairs.append({given[0], given[1]});
    } else {
        for (const QString& op : given) {
            const qsizetype equals = op.indexOf(u'=');
            if (equals < 0) {
                refusal = usage(QStringLiteral("set takes FIELD VALUE, or FIELD=VALUE for each "
                                               "field, not '%1'.")
                                    .arg(op));
                return std::nullopt;
            }
            pairs.append({op.left(equals), op.mid(equals + 1)});
        }
    }
    const Told<std::vector<FieldChange>> changes = namedFieldChanges(reg, pairs);
    if (!changes.ok()) {
        refusal = usage(changes.failure->message);
        return std::nullopt;
    }
    return changes.value;
}

} // namespace

QString fieldLines(std::uint8_t reg, std::uint8_t byte, bool described) {
    QString text;
    for (const FieldValue& v : decodeFields(reg, byte)) {
        const RegisterField& f = *v.field;
        const char mark = f.breaksRule(v.value) ? '!' : v.value != f.reset ? '*' : ' ';
        text += QStringLiteral("    %1 %2 %3 %4 reset %5 %6 %7\n")
                    .arg(QLatin1Char(mark))
                    .arg(f.bits(), -4)
                    .arg(QLatin1String(f.name), -28)
                    .arg(valueText(f, v.value), -4)
                    .arg(valueText(f, f.reset), -4)
                    .arg(v.meaning, -22)
                    .arg(accessText(f, byte));
        if (described) {
            for (const QString& line : descriptionLines(f.reg, f.description))
                text += QStringLiteral("           ") + line + u'\n';
        }
    }
    return text;
}

QJsonArray fieldsJson(std::uint8_t reg, std::uint8_t byte, bool described) {
    QJsonArray fields;
    for (const RegisterField& f : registerFields(reg))
        fields.append(fieldJson(f, byte, described));
    return fields;
}

QString fieldDifferences(std::uint8_t reg, const char* what, std::uint8_t ours, const char* other,
                         std::uint8_t theirs) {
    QString text;
    for (const RegisterField& f : registerFields(reg)) {
        if (f.valueIn(ours) != f.valueIn(theirs))
            text += QStringLiteral("%1 %2: %3 %4, %5 %6\n")
                        .arg(hex(reg), QLatin1String(f.name), QLatin1String(what),
                             comparedText(f, f.valueIn(ours)), QLatin1String(other),
                             comparedText(f, f.valueIn(theirs)));
    }
    return text;
}

QJsonArray fieldDifferencesJson(std::uint8_t reg, const char* what, std::uint8_t ours,
                                const char* other, std::uint8_t theirs) {
    QJsonArray fields;
    for (const RegisterField& f : registerFields(reg)) {
        if (f.valueIn(ours) != f.valueIn(theirs))
            fields.append(QJsonObject{{"name", QLatin1String(f.name)},
                                      {"bits", f.bits()},
                                      {QLatin1String(what), valueJson(f, f.valueIn(ours))},
                                      {QLatin1String(other), valueJson(f, f.valueIn(theirs))}});
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
    const bool described = b.arguments.longForm;
    CommandResult r;
    r.text = QStringLiteral("%1  %2  %3\n").arg(hex(*reg), hex(value), registerName(*reg)) +
             fieldLines(*reg, value, described);
    r.json = {{"register", *reg},
              {"name", registerName(*reg)},
              {"value", value},
              {"fields", fieldsJson(*reg, value, described)}};
    if (ops.size() == 1)
        putAddress(b, r.json);
    return r;
}

CommandResult set(Workbench& b) {
    if (CommandResult r =
            operandCount(b, 2, 257, "a register and FIELD VALUE, or FIELD=VALUE for each field");
        r.status)
        return r;
    const QStringList& ops = b.arguments.operands;
    CommandResult refused;
    const std::optional<std::uint8_t> reg = fieldRegister(ops[0], refused);
    if (!reg)
        return refused;
    const std::optional<std::vector<FieldChange>> changes = changesOf(*reg, ops.mid(1), refused);
    if (!changes)
        return refused;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const Told<FieldsSet> set = setFields(b.chip(), *reg, *changes);
    if (!set.ok() && set.failure->kind != FailureKind::Differs)
        return set.failure->kind == FailureKind::Usage ? usage(set.failure->message)
                                                       : failure(*set.failure);
    const FieldsSet& w = set.value;
    CommandResult r;
    QStringList said;
    QJsonArray fields;
    for (const FieldChange& c : *changes) {
        const RegisterField& f = *c.field;
        const QString meaning = f.effect == FieldEffect::Pulse && c.value
                                    ? QStringLiteral("pulsed")
                                    : fieldMeaning(f, f.valueIn(w.readBack));
        said << QStringLiteral("%1: %2").arg(QLatin1String(f.name), meaning);
        fields.append(fieldJson(f, w.readBack));
    }
    r.text = QStringLiteral("%1 %2 (%3)\n")
                 .arg(hex(*reg), said.join(QStringLiteral(", ")), hex(w.readBack));
    r.json = {{"register", *reg},
              {"written", w.written},
              {"readBack", w.readBack},
              {"fields", fields},
              {"pulsed", w.pulsed}};
    if (fields.size() == 1)
        r.json.insert(QStringLiteral("field"), fields[0]);
    putAddress(b, r.json);
    if (!set.ok()) {
        r.status = kChipOrBoardFailed;
        r.error = set.failure->message;
    }
    return r;
}

} // namespace cli
