// Clicking a button as a user would: check boxes and option buttons react
// only on their indicator and caption, not on the whole width a layout gives
// them, so they are clicked near their left edge.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QtTest>

inline void clickButton(QAbstractButton* button) {
    if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    else
        QTest::mouseClick(button, Qt::LeftButton);
}
