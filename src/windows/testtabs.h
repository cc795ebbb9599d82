// The two test tabs of the main window, hidden until the access code is typed
// on the tab strip.
#pragma once

#include <QObject>
#include <QString>

class QTabWidget;

// Four letters, compared with the last four typed characters in lower case.
inline const QString kAccessCode = QStringLiteral("mkvq");

// Whether the last four characters of `typed` are the access code in any case.
bool endsWithAccessCode(const QString& typed);

class TestTabs : public QObject {
    Q_OBJECT
public:
    // Watches the key presses on `SSTab1`'s tab strip.
    explicit TestTabs(QTabWidget* SSTab1, QObject* parent = nullptr);

    // Shows (true) or hides (false) "Tab 1" and "Tab 2" together. Hidden,
    // they are disabled too: no key, wheel or click reaches them.
    void setShown(bool shown);
    // A character typed while the tab strip has the focus; it still takes its
    // normal effect there. Once the code matches, the tabs stay shown.
    void typeOnStrip(QChar c);

    // Every character typed on the tab strip in this run; nothing erases any
    // of them (Backspace is a character like the others).
    const QString& typedKeys() const { return typedKeys_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTabWidget* SSTab1_;
    QString typedKeys_;
};
