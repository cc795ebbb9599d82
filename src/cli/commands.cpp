#include "cli/commands.h"

#include "core/operations/boardcontrols.h"
#include "core/operations/chipcontrols.h"
#include "core/operations/readall.h"
#include "core/operations/registerfiles.h"
#include "core/regfiles/fileaccess.h"
#include "core/registers/hextext.h"
#include "core/registers/registermap.h"
#include "core/regtexts/registertexts.h"

#include <QJsonArray>
#include <map>

namespace {

const char* const kChannelNames[kChannelOptions] = {"A", "B", "C", "D", "auto", "hardware"};

QString hex(int value) {
    return QStringLiteral("0x") + hexByte(static_cast<std::uint8_t>(value));
}

CommandResult failure(int status, const QString& error) {
    CommandResult r;
    r.status = status;
    r.error = error;
    return r;
}

CommandResult usage(const QString& error) {
    return failure(kUsageOrFileError, error + QStringLiteral(" See --help."));
}

CommandResult fileError(const QString& path, const QString& why) {
    return failure(kUsageOrFileError, QStringLiteral("%1: %2").arg(path, why));
}

// What failed and why, with the exit status a script sees for it.
CommandResult linkFailure(const Workbench& b, const QString& what, const LinkResult& r) {
    switch (r.status) {
    case LinkStatus::NoAnswer:
        return failure(kTimedOut, QStringLiteral("%1: no answer from board %2 within %3 ms%4")
                                      .arg(what)
                                      .arg(b.arguments.board)
                                      .arg(b.arguments.timeoutMs)
                                      .arg(r.reason.isEmpty() ? QString() : ": " + r.reason));
    case LinkStatus::WriteFailed:
        return failure(kNoBoard,
                       QStringLiteral("%1: board %2 took no request: %3")
                           .arg(what)
                           .arg(b.arguments.board)
                           .arg(r.reason.isEmpty() ? QStringLiteral("refused") : r.reason));
    default:
        return failure(
            kChipOrBoardFailed,
            r.reason.isEmpty()
                ? QStringLiteral("%1: not acknowledged (status %2)").arg(what, hex(r.statusByte))
                : QStringLiteral("%1: %2").arg(what, r.reason));
    }
}

QString atChip(const Workbench& b) {
    return QStringLiteral(" at ") + hex(b.address.sevenBit());
}

// A register or byte operand, decimal or 0x hex, 0 to 255.
std::optional<int> byteOperand(const QString& text) {
    return parseNumber(text, 0xFF);
}

CommandResult operandCount(const Workbench& b, int least, int most) {
    const int n = static_cast<int>(b.arguments.operands.size());
    if (n >= least && n <= most)
        return {};
    return usage(QStringLiteral("%1 takes %2 argument%3.")
                     .arg(b.arguments.command)
                     .arg(least == most ? QString::number(least)
                                        : QStringLiteral("%1 to %2").arg(least).arg(most))
                     .arg(most == 1 ? "" : "s"));
}

CommandResult read(Workbench& b) {
    if (CommandResult r = operandCount(b, 1, 2); r.status)
        return r;
    const QStringList& ops = b.arguments.operands;
    const std::optional<int> first = byteOperand(ops[0]);
    const std::optional<int> count = ops.size() > 1 ? parseNumber(ops[1], 256) : 1;
    if (!first)
        return usage(QStringLiteral("the register is 0 to 255, not '%1'.").arg(ops[0]));
    if (!count || *count < 1 || *first + *count > 256)
        return usage(QStringLiteral("read takes 1 to %1 registers from %2.")
                         .arg(256 - *first)
                         .arg(hex(*first)));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const LinkResult read =
        readRegisterSpan(b.link, b.address.byte(), std::uint8_t(*first), *count);
    if (!read.ok())
        return linkFailure(b,
                           QStringLiteral("read of %1 register(s) from %2%3")
                               .arg(*count)
                               .arg(hex(*first), atChip(b)),
                           read);
    CommandResult r;
    QJsonArray values;
    for (int i = 0; i < *count; ++i) {
        r.text += *count == 1 ? hex(read.bytes[i]) + '\n'
                              : QStringLiteral("%1 %2\n").arg(hex(*first + i), hex(read.bytes[i]));
        values.append(read.bytes[i]);
    }
    r.json = {{"address", b.address.sevenBit()}, {"first", *first}, {"values", values}};
    return r;
}

CommandResult write(Workbench& b) {
    if (CommandResult r = operandCount(b, 2, 257); r.status)
        return r;
    const QStringList& ops = b.arguments.operands;
    const std::optional<int> first = byteOperand(ops[0]);
    if (!first)
        return usage(QStringLiteral("the register is 0 to 255, not '%1'.").arg(ops[0]));
    std::vector<std::uint8_t> data;
    for (const QString& op : ops.mid(1)) {
        const std::optional<int> byte = byteOperand(op);
        if (!byte)
            return usage(QStringLiteral("a byte is 0 to 255, not '%1'.").arg(op));
        data.push_back(std::uint8_t(*byte));
    }
    if (*first + int(data.size()) > 256)
        return usage(QStringLiteral("the registers written lie beyond 0xFF."));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const LinkResult written =
        writeRegisterSpan(b.link, b.address.byte(), std::uint8_t(*first), data);
    if (!written.ok())
        return linkFailure(b,
                           QStringLiteral("write of %1 byte(s) to %2%3")
                               .arg(data.size())
                               .arg(hex(*first), atChip(b)),
                           written);
    CommandResult r;
    r.json = {{"address", b.address.sevenBit()}, {"first", *first}, {"written", int(data.size())}};
    return r;
}

// An i2cdetect- or i2cdump-style grid of 256 cells, 16 a row.
QString grid(const std::function<QString(int)>& cell) {
    QString text = QStringLiteral("   ");
    for (int column = 0; column < 16; ++column)
        text += QStringLiteral("  %1").arg(column, 0, 16);
    text += '\n';
    for (int row = 0; row < 256; row += 16) {
        text += QStringLiteral("%1:").arg(row, 2, 16, QLatin1Char('0'));
        for (int column = 0; column < 16; ++column)
            text += ' ' + cell(row + column);
        text += '\n';
    }
    return text;
}

CommandResult dump(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 0); r.status)
        return r;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    CommandResult r;
    QJsonArray registers;
    if (b.arguments.all) {
        const LinkResult all = readRegisterSpan(b.link, b.address.byte(), 0, 256);
        if (!all.ok())
            return linkFailure(b, QStringLiteral("read of registers 0x00 to 0xFF") + atChip(b),
                               all);
        r.text = grid([&](int reg) { return hexByte(all.bytes[reg]).toLower(); });
        for (std::uint8_t v : all.bytes)
            registers.append(v);
        r.json = {{"address", b.address.sevenBit()}, {"values", registers}};
        return r;
    }
    const RangeRead main = readAllRegisters(b.chip(), ReadMode::Burst);
    if (!main.ok())
        return linkFailure(b, QStringLiteral("read of the main registers") + atChip(b),
                           main.failure);
    for (std::uint8_t reg : kMainRegisters) {
        const std::uint8_t value = b.registers.entry(reg).value;
        r.text += QStringLiteral("%1  %2  %3\n").arg(hex(reg), hex(value), registerName(reg));
        registers.append(
            QJsonObject{{"register", reg}, {"name", registerName(reg)}, {"value", value}});
    }
    r.json = {{"address", b.address.sevenBit()}, {"registers", registers}};
    return r;
}

