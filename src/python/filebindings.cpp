// The Chip's register files: save, load and diff, as the tool's commands.
#include "core/operations/scriptfiles.h"
#include "python/arguments.h"
#include "python/chipobject.h"
#include "python/values.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

RegisterFileCheck checkedFile(const py::object& path) {
    const QString name = pathArgument(path);
    return valueOf(checkedRegisterFile(name, name));
}

} // namespace

void defineFileMethods(ChipClass& chip) {
    chip.def(
        "save",
        [](PyChip& c, const py::object& path) {
            const QString name = pathArgument(path);
            return valueOf(
                c.session().run([&](Chip& chip) { return saveRegisterFile(chip, name); }));
        },
        "path"_a,
        "Reads the 14 main registers and saves them as a register file (the window's and the "
        "tool's format); the number of registers saved. Only a regular file is replaced, whole; "
        "a link is followed. Raises FileError when it cannot be written.");
    chip.def(
        "load",
        [](PyChip& c, const py::object& path, bool verify) {
            const RegisterFileCheck file = checkedFile(path);
            const QString name = pathArgument(path);
            const Told<RegisterFileLoad> load = c.session().run(
                [&](Chip& chip) { return loadRegisterFile(chip, file, name, verify); });
            if (!load.ok()) {
                py::dict attributes("written"_a = loaded(load.value));
                if (load.failure->kind == FailureKind::Differs)
                    attributes["differences"] = differences(load.value.differences);
                raiseFailure(*load.failure, attributes);
            }
            return loaded(load.value);
        },
        "path"_a, "verify"_a = true,
        "Checks the whole register file, then writes its register lines in file order; with "
        "verify, reads back the registers the chip keeps (not 0x00, 0x01 nor the error "
        "counters) and raises Mismatch, with `differences`, when any differs. A Loaded. A write "
        "the chip does not take stops the load: the exception says which lines stay written, "
        "and its `written` attribute is the Loaded of those. Raises FileError for a file that "
        "cannot be read or is not a register file, before anything is sent.");
    chip.def(
        "diff",
        [](PyChip& c, const py::object& path) {
            const RegisterFileCheck file = checkedFile(path);
            const std::map<int, std::uint8_t> values = registerFileValues(file);
            return differences(valueOf(c.session().run(
                [&](Chip& chip) { return compareWithChip(chip, values, "read"); })));
        },
        "path"_a,
        "The registers of the register file whose values the chip does not hold, a list of "
        "Difference (`wrote` holding the file's value); [] when it holds them all. Reads only "
        "the registers the file names.");
}
