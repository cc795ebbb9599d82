#include "core/operations/registerfiles.h"

#include "core/platform/filechooser.h"
#include "core/platform/outsidetext.h"
#include "core/platform/prompt.h"
#include "core/regfiles/fileaccess.h"
#include "core/registers/hextext.h"
#include "core/registers/registermap.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A line of a file as a message shows it (the prompt escapes what needs it,
// as in a name), not longer than a message line should be.
QString shownLine(const QByteArray& line) {
    constexpr qsizetype kLongest = 80;
    QString text = nameFromBytes(line.left(kLongest));
    if (line.size() > kLongest)
        text += QStringLiteral("...");
    return text;
}

QString saveFailedText(const QString& path, const QString& reason, bool kept = true) {
    return QStringLiteral("The register file could not be saved:\r\n%1\r\n%2%3")
        .arg(QDir::toNativeSeparators(path), reason,
             kept ? QStringLiteral("\r\nA file of that name, if there was one, is unchanged.")
                  : QString());
}

// The question before a save writes over a name that exists (for a link it
// says where the link leads), or asked again when what the name leads to
// changed while the question was open.
QString overwriteText(const SaveTarget& target, bool changed) {
    const QString name = QDir::toNativeSeparators(target.name);
    const QString file = QDir::toNativeSeparators(target.target);
    QString text;
    if (target.exists && !target.isLink)
        text = kFileExistsText;
    else if (target.exists)
        text = kFileExistsText +
               QStringLiteral("\r\n\r\n%1 is a link to %2; that file would be overwritten.")
                   .arg(name, file);
    else if (target.isLink)
        text = QStringLiteral("%1 is a link to %2, which does not exist: that file would be "
                              "created.  Press OK to create it, Cancel to abort.")
                   .arg(name, file);
    else
        text = QStringLiteral("There is no file %1 now: it would be created.  Press OK to "
                              "create it, Cancel to abort.")
                   .arg(name);
    if (changed)
        text = QStringLiteral("%1 changed while the question was open: it now leads to %2.\r\n\r\n")
                   .arg(name, file) +
               text;
    return text;
}

// The save dialog offers "registers.txt" in the folder used last.
QString offeredSaveName(const QString& lastName) {
    const QString folder = QFileInfo(lastName).path();
    if (lastName.isEmpty() || folder == QLatin1String("."))
        return kSaveFileName;
    return QDir(folder).filePath(kSaveFileName);
}

} // namespace