CommandResult scan(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 0); r.status)
        return r;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    std::array<std::optional<std::uint8_t>, 128> answered;
    for (int a = 0; a < 128; ++a) {
        const LinkResult probe = b.link.readRegistersOnce(std::uint8_t(a << 1), 0x00, 1);
        if (probe.ok())
            answered[a] = probe.bytes[0];
        else if (probe.status != LinkStatus::NotAcknowledged)
            return linkFailure(b, QStringLiteral("probe of ") + hex(a), probe);
    }
    CommandResult r;
    r.text = grid([&](int a) {
        return a < 128 && answered[a] ? QStringLiteral("%1").arg(a, 2, 16, QLatin1Char('0'))
               : a < 128              ? QStringLiteral("--")
                                      : QString();
    });
    r.text.truncate(r.text.indexOf(QLatin1String("80:")));
    QJsonArray present, chips;
    for (int a = 0; a < 128; ++a) {
        if (!answered[a])
            continue;
        present.append(a);
        if (*answered[a] == kChipIdentity) {
            chips.append(a);
            r.text += QStringLiteral("QDM7720A at %1\n").arg(hex(a));
        }
    }
    if (chips.isEmpty())
        r.text += QStringLiteral("no QDM7720A found\n");
    r.json = {{"present", present}, {"chips", chips}};
    return r;
}

