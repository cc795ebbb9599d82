#include "cli/filecommands.h"

#include "cli/commandsupport.h"
#include "core/operations/readall.h"
#include "core/operations/registerfiles.h"
#include "core/operations/scriptfiles.h"
#include "core/platform/outsidetext.h"
#include "core/regfiles/fileaccess.h"
#include "core/registers/registermap.h"

#include <QJsonArray>
#include <map>

namespace cli {

namespace {

bool isStandardStream(const QString& path) {
    return path == QLatin1String("-");
}

// A file operand as a message and the JSON name it.
QString shownName(const QString& path) {
    return isStandardStream(path) ? QStringLiteral("standard input") : path;
}

// The file in JSON: "file" as the messages show it, escaped, and for a name
// "fileHex", its bytes in hexadecimal, for a script to take the name back.
void putFile(QJsonObject& json, const QString& path) {
    json.insert(QStringLiteral("file"), escapedText(shownName(path)));
    if (!isStandardStream(path))
        json.insert(QStringLiteral("fileHex"), QString::fromLatin1(nameBytes(path).toHex()));
}

// The register file of the one operand, checked whole, or why it is refused.
std::optional<RegisterFileCheck> checkedFile(const QString& path, CommandResult& refusal) {
    const Told<RegisterFileCheck> file = checkedRegisterFile(path, shownName(path), true);
    if (file.ok())
        return file.value;
    refusal = failure(*file.failure);
    return std::nullopt;
}

// The register file of a load or diff, checked whole before the board is
// looked for, and the board; or why the command goes no further.
std::optional<RegisterFileCheck> fileOnTheBoard(Workbench& b, CommandResult& refusal) {
    refusal = operandCount(b, 1, 1, "one file name, or - for standard input");
    if (refusal.status)
        return std::nullopt;
    const QString& path = b.arguments.operands[0];
    std::optional<RegisterFileCheck> file = checkedFile(path, refusal);
    if (!file)
        return std::nullopt;
    b.files = {isStandardStream(path) ? QStringLiteral("/dev/stdin") : path};
    if (std::optional<CommandResult> none = b.connect()) {
        refusal = *none;
        return std::nullopt;
    }
    return file;
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

// The error line of a comparison that found differences.
void sayDifferences(CommandResult& r, const QString& path) {
    const qsizetype differ = r.json.value(QLatin1String("differences")).toArray().size();
    if (differ && r.error.isEmpty())
        r.error = QStringLiteral("%1 of %2 differ%3 from the chip")
                      .arg(registers(int(differ)), shownName(path))
                      .arg(differ == 1 ? "s" : "");
}

// Two register files compared, register by register, without a board.
CommandResult diffFiles(const Workbench& b) {
    const QStringList& paths = b.arguments.operands;
    if (isStandardStream(paths[0]) && isStandardStream(paths[1]))
        return usage(QStringLiteral("diff reads standard input once: - stands for one of the "
                                    "two files, not both."));
    const char* const names[2] = {"file1", "file2"};
    RegisterValues values[2];
    QJsonArray skipped;
    QString skippedText;
    for (int i = 0; i < 2; ++i) {
        CommandResult refused;
        int lines = 0;
        const std::optional<RegisterValues> file = registerFileValues(paths[i], refused, &lines);
        if (!file)
            return refused;
        values[i] = *file;
        skipped.append(lines);
        if (lines)
            skippedText += QStringLiteral("%1: %2 register line%3 with no value skipped\n")
                               .arg(QLatin1String(names[i]))
                               .arg(lines)
                               .arg(lines == 1 ? "" : "s");
    }
    CommandResult r = compareValues(b, values[0], names[0], values[1], names[1]);
    r.text += skippedText;
    const qsizetype differ = r.json.value(QLatin1String("differences")).toArray().size();
    if (differ)
        r.error = QStringLiteral("%1 differ%2 between %3 and %4")
                      .arg(registers(int(differ)))
                      .arg(differ == 1 ? "s" : "")
                      .arg(shownName(paths[0]), shownName(paths[1]));
    r.json.insert(QStringLiteral("files"),
                  QJsonArray{escapedText(shownName(paths[0])), escapedText(shownName(paths[1]))});
    r.json.insert(QStringLiteral("skipped"), skipped);
    return r;
}

} // namespace

std::optional<RegisterValues> registerFileValues(const QString& path, CommandResult& refusal,
                                                 int* skipped) {
    const std::optional<RegisterFileCheck> file = checkedFile(path, refusal);
    if (!file)
        return std::nullopt;
    if (skipped)
        *skipped = static_cast<int>(file->skippedLines.size());
    const std::map<int, std::uint8_t> values = ::registerFileValues(*file);
    return RegisterValues(values.begin(), values.end());
}

CommandResult save(Workbench& b) {
    if (CommandResult r = operandCount(b, 1, 1, "one file name, or - for standard output");
        r.status)
        return r;
    const QString& path = b.arguments.operands[0];
    const bool toOutput = isStandardStream(path);
    if (toOutput && b.arguments.json)
        return usage(QStringLiteral("save - writes the file to standard output, where --json "
                                    "would write its document too."));
    SaveTarget target;
    if (!toOutput) {
        target = saveTargetOf(path);
        if (!target.refusal.isEmpty())
            return fileError(path, target.refusal);
    }
    b.files = {toOutput ? QStringLiteral("/dev/stdout") : target.target};
    if (std::optional<CommandResult> none = b.connect())
        return *none;
    CommandResult r;
    if (toOutput) {
        const RangeRead main = readAllRegisters(b.chip(), ReadMode::Burst);
        if (!main.ok())
            return linkFailure(b, QStringLiteral("read of the main registers") + atChip(b),
                               main.failure);
        r.bytes = registerFileBytes([&](std::uint8_t reg) { return b.registers.text(reg); });
        return r;
    }
    const Told<int> saved = saveRegisterFile(b.chip(), path);
    if (!saved.ok())
        return failure(*saved.failure);
    r.json = {{"registers", saved.value}};
    putFile(r.json, path);
    return r;
}

CommandResult load(Workbench& b) {
    CommandResult refused;
    const std::optional<RegisterFileCheck> file = fileOnTheBoard(b, refused);
    if (!file)
        return refused;
    const QString& path = b.arguments.operands[0];
    const Told<RegisterFileLoad> loaded =
        loadRegisterFile(b.chip(), *file, shownName(path), !b.arguments.noVerify);
    const RegisterLoad& load = loaded.value.load;
    QJsonArray written;
    for (const std::uint8_t reg : load.registers)
        written.append(reg);
    CommandResult r;
    if (!loaded.ok() && loaded.failure->kind != FailureKind::Differs) {
        r = failure(*loaded.failure);
        if (!load.failure.ok())
            r.json = {{"written", load.written}, {"registers", written}};
        return r;
    }
    if (!b.arguments.noVerify) {
        r = differencesResult(b, loaded.value.differences, "wrote");
        sayDifferences(r, path);
    }
    putFile(r.json, path);
    r.json.insert(QStringLiteral("written"), load.written);
    r.json.insert(QStringLiteral("registers"), written);
    sayWhatWasSkipped(r, *file);
    return r;
}

CommandResult diff(Workbench& b) {
    if (CommandResult r = operandCount(b, 1, 2, "one file name or two, - for standard input");
        r.status)
        return r;
    if (b.arguments.operands.size() == 2)
        return diffFiles(b);
    CommandResult refused;
    const std::optional<RegisterFileCheck> file = fileOnTheBoard(b, refused);
    if (!file)
        return refused;
    const QString& path = b.arguments.operands[0];
    CommandResult r = compareWithChip(b, ::registerFileValues(*file), "file", "read");
    if (!r.error.isEmpty())
        return r;
    sayDifferences(r, path);
    putFile(r.json, path);
    sayWhatWasSkipped(r, *file);
    return r;
}

} // namespace cli
