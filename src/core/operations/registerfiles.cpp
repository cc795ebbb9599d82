#include "core/operations/registerfiles.h"

#include "core/platform/filechooser.h"
#include "core/platform/prompt.h"
#include "core/regfiles/fileaccess.h"
#include "core/registers/registermap.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A line of a file as a message can show it: control characters other than
// the tab as '?', and not longer than a message line should be.
QString shownLine(const QByteArray& line) {
    constexpr qsizetype kLongest = 80;
    QString text = QString::fromLatin1(line.left(kLongest));
    for (QChar& c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            c = QLatin1Char('?');
    }
    if (line.size() > kLongest)
        text += QStringLiteral("...");
    return text;
}

QString saveFailedText(const QString& path, const QString& reason) {
    return QStringLiteral("The register file could not be saved:\r\n%1\r\n%2\r\n"
                          "A file of that name, if there was one, is unchanged.")
        .arg(QDir::toNativeSeparators(path), reason);
}

// The overwrite question; for a link it names the file the link leads to.
QString overwriteText(const SaveTarget& target) {
    if (!target.isLink)
        return kFileExistsText;
    return kFileExistsText +
           QStringLiteral("\r\n\r\n%1 is a link to %2; that file would be overwritten.")
               .arg(QDir::toNativeSeparators(target.name), QDir::toNativeSeparators(target.target));
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

QString badLineText(const QString& path, int lineNumber, const QByteArray& line) {
    return QStringLiteral("Line %1 of %2 is not a valid register line:\r\n\r\n%3\r\n\r\n"
                          "Its address (characters 3 and 4) and its value (characters 6 and 7) "
                          "must be hexadecimal bytes. Nothing was written to the chip.")
        .arg(lineNumber)
        .arg(QDir::toNativeSeparators(path), shownLine(line));
}

RegisterFileRead readRegisterFile(const QString& path) {
    RegisterFileRead read;
    const FileContents file = readRegularFile(path, kMaxRegisterFileBytes);
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
    }
    return load;
}

std::optional<QString> RegisterFileCommands::choose(bool save) {
    if (save)
        lastName_ = offeredSaveName(lastName_);
    // A name typed without an extension gets ".txt" when saving; a load takes
    // the name as it is (a register file need not have an extension).
    const FileRequest request{save ? FileRequest::Kind::Save : FileRequest::Kind::Open, lastName_,
                              save ? QStringLiteral("txt") : QString(),
                              save ? kSaveFilter : kLoadFilter};
    const std::optional<QString> chosen = chooser_.choose(request);
    if (chosen)
        lastName_ = *chosen;
    return chosen;
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
    result.outcome = RegisterFileResult::Outcome::Refused;

    // Only a regular file is replaced; a link is followed, and a link that
    // leads nowhere yet counts as a name that exists.
    const SaveTarget target = saveTargetOf(*chosen);
    if (!target.refusal.isEmpty()) {
        prompt_.ask(saveFailedText(*chosen, target.refusal), Buttons::Ok);
        return result;
    }
    if ((target.exists || target.isLink) &&
        prompt_.ask(overwriteText(target), Buttons::OkCancel, kFileExistsTitle) != Answer::Ok) {
        result.outcome = RegisterFileResult::Outcome::Cancelled;
        return result;
    }
    const QByteArray contents =
        registerFileBytes([&](std::uint8_t reg) { return chip.registers.text(reg); });
    const FileResult saved = replaceRegularFile(target.target, contents);
    if (!saved.ok) {
        prompt_.ask(saveFailedText(*chosen, saved.reason), Buttons::Ok);
        return result;
    }
    result.outcome = RegisterFileResult::Outcome::Done;
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
        prompt_.ask(badLineText(*chosen, file.check.lineNumber, file.check.lineText), Buttons::Ok);
        return result;
    case RegisterFileCheck::Verdict::Accepted:
        break;
    }

    chip.link.flushInput();
    // Not acknowledged (Retry in the address box) ends the load here; the
    // registers already written stay written and nothing is read back.
    const RegisterLoad load = writeRegisterLines(chip, file.check.writes);
    result.registers = load.written;
    if (!load.failure.ok()) {
        result.outcome = RegisterFileResult::Outcome::NotAcknowledged;
        return result;
    }
    const RangeRead readBack = readAllRegisters(chip, mode);
    result.unread = static_cast<int>(kMainRegisters.size()) - readBack.registersRead;
    result.outcome = RegisterFileResult::Outcome::Done;
    return result;
}
