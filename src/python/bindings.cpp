#include "python/bindings.h"

#include "core/operations/chipcontrols.h"
#include "core/operations/scriptaccess.h"
#include "python/arguments.h"
#include "python/chipobject.h"
#include "python/errors.h"
#include "python/session.h"
#include "python/values.h"

#include <QCoreApplication>

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

const char* const kModuleDoc = R"(The QDM7720A evaluation board and chip from Python.

The same operations as qdm7720a-cli, on the same core: the same exchanges with
the board, the same trace and the same messages. Failures raise exceptions
under qdm7720a.Error.

    import qdm7720a
    with qdm7720a.open(demo=True) as chip:
        print(hex(chip.read(0x00)))         # 0x31
        chip.write(0x06, 0x04, read_back=True)
        print(chip.decode(0x06))
)";

const char* const kOpenDoc = R"(Opens a board and selects its chip; a Chip, to use with `with`.

board: the board instance, as boards() numbers them (0 to 255).
address: the chip's 7-bit I2C address (the address byte on the bus is twice it).
demo: simulated boards instead of USB; demo_boards (1 to 16), demo_address
(their chips' 7-bit address) and demo_fault (the tool's KIND[@N]: nak, silent,
short or gone from exchange N on) shape them.
trace: a file name, or "-" for standard error, that gets a line for every
report sent and received, as qdm7720a-cli --trace writes it.
timeout_ms: how long an answer may take (default 6000).

Raises NoBoard when there is no such board, FileError when the trace cannot
be written, UsageError for an argument out of range.)";

// A register read or written at `address7` on the bus, as an SMBus call makes it.
template <typename Work> auto atAddress7(BoardSession& session, long long address, Work work) {
    const std::uint8_t address7 = addressArgument(address);
    return session.run([&](Chip& chip) {
        chip.address.setByte(std::uint8_t(address7 << 1));
        return work(chip);
    });
}

class PySMBus : public BoardObject {
public:
    using BoardObject::BoardObject;

    std::vector<std::uint8_t> read(long long address, long long reg, int count) {
        const std::uint8_t first = registerArgument(reg);
        countArgument(first, count);
        return valueOf(atAddress7(session(), address,
                                  [&](Chip& chip) { return readSpan(chip, first, count); }));
    }
    void write(long long address, long long reg, const std::vector<std::uint8_t>& data) {
        const std::uint8_t first = registerArgument(reg);
        raiseIf(atAddress7(session(), address,
                           [&](Chip& chip) { return writeSpan(chip, first, data); }));
    }
    // An I2C block: 1 to 32 bytes, as smbus takes them.
    static void checkBlock(long long length) {
        if (length < 1 || length > 32)
            raiseUsage(QStringLiteral("an I2C block is 1 to 32 bytes, not %1.").arg(length));
    }
};

std::unique_ptr<BoardSession>
sessionFor(long long board, long long address, bool demo, std::optional<long long> demoBoards,
           std::optional<long long> demoAddress, const std::optional<std::string>& demoFault,
           const py::object& trace, std::optional<long long> timeoutMs) {
    return std::make_unique<BoardSession>(
        openOptions(board, address, demo, demoBoards, demoAddress, demoFault, trace, timeoutMs));
}

std::unique_ptr<PyChip> openChip(long long board, long long address, bool demo,
                                 std::optional<long long> demoBoards,
                                 std::optional<long long> demoAddress,
                                 const std::optional<std::string>& demoFault,
                                 const py::object& trace, std::optional<long long> timeoutMs) {
    return std::make_unique<PyChip>(
        sessionFor(board, address, demo, demoBoards, demoAddress, demoFault, trace, timeoutMs));
}