QString readFailedText(const QString& path, const QString& reason) {
    return QStringLiteral("The register file could not be read:\r\n%1\r\n%2\r\n"
                          "Nothing was written to the chip.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString badLineText(const QString& path, int lineNumber, const QByteArray& line,
                    LineVerdict fault) {
    QString why = lineFaultText(fault);
    if (!why.isEmpty())
        why[0] = why[0].toUpper();
    return QStringLiteral("Line %1 of %2 is not a valid register line:\r\n\r\n%3\r\n\r\n"
                          "%4. A register line is \"0x\", the address as two hexadecimal digits, "
                          "a tab or blank, and the value as one or two hexadecimal digits. "
                          "Nothing was written to the chip.")
        .arg(lineNumber)
        .arg(QDir::toNativeSeparators(path), shownLine(line), why);
}

RegisterFileRead readRegisterFile(const QString& path, bool streams) {
    RegisterFileRead read;
    const FileContents file = streams ? readFileOrStream(path, kMaxRegisterFileBytes)
                                      : readRegularFile(path, kMaxRegisterFileBytes);
    if (!file.bytes)
        read.error = file.reason;
    else if (file.bytes->size() > kMaxRegisterFileBytes)
        read.error = QStringLiteral("It is far larger than any register file.");
    else
        read.check = checkRegisterFile(*file.bytes);
    return read;
}

RegisterLoad writeRegisterLines(const Chip& chip, const std::vector<RegisterWrite>& writes) {
    RegisterLoad load;
    for (const RegisterWrite& w : writes) {
        const std::uint8_t data[1] = {w.value};
        load.failure = chip.link.writeRegisters(chip.address.byte(), w.reg, data);
        if (!load.failure.ok())
            return load;
        ++load.written;
        load.registers.push_back(w.reg);
    }
    return load;
}

QString stayWrittenText(const RegisterLoad& load, std::uint8_t stoppedAt) {
    QStringList registers;
    for (const std::uint8_t reg : load.registers)
        registers << QStringLiteral("0x") + hexByte(reg);
    QString text = load.written == 0 ? QStringLiteral("no register line was written")
                   : load.written == 1
                       ? QStringLiteral("1 register line was written and stays written (%1)")
                             .arg(registers.join(QStringLiteral(", ")))
                       : QStringLiteral("%1 register lines were written and stay written (%2)")
                             .arg(load.written)
                             .arg(registers.join(QStringLiteral(", ")));
    if (load.failure.mayHaveReached())
        text +=
            QStringLiteral("; the write of 0x%1 may have reached the chip").arg(hexByte(stoppedAt));
    return text;
}

std::optional<QString> RegisterFileCommands::choose(bool save) {
    if (save)
        lastName_ = offeredSaveName(lastName_);
    const FileRequest request{save ? FileRequest::Kind::Save : FileRequest::Kind::Open, lastName_,
                              QStringLiteral("txt"), save ? kSaveFilter : kLoadFilter};
    const std::optional<QString> chosen = chooser_.choose(request);
    if (chosen)
        lastName_ = *chosen;
    return chosen;
}

RegisterFileResult::Outcome saveChosenFile(Prompt& prompt, const QString& path,
                                           const std::function<QByteArray()>& contents) {
    // Only a regular file is replaced; a link is followed, and a link that
    // leads nowhere yet counts as a name that exists. After each answer the
    // name is followed again: a target that is no longer the file asked
    // about (or no longer absent) is asked about again.
    SaveTarget target = saveTargetOf(path);
    for (bool changed = false;
         target.refusal.isEmpty() && (changed || target.exists || target.isLink); changed = true) {
        const QString title = changed         ? kFileChangedTitle
                              : target.exists ? kFileExistsTitle
                                              : kLinkExistsTitle;
        if (prompt.ask(overwriteText(target, changed), Buttons::OkCancel, title) != Answer::Ok)
            return RegisterFileResult::Outcome::Cancelled;
        SaveTarget now = saveTargetOf(path);
        if (sameTarget(now, target))
            break;
        target = std::move(now);
    }
    if (!target.refusal.isEmpty()) {
        prompt.ask(saveFailedText(path, target.refusal), Buttons::Ok);
        return RegisterFileResult::Outcome::Refused;
    }
    const FileResult saved = replaceRegularFile(target, contents());
    if (!saved.ok) {
        prompt.ask(saveFailedText(path, saved.reason, saved.kept), Buttons::Ok);
        return RegisterFileResult::Outcome::Refused;
    }
    return RegisterFileResult::Outcome::Done;
}

RegisterFileResult RegisterFileCommands::save(const Chip& chip, ReadMode mode) {
    // Whatever Read All achieves, the file is written from the cells as they
    // stand afterwards.
    const RangeRead read = readAllRegisters(chip, mode);
    RegisterFileResult result;
    result.unread = static_cast<int>(kMainRegisters.size()) - read.registersRead;
    if (chip.link.isShutDown())
        return result;
    const std::optional<QString> chosen = choose(true);
    if (!chosen)
        return result;
    result.path = *chosen;
    result.outcome = saveChosenFile(prompt_, *chosen, [&] {
        return registerFileBytes([&](std::uint8_t reg) { return chip.registers.text(reg); });
    });
    if (result.outcome == RegisterFileResult::Outcome::Done)
        result.registers = static_cast<int>(kMainRegisters.size());
    return result;
}

RegisterFileResult RegisterFileCommands::load(const Chip& chip, ReadMode mode) {
    RegisterFileResult result;
    // No name is set first: the name used last is offered.
    const std::optional<QString> chosen = choose(false);
    if (!chosen)
        return result;
    result.path = *chosen;
    result.outcome = RegisterFileResult::Outcome::Refused;

    const RegisterFileRead file = readRegisterFile(*chosen);
    if (!file.error.isEmpty()) {
        prompt_.ask(readFailedText(*chosen, file.error), Buttons::Ok);
        return result;
    }
    switch (file.check.verdict) {
    case RegisterFileCheck::Verdict::NotRegisterFile:
        prompt_.ask(kNotRegisterFileText, Buttons::Ok, kNotRegisterFileTitle);
        return result;
    case RegisterFileCheck::Verdict::BadRegisterLine:
        prompt_.ask(
            badLineText(*chosen, file.check.lineNumber, file.check.lineText, file.check.fault),
            Buttons::Ok);
        return result;
    case RegisterFileCheck::Verdict::Accepted:
        break;
    }
    result.skipped = static_cast<int>(file.check.skippedLines.size());

    chip.link.flushInput();
    // Not acknowledged (Retry in the address box) ends the load here; the
    // registers already written stay written and nothing is read back.
    const RegisterLoad load = writeRegisterLines(chip, file.check.writes);
    result.registers = load.written;
    if (!load.failure.ok()) {
        result.outcome = RegisterFileResult::Outcome::NotAcknowledged;
        result.stayWritten = stayWrittenText(load, file.check.writes[load.written].reg);
        return result;
    }
    const RangeRead readBack = readAllRegisters(chip, mode);
    result.unread = static_cast<int>(kMainRegisters.size()) - readBack.registersRead;
    result.outcome = RegisterFileResult::Outcome::Done;
    return result;
}
