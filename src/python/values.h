// The values the module returns, as named tuples of the module's own (with
// their fields by name, a repr and unpacking), made once at import.
#pragma once

#include "core/operations/linkresults.h"
#include "core/operations/scriptaccess.h"
#include "core/operations/scriptfields.h"
#include "core/operations/scriptfiles.h"

#include "python/pybind.h"

// Makes the named tuple types and adds them to the module.
void defineValueTypes(pybind11::module_& module);

pybind11::object boardInfo(const BoardEntry& entry);
// A UsageError unless `reg` has fields (the main registers).
void checkFieldRegister(std::uint8_t reg);
// Every field of `reg` with its value in `byte`; a UsageError for a register
// without fields.
pybind11::list fieldsOf(std::uint8_t reg, std::uint8_t byte);
// The main registers with their names, `values` in the order of kMainRegisters.
pybind11::list mainRegisters(const std::vector<std::uint8_t>& values);
pybind11::object channelSetting(std::uint8_t value);
pybind11::object clockSetting(const I2CClock& clock);
pybind11::list differences(const std::vector<RegisterDifference>& found);
pybind11::object scanResult(const ScanAnswers& answers, int first, int last);

// One field with its value in `byte`.
pybind11::object field(const RegisterField& f, std::uint8_t byte);
// What set() did: the fields of `changes` as read back.
pybind11::object fieldsSet(std::uint8_t reg, std::span<const FieldChange> changes,
                           const FieldsSet& set);
pybind11::object loaded(const RegisterFileLoad& load);
// A span's errors, with the bits and BER bounds `ber` gives them.
pybind11::object linkErrors(const LinkErrors& errors, const BerSettings& ber);
pybind11::object prbsResult(const LinkTestResults& results, const ErrorCountOptions& options);
// A sweep's results; no best gain is named for a run that `failed` or did
// not measure its whole range.
pybind11::object sweepResult(const LinkTestResults& results, bool failed);
