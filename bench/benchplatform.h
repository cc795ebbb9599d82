// What the benchmarks put in place of a person: messages answered at once
// (Retry to link messages, No to questions) and an end of the program that is
// only recorded, so that a run can go on measuring.
#pragma once

#include "core/platform/filechooser.h"
#include "core/platform/processend.h"
#include "core/platform/prompt.h"

class AnsweringPrompt : public Prompt, public FileChooser {
public:
    Answer ask(const QString& /*text*/, Buttons buttons, const QString& /*title*/) override {
        ++shown;
        switch (buttons) {
        case Buttons::RetryCancel:
            return Answer::Retry;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::Ok:
        case Buttons::OkCancel:
            break;
        }
        return Answer::Ok;
    }
    void beep() override {}
    std::optional<QString> choose(const FileRequest& /*request*/) override { return std::nullopt; }

    int shown = 0;
};

class RecordedEnd : public ProcessEnd {
public:
    void endProcess(int /*code*/) override { ended = true; }
    bool ended = false;
};