py::list boards(bool demo, std::optional<long long> demoBoards,
                const std::optional<std::string>& demoFault, const py::object& trace,
                std::optional<long long> timeoutMs) {
    BoardSession session(
        openOptions(0, 0x40, demo, demoBoards, std::nullopt, demoFault, trace, timeoutMs));
    // No board is an answer here, not a failure, and a board that did not
    // answer its firmware query is listed without it.
    const auto list = session.run([](Chip& chip) {
        const bool found = !connectBoard(chip.link, -1, {});
        return found ? listBoards(chip.link) : std::vector<BoardEntry>{};
    });
    py::list infos;
    for (const BoardEntry& entry : list)
        infos.append(boardInfo(entry));
    return infos;
}

// The arguments open(), Chip() and SMBus() take, with their defaults.
#define QDM_OPEN_ARGUMENTS                                                                         \
    "board"_a = 0, "address"_a = 0x40, "demo"_a = false, "demo_boards"_a = py::none(),             \
    "demo_address"_a = py::none(), "demo_fault"_a = py::none(), "trace"_a = py::none(),            \
    "timeout_ms"_a = py::none()

} // namespace

void defineModule(py::module_& m) {
    // The name messages on standard error begin with (a trace cut short).
    if (QCoreApplication::applicationName().isEmpty())
        QCoreApplication::setApplicationName(QStringLiteral("qdm7720a"));
    m.doc() = kModuleDoc;
    m.attr("__version__") = QDM_VERSION;
    defineExceptions(m);
    defineValueTypes(m);

    ChipClass chip(m, "Chip", "The chip on an evaluation board; open() makes one.");
    chip.def(py::init(&openChip), QDM_OPEN_ARGUMENTS, kOpenDoc)
        .def(
            "read",
            [](PyChip& c, long long reg, std::optional<long long> count) -> py::object {
                const std::uint8_t first = registerArgument(reg);
                const int n = count ? countArgument(first, *count) : 1;
                const auto values =
                    valueOf(c.session().run([&](Chip& chip) { return readSpan(chip, first, n); }));
                if (count)
                    return bytesOf(values);
                return py::int_(values[0]);
            },
            "register"_a, "count"_a = py::none(),
            "Reads a register as an int, or `count` registers from it as bytes (cut into "
            "transfers of at most 62, as qdm7720a-cli read does).")
        .def(
            "write",
            [](PyChip& c, long long reg, const py::object& data, bool readBack) {
                const std::uint8_t first = registerArgument(reg);
                const std::vector<std::uint8_t> bytes = bytesArgument(first, data);
                if (!readBack) {
                    raiseIf(
                        c.session().run([&](Chip& chip) { return writeSpan(chip, first, bytes); }));
                    return;
                }
                const auto written = c.session().run(
                    [&](Chip& chip) { return writeSpanWithReadBack(chip, first, bytes); });
                if (!written.ok())
                    raiseFailure(*written.failure,
                                 written.failure->kind == FailureKind::Differs
                                     ? py::dict("differences"_a = differences(written.value))
                                     : py::dict());
            },
            "register"_a, "data"_a, "read_back"_a = false,
            "Writes one byte (an int) or bytes from the register on, cut into transfers of at "
            "most 59. With read_back=True reads them back and raises Mismatch, listing the "
            "differences, when any differs.")
        .def(
            "dump",
            [](PyChip& c, bool all) -> py::object {
                if (all)
                    return bytesOf(valueOf(
                        c.session().run([](Chip& chip) { return readEveryRegister(chip); })));
                return mainRegisters(
                    valueOf(c.session().run([](Chip& chip) { return readMainRegisters(chip); })));
            },
            "all"_a = false,
            "The 14 main registers in two transfers, a list of Register; with all=True the 256 "
            "registers 0x00 to 0xFF as bytes.")
        .def(
            "channel",
            [](PyChip& c, std::optional<std::string> name) {
                std::optional<int> option;
                if (name) {
                    option = channelOptionNamed(QString::fromStdString(*name));
                    if (!option)
                        raiseUsage(
                            QStringLiteral("channel takes A, B, C, D, auto or hardware, not '%1'.")
                                .arg(QString::fromStdString(*name)));
                }
                return channelSetting(valueOf(c.session().run([&](Chip& chip) {
                    return option ? setChannel(chip, *option) : readChannel(chip);
                })));
            },
            "option"_a = py::none(),
            "The input channel or channel mode register 0x02 selects, after selecting `option` "
            "('A' to 'D', 'auto' or 'hardware', in any case) if given: a ChannelSetting.")
        .def(
            "recal",
            [](PyChip& c) {
                return valueOf(c.session().run([](Chip& chip) { return recalibrate(chip); }));
            },
            "Re-calibrates the input termination (a pulse on bit 7 of register 0x03); register "
            "0x03's value.")
        .def(
            "clock",
            [](PyChip& c, std::optional<long long> divider) {
                std::optional<std::uint8_t> set;
                if (divider && *divider < 1)
                    raiseUsage(QStringLiteral("the divider is 1 to 255, not %1.").arg(*divider));
                if (divider)
                    set = inRange(*divider, 0xFF, "the divider is 1 to 255");
                return clockSetting(valueOf(
                    c.session().run([&](Chip& chip) { return boardClock(chip.link, set); })));
            },
            "divider"_a = py::none(),
            "The board's I2C clock, after setting its divider (1 to 255) if given: an I2CClock.")
        .def(
            "led",
            [](PyChip& c, std::optional<bool> on) {
                return valueOf(
                    c.session().run([&](Chip& chip) { return boardLed(chip.link, on); }));
            },
            "on"_a = py::none(),
            "Whether the board's LED is on, after setting it if asked (which also turns the "
            "board's polling on and clears its manual HPD and DDC lines).")
        .def(
            "scan",
            [](PyChip& c, long long first, long long last) {
                const int from = addressArgument(first), to = addressArgument(last);
                if (from > to)
                    raiseUsage(QStringLiteral("the first address, %1, lies above the last, %2.")
                                   .arg(hexValue(from), hexValue(to)));
                return scanResult(valueOf(c.session().run([&](Chip& chip) {
                                      return scanAddresses(chip.link, from, to);
                                  })),
                                  from, to);
            },
            "first"_a = 0, "last"_a = 0x7F,
            "Probes the 7-bit addresses `first` to `last` with a read of register 0x00 each: a "
            "ScanResult.")
        .def_property(
            "address", [](PyChip& c) { return c.session().address7(); },
            [](PyChip& c, long long address) {
                const std::uint8_t a = addressArgument(address);
                c.session().run([&](Chip& chip) {
                    chip.address.setByte(std::uint8_t(a << 1));
                    return true;
                });
            },
            "The chip's 7-bit I2C address every operation uses.")
        .def_property_readonly(
            "board", [](PyChip& c) { return c.session().options().board; }, "The board instance.")
        .def_property_readonly(
            "closed", [](PyChip& c) { return !c.session().isOpen(); }, "Whether it is closed.")
        .def("close", &PyChip::close,
             "Closes the board and the trace; every later operation raises UsageError.")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__",
             [](PyChip& c, py::args) {
                 c.close();
                 return false;
             })
        .def("__repr__", [](PyChip& c) {
            return py::str("<qdm7720a.Chip board {} at {}{}>")
                .format(c.session().options().board,
                        py::str(hexValue(c.session().address7()).toStdString()),
                        c.session().isOpen() ? "" : ", closed");
        });
    defineFieldMethods(chip);
    defineFileMethods(chip);
    defineLinkTestMethods(m, chip);

    m.def("open", &openChip, QDM_OPEN_ARGUMENTS, kOpenDoc);

    py::class_<PySMBus>(
        m, "SMBus",
        "A bus with the calls of the Linux smbus and smbus2 modules, on an evaluation board: "
        "`addr` is the 7-bit address. Failures raise OSError with errno EREMOTEIO (no "
        "acknowledge), ETIMEDOUT (no answer) or ENODEV (no board, or gone), also qdm7720a.Error.")
        .def(py::init([](long long board, bool demo, std::optional<long long> demoBoards,
                         std::optional<long long> demoAddress,
                         const std::optional<std::string>& demoFault, const py::object& trace,
                         std::optional<long long> timeoutMs) {
                 return std::make_unique<PySMBus>(sessionFor(
                     board, 0x40, demo, demoBoards, demoAddress, demoFault, trace, timeoutMs));
             }),
             "board"_a = 0, "demo"_a = false, "demo_boards"_a = py::none(),
             "demo_address"_a = py::none(), "demo_fault"_a = py::none(), "trace"_a = py::none(),
             "timeout_ms"_a = py::none(), "Opens the board; the arguments are open()'s.")
        .def(
            "read_byte_data",
            [](PySMBus& bus, long long addr, long long reg) { return bus.read(addr, reg, 1)[0]; },
            "i2c_addr"_a, "register"_a, "One register.")
        .def(
            "write_byte_data",
            [](PySMBus& bus, long long addr, long long reg, long long value) {
                bus.write(addr, reg, {byteArgument(value)});
            },
            "i2c_addr"_a, "register"_a, "value"_a, "One register.")
        .def(
            "read_word_data",
            [](PySMBus& bus, long long addr, long long reg) {
                const std::vector<std::uint8_t> word = bus.read(addr, reg, 2);
                return word[0] | word[1] << 8;
            },
            "i2c_addr"_a, "register"_a, "Two registers as a word, the first its low byte.")
        .def(
            "write_word_data",
            [](PySMBus& bus, long long addr, long long reg, long long value) {
                if (value < 0 || value > 0xFFFF)
                    raiseUsage(QStringLiteral("a word is 0 to 65535, not %1.").arg(value));
                bus.write(addr, reg, {std::uint8_t(value & 0xFF), std::uint8_t(value >> 8)});
            },
            "i2c_addr"_a, "register"_a, "value"_a, "A word into two registers, its low byte first.")
        .def(
            "read_i2c_block_data",
            [](PySMBus& bus, long long addr, long long reg, long long length) {
                PySMBus::checkBlock(length);
                return bus.read(addr, reg, int(length));
            },
            "i2c_addr"_a, "register"_a, "length"_a,
            "`length` registers (1 to 32) from `register` on, a list of ints.")
        .def(
            "write_i2c_block_data",
            [](PySMBus& bus, long long addr, long long reg, const py::object& data) {
                const std::vector<std::uint8_t> bytes = bytesArgument(registerArgument(reg), data);
                PySMBus::checkBlock(static_cast<long long>(bytes.size()));
                bus.write(addr, reg, bytes);
            },
            "i2c_addr"_a, "register"_a, "data"_a, "1 to 32 bytes from `register` on.")
        .def("close", &PySMBus::close, "Closes the board.")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](PySMBus& bus, py::args) {
            bus.close();
            return false;
        });

    m.def("boards", &boards, "demo"_a = false, "demo_boards"_a = py::none(),
          "demo_fault"_a = py::none(), "trace"_a = py::none(), "timeout_ms"_a = py::none(),
          "The boards found, a list of BoardInfo; [] when there is none. Each is asked for its "
          "firmware version (None where it did not answer).");
    m.def(
        "decode",
        [](long long reg, long long byte) {
            return fieldsOf(registerArgument(reg), byteArgument(byte));
        },
        "register"_a, "byte"_a, "The register's bit fields in `byte`: a list of Field.");

    // `from qdm7720a import *` takes everything but open(), which would hide
    // Python's own.
    py::list names;
    for (const py::handle name : m.attr("__dict__"))
        if (const std::string n = py::str(name); n[0] != '_' && n != "open")
            names.append(name);
    m.attr("__all__") = names;

    // The interpreter's exit ends every board still open, as leaving `with` does.
    py::module_::import("atexit").attr("register")(py::cpp_function(&BoardSession::closeAll));
}

py::object chipOnSession(std::unique_ptr<BoardSession> session) {
    return py::cast(std::make_unique<PyChip>(std::move(session)));
}
