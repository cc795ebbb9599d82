#include "support/scripteddialogs.h"

#include <QStringList>

void ScriptedDialogs::answer(std::int16_t code, std::function<void()> before) {
    script.push_back({code, std::move(before)});
}

void ScriptedDialogs::chooseFile(std::optional<QString> path) {
    files.push_back(std::move(path));
}

std::int16_t ScriptedDialogs::message(const QString& text, Buttons buttons, const QString& title) {
    shown.push_back({text, buttons, title});
    if (script.empty()) {
        ++unscripted;
        if (messagePolicy)
            return messagePolicy(shown.back());
        switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }
    Step step = std::move(script.front());
    script.pop_front();
    if (step.before)
        step.before();
    return step.answer;
}

std::optional<QString> ScriptedDialogs::fileDialog(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (files.empty()) {
        ++unscripted;
        return filePolicy ? filePolicy(request) : std::nullopt;
    }
    const QString path = files.front().value_or(QString());
    const bool chosen = files.front().has_value();
    files.pop_front();
    return chosen ? std::optional<QString>(path) : std::nullopt;
}

QStringList ScriptedDialogs::texts() const {
    QStringList t;
    for (const Shown& s : shown)
        t << s.text;
    return t;
}

void ScriptedDialogs::clear() {
    shown.clear();
    fileRequests.clear();
    unscripted = 0;
    beeps = 0;
}
