#include "python/values.h"

#include "core/operations/chipcontrols.h"
#include "core/platform/outsidetext.h"
#include "core/registers/registerfields.h"
#include "core/registers/registermap.h"
#include "core/regtexts/registertexts.h"
#include "python/errors.h"

namespace py = pybind11;

namespace {

enum Type { kBoardInfo, kField, kRegister, kChannel, kClock, kDifference, kScan, kTypes };

// Each type: its name, its fields and what it is.
const struct {
    const char* name;
    const char* fields;
    const char* doc;
} kTypeSpecs[kTypes] = {
    {"BoardInfo", "instance path serial firmware firmware_date",
     "A board found: its instance number (open(board=...)), its node, its serial number, and its "
     "firmware version and date as it answered ('2.0', '2010-01-15'; None when it did not)."},
    {"Field", "name bits value meaning access",
     "A register's bit field: its name, its bits ('7:4', or '5' for one), its value in the "
     "byte, what that value means ('B', '10.500 mA') and its access ('read-only', "
     "'read-write', 'self-clearing', 'cleared-by-read', 'reserved')."},
    {"Register", "register name value", "A register of the main set, its name and its value."},
    {"ChannelSetting", "channel value",
     "The channel option register 0x02 selects ('A' to 'D', 'auto', 'hardware') and the "
     "register's value."},
    {"I2CClock", "khz base_mhz divider",
     "The board's I2C clock: its frequency in kHz, the base clock in MHz and the divider."},
    {"Difference", "register wrote chip",
     "A register read back other than written: the register, the value written and the chip's."},
    {"ScanResult", "present chips",
     "The 7-bit addresses that answered a scan, and those whose register 0x00 reads as this "
     "chip (0x31)."},
};

// Made at import and never freed, as the module's classes are.
PyObject* gTypes[kTypes] = {};

template <typename... Values> py::object make(Type type, Values&&... values) {
    return py::handle(gTypes[type])(std::forward<Values>(values)...);
}

const char* accessName(FieldAccess access) {
    switch (access) {
    case FieldAccess::ReadOnly:
        return "read-only";
    case FieldAccess::ReadWrite:
        return "read-write";
    case FieldAccess::SelfClearing:
        return "self-clearing";
    case FieldAccess::ClearedByRead:
        return "cleared-by-read";
    case FieldAccess::Reserved:
        return "reserved";
    case FieldAccess::NotUsed:
        return "not used";
    }
    return "";
}

py::object text(const QString& s) {
    return pythonText(s);
}

} // namespace

void defineValueTypes(py::module_& module) {
    const py::object namedtuple = py::module_::import("collections").attr("namedtuple");
    for (int t = 0; t < kTypes; ++t) {
        py::object type =
            namedtuple(kTypeSpecs[t].name, kTypeSpecs[t].fields, py::arg("module") = "qdm7720a");
        type.attr("__doc__") = kTypeSpecs[t].doc;
        module.attr(kTypeSpecs[t].name) = type;
        gTypes[t] = type.release().ptr();
    }
}

py::object boardInfo(const BoardEntry& entry) {
    py::object firmware = py::none(), date = py::none();
    if (entry.firmware) {
        const QString words = firmwareText(*entry.firmware);
        firmware = text(words.section(' ', 0, 0));
        date = text(words.section(' ', 1));
    }
    return make(kBoardInfo, entry.instance, text(nameFromBytes(entry.device.path)),
                text(nameFromBytes(entry.device.serialNumber)), firmware, date);
}

void checkFieldRegister(std::uint8_t reg) {
    if (registerFields(reg).empty())
        raiseUsage(QStringLiteral("the register is one with fields, 0x00 to 0x0C or 0x10, not %1.")
                       .arg(hexValue(reg)));
}

py::list fieldsOf(std::uint8_t reg, std::uint8_t byte) {
    checkFieldRegister(reg);
    py::list fields;
    for (const FieldValue& v : decodeFields(reg, byte))
        fields.append(make(kField, v.field->name, text(v.field->bits()), v.value, text(v.meaning),
                           accessName(v.field->access)));
    return fields;
}

py::list mainRegisters(const std::vector<std::uint8_t>& values) {
    py::list registers;
    for (std::size_t i = 0; i < values.size() && i < kMainRegisters.size(); ++i)
        registers.append(
            make(kRegister, kMainRegisters[i], text(registerName(kMainRegisters[i])), values[i]));
    return registers;
}

py::object channelSetting(std::uint8_t value) {
    return make(kChannel, text(channelOptionName(channelOptionFor(value))), value);
}

py::object clockSetting(const I2CClock& clock) {
    return make(kClock, clock.kHz(), clock.baseMHz, clock.divider);
}

py::list differences(const std::vector<RegisterDifference>& found) {
    py::list list;
    for (const RegisterDifference& d : found)
        list.append(make(kDifference, d.reg, d.expected, d.chip));
    return list;
}

py::object scanResult(const ScanAnswers& answers, int first, int last) {
    py::list present, chips;
    for (int a = first; a <= last; ++a) {
        if (!answers[a])
            continue;
        present.append(a);
        if (*answers[a] == kChipIdentity)
            chips.append(a);
    }
    return make(kScan, present, chips);
}
