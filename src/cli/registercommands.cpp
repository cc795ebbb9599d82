#include "cli/registercommands.h"

#include "cli/commandsupport.h"
#include "cli/fieldcommands.h"
#include "core/operations/readall.h"
#include "core/registers/hextext.h"
#include "core/registers/registermap.h"
#include "core/regtexts/registertexts.h"

#include <QJsonArray>
#include <functional>

namespace cli {

namespace {

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

} // namespace

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

CommandResult dump(Workbench& b) {
    if (CommandResult r = operandCount(b, 0, 0); r.status)
        return r;
    if (b.arguments.all && b.arguments.fields)
        return usage(QStringLiteral("dump takes --all or --fields, not both."));
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
        QJsonObject entry{{"register", reg}, {"name", registerName(reg)}, {"value", value}};
        if (b.arguments.fields) {
            r.text += fieldLines(reg, value);
            entry.insert(QStringLiteral("fields"), fieldsJson(reg, value));
        }
        registers.append(entry);
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

} // namespace cli
