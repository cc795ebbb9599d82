// The Chip's bit fields: decode and set, on the core's field table.
#include "core/operations/scriptfields.h"
#include "python/arguments.h"
#include "python/chipobject.h"
#include "python/values.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

// A value as set() takes it: a setting's name or a quantity as typed
// ("C", "10.75mA"), a raw value as an int, a bit as a bool.
QString valueText(const py::handle& value) {
    if (py::isinstance<py::bool_>(value))
        return value.cast<bool>() ? QStringLiteral("1") : QStringLiteral("0");
    if (py::isinstance<py::int_>(value))
        return QString::number(value.cast<long long>());
    if (py::isinstance<py::str>(value))
        return QString::fromStdString(value.cast<std::string>());
    throw py::type_error("a field's value is an int, a bool or a str");
}

QString nameText(const py::handle& name) {
    if (!py::isinstance<py::str>(name))
        throw py::type_error("a field's name is a str");
    return QString::fromStdString(name.cast<std::string>());
}

std::uint8_t fieldRegisterArgument(long long reg) {
    const std::uint8_t r = registerArgument(reg);
    checkFieldRegister(r);
    return r;
}

} // namespace

void defineFieldMethods(ChipClass& chip) {
    chip.def(
        "decode",
        [](PyChip& c, long long reg, std::optional<long long> byte) {
            const std::uint8_t r = registerArgument(reg);
            if (byte)
                return fieldsOf(r, byteArgument(*byte));
            checkFieldRegister(r);
            return fieldsOf(
                r, valueOf(c.session().run([&](Chip& chip) { return readRegister(chip, r); })));
        },
        "register"_a, "byte"_a = py::none(),
        "The register's bit fields as the chip holds them, or in `byte` (which reads "
        "nothing): a list of Field.");
    chip.def(
        "set",
        [](PyChip& c, long long reg, const py::object& fields, const py::object& value) {
            const std::uint8_t r = fieldRegisterArgument(reg);
            QList<NamedValue> named;
            if (py::isinstance<py::dict>(fields)) {
                if (!value.is_none())
                    raiseUsage(QStringLiteral("set takes a field and its value, or a dict of "
                                              "fields and values, not both."));
                for (const auto& [name, v] : fields.cast<py::dict>())
                    named.append({nameText(name), valueText(v)});
            } else {
                if (value.is_none())
                    raiseUsage(QStringLiteral("set takes a value for the field."));
                named.append({nameText(fields), valueText(value)});
            }
            if (named.isEmpty())
                raiseUsage(QStringLiteral("set takes at least one field."));
            const std::vector<FieldChange> changes = valueOf(namedFieldChanges(r, named));
            const Told<FieldsSet> set =
                c.session().run([&](Chip& chip) { return setFields(chip, r, changes); });
            if (!set.ok())
                raiseFailure(*set.failure,
                             set.failure->kind == FailureKind::Differs
                                 ? py::dict("differences"_a = differences(
                                                {{r, set.value.written, set.value.readBack}}))
                                 : py::dict());
            return fieldsSet(r, changes, set.value);
        },
        "register"_a, "field"_a, "value"_a = py::none(),
        R"(Sets bit fields of the register in one write, as qdm7720a-cli set does.

set(0x06, "transmit current", "10.75mA") sets one field; set(0x02, {"channel
select": "C", "auto channel select": 0}) several. A field is named in any case;
a value is a setting's name or a quantity with its unit as a str ("B",
"10.75mA", "on"), a raw value as an int, or a bit as a bool. The register is
read first, so that every other field keeps what the chip holds; a
self-clearing field is written 0 unless set; Reset goes alone. The register is
read back: a FieldsSet. Raises UsageError for a name or value the register does
not take, Mismatch when the read-back differs from the byte written (a reset
aside).)");
}
