// The keyboard behaviour shared by the grid cells and the panel's boxes:
// Ctrl+A, Ctrl+C and Ctrl+V on key down, the hex filter on typed characters
// with a limit of two typed characters, and (for the cells) key releases.
#pragma once

#include <QObject>
#include <QSet>
#include <functional>

class QKeyEvent;
class QLineEdit;

// Ctrl+A selects all, Ctrl+C copies the selection (an empty one too), Ctrl+V
// replaces the whole text with the clipboard's, unfiltered and unlimited.
// Acts only when the modifier state is exactly Ctrl.
void handleClipboardKeys(QLineEdit* box, int keyCode, int modifiers);

// The modifier state (1 Shift, 2 Ctrl, 4 Alt) of a key event. For the
// release of a modifier key itself, that key no longer counts.
int modifierStateOf(const QKeyEvent* event);

// The character code a key press types, 0 when it types none. Ctrl with a
// letter types the letter's control character; Alt combinations type none.
int typedCharacterOf(const QKeyEvent* event);

// A key release reaches the box's key-up handler when the key was pressed in
// the box while it kept the focus (a Tab that brought the focus here does not
// count, nor one pressed here before the focus left), once however long it was
// held; the release of a modifier key on its own counts too.
// Every way text can enter the box goes through the filter: typed keys,
// composed or input-method text; Alt and AltGr combinations type nothing.
class HexKeyFilter : public QObject {
    Q_OBJECT
public:
    using KeyUp = std::function<void(int keyCode, int modifiers)>;

    // Installs itself on `box`. The box's designed maximum length becomes the
    // limit for typing only, so that a paste can hold any text.
    explicit HexKeyFilter(QLineEdit* box, KeyUp onKeyUp = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPress(QKeyEvent* event);
    void keyRelease(QKeyEvent* event);
    void typeText(const QString& text);

    QLineEdit* box_;
    KeyUp onKeyUp_;
    int typingLimit_;
    QSet<int> pressedHere_;
};
