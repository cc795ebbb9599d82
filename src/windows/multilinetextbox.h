// A multi-line text box whose text is exactly what was put into it: line
// breaks stay "\r\n" when read back, where the document underneath keeps
// only paragraphs. The user can read, select and copy the text, not edit it.
#pragma once

#include <QPlainTextEdit>

class MultiLineTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MultiLineTextBox(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

private:
    QString text_;
};