CommandResult save(Workbench& b) {
    if (CommandResult r = operandCount(b, 1, 1); r.status)
        return r;
    const QString& path = b.arguments.operands[0];
    const SaveTarget target = saveTargetOf(path);
    if (!target.refusal.isEmpty())
        return fileError(path, target.refusal);
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const RangeRead main = readAllRegisters(b.chip(), ReadMode::Burst);
    if (!main.ok())
        return linkFailure(b, QStringLiteral("read of the main registers") + atChip(b),
                           main.failure);
    const FileResult saved = replaceRegularFile(
        target.target, registerFileBytes([&](std::uint8_t reg) { return b.registers.text(reg); }));
    if (!saved.ok)
        return fileError(path, saved.reason);
    CommandResult r;
    r.json = {{"file", path}, {"registers", int(kMainRegisters.size())}};
    return r;
}

// The register lines of a file checked whole, or why it is refused.
std::optional<std::vector<RegisterWrite>> checkedFile(const QString& path, CommandResult& refusal) {
    const RegisterFileRead file = readRegisterFile(path);
    if (!file.error.isEmpty()) {
        refusal = fileError(path, file.error);
    } else if (file.check.verdict == RegisterFileCheck::Verdict::NotRegisterFile) {
        refusal = fileError(path, QStringLiteral("not a register file (its first line must be %1)")
                                      .arg(QString::fromLatin1(kRegisterFileHeader)));
    } else if (file.check.verdict == RegisterFileCheck::Verdict::BadRegisterLine) {
        QString line = QString::fromLatin1(file.check.lineText.left(80));
        line.replace(QLatin1Char('\t'), QStringLiteral("<TAB>"));
        refusal = fileError(path, QStringLiteral("line %1 is not a register line: %2")
                                      .arg(file.check.lineNumber)
                                      .arg(line));
    } else {
        return file.check.writes;
    }
    return std::nullopt;
}

// The registers a file names, each with the value its last line gives.
std::map<int, std::uint8_t> lastValues(const std::vector<RegisterWrite>& writes) {
    std::map<int, std::uint8_t> values;
    for (const RegisterWrite& w : writes)
        values[w.reg] = w.value;
    return values;
}

// The registers of `values` as the chip reads them now, each against its
// value; `skip` leaves some out.
CommandResult compare(Workbench& b, const std::map<int, std::uint8_t>& values, const char* expected,
                      const std::function<bool(int)>& skip) {
    CommandResult r;
    QJsonArray differences;
    for (const auto& [reg, value] : values) {
        if (skip(reg))
            continue;
        const LinkResult read = b.link.readRegistersOnce(b.address.byte(), std::uint8_t(reg), 1);
        if (!read.ok())
            return linkFailure(b, QStringLiteral("read of register ") + hex(reg) + atChip(b), read);
        if (read.bytes[0] == value)
            continue;
        r.status = kChipOrBoardFailed;
        r.text += QStringLiteral("%1: %2 %3, chip %4\n")
                      .arg(hex(reg), QLatin1String(expected), hex(value), hex(read.bytes[0]));
        differences.append(
            QJsonObject{{"register", reg}, {expected, value}, {"chip", read.bytes[0]}});
    }
    r.json = {{"differences", differences}};
    if (!differences.isEmpty())
        r.error = QStringLiteral("%1 register%2 of %3 differ%4 from the chip")
                      .arg(differences.size())
                      .arg(differences.size() == 1 ? "" : "s")
                      .arg(b.arguments.operands.value(0))
                      .arg(differences.size() == 1 ? "s" : "");
    return r;
}

