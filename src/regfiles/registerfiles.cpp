#include "regfiles/registerfiles.h"

#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "regfiles/registerfile.h"
#include "registers/registergrid.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

// Writes `contents` beside `path` and puts it in the place of `path` only when
// all of it was written.
bool replaceFile(const QString& path, const QByteArray& contents, QString& failure) {
    // Unbuffered: a buffered save file can commit after its last flush
    // stopped short (a full disk); unbuffered, a short write shows here.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        failure = file.errorString();
        return false;
    }
    qsizetype done = 0;
    while (done < contents.size()) {
        const qint64 n = file.write(contents.constData() + done, contents.size() - done);
        if (n <= 0) {
            failure = file.errorString();
            return false; // the part written is discarded with `file`
        }
        done += n;
    }
    if (!file.commit()) {
        failure = file.errorString();
        return false;
    }
    return true;
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
    if (QFileInfo::exists(*chosen) &&
        dialogs_.message(kFileExistsText, Buttons::OkCancel, kFileExistsTitle) != Answer::Ok)
        return;

    QByteArray contents;
    {
        QBuffer buffer(&contents);
        buffer.open(QIODevice::WriteOnly);
        buffer.write(kRegisterFileHeader + "\r\n");
        writeRegsToFile(0, 12, buffer);
        writeRegsToFile(16, 16, buffer);
    }
    QString failure;
    if (!replaceFile(*chosen, contents, failure))
        dialogs_.message(saveFailedText(*chosen, failure), Buttons::Ok);
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
    const std::optional<QString> chosen =
        dialogs_.fileDialog({kind, CommonDialog1.fileName, QStringLiteral("txt"), filter});
    if (chosen)
        CommonDialog1.fileName = *chosen;
    return chosen;
}

void RegisterFiles::writeToChip(const QString& path) {
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(kMaxRegisterFileBytes + 1);
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        dialogs_.message(readFailedText(path, file.errorString()), Buttons::Ok);
        return;
    }
    file.close();
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
