// The module qdm7720a: the evaluation board and the chip from Python, on the
// operations the command-line tool calls.
#pragma once

#include "python/pybind.h"

class BoardSession;

// Defines everything the module holds into `module`: the extension module
// and programs that embed the interpreter (the benchmarks) call it.
void defineModule(pybind11::module_& module);

// A Chip object on a board session made elsewhere (the benchmarks' USB
// timing model), connected to its board.
pybind11::object chipOnSession(std::unique_ptr<BoardSession> session);