CommandResult load(Workbench& b) {
    if (CommandResult r = operandCount(b, 1, 1); r.status)
        return r;
    const QString& path = b.arguments.operands[0];
    CommandResult refused;
    const std::optional<std::vector<RegisterWrite>> writes = checkedFile(path, refused);
    if (!writes)
        return refused;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    b.link.flushInput();
    const RegisterLoad load = writeRegisterLines(b.chip(), *writes);
    if (!load.failure.ok())
        return linkFailure(b,
                           QStringLiteral("%1: write of line %2 of %3 register lines%4")
                               .arg(path)
                               .arg(load.written + 1)
                               .arg(writes->size())
                               .arg(atChip(b)),
                           load.failure);
    // The chip does not keep what is written to its identity and activity
    // registers, nor to the error counters, which clear when read.
    CommandResult r = b.arguments.noVerify ? CommandResult{}
                                           : compare(b, lastValues(*writes), "wrote", [](int reg) {
                                                 return reg <= 0x01 || (reg >= 0x0A && reg <= 0x0C);
                                             });
    r.json.insert(QStringLiteral("file"), path);
    r.json.insert(QStringLiteral("written"), load.written);
    return r;
}

CommandResult diff(Workbench& b) {
    if (CommandResult r = operandCount(b, 1, 1); r.status)
        return r;
    CommandResult refused;
    const std::optional<std::vector<RegisterWrite>> writes =
        checkedFile(b.arguments.operands[0], refused);
    if (!writes)
        return refused;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    CommandResult r = compare(b, lastValues(*writes), "file", [](int) { return false; });
    r.json.insert(QStringLiteral("file"), b.arguments.operands[0]);
    return r;
}

CommandResult channel(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 1); r.status)
        return r;
    int option = -1;
    if (!b.arguments.operands.isEmpty()) {
        const QString& name = b.arguments.operands[0];
        option = 0;
        while (option < kChannelOptions &&
               name.compare(QLatin1String(kChannelNames[option]), Qt::CaseInsensitive) != 0)
            ++option;
        if (option == kChannelOptions)
            return usage(
                QStringLiteral("channel takes A, B, C, D, auto or hardware, not '%1'.").arg(name));
    }
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    std::uint8_t value = 0;
    if (option < 0) {
        const LinkResult read = b.link.readRegisters(b.address.byte(), kChannelSelectRegister, 1);
        if (!read.ok())
            return linkFailure(b, QStringLiteral("read of register 0x02") + atChip(b), read);
        value = read.bytes[0];
    } else {
        const ChannelWrite written = selectChannel(b.chip(), option);
        if (!written.written)
            return linkFailure(b, QStringLiteral("write of register 0x02") + atChip(b),
                               written.failure);
        if (!written.readBack)
            return linkFailure(b, QStringLiteral("read-back of register 0x02") + atChip(b),
                               written.failure);
        value = *written.readBack;
    }
    CommandResult r;
    const QString name = QLatin1String(kChannelNames[channelOptionFor(value)]);
    r.text = QStringLiteral("%1 (%2)\n").arg(name, hex(value));
    r.json = {{"channel", name}, {"value", value}};
    return r;
}

CommandResult recal(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 0); r.status)
        return r;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const Recalibration done = recalibrateTermination(b.chip());
    if (!done.done || !done.failure.ok()) // either write of the pulse, or the read before
        return linkFailure(b, QStringLiteral("re-calibration with register 0x03") + atChip(b),
                           done.failure);
    CommandResult r;
    r.text = hex(done.value) + '\n';
    r.json = {{"register", 3}, {"value", done.value}};
    return r;
}

CommandResult clock(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 1); r.status)
        return r;
    const std::optional<int> divider =
        b.arguments.operands.isEmpty() ? 0 : byteOperand(b.arguments.operands[0]);
    if (!divider || (!b.arguments.operands.isEmpty() && *divider < 1))
        return usage(
            QStringLiteral("the divider is 1 to 255, not '%1'.").arg(b.arguments.operands[0]));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    if (*divider) {
        if (const LinkResult set = setClockDivider(b.link, std::uint8_t(*divider)); !set.ok())
            return linkFailure(b, QStringLiteral("I2C clock set"), set);
    }
    const BoardAnswer<I2CClock> clock = readI2CClock(b.link);
    if (!clock)
        return linkFailure(b, QStringLiteral("I2C clock query"), clock.failure);
    CommandResult r;
    r.text = QStringLiteral("%1 kHz (base clock %2 MHz, divider %3)\n")
                 .arg(clock->kHz())
                 .arg(clock->baseMHz)
                 .arg(clock->divider);
    r.json = {{"kHz", clock->kHz()}, {"baseMHz", clock->baseMHz}, {"divider", clock->divider}};
    return r;
}

