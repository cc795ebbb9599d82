// The prompt and the file choice as the windows show them: message boxes
// without icon over the active window, and the file dialog.
#pragma once

#include "core/platform/filechooser.h"
#include "core/platform/prompt.h"

#include <QStringList>

class QtPrompt : public Prompt, public FileChooser {
public:
    Answer ask(const QString& text, Buttons buttons, const QString& title = kAppTitle) override;
    void beep() override;
    std::optional<QString> choose(const FileRequest& request) override;
};

// "Text File (*.TXT)|*.txt| All Files (*.*)|*.*|" as the file dialog shows
// and matches it: "Text File (*.txt)", "All Files (*)".
QStringList qtNameFilters(const QString& filter);
