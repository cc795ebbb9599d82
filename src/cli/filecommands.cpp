#include "cli/filecommands.h"

#include "cli/commandsupport.h"
#include "cli/fieldcommands.h"
#include "core/operations/readall.h"
#include "core/operations/registerfiles.h"
#include "core/regfiles/fileaccess.h"
#include "core/registers/hextext.h"
#include "core/registers/registermap.h"

#include <QJsonArray>
#include <functional>
#include <map>

namespace cli {

namespace {

// A file checked whole, or why it is refused.
std::optional<RegisterFileCheck> checkedFile(const QString& path, CommandResult& refusal) {
    const RegisterFileRead file = readRegisterFile(path);
    if (!file.error.isEmpty()) {
        refusal = fileError(path, file.error);
    } else if (file.check.verdict == RegisterFileCheck::Verdict::NotRegisterFile) {
        refusal = fileError(path, QStringLiteral("not a register file (its first line must be %1)")
                                      .arg(QString::fromLatin1(kRegisterFileHeader)));
    } else if (file.check.verdict == RegisterFileCheck::Verdict::BadRegisterLine) {
        QString line = QString::fromLatin1(file.check.lineText.left(80));
        line.replace(QLatin1Char('\t'), QStringLiteral("<TAB>"));
        refusal = fileError(path, QStringLiteral("line %1 is not a register line (%2): %3")
                                      .arg(file.check.lineNumber)
                                      .arg(lineFaultText(file.check.fault), line));
    } else {
        return file.check;
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
        // With --fields, the fields that differ; the bytes when no field does.
        const QString fields =
            b.arguments.fields ? fieldDifferences(std::uint8_t(reg), expected, value, read.bytes[0])
                               : QString();
        r.text += !fields.isEmpty()
                      ? fields
                      : QStringLiteral("%1: %2 %3, chip %4\n")
                            .arg(hex(reg), QLatin1String(expected), hex(value), hex(read.bytes[0]));
        QJsonObject difference{{"register", reg}, {expected, value}, {"chip", read.bytes[0]}};
        if (b.arguments.fields)
            difference.insert(
                QStringLiteral("fields"),
                fieldDifferencesJson(std::uint8_t(reg), expected, value, read.bytes[0]));
        differences.append(difference);
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

// The register lines a load or diff skipped for having no value: the last
// line of the text, and a count in JSON.
void sayWhatWasSkipped(CommandResult& r, const RegisterFileCheck& file) {
    const auto skipped = static_cast<int>(file.skippedLines.size());
    if (skipped)
        r.text += QStringLiteral("%1 register line%2 with no value skipped\n")
                      .arg(skipped)
                      .arg(skipped == 1 ? "" : "s");
    r.json.insert(QStringLiteral("skipped"), skipped);
}

} // namespace

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
        target, registerFileBytes([&](std::uint8_t reg) { return b.registers.text(reg); }));
    if (!saved.ok)
        return fileError(path, saved.reason);
    CommandResult r;
    r.json = {{"file", path}, {"registers", int(kMainRegisters.size())}};
    return r;
}

CommandResult load(Workbench& b) {
    if (CommandResult r = operandCount(b, 1, 1); r.status)
        return r;
    const QString& path = b.arguments.operands[0];
    CommandResult refused;
    const std::optional<RegisterFileCheck> file = checkedFile(path, refused);
    if (!file)
        return refused;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    b.link.flushInput();
    const RegisterLoad load = writeRegisterLines(b.chip(), file->writes);
    if (!load.failure.ok())
        return linkFailure(b,
                           QStringLiteral("%1: write of line %2 of %3 register lines%4")
                               .arg(path)
                               .arg(load.written + 1)
                               .arg(file->writes.size())
                               .arg(atChip(b)),
                           load.failure);
    // The chip does not keep what is written to its identity and activity
    // registers, nor to the error counters, which clear when read.
    CommandResult r = b.arguments.noVerify
                          ? CommandResult{}
                          : compare(b, lastValues(file->writes), "wrote", [](int reg) {
                                return reg <= 0x01 || (reg >= 0x0A && reg <= 0x0C);
                            });
    r.json.insert(QStringLiteral("file"), path);
    r.json.insert(QStringLiteral("written"), load.written);
    sayWhatWasSkipped(r, *file);
    return r;
}

CommandResult diff(Workbench& b) {
    if (CommandResult r = operandCount(b, 1, 1); r.status)
        return r;
    CommandResult refused;
    const std::optional<RegisterFileCheck> file = checkedFile(b.arguments.operands[0], refused);
    if (!file)
        return refused;
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    CommandResult r = compare(b, lastValues(file->writes), "file", [](int) { return false; });
    r.json.insert(QStringLiteral("file"), b.arguments.operands[0]);
    sayWhatWasSkipped(r, *file);
    return r;
}

} // namespace cli
