// A spin box whose hexadecimal numbers read in upper case ("0xF"), as every
// hex text of the program does; lower-case digits typed turn upper case.
#pragma once

#include <QSpinBox>

class HexSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit HexSpinBox(QWidget* parent = nullptr);

protected:
    QString textFromValue(int value) const override;
    QValidator::State validate(QString& text, int& pos) const override;
};
