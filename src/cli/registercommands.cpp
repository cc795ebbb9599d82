#include "cli/registercommands.h"

#include "cli/commandsupport.h"
#include "cli/fieldcommands.h"
#include "cli/filecommands.h"
#include "core/operations/readall.h"
#include "core/platform/outsidetext.h"
#include "core/registers/hextext.h"
#include "core/registers/registermap.h"
#include "core/regtexts/registertexts.h"

#include <QJsonArray>
#include <functional>

namespace cli {

namespace {

// An i2cdetect- or i2cdump-style grid of `rows` rows of 16 cells, in upper
// case as every value the tool prints.
QString grid(int rows, const std::function<QString(int)>& cell) {
    QString text = QStringLiteral("   ");
    for (int column = 0; column < 16; ++column)
        text += QStringLiteral("  %1").arg(column, 0, 16).toUpper();
    text += '\n';
    for (int row = 0; row < rows * 16; row += 16) {
        QString line = hexByte(std::uint8_t(row)) + ':';
        for (int column = 0; column < 16; ++column)
            line += ' ' + cell(row + column);
        text += line.trimmed() + '\n'; // a row of cells left out ends at its label
    }
    return text;
}

} // namespace

CommandResult read(Workbench& b) {
    if (CommandResult r = operandCount(b, 1, 2, "a register and an optional count"); r.status)
        return r;
    const QStringList& ops = b.arguments.operands;
    const std::optional<int> first = byteOperand(ops[0]);
    if (!first)
        return usage(QStringLiteral("the register is 0 to 255, not '%1'.").arg(ops[0]));
    const int most = 256 - *first;
    const std::optional<int> count = ops.size() > 1 ? parseNumber(ops[1], most) : 1;
    if (!count || *count < 1)
        return usage(most == 1 ? QStringLiteral("a read from 0xFF, the last register, takes a "
                                                "count of 1, not '%1'.")
                                     .arg(ops[1])
                               : QStringLiteral("a read from %1 takes a count of 1 to %2, not "
                                                "'%3'.")
                                     .arg(hex(*first))
                                     .arg(most)
                                     .arg(ops[1]));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const LinkResult read =
        readRegisterSpan(b.link, b.address.byte(), std::uint8_t(*first), *count);
    if (!read.ok())
        return linkFailure(
            b,
            QStringLiteral("read of %1 from %2%3").arg(registers(*count), hex(*first), atChip(b)),
            read);
    CommandResult r;
    QJsonArray values;
    for (int i = 0; i < *count; ++i) {
        r.text += *count == 1 ? hex(read.bytes[i]) + '\n'
                              : QStringLiteral("%1 %2\n").arg(hex(*first + i), hex(read.bytes[i]));
        values.append(read.bytes[i]);
    }
    putAddress(b, r.json);
    r.json.insert(QStringLiteral("first"), *first);
    r.json.insert(QStringLiteral("values"), values);
    return r;
}

CommandResult write(Workbench& b) {
    if (CommandResult r = operandCount(b, 2, 257, "a register and 1 to 256 bytes"); r.status)
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
    const int count = int(data.size());
    if (*first + count > 256)
        return usage(QStringLiteral("a write from %1 takes 1 to %2 bytes, not %3: 0xFF is the "
                                    "last register.")
                         .arg(hex(*first))
                         .arg(256 - *first)
                         .arg(count));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    int landed = 0;
    const LinkResult written =
        writeRegisterSpan(b.link, b.address.byte(), std::uint8_t(*first), data, &landed);
    if (!written.ok()) {
        // A span cut into transfers may fail after its first ones were taken.
        const QString taken =
            landed ? QStringLiteral(", the first %1 written").arg(landed) : QString();
        return linkFailure(b,
                           QStringLiteral("write of %1 byte%2 to %3%4%5")
                               .arg(count)
                               .arg(count == 1 ? "" : "s")
                               .arg(hex(*first), atChip(b), taken),
                           written);
    }
    CommandResult r;
    if (b.arguments.readBack) {
        std::map<int, std::uint8_t> expected;
        for (int i = 0; i < count; ++i)
            expected[*first + i] = data[i];
        r = compareWithChip(b, expected, "wrote", "read-back");
        if (!r.error.isEmpty()) // the read-back itself failed
            return r;
        const qsizetype differ = r.json.value(QLatin1String("differences")).toArray().size();
        if (differ)
            r.error = QStringLiteral("%1 written %2 from the chip")
                          .arg(registersOf(int(differ), count),
                               differ == 1 ? QStringLiteral("differs") : QStringLiteral("differ"));
    }
    putAddress(b, r.json);
    r.json.insert(QStringLiteral("first"), *first);
    r.json.insert(QStringLiteral("written"), count);
    return r;
}

CommandResult dump(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 0, "no arguments"); r.status)
        return r;
    if (b.arguments.all && b.arguments.fields)
        return usage(QStringLiteral("dump takes --all or --fields, not both."));
    CommandResult r;
    QJsonArray registers;
    RegisterValues values;
    if (!b.arguments.file.isEmpty()) {
        // A register file's, without a board.
        if (b.arguments.all)
            return usage(QStringLiteral("dump --file gives the registers the file names; --all "
                                        "reads the chip."));
        const std::optional<RegisterValues> file = registerFileValues(b.arguments.file, r);
        if (!file)
            return r;
        values = *file;
        r.json.insert(QStringLiteral("file"), escapedText(b.arguments.file == QLatin1String("-")
                                                              ? QStringLiteral("standard input")
                                                              : b.arguments.file));
    } else {
        if (std::optional<CommandResult> none = b.connect())
            return *none;
        putAddress(b, r.json);
        if (b.arguments.all) {
            const LinkResult all = readRegisterSpan(b.link, b.address.byte(), 0, 256);
            if (!all.ok())
                return linkFailure(b, QStringLiteral("read of registers 0x00 to 0xFF") + atChip(b),
                                   all);
            r.text = grid(16, [&](int reg) { return hexByte(all.bytes[reg]); });
            for (std::uint8_t v : all.bytes)
                registers.append(v);
            r.json.insert(QStringLiteral("values"), registers);
            return r;
        }
        const RangeRead main = readAllRegisters(b.chip(), ReadMode::Burst);
        if (!main.ok())
            return linkFailure(b, QStringLiteral("read of the main registers") + atChip(b),
                               main.failure);
        for (std::uint8_t reg : kMainRegisters)
            values[reg] = b.registers.entry(reg).value;
    }
    for (const auto& [reg, value] : values) {
        const std::uint8_t byte = value.value_or(0);
        const QString name = registerName(std::uint8_t(reg));
        r.text += QStringLiteral("%1  %2  %3").arg(hex(reg), hex(byte), name).trimmed() + '\n';
        QJsonObject entry{{"register", reg}, {"name", name}, {"value", byte}};
        if (b.arguments.fields) {
            r.text += fieldLines(std::uint8_t(reg), byte);
            entry.insert(QStringLiteral("fields"), fieldsJson(std::uint8_t(reg), byte));
        }
        registers.append(entry);
    }
    r.json.insert(QStringLiteral("registers"), registers);
    return r;
}

