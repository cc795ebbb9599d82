// Message boxes and file dialogs answered from a script, with a record of
// everything that was shown.
#pragma once

#include "app/dialogs.h"

#include <deque>
#include <functional>
#include <vector>

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString text;
        Buttons buttons;
        QString title;
    };
    struct Step {
        std::int16_t answer;
        std::function<void()> before; // runs while the box is "open"
    };

    // Queue the answer to the next message box.
    void answer(std::int16_t code, std::function<void()> before = {});
    // Queue the path chosen in the next file dialog (nothing: Cancel).
    void chooseFile(std::optional<QString> path);

    std::int16_t message(const QString& text, Buttons buttons, const QString& title) override;
    std::optional<QString> fileDialog(const FileDialogRequest& request) override;
    void beep() override { ++beeps; }

    // Texts of the messages shown so far.
    QStringList texts() const;
    void clear();

    std::vector<Shown> shown;
    std::vector<FileDialogRequest> fileRequests;
    std::deque<Step> script;
    std::deque<std::optional<QString>> files;
    int beeps = 0;
    // Messages and file dialogs that found their script empty. Without a
    // policy they are answered with Cancel (or No, or OK, or no file), which
    // ends any Retry loop.
    int unscripted = 0;
    // Answers for whatever finds the script empty, in place of the above.
    std::function<std::int16_t(const Shown&)> messagePolicy;
    std::function<std::optional<QString>(const FileDialogRequest&)> filePolicy;
};
