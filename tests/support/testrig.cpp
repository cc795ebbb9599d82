#include "support/testrig.h"

#include <QTest>

TestRig::TestRig(int boards, std::uint8_t chipAddress7) {
    for (int i = 0; i < boards; ++i)
        transport.addBoard().addChip(chipAddress7);
}

TestRig::~TestRig() = default;

MainWindow& TestRig::create() {
    if (!window_) {
        window_ = std::make_unique<MainWindow>(
            Platform{transport, dialogs, clock, exit, nullptr, &systemInfo});
        // Keep tests quick where an answer never comes.
        window_->link().answerLimitMs = 50;
    }
    return *window_;
}

MainWindow& TestRig::load() {
    create();
    window_->Form_Load();
    if (!ended())
        window_->show();
    return *window_;
}

MainWindow& TestRig::loadAndSettle() {
    for (int i = 0; i < 4; ++i)
        dialogs.answer(Answer::Retry);
    load();
    dialogs.script.clear();
    if (window_->isVisible() && !QTest::qWaitForWindowExposed(window_.get()))
        qWarning("the main window was not exposed");
    clearRecords();
    return *window_;
}

void TestRig::clearRecords() {
    for (std::size_t i = 0; i < transport.boardCount(); ++i)
        transport.board(i).received.clear();
    dialogs.clear();
}
