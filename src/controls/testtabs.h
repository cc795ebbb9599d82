// The two test tabs of the main window, hidden until revealed.
#pragma once

#include <QObject>

class QTabWidget;

class TestTabs : public QObject {
    Q_OBJECT
public:
    explicit TestTabs(QTabWidget* SSTab1, QObject* parent = nullptr);

    // Shows (true) or hides (false) "Tab 1" and "Tab 2" together.
    void ShowTestTabs(bool value);

private:
    QTabWidget* SSTab1_;
};
