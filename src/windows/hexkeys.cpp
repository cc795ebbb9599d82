#include "windows/hexkeys.h"

#include "core/operations/celledit.h"
#include "core/registers/hextext.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

void handleClipboardKeys(QLineEdit* box, int keyCode, int modifiers) {
    if (modifiers != kCtrlMask)
        return;
    QClipboard* clipboard = QApplication::clipboard();
    switch (keyCode) {
    case Qt::Key_A:
        box->setSelection(0, static_cast<int>(box->text().length()));
        break;
    case Qt::Key_C:
        clipboard->clear();
        clipboard->setText(box->selectedText());
        break;
    case Qt::Key_V:
        box->setText(clipboard->text());
        break;
    default:
        break;
    }
}

int modifierStateOf(const QKeyEvent* event) {
    const Qt::KeyboardModifiers m = event->modifiers();
    int state = (m & Qt::ShiftModifier ? kShiftMask : 0) |
                (m & Qt::ControlModifier ? kCtrlMask : 0) | (m & Qt::AltModifier ? kAltMask : 0);
    if (event->type() == QEvent::KeyRelease) {
        switch (event->key()) {
        case Qt::Key_Shift:
            state &= ~kShiftMask;
            break;
        case Qt::Key_Control:
            state &= ~kCtrlMask;
            break;
        case Qt::Key_Alt:
            state &= ~kAltMask;
            break;
        default:
            break;
        }
    }
    return state;
}

int typedCharacterOf(const QKeyEvent* event) {
    const QString text = event->text();
    // Tab moves the focus and Delete edits: neither types a character.
    if (text.isEmpty() || event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
        event->key() == Qt::Key_Delete)
        return 0;
    const Qt::KeyboardModifiers m = event->modifiers();
    if (m & Qt::AltModifier)
        return 0;
    const char16_t c = text.front().unicode();
    if (m & Qt::ControlModifier) {
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 1;
        if (c >= 'A' && c <= 'Z')
            return c - 'A' + 1;
        return c < 32 ? c : 0;
    }
    return c;
}

HexKeyFilter::HexKeyFilter(QLineEdit* box, KeyUp onKeyUp)
    : QObject(box), box_(box), onKeyUp_(std::move(onKeyUp)), typingLimit_(box->maxLength()) {
    box_->setMaxLength(32767);
    // Text dropped on the box, pasted from its context menu or with the middle
    // button would pass the filter by.
    box_->setAcceptDrops(false);
    box_->setContextMenuPolicy(Qt::NoContextMenu);
    // Composed and input-method text would pass it by too: the box takes
    // keys only, and a commit that arrives all the same is filtered below.
    box_->setAttribute(Qt::WA_InputMethodEnabled, false);
    box_->installEventFilter(this);
}

bool HexKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        // A disabled box takes no keys, whoever gave it the focus.
        return !box_->isEnabled() || keyPress(static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        if (!box_->isEnabled())
            return true;
        keyRelease(static_cast<QKeyEvent*>(event));
        return false;
    case QEvent::FocusOut:
        // A key counts for the box only while the box has the focus: a Tab
        // or Shift pressed here and released in the next box is forgotten,
        // or it would count as a key released here when the focus returns.
        pressedHere_.clear();
        return false;
    case QEvent::InputMethod:
        if (box_->isEnabled())
            typeText(static_cast<QInputMethodEvent*>(event)->commitString());
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
    default:
        return false;
    }
}

void HexKeyFilter::keyRelease(QKeyEvent* event) {
    // A held key is released once, however long it repeated.
    if (event->isAutoRepeat() || !onKeyUp_ || !pressedHere_.remove(event->key()))
        return;
    // The release of a modifier key on its own goes on like any other key:
    // writing the same value again is harmless.
    onKeyUp_(event->key(), modifierStateOf(event));
}

// Inserts the characters of `text` that the filter lets through, within the
// typing limit, as if each had been typed.
void HexKeyFilter::typeText(const QString& text) {
    for (QChar c : text) {
        const int keyAscii = filterHexKey(c.unicode());
        if (keyAscii == 0 || keyAscii == 8 || keyAscii == 13)
            continue;
        const qsizetype kept = box_->text().length() - box_->selectedText().length();
        if (kept >= typingLimit_)
            return;
        box_->insert(QString(QChar(static_cast<char16_t>(keyAscii))));
    }
}

// Returns true when the box must not see the key.
bool HexKeyFilter::keyPress(QKeyEvent* event) {
    if (!event->isAutoRepeat())
        pressedHere_.insert(event->key());
    const int shift = modifierStateOf(event);
    handleClipboardKeys(box_, event->key(), shift);
    // The box's own cut, paste, undo and redo would pass the filter by.
    if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
        return true;

    const int typed = typedCharacterOf(event);
    if (typed == 0) {
        // Alt and Ctrl+Alt (AltGr) combinations type nothing, though the box
        // would insert their character; arrows, Delete, Home... work as usual.
        const QString text = event->text();
        return !text.isEmpty() && text.front().isPrint();
    }
    const int keyAscii = filterHexKey(typed);
    if (keyAscii == 0)
        return true;
    if (keyAscii == 8 || keyAscii == 13)
        return false;
    const qsizetype kept = box_->text().length() - box_->selectedText().length();
    if (kept >= typingLimit_)
        return true;
    if (keyAscii == typed)
        return false;
    box_->insert(QString(QChar(static_cast<char16_t>(keyAscii))));
    return true;
}
