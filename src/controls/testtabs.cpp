#include "controls/testtabs.h"

#include <QTabWidget>

TestTabs::TestTabs(QTabWidget* SSTab1, QObject* parent) : QObject(parent), SSTab1_(SSTab1) {}

void TestTabs::ShowTestTabs(bool value) {
    SSTab1_->setTabVisible(1, value);
    SSTab1_->setTabVisible(2, value);
}
