// What the benchmarks put in place of a person: message boxes answered at
// once (Retry to link messages, No to questions) and an end of the program
// that is only recorded, so that a run can go on measuring.
#pragma once

#include "app/dialogs.h"
#include "app/processexit.h"

class AnsweringDialogs : public Dialogs {
public:
    std::int16_t message(const QString& /*text*/, Buttons buttons,
                         const QString& /*title*/ = kAppTitle) override {
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
    std::optional<QString> fileDialog(const FileDialogRequest& /*request*/) override {
        return std::nullopt;
    }
    void beep() override {}

    int shown = 0;
};

class RecordedExit : public ProcessExit {
public:
    void endProcess(int /*code*/) override { ended = true; }
    bool ended = false;
};
