#include "python/errors.h"

#include "core/platform/outsidetext.h"

#include <cerrno>

namespace py = pybind11;

namespace {

// Each kind's exception: its name, what it says, the built-in exception it
// also is, so that code written for files or for smbus catches it, and the
// errno it carries (0: none).
struct ExceptionKind {
    FailureKind kind;
    const char* name;
    const char* doc;
    PyObject* builtin;
    int error;
};

const ExceptionKind kExceptionKinds[] = {
    {FailureKind::NotAcknowledged, "NotAcknowledged",
     "The chip or the board answered with a failure; an OSError with errno EREMOTEIO, as an I2C "
     "bus says it.",
     PyExc_OSError, EREMOTEIO},
    {FailureKind::Differs, "Mismatch",
     "What was read back differs from what was written; `differences` lists each register as "
     "(register, wrote, chip).",
     nullptr, 0},
    {FailureKind::Usage, "UsageError",
     "A request that is wrong (a register, count or value out of range); nothing was sent. A "
     "ValueError.",
     PyExc_ValueError, 0},
    {FailureKind::File, "FileError", "A file (the trace) that cannot be opened or written.",
     PyExc_OSError, 0},
    {FailureKind::NoBoard, "NoBoard",
     "No evaluation board found, or none of that number; an OSError with errno ENODEV.",
     PyExc_OSError, ENODEV},
    {FailureKind::BoardGone, "BoardGone",
     "The system refused a report: the board was pulled out; an OSError with errno ENODEV.",
     PyExc_OSError, ENODEV},
    {FailureKind::TimedOut, "Timeout",
     "No answer from the board within the answer limit (timeout_ms); a TimeoutError, errno "
     "ETIMEDOUT.",
     PyExc_TimeoutError, ETIMEDOUT},
    {FailureKind::Stopped, "RunStopped",
     "A run of the link test stopped by what it found (no clock on the channel checked) or by "
     "what came between (the chip reset, another run holding the error counters); its "
     "registers were put back as the message says, and `result` holds what it counted.",
     nullptr, 0},
};

// The classes live as long as the process: they are never freed.
PyObject* gClasses[std::size(kExceptionKinds)] = {};

std::size_t indexOf(FailureKind kind) {
    for (std::size_t i = 0; i < std::size(kExceptionKinds); ++i) {
        if (kExceptionKinds[i].kind == kind)
            return i;
    }
    return 0;
}

} // namespace

void defineExceptions(py::module_& module) {
    PyObject* error = PyErr_NewExceptionWithDoc(
        "qdm7720a.Error", "Every failure of the board, the chip or a request to them.",
        PyExc_Exception, nullptr);
    if (!error)
        throw py::error_already_set();
    module.attr("Error") = py::reinterpret_borrow<py::object>(error);
    for (std::size_t i = 0; i < std::size(kExceptionKinds); ++i) {
        const ExceptionKind& k = kExceptionKinds[i];
        const std::string name = std::string("qdm7720a.") + k.name;
        const py::tuple bases = k.builtin ? py::make_tuple(py::handle(error), py::handle(k.builtin))
                                          : py::make_tuple(py::handle(error));
        gClasses[i] = PyErr_NewExceptionWithDoc(name.c_str(), k.doc, bases.ptr(), nullptr);
        if (!gClasses[i])
            throw py::error_already_set();
        module.attr(k.name) = py::reinterpret_borrow<py::object>(gClasses[i]);
    }
}

py::str pythonText(const QString& text) {
    return py::str(escapedText(text).toStdString());
}

void raiseFailure(const OperationFailure& failure, const py::dict& attributes) {
    const std::size_t i = indexOf(failure.kind);
    const py::handle type(gClasses[i]);
    py::object exception = type(pythonText(failure.message));
    if (kExceptionKinds[i].error)
        exception.attr("errno") = kExceptionKinds[i].error;
    for (const auto& [name, value] : attributes)
        exception.attr(name) = value;
    PyErr_SetObject(type.ptr(), exception.ptr());
    throw py::error_already_set();
}

void raiseUsage(const QString& message) {
    raiseFailure({FailureKind::Usage, message});
}
