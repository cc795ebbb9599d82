#include "controls/testtabs.h"

#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>

bool endsWithAccessCode(const QString& typed) {
    return typed.size() >= kAccessCode.size() &&
           typed.right(kAccessCode.size()).toLower() == kAccessCode;
}

TestTabs::TestTabs(QTabWidget* SSTab1, QObject* parent) : QObject(parent), SSTab1_(SSTab1) {
    // A click on a tab gives the strip the focus, so the code can be typed
    // after working elsewhere in the window, not only right after start-up.
    SSTab1_->tabBar()->setFocusPolicy(Qt::StrongFocus);
    SSTab1_->tabBar()->installEventFilter(this);
}

void TestTabs::ShowTestTabs(bool value) {
    SSTab1_->setTabVisible(1, value);
    SSTab1_->setTabVisible(2, value);
}

void TestTabs::SSTab1_KeyPress(QChar KeyAscii) {
    typedKeys.append(KeyAscii);
    if (endsWithAccessCode(typedKeys))
        ShowTestTabs(true);
}

bool TestTabs::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Backspace, Enter and Escape come as "\b", "\r" and "\x1b"; Tab
        // moves the focus and types nothing.
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) {
            for (QChar c : key->text())
                SSTab1_KeyPress(c);
        }
    }
    return QObject::eventFilter(watched, event); // the strip still gets the key
}
