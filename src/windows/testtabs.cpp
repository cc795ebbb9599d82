#include "windows/testtabs.h"

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

void TestTabs::setShown(bool shown) {
    // The tab strip skips disabled tabs when it navigates (arrows, Home/End,
    // Ctrl+Tab, the wheel), not hidden ones; a disabled page takes no input.
    for (int index : {1, 2}) {
        SSTab1_->setTabEnabled(index, shown);
        SSTab1_->setTabVisible(index, shown);
    }
}

void TestTabs::typeOnStrip(QChar c) {
    typedKeys_.append(c);
    if (endsWithAccessCode(typedKeys_))
        setShown(true);
}

bool TestTabs::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Backspace, Enter and Escape come as "\b", "\r" and "\x1b"; Tab
        // moves the focus and types nothing.
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) {
            for (QChar c : key->text())
                typeOnStrip(c);
        }
    }
    return QObject::eventFilter(watched, event); // the strip still gets the key
}
