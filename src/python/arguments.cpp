#include "python/arguments.h"

#include "core/platform/outsidetext.h"

namespace py = pybind11;

std::uint8_t inRange(long long value, int most, const char* rule) {
    if (value < 0 || value > most)
        raiseUsage(QStringLiteral("%1, not %2.").arg(QLatin1String(rule)).arg(value));
    return static_cast<std::uint8_t>(value);
}

std::uint8_t registerArgument(long long reg) {
    return inRange(reg, 0xFF, "the register is 0 to 255");
}

std::uint8_t byteArgument(long long value) {
    return inRange(value, 0xFF, "a byte is 0 to 255");
}

std::uint8_t addressArgument(long long address) {
    return inRange(address, 0x7F, "a 7-bit address is 0x00 to 0x7F");
}

int countArgument(std::uint8_t first, long long count) {
    if (count < 1 || first + count > 256)
        raiseUsage(readCountRefusal(first, QString::number(count)));
    return static_cast<int>(count);
}

std::vector<std::uint8_t> bytesArgument(std::uint8_t first, const py::object& data) {
    std::vector<std::uint8_t> bytes;
    if (py::isinstance<py::int_>(data)) {
        bytes.push_back(byteArgument(data.cast<long long>()));
        return bytes;
    }
    try {
        for (py::handle item : data)
            bytes.push_back(byteArgument(item.cast<long long>()));
    } catch (const py::cast_error&) {
        throw py::type_error("the data is an int, bytes or an iterable of ints");
    }
    if (bytes.empty())
        raiseUsage(QStringLiteral("a write takes at least one byte."));
    if (first + bytes.size() > 256)
        raiseUsage(writeLengthRefusal(first, int(bytes.size())));
    return bytes;
}

QString pathArgument(const py::object& path) {
    const py::bytes name = py::module_::import("os").attr("fsencode")(path);
    const QString text = nameFromBytes(std::string_view(name));
    if (text.isEmpty())
        raiseUsage(QStringLiteral("a file name is not empty."));
    return text;
}
