// pybind11 beside Qt: Python's headers name a member `slots`, which Qt's
// keywords make a macro, so pybind11 is read without it.
#pragma once

#pragma push_macro("slots")
#undef slots
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#pragma pop_macro("slots")
