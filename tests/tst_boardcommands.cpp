// The board's own commands through the real window: the signal bytes, the
// poll switch and its frame, the LED read-back, the clock list and the
// firmware version, and what a failing command does.
#include "board/boardlink.h"
#include "board/boardpanel.h"
#include "support/clicks.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QtTest>

class TestBoardCommands : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void signalBytesFromTheBoxes() {
        TestRig rig;
        rig.load();
        Ui::frmMain& ui = rig.window().ui();
        ui.chkLED->setChecked(true);
        ui.chkHPDoff_3->setChecked(true); // A
        ui.chkHPDoff_0->setChecked(true); // D
        ui.chkHPDoff_5->setChecked(true); // DDCSEL0
        const Report& last = rig.board().received.back();
        QCOMPARE(last[1], CMD_BOARD_SIGNALS);
        QCOMPARE(last[2], 0);
        QCOMPARE(last[3], 0x01);
        QCOMPARE(last[4], 0x89);
        QCOMPARE(rig.board().switches, 0x89);
        QVERIFY(rig.board().ledOn);
    }

    void pollSwitchEnablesTheManualFrame() {
        TestRig rig;
        rig.load();
        Ui::frmMain& ui = rig.window().ui();
        ui.chkHPDoff_1->setChecked(true); // C, set while the frame is greyed out
        rig.window().ShowTestTabs(true);
        ui.SSTab1->setCurrentIndex(2);
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        rig.clearRecords();

        clickButton(ui.chkDisablePoll);
        QVERIFY(ui.fraManualHPD_DDC_0->isEnabled());
        for (QWidget* w : ui.fraManualHPD_DDC_0->findChildren<QWidget*>())
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QCOMPARE(rig.board().received.size(), 1u);
        QCOMPARE(rig.board().received[0][3], 0x02);
        QCOMPARE(rig.board().received[0][4], 0x02);

        clickButton(ui.chkHPDoff_4); // DDCSEL1, now clickable
        QCOMPARE(rig.board().received.back()[4], 0x42);

        clickButton(ui.chkDisablePoll);
        QVERIFY(!ui.fraManualHPD_DDC_0->isEnabled());
        for (QWidget* w : ui.fraManualHPD_DDC_0->findChildren<QWidget*>())
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QCOMPARE(rig.board().received.back()[3], 0x00);
        QCOMPARE(rig.board().received.back()[4], 0x42); // the switches still go out
    }

    void ledReadBackTicksTheBoxAndSendsOnce() {
        TestRig rig;
        rig.board().ledOn = true;
        rig.load();
        QVERIFY(rig.window().ui().chkLED->isChecked());
        const auto sets = reportsWithCommand(rig.board(), CMD_BOARD_SIGNALS);
        QCOMPARE(sets.size(), 2u); // the query and one set command
        QCOMPARE(sets[0], reportOf({0, 1, 1}));
        QCOMPARE(sets[1][2], 0);
        QCOMPARE(sets[1][3], 0x01);
    }

    void clockListForTwelveMHz() {
        TestRig rig;
        rig.board().baseClockMHz = 12;
        rig.board().divider = 120;
        rig.load();
        QComboBox* combo = rig.window().ui().cboSMBusFrequency;
        QCOMPARE(combo->itemText(0), QStringLiteral("100"));
        QCOMPARE(combo->itemData(0).toInt(), 120);
        QCOMPARE(combo->itemText(1), QStringLiteral("100"));
        QCOMPARE(combo->itemData(1).toInt(), 119);
        QCOMPARE(combo->itemText(2), QStringLiteral("101"));
        QCOMPARE(combo->itemText(combo->count() - 1), QStringLiteral("12000"));
        QCOMPARE(combo->itemData(combo->count() - 1).toInt(), 1);
        QCOMPARE(combo->count(), 120);
        QCOMPARE(combo->currentIndex(), 0);
        const auto clock = reportsWithCommand(rig.board(), CMD_I2C_CLOCK);
        QCOMPARE(clock.size(), 2u);
        QCOMPARE(clock[0], reportOf({0, 3, 1}));
        QCOMPARE(clock[1], reportOf({0, 3, 0, 120}));

        // The user's choice goes to the board.
        combo->setCurrentIndex(combo->count() - 1);
        emit combo->activated(combo->count() - 1);
        QCOMPARE(rig.board().received.back(), reportOf({0, 3, 0, 1}));
        QCOMPARE(rig.board().divider, 1);
    }

    void clockListEdges_data() {
        QTest::addColumn<int>("base");
        QTest::addColumn<int>("divider");
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("selected");
        QTest::newRow("base 0") << 0 << 10 << 0 << -1;
        QTest::newRow("divider below 100 kHz") << 12 << 200 << 120 << -1;
        QTest::newRow("base 40: no overflow, no divider 256") << 40 << 100 << 255 << 155;
        QTest::newRow("base 255") << 255 << 255 << 255 << 0;
    }
    void clockListEdges() {
        QFETCH(int, base);
        QFETCH(int, divider);
        QFETCH(int, items);
        QFETCH(int, selected);
        TestRig rig;
        rig.board().baseClockMHz = static_cast<std::uint8_t>(base);
        rig.board().divider = static_cast<std::uint8_t>(divider);
        rig.load();
        QComboBox* combo = rig.window().ui().cboSMBusFrequency;
        QCOMPARE(combo->count(), items);
        QCOMPARE(combo->currentIndex(), selected);
        const auto clock = reportsWithCommand(rig.board(), CMD_I2C_CLOCK);
        QCOMPARE(clock.size(), selected >= 0 ? 2u : 1u); // a set only when something is selected
        for (int i = 0; i < combo->count(); ++i)
            QVERIFY(combo->itemData(i).toInt() >= 1 && combo->itemData(i).toInt() <= 255);
    }

    void firmwareVersion_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("month");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << QLocale(QLocale::English) << 3
                                 << QStringLiteral("Firmware Version 1.2 - 2007/March/5");
        QTest::newRow("German") << QLocale(QLocale::German) << 3
                                << QStringLiteral("Firmware Version 1.2 - 2007/März/5");
        QTest::newRow("month 13") << QLocale(QLocale::English) << 13
                                  << QStringLiteral("Firmware Version 1.2 - 2007/13/5");
    }
    void firmwareVersion() {
        QFETCH(QLocale, locale);
        QFETCH(int, month);
        QFETCH(QString, text);
        QLocale::setDefault(locale);
        TestRig rig;
        rig.board().firmwareVersion = 0x12;
        rig.board().firmwareYear = 0x07D7;
        rig.board().firmwareMonth = static_cast<std::uint8_t>(month);
        rig.board().firmwareDay = 5;
        rig.load();
        rig.clearRecords();
        rig.dialogs.answer(Answer::Ok);
        rig.window().board().showFirmwareVersion();
        QCOMPARE(rig.board().received.size(), 1u);
        QCOMPARE(rig.board().received[0], reportOf({0, 0, 1}));
        QCOMPARE(rig.dialogs.texts(), QStringList{text});
        QCOMPARE(rig.dialogs.shown[0].buttons, Buttons::Ok);
        QCOMPARE(rig.dialogs.shown[0].title, QStringLiteral("QDM7720A"));
    }

    void refusedCommandWriteReconnectsWithoutRepeating() {
        TestRig rig;
        rig.load();
        rig.clearRecords();
        rig.board().unplugged = true;
        rig.dialogs.answer(Answer::Retry, [&] { rig.board().unplugged = false; });
        rig.window().ui().chkLED->setChecked(true);
        QCOMPARE(rig.dialogs.texts(), QStringList{kCheckGPstatusText});
        QCOMPARE(rig.dialogs.shown[0].buttons, Buttons::RetryCancel);
        // The reconnection ran the read-backs; the LED command was not sent again.
        QCOMPARE(rig.board().received.front(), reportOf({0, 1, 1}));
        for (const Report& r : rig.board().received)
            QVERIFY(!(r[1] == CMD_BOARD_SIGNALS && r[2] == 0 && (r[3] & 1)));
    }

    void silentQueryGivesTheSameDialog() {
        TestRig rig;
        rig.load();
        rig.clearRecords();
        rig.board().answerFaults.push_back(AnswerFault::drop());
        rig.dialogs.answer(Answer::Cancel);
        rig.window().board().showFirmwareVersion();
        QCOMPARE(rig.dialogs.texts(), QStringList{kCheckGPstatusText});
        QVERIFY(rig.ended());
    }
};

QTEST_MAIN(TestBoardCommands)
#include "tst_boardcommands.moc"
