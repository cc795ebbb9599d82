#include "regfiles/registerfiles.h"

#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "regfiles/fileaccess.h"
#include "regfiles/registerfile.h"
#include "registers/registergrid.h"

#include <QBuffer>
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

// The save dialog offers "registers.txt" in the folder used last.
QString offeredSaveName(const QString& lastName) {
    const QString folder = QFileInfo(lastName).path();
    if (lastName.isEmpty() || folder == QLatin1String("."))
        return kSaveFileName;
    return QDir(folder).filePath(kSaveFileName);
}

} // namespace

RegisterFiles::RegisterFiles(MainWindow& window, Dialogs& dialogs)
    : window_(window), dialogs_(dialogs) {}

void RegisterFiles::mnuSaveRegisters_Click() {
    // Whatever Read All achieves, the file is written from the cells as they
    // stand afterwards.
    window_.cmdReadAllRegisters_Click();
    if (window_.isUnloaded())
        return;

    CommonDialog1.fileName = offeredSaveName(CommonDialog1.fileName);
    const std::optional<QString> chosen = chooseFile(FileDialogRequest::Kind::Save, kSaveFilter);
    if (!chosen)
        return;
    // Only a regular file is replaced; a link is followed, and a link that
    // leads nowhere yet counts as a name that exists.
    const SaveTarget target = saveTargetOf(*chosen);
    if (!target.refusal.isEmpty()) {
        dialogs_.message(saveFailedText(*chosen, target.refusal), Buttons::Ok);
        return;
    }
    if ((target.exists || target.isLink) &&
        dialogs_.message(overwriteText(target), Buttons::OkCancel, kFileExistsTitle) != Answer::Ok)
        return;

    QByteArray contents;
    {
        QBuffer buffer(&contents);
        buffer.open(QIODevice::WriteOnly);
        buffer.write(kRegisterFileHeader + "\r\n");
        writeRegsToFile(0, 12, buffer);
        writeRegsToFile(16, 16, buffer);
    }
    const FileResult saved = replaceRegularFile(target.target, contents);
    if (!saved.ok)
        dialogs_.message(saveFailedText(*chosen, saved.reason), Buttons::Ok);
}

void RegisterFiles::writeRegsToFile(int startReg, int stopReg, QIODevice& outFile) {
    const RegisterGrid& grid = window_.grid();
    for (int i = startReg; i <= stopReg; ++i)
        outFile.write(registerLine(grid.caption(i), grid.text(i)));
}

void RegisterFiles::mnuLoadRegisters_Click() {
    // No name is set first: the name used last is offered.
    if (const std::optional<QString> chosen =
            chooseFile(FileDialogRequest::Kind::Open, kLoadFilter))
        writeToChip(*chosen);
}

std::optional<QString> RegisterFiles::chooseFile(FileDialogRequest::Kind kind,
                                                 const QString& filter) {
    // A name typed without an extension gets ".txt" when saving; a load takes
    // the name as it is (a register file need not have an extension).
    const QString extension =
        kind == FileDialogRequest::Kind::Save ? QStringLiteral("txt") : QString();
    const std::optional<QString> chosen =
        dialogs_.fileDialog({kind, CommonDialog1.fileName, extension, filter});
    if (chosen)
        CommonDialog1.fileName = *chosen;
    return chosen;
}

void RegisterFiles::writeToChip(const QString& path) {
    const FileContents file = readRegularFile(path, kMaxRegisterFileBytes);
    if (!file.bytes) {
        dialogs_.message(readFailedText(path, file.reason), Buttons::Ok);
        return;
    }
    const QByteArray& bytes = *file.bytes;
    if (bytes.size() > kMaxRegisterFileBytes) {
        dialogs_.message(
            readFailedText(path, QStringLiteral("It is far larger than any register file.")),
            Buttons::Ok);
        return;
    }

    const RegisterFileCheck check = checkRegisterFile(bytes);
    switch (check.verdict) {
    case RegisterFileCheck::Verdict::NotRegisterFile:
        dialogs_.message(kNotRegisterFileText, Buttons::Ok, kNotRegisterFileTitle);
        return;
    case RegisterFileCheck::Verdict::BadRegisterLine:
        dialogs_.message(badLineText(path, check.lineNumber, check.lineText), Buttons::Ok);
        return;
    case RegisterFileCheck::Verdict::Accepted:
        break;
    }

    BoardLink& link = window_.link();
    link.flushInput();
    for (const RegisterWrite& w : check.writes) {
        const std::uint8_t data[1] = {w.value};
        // Not acknowledged (Retry in the address box) ends the load here; the
        // registers already written stay written and nothing is read back.
        if (link.writeRegisters(window_.deviceAddress, w.reg, 1, data, false) != LINK_OK ||
            window_.isUnloaded())
            return;
    }
    window_.cmdReadAllRegisters_Click();
}