CommandResult led(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 1); r.status)
        return r;
    const QString state = b.arguments.operands.value(0).toLower();
    if (!state.isEmpty() && state != QLatin1String("on") && state != QLatin1String("off"))
        return usage(QStringLiteral("led takes on or off, not '%1'.").arg(b.arguments.operands[0]));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    if (!state.isEmpty()) {
        BoardSignals signals_;
        signals_.led = state == QLatin1String("on");
        if (const LinkResult set = sendBoardSignals(b.link, signals_); !set.ok())
            return linkFailure(b, QStringLiteral("board signals set"), set);
    }
    const BoardAnswer<bool> on = readLedState(b.link);
    if (!on)
        return linkFailure(b, QStringLiteral("LED query"), on.failure);
    CommandResult r;
    r.text = *on ? QStringLiteral("on\n") : QStringLiteral("off\n");
    r.json = {{"led", *on}};
    return r;
}

CommandResult list(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 0); r.status)
        return r;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    BoardLink& link = b.link;
    CommandResult r;
    QJsonArray boards;
    for (int i = 0; i < link.boardCount(); ++i) {
        link.selectBoard(i);
        const HidDevice& device = link.boardDevice(i);
        const QString path = QString::fromStdString(device.path);
        const QString serial = QString::fromStdString(device.serialNumber);
        const BoardAnswer<FirmwareVersion> fw = readFirmwareVersion(link);
        QJsonObject board{{"instance", i}, {"path", path}, {"serialNumber", serial}};
        QString firmware = QStringLiteral("no answer");
        if (fw) {
            firmware = QStringLiteral("%1.%2 %3-%4-%5")
                           .arg(fw->major)
                           .arg(fw->minor)
                           .arg(fw->year, 4, 10, QLatin1Char('0'))
                           .arg(fw->month, 2, 10, QLatin1Char('0'))
                           .arg(fw->day, 2, 10, QLatin1Char('0'));
            board.insert(QStringLiteral("firmware"), firmware.section(' ', 0, 0));
            board.insert(QStringLiteral("firmwareDate"), firmware.section(' ', 1));
        } else {
            r.status = kTimedOut;
            r.error = QStringLiteral("board %1: no answer to the firmware query").arg(i);
        }
        r.text += QStringLiteral("%1  %2  serial %3  firmware %4\n")
                      .arg(i)
                      .arg(path, serial.isEmpty() ? QStringLiteral("-") : serial, firmware);
        boards.append(board);
    }
    r.json = {{"boards", boards}};
    return r;
}

struct Command {
    const char* name;
    CommandResult (*run)(Workbench&);
};

const Command kCommands[] = {
    {"list", list},       {"read", read},   {"write", write}, {"dump", dump},
    {"scan", scan},       {"save", save},   {"load", load},   {"diff", diff},
    {"channel", channel}, {"recal", recal}, {"clock", clock}, {"led", led},
};

} // namespace

std::optional<CommandResult> Workbench::connect() {
    if (link.selectedBoard() >= 0)
        return std::nullopt;
    if (!link.connectBoards())
        return failure(kNoBoard, QStringLiteral("no QDM7720A evaluation board found "
                                                "(--demo runs on a simulated one)"));
    // The list of boards selects each in turn.
    if (arguments.command == QLatin1String("list") || link.selectBoard(arguments.board))
        return std::nullopt;
    return failure(kNoBoard, QStringLiteral("there is no board %1: %2 found")
                                 .arg(arguments.board)
                                 .arg(link.boardCount()));
}

CommandResult runCommand(Workbench& b) {
    if (b.arguments.all && b.arguments.command != QLatin1String("dump"))
        return usage(QStringLiteral("--all is an option of dump."));
    if (b.arguments.noVerify && b.arguments.command != QLatin1String("load"))
        return usage(QStringLiteral("--no-verify is an option of load."));
    for (const Command& c : kCommands) {
        if (b.arguments.command == QLatin1String(c.name))
            return c.run(b);
    }
    return usage(QStringLiteral("unknown command '%1'.").arg(b.arguments.command));
}
