#include "windows/qtprompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace {

QWidget* dialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// A file dialog that takes a typed name as fileNameFor() says. A save dialog
// adds the suffix itself; an open dialog would add it to a name that exists
// without one, so the name is looked at here, before the dialog checks that
// the file exists.
class FileDialog : public QFileDialog {
public:
    FileDialog(QWidget* parent, const FileRequest& request)
        : QFileDialog(parent), request_(request) {}

    void accept() override {
        const QStringList typed = selectedFiles();
        const QString name = typed.size() == 1 ? fileNameFor(request_, typed[0]) : QString();
        if (request_.kind == FileRequest::Kind::Open && !name.isEmpty() && name != typed[0]) {
            // selectFile() leaves a name edit that has the focus as it is.
            if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                edit->setText(name);
            else
                selectFile(name);
        }
        QFileDialog::accept();
    }

private:
    const FileRequest& request_;
};

} // namespace

Answer QtPrompt::ask(const QString& text, Buttons buttons, const QString& title) {
    QMessageBox::StandardButtons standard;
    switch (buttons) {
    case Buttons::Ok:
        standard = QMessageBox::Ok;
        break;
    case Buttons::OkCancel:
        standard = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case Buttons::RetryCancel:
        standard = QMessageBox::Retry | QMessageBox::Cancel;
        break;
    case Buttons::YesNo:
        standard = QMessageBox::Yes | QMessageBox::No;
        break;
    }
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, title, shown, standard, dialogParent());
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QStringList qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            // "*.*" means every file, also those without a dot in their name.
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        // Qt shows the patterns in parentheses after the description and reads
        // them from there: a description that names its own drops them, so
        // that what is shown is what is matched.
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0)
                description = description.left(open).trimmed();
        }
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

std::optional<QString> QtPrompt::choose(const FileRequest& request) {
    FileDialog dialog(dialogParent(), request);
    const bool save = request.kind == FileRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(qtNameFilters(request.filter));
    if (save)
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return fileNameFor(request, dialog.selectedFiles().constFirst());
}

void QtPrompt::beep() {
    QApplication::beep();
}
