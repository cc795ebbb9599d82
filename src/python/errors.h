// The module's exceptions, all under qdm7720a.Error, and the one table that
// maps each kind of failure the core tells to its exception.
#pragma once

#include "core/operations/operationfailure.h"

#include "python/pybind.h"

// Makes the exception classes and adds them to the module.
void defineExceptions(pybind11::module_& module);

// Raises the failure as its kind's exception, with the message as the tool
// says it; each of `attributes` (differences, a run's result) becomes the
// exception's attribute of that name.
[[noreturn]] void raiseFailure(const OperationFailure& failure,
                               const pybind11::dict& attributes = pybind11::dict());
// A request that is wrong: UsageError (a ValueError), nothing sent.
[[noreturn]] void raiseUsage(const QString& message);

// Text for Python, with control characters and bytes that are not UTF-8
// escaped as the tool shows them.
pybind11::str pythonText(const QString& text);
