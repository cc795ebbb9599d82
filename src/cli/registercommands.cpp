#include "cli/registercommands.h"

#include "cli/commandsupport.h"
#include "cli/fieldcommands.h"
#include "cli/filecommands.h"
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
        return usage(readCountRefusal(*first, ops[1]));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    const auto read = readSpan(b.chip(), std::uint8_t(*first), *count);
    if (!read.ok())
        return failure(*read.failure);
    CommandResult r;
    QJsonArray values;
    for (int i = 0; i < *count; ++i) {
        r.text += *count == 1 ? hex(read.value[i]) + '\n'
                              : QStringLiteral("%1 %2\n").arg(hex(*first + i), hex(read.value[i]));
        values.append(read.value[i]);
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
        return usage(writeLengthRefusal(*first, count));
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    CommandResult r;
    if (!b.arguments.readBack) {
        if (std::optional<OperationFailure> failed =
                writeSpan(b.chip(), std::uint8_t(*first), data))
            return failure(*failed);
    } else {
        const auto written = writeSpanWithReadBack(b.chip(), std::uint8_t(*first), data);
        if (!written.ok() && written.failure->kind != FailureKind::Differs)
            return failure(*written.failure);
        r = differencesResult(b, written.value, "wrote");
        if (!written.ok())
            r.error = written.failure->message;
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
            const auto all = readEveryRegister(b.chip());
            if (!all.ok())
                return failure(*all.failure);
            r.text = grid(16, [&](int reg) { return hexByte(all.value[reg]); });
            for (std::uint8_t v : all.value)
                registers.append(v);
            r.json.insert(QStringLiteral("values"), registers);
            return r;
        }
        const auto main = readMainRegisters(b.chip());
        if (!main.ok())
            return failure(*main.failure);
        for (std::size_t i = 0; i < kMainRegisters.size(); ++i)
            values[kMainRegisters[i]] = main.value[i];
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
    const auto scan = scanAddresses(b.link, first, last);
    if (!scan.ok())
        return failure(*scan.failure);
    const ScanAnswers& answered = scan.value;
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
