#include "python/values.h"

#include "core/operations/chipcontrols.h"
#include "core/platform/outsidetext.h"
#include "core/registers/registerfields.h"
#include "core/registers/registermap.h"
#include "core/regtexts/registertexts.h"

#include "python/errors.h"
#include <QJsonDocument>

namespace py = pybind11;

namespace {

enum Type {
    kBoardInfo,
    kField,
    kRegister,
    kChannel,
    kClock,
    kDifference,
    kScan,
    kFieldsSet,
    kLoaded,
    kLinkErrors,
    kGainPoint,
    kCleanWindow,
    kRestore,
    kPrbsResult,
    kSweepResult,
    kTypes
};

// Each type: its name, its fields and what it is.
const struct {
    const char* name;
    const char* fields;
    const char* doc;
} kTypeSpecs[kTypes] = {
    {"BoardInfo", "instance path serial firmware firmware_date",
     "A board found: its instance number (open(board=...)), its node, its serial number, and its "
     "firmware version and date as it answered ('2.0', '2010-01-15'; None when it did not)."},
    {"Field", "name bits value meaning access default",
     "A register's bit field: its name, its bits ('7:4', or '5' for one), its value in the "
     "byte, what that value means ('B', '10.500 mA'), its access as qdm7720a-cli decode "
     "says it ('read-only', 'read-write', 'self-clearing', 'cleared by read', 'reserved', "
     "'not used', or 'read-write, read-only while ... is set') and its value after a reset."},
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
    {"FieldsSet", "register written read_back fields pulsed",
     "What set() did: the register, the byte written, the byte read back, the fields set as "
     "read back (a list of Field), and whether a pulse field (Recalibrate) was pulsed."},
    {"Loaded", "written registers skipped",
     "What load() did: the register lines written, their registers in file order, and the "
     "register lines skipped for having no value."},
    {"LinkErrors", "counts saturated seconds bits ber",
     "The errors of the three links over a time: each link's count, whether it saturated (at "
     "least that many), the seconds counted as measured, and with a bit rate the bits of each "
     "link and each link's BER bound (at most; at least where the count saturated), else None."},
    {"GainPoint", "gain errors", "A sweep's gain and the LinkErrors counted at it."},
    {"CleanWindow", "first last width margin cut",
     "The gains from first to last that carry the link without an error, its width in gains, "
     "the steps from the best gain to its nearer edge, and whether it reaches the sweep's edge "
     "(and may run further)."},
    {"Restore", "register before written done applied holds text",
     "A register the run changed: its value before the run, what the end wrote (the value "
     "before, or the best gain when applied), whether the chip took it, whether it was the best "
     "gain, what the chip holds as far as known when not written (None: not known), and what "
     "the tool says of it."},
    {"PrbsResult", "intervals total complete verdict restores json csv",
     "An error count: its intervals (LinkErrors), their total, whether the whole time was "
     "counted (or the BER target decided), the verdict of a BER target ('met', 'above', 'open'; "
     "None without one), the registers put back (Restore), and the results as the tool's "
     "--json document (a dict) and --csv file (a str)."},
    {"SweepResult", "points best_gain window no_best_gain complete applied restores json csv",
     "An equalizer sweep: its points (GainPoint), the best gain and its clean window (None "
     "when there is none: no_best_gain says why, or when no gain is clean the window is None "
     "and the best gain has the fewest errors), whether every gain was measured, the gain "
     "register's value when apply=True put the best gain in it, the registers put back "
     "(Restore), and the results as the tool's --json document and --csv file."},
};

// Made at import and never freed, as the module's classes are.
PyObject* gTypes[kTypes] = {};

template <typename... Values> py::object make(Type type, Values&&... values) {
    return py::handle(gTypes[type])(std::forward<Values>(values)...);
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
        raiseUsage(fieldRegisterRefusal(hexValue(reg)));
}

py::object field(const RegisterField& f, std::uint8_t byte) {
    const unsigned value = f.valueIn(byte);
    return make(kField, f.name, text(f.bits()), value, text(fieldMeaning(f, value)),
                text(accessText(f)), f.reset);
}

py::list fieldsOf(std::uint8_t reg, std::uint8_t byte) {
    checkFieldRegister(reg);
    py::list fields;
    for (const FieldValue& v : decodeFields(reg, byte))
        fields.append(field(*v.field, byte));
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

py::object fieldsSet(std::uint8_t reg, std::span<const FieldChange> changes, const FieldsSet& set) {
    py::list fields;
    for (const FieldChange& c : changes)
        fields.append(field(*c.field, set.readBack));
    return make(kFieldsSet, reg, set.written, set.readBack, fields, set.pulsed);
}

py::object loaded(const RegisterFileLoad& load) {
    py::list registers;
    for (std::uint8_t reg : load.load.registers)
        registers.append(reg);
    return make(kLoaded, load.load.written, registers, load.skipped);
}

py::object linkErrors(const LinkErrors& e, const BerSettings& ber) {
    py::tuple counts(kLinks), saturated(kLinks);
    for (int link = 0; link < kLinks; ++link) {
        counts[link] = e.counts[link];
        saturated[link] = e.saturated(link);
    }
    py::object bits = py::none(), bounds = py::none();
    if (ber.known()) {
        bits = py::float_(ber.bitRate * e.seconds);
        py::tuple b(kLinks);
        for (int link = 0; link < kLinks; ++link)
            b[link] = berBound(e, link, ber).value;
        bounds = b;
    }
    return make(kLinkErrors, counts, saturated, e.seconds, bits, bounds);
}

namespace {

py::list restores(const LinkTestEnd& end) {
    py::list list;
    for (const RegisterRestore& r : end.restores)
        list.append(make(kRestore, r.reg, r.before, r.written, r.done, r.applied,
                         r.holds ? py::object(py::int_(*r.holds)) : py::none(),
                         text(restoreText(r))));
    return list;
}

py::object jsonOf(const LinkTestResults& results) {
    const QByteArray json = QJsonDocument(resultsJson(results)).toJson(QJsonDocument::Compact);
    return py::module_::import("json").attr("loads")(py::str(json.toStdString()));
}

} // namespace

py::object prbsResult(const LinkTestResults& results, const ErrorCountOptions& options) {
    py::list intervals;
    for (const LinkErrors& e : results.intervals)
        intervals.append(linkErrors(e, results.info.ber));
    py::object verdict = py::none();
    if (options.target)
        verdict = py::str(results.verdict == BerVerdict::Met     ? "met"
                          : results.verdict == BerVerdict::Above ? "above"
                                                                 : "open");
    return make(kPrbsResult, intervals, linkErrors(results.total(), results.info.ber),
                results.complete, verdict, restores(results.end), jsonOf(results),
                text(resultsCsv(results)));
}

py::object sweepResult(const LinkTestResults& results, bool failed) {
    py::list points;
    for (const GainPoint& p : results.points)
        points.append(make(kGainPoint, p.gain, linkErrors(p.errors, results.info.ber)));
    const GainChoice& c = results.choice;
    const bool chosen = results.complete && !failed;
    py::object best = py::none(), window = py::none(), why = py::none(), applied = py::none();
    if (chosen && c.best)
        best = py::int_(*c.best);
    if (chosen && c.best && c.window)
        window = make(kCleanWindow, c.window->first, c.window->last, c.window->width(), c.margin(),
                      c.window->cut());
    if (chosen && !c.best)
        why = text(noBestGainText(c.refusal, results.info.channel.value_or(0)));
    for (const RegisterRestore& r : results.end.restores) {
        if (r.applied && r.done)
            applied = py::int_(r.written);
    }
    return make(kSweepResult, points, best, window, why, results.complete, applied,
                restores(results.end), jsonOf(results), text(resultsCsv(results)));
}
