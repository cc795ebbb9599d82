// Questions, messages and file choices answered from a script, with a record
// of everything shown; and an end of the process that only counts.
#pragma once

#include "core/platform/filechooser.h"
#include "core/platform/processend.h"
#include "core/platform/prompt.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

class ScriptedPrompt : public Prompt, public FileChooser {
public:
    struct Shown {
        QString text;
        Buttons buttons;
        QString title;
    };

    // The answer to the next message; `before` runs while it is "open".
    void answer(Answer a, std::function<void()> before = {}) {
        script.push_back({a, std::move(before)});
    }
    // The path chosen in the next file dialog (nothing: Cancel).
    void chooseFile(std::optional<QString> path) { files.push_back(std::move(path)); }

    Answer ask(const QString& text, Buttons buttons, const QString& title) override {
        shown.push_back({text, buttons, title});
        if (script.empty()) // unscripted: whatever ends a Retry loop
            return buttons == Buttons::Ok      ? Answer::Ok
                   : buttons == Buttons::YesNo ? Answer::No
                                               : Answer::Cancel;
        auto [a, before] = std::move(script.front());
        script.pop_front();
        if (before)
            before();
        return a;
    }
    void beep() override { ++beeps; }
    std::optional<QString> choose(const FileRequest& request) override {
        requests.push_back(request);
        std::optional<QString> path = files.empty() ? std::nullopt : files.front();
        if (!files.empty())
            files.pop_front();
        return path;
    }

    QStringList texts() const {
        QStringList t;
        for (const Shown& s : shown)
            t << s.text;
        return t;
    }
    void clear() {
        shown.clear();
        requests.clear();
        beeps = 0;
    }

    std::deque<std::pair<Answer, std::function<void()>>> script;
    std::deque<std::optional<QString>> files;
    std::vector<Shown> shown;
    std::vector<FileRequest> requests;
    int beeps = 0;
};

class RecordedEnd : public ProcessEnd {
public:
    void endProcess(int status) override {
        ++calls;
        code = status;
    }
    int calls = 0;
    int code = -1;
};
