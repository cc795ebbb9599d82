// The access code that reveals the test tabs, typed as a user types it: on
// the tab strip that has the focus after start-up, and elsewhere.
#include "controls/testtabs.h"
#include "support/clicks.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QLineEdit>
#include <QTabBar>
#include <QtTest>

namespace {

// Loads the window, makes it active and returns the widget with the focus.
QWidget* focusAfterStart(TestRig& rig) {
    rig.load();
    rig.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&rig.window()))
        return nullptr;
    return QApplication::focusWidget();
}

bool testTabsShown(TestRig& rig) {
    QTabWidget* tabs = rig.window().ui().SSTab1;
    return tabs->isTabVisible(1) && tabs->isTabVisible(2);
}

// Types `keys` on whatever has the focus; \b, \r and \x1b are Backspace,
// Enter and Escape.
void type(const QString& keys) {
    QTest::keyClicks(QApplication::focusWidget(), keys);
}

} // namespace

class TestTestTabs : public QObject {
    Q_OBJECT
private slots:
    void accessCodeOnTheTabStrip_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("shown");
        QTest::newRow("the code") << "mkvq" << true;
        QTest::newRow("upper case") << "MKVQ" << true;
        QTest::newRow("mixed case") << "mKvQ" << true;
        QTest::newRow("after other keys") << "hello mkvq" << true;
        QTest::newRow("fewer than four") << "kvq" << false;
        QTest::newRow("broken by Backspace") << "mk\bvq" << false;
        QTest::newRow("Backspace erases nothing") << "mkvx\bq" << false;
        QTest::newRow("broken by Enter") << "mkv\rq" << false;
        QTest::newRow("broken by Escape") << "m\x1bkvq" << false;
    }
    void accessCodeOnTheTabStrip() {
        QFETCH(QString, keys);
        QFETCH(bool, shown);
        TestRig rig;
        QTabWidget* tabs = rig.create().ui().SSTab1;
        QCOMPARE(focusAfterStart(rig), tabs->tabBar());
        type(keys);
        QCOMPARE(testTabsShown(rig), shown);
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(rig.window().findChild<TestTabs*>()->typedKeys, keys);
    }

    void tabMovesTheFocusAndTypesNothing() {
        TestRig rig;
        QTabWidget* tabs = rig.create().ui().SSTab1;
        QCOMPARE(focusAfterStart(rig), tabs->tabBar());
        type(QStringLiteral("mk"));
        QTest::keyClick(tabs->tabBar(), Qt::Key_Tab);
        QTest::keyClick(tabs->tabBar(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(rig.window().findChild<TestTabs*>()->typedKeys, QStringLiteral("mk"));
    }

    void revealedTabsStayForTheRun() {
        TestRig rig;
        QTabWidget* tabs = rig.create().ui().SSTab1;
        QCOMPARE(focusAfterStart(rig), tabs->tabBar());
        type(QStringLiteral("mkvq"));
        QVERIFY(testTabsShown(rig));
        type(QStringLiteral("abc\b\r\x1bmkvqmk"));
        QVERIFY(testTabsShown(rig));
        QCOMPARE(tabs->currentIndex(), 0);
        // The keys still work the tab strip: the arrow moves to "Tab 1".
        QTest::keyClick(tabs->tabBar(), Qt::Key_Right);
        QCOMPARE(tabs->currentIndex(), 1);
    }

    void keysTypedElsewhereDoNotCount() {
        TestRig rig;
        QTabWidget* tabs = rig.create().ui().SSTab1;
        QCOMPARE(focusAfterStart(rig), tabs->tabBar());
        type(QStringLiteral("mk"));
        rig.window().ui().txtRegister->setFocus();
        QCOMPARE(QApplication::focusWidget(), rig.window().ui().txtRegister);
        type(QStringLiteral("vqmkvq"));
        QVERIFY(!testTabsShown(rig));
        QCOMPARE(rig.window().findChild<TestTabs*>()->typedKeys, QStringLiteral("mk"));
        // Back on the strip (a click on a tab), the two letters that were
        // typed there still count.
        QTabBar* strip = tabs->tabBar();
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(0).center());
        QCOMPARE(QApplication::focusWidget(), strip);
        type(QStringLiteral("vq"));
        QVERIFY(testTabsShown(rig));
    }

    // While hidden, no key, wheel or click makes a test tab current or
    // reaches a control on one.
    void hiddenTabsCannotBeReached_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("wheel");
        QTest::newRow("Right") << int(Qt::Key_Right) << 0 << 0;
        QTest::newRow("End") << int(Qt::Key_End) << 0 << 0;
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier) << 0;
        QTest::newRow("Ctrl+Shift+Tab")
            << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier) << 0;
        QTest::newRow("wheel down") << 0 << 0 << -120;
        QTest::newRow("wheel up") << 0 << 0 << 120;
    }
    void hiddenTabsCannotBeReached() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, wheel);
        TestRig rig;
        QTabWidget* tabs = rig.create().ui().SSTab1;
        QCOMPARE(focusAfterStart(rig), tabs->tabBar());
        rig.clearRecords();
        for (int i = 0; i < 3; ++i) {
            if (key) {
                QTest::keyClick(tabs->tabBar(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
                QTest::keyClick(rig.window().ui().cmdQuit->parentWidget(), Qt::Key(key),
                                Qt::KeyboardModifiers(modifiers));
            } else {
                const QPointF at = tabs->tabBar()->rect().center();
                QWheelEvent turn(at, tabs->tabBar()->mapToGlobal(at), {}, {0, wheel}, Qt::NoButton,
                                 {}, Qt::NoScrollPhase, false);
                QApplication::sendEvent(tabs->tabBar(), &turn);
            }
        }
        QCOMPARE(tabs->currentIndex(), 0);
        clickButton(rig.window().ui().cmdMultiWriteTest);
        QVERIFY(rig.board().received.empty());
    }
};

QTEST_MAIN(TestTestTabs)
#include "tst_testtabs.moc"
