// The arguments the module's calls take, checked as the tool checks its
// operands: a UsageError (a ValueError) says which is wrong, before anything
// is sent; and the values the core tells, raised when they failed.
#pragma once

#include "core/operations/scriptaccess.h"
#include "python/errors.h"
#include "python/pybind.h"

#include <cstdint>
#include <optional>
#include <vector>

// `value`, 0 to `most`; else a UsageError "`rule`, not `value`.".
std::uint8_t inRange(long long value, int most, const char* rule);
std::uint8_t registerArgument(long long reg);
std::uint8_t byteArgument(long long value);
std::uint8_t addressArgument(long long address);
// `count` registers from `first`, within 0xFF.
int countArgument(std::uint8_t first, long long count);
// One int, or bytes, a bytearray or any iterable of ints, within 0xFF.
std::vector<std::uint8_t> bytesArgument(std::uint8_t first, const pybind11::object& data);
// A file name as the system gives it (str, bytes or a path), bytes kept whole.
QString pathArgument(const pybind11::object& path);

template <typename T> T valueOf(const Told<T>& told) {
    if (!told.ok())
        raiseFailure(*told.failure);
    return told.value;
}

inline void raiseIf(const std::optional<OperationFailure>& failure) {
    if (failure)
        raiseFailure(*failure);
}

inline pybind11::bytes bytesOf(const std::vector<std::uint8_t>& values) {
    return {reinterpret_cast<const char*>(values.data()), values.size()};
}
