// Every message box and file dialog of the program goes through this seam:
// the Qt implementation shows them, tests answer them from a script.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

// The title of every message box that names none of its own.
inline const QString kAppTitle = QStringLiteral("QDM7720A");

enum class Buttons { Ok, OkCancel, RetryCancel, YesNo };

// The answer codes of a message box, as the shared `dialogAnswer` keeps them.
namespace Answer {
constexpr std::int16_t Ok = 1;
constexpr std::int16_t Cancel = 2;
constexpr std::int16_t Retry = 4;
constexpr std::int16_t Yes = 6;
constexpr std::int16_t No = 7;
} // namespace Answer

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString fileName;   // offered at first; empty offers nothing
    QString defaultExt; // added to a name typed without one
    QString filter;     // description|pattern|description|pattern|...
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message box without icon; returns one of the Answer codes.
    virtual std::int16_t message(const QString& text, Buttons buttons,
                                 const QString& title = kAppTitle) = 0;
    // The chosen file's path, or nothing when the user cancelled.
    virtual std::optional<QString> fileDialog(const FileDialogRequest& request) = 0;
    virtual void beep() = 0;
};

class QtDialogs : public Dialogs {
public:
    std::int16_t message(const QString& text, Buttons buttons,
                         const QString& title = kAppTitle) override;
    std::optional<QString> fileDialog(const FileDialogRequest& request) override;
    void beep() override;
};

// "Text File (*.TXT)|*.txt| All Files (*.*)|*.*|" as Qt name filters:
// "Text File (*.txt)", "All Files (*)".
QStringList qtNameFilters(const QString& filter);