CommandResult scan(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 2,
                                       "at most two 7-bit addresses, the first and the "
                                       "last to probe");
        r.status)
        return r;
    int range[2] = {0x00, 0x7F};
    for (qsizetype i = 0; i < b.arguments.operands.size(); ++i) {
        const std::optional<int> a = parseNumber(b.arguments.operands[i], 0x7F);
        if (!a)
            return usage(QStringLiteral("a 7-bit address is 0x00 to 0x7F, not '%1'.")
                             .arg(b.arguments.operands[i]));
        range[i] = *a;
    }
    const int first = range[0], last = range[1];
    if (first > last)
        return usage(QStringLiteral("the first address, %1, lies above the last, %2.")
                         .arg(hex(first), hex(last)));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    std::array<std::optional<std::uint8_t>, 128> answered;
    for (int a = first; a <= last; ++a) {
        const LinkResult probe = b.link.readRegistersOnce(std::uint8_t(a << 1), 0x00, 1);
        if (probe.ok())
            answered[a] = probe.bytes[0];
        else if (probe.status != LinkStatus::NotAcknowledged)
            return linkFailure(b, QStringLiteral("probe of ") + hex(a), probe);
    }
    CommandResult r;
    r.text = grid(8, [&](int a) {
        return a < first || a > last ? QStringLiteral("  ")
               : answered[a]         ? hexByte(std::uint8_t(a))
                                     : QStringLiteral("--");
    });
    QJsonArray present, chips;
    for (int a = first; a <= last; ++a) {
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

} // namespace cli
