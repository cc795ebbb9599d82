#include "windows/hexspinbox.h"

HexSpinBox::HexSpinBox(QWidget* parent) : QSpinBox(parent) {
    setDisplayIntegerBase(16);
}

QString HexSpinBox::textFromValue(int value) const {
    return QSpinBox::textFromValue(value).toUpper();
}

QValidator::State HexSpinBox::validate(QString& text, int& pos) const {
    // The prefix ("0x") stays as it is; the digits after it go upper case.
    if (text.startsWith(prefix()))
        text = prefix() + text.mid(prefix().size()).toUpper();
    return QSpinBox::validate(text, pos);
}
