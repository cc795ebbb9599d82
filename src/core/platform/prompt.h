// Every question and message the program puts to its user goes through this
// seam: the windows show message boxes, tests answer from a script, and a
// script's tool asks nothing.
#pragma once

#include <QString>

// The title of every message box that names none of its own.
inline const QString kAppTitle = QStringLiteral("QDM7720A");

enum class Buttons { Ok, OkCancel, RetryCancel, YesNo };
enum class Answer { Ok, Cancel, Retry, Yes, No };

class Prompt {
public:
    virtual ~Prompt() = default;
    // A modal message without icon; returns the button chosen.
    virtual Answer ask(const QString& text, Buttons buttons, const QString& title = kAppTitle) = 0;
    // A short signal that a key or value was refused.
    virtual void beep() = 0;
};
