// The termination recalibration pulse and the multi-write test through the
// real window: the transfers byte for byte, what the grid shows during and
// after the pause, that the window stays live meanwhile, and the failures.
#include "board/boardlink.h"
#include "registers/registergrid.h"
#include "support/clicks.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

void showTab2(TestRig& rig) {
    rig.loadAndSettle();
    rig.window().ShowTestTabs(true);
    rig.window().ui().SSTab1->setCurrentIndex(2);
}

void setCells(TestRig& rig, std::initializer_list<std::pair<int, const char*>> cells) {
    for (const auto& [address, text] : cells)
        rig.window().grid().setText(address, QString::fromLatin1(text));
}

// Runs `during` from the event loop, which only a wait that handles window
// events gives a chance to run before the current handler ends.
void whileWaiting(std::function<void()> during) {
    QTimer::singleShot(0, std::move(during));
}

} // namespace

class TestChipControls : public QObject {
    Q_OBJECT
private slots:
    void recalibrationPulse_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("default 0x12") << 0x12 << 0x92 << 0x12;
        QTest::newRow("bit 7 already set") << 0x80 << 0x80 << 0x00;
    }
    void recalibrationPulse() {
        QFETCH(int, before);
        QFETCH(int, high);
        QFETCH(int, low);
        TestRig rig;
        rig.loadAndSettle();
        rig.chip().registers[0x03] = static_cast<std::uint8_t>(before);
        QString cellDuringPulse;
        int chipDuringPulse = -1;
        whileWaiting([&] {
            cellDuringPulse = rig.window().grid().text(3);
            chipDuringPulse = rig.chip().registers[0x03];
        });
        const long sleptBefore = rig.clock.sleptMs;

        clickButton(rig.window().ui().cmdReCal);
        QCOMPARE(cellDuringPulse, QString::asprintf("%02X", high));
        QCOMPARE(chipDuringPulse, high);
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 (std::vector<Report>{i2cRead(0x00, 0x03, 1), i2cWrite(0x00, 0x03, {high}),
                                      i2cWrite(0x00, 0x03, {low})}));
        QCOMPARE(rig.window().grid().text(3), QString::asprintf("%02X", low));
        QCOMPARE(rig.chip().registers[0x03], low);
        QVERIFY(rig.clock.sleptMs - sleptBefore >= 100);
        QVERIFY(rig.dialogs.shown.empty());
    }

    void recalibrationWithoutChipWritesNothing() {
        TestRig rig;
        rig.loadAndSettle();
        rig.window().deviceAddress = 0x90;
        setCells(rig, {{3, "12"}});
        rig.dialogs.answer(Answer::Retry);
        clickButton(rig.window().ui().cmdReCal);
        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 std::vector<Report>{i2cRead(0x90, 0x03, 1)});
        QCOMPARE(rig.window().grid().text(3), QStringLiteral("12"));
    }

    void multiWriteShowsTheReadBack() {
        TestRig rig;
        showTab2(rig);
        setCells(rig, {{5, "55"}, {6, "66"}, {7, "77"}, {8, "88"}, {9, "99"}});
        // Something else changes register 0x07 between the write and the read.
        whileWaiting([&] { rig.chip().registers[0x07] = 0x5A; });
        const long sleptBefore = rig.clock.sleptMs;

        clickButton(rig.window().ui().cmdMultiWriteTest);
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 (std::vector<Report>{i2cWrite(0x00, 0x06, {0x01, 0x01, 0x01}),
                                      i2cRead(0x00, 0x06, 3)}));
        QCOMPARE(rig.chip().registers[0x06], 0x01);
        QCOMPARE(rig.chip().registers[0x08], 0x01);
        QCOMPARE(rig.window().grid().text(6), QStringLiteral("01"));
        QCOMPARE(rig.window().grid().text(7), QStringLiteral("5A"));
        QCOMPARE(rig.window().grid().text(8), QStringLiteral("01"));
        QCOMPARE(rig.window().grid().text(5), QStringLiteral("55"));
        QCOMPARE(rig.window().grid().text(9), QStringLiteral("99"));
        QVERIFY(rig.clock.sleptMs - sleptBefore >= 200);
        QVERIFY(rig.dialogs.shown.empty());
    }

    void multiWriteToAWrongAddressLeavesTheCells() {
        TestRig rig;
        showTab2(rig);
        rig.window().deviceAddress = 0x90;
        setCells(rig, {{6, "66"}, {7, "77"}, {8, "88"}});
        rig.dialogs.answer(Answer::Retry);
        clickButton(rig.window().ui().cmdMultiWriteTest);
        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).size(), 1u);
        QCOMPARE(rig.window().grid().text(6), QStringLiteral("66"));
        QCOMPARE(rig.window().grid().text(7), QStringLiteral("77"));
        QCOMPARE(rig.window().grid().text(8), QStringLiteral("88"));
    }

    void multiWriteReadBackTimeoutShowsZeros() {
        TestRig rig;
        showTab2(rig);
        setCells(rig, {{6, "66"}, {7, "77"}, {8, "88"}});
        rig.board().answerFaults = {AnswerFault::none(), AnswerFault::drop()};
        clickButton(rig.window().ui().cmdMultiWriteTest);
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).size(), 2u);
        QCOMPARE(rig.chip().registers[0x07], 0x01);
        for (int r = 6; r <= 8; ++r)
            QCOMPARE(rig.window().grid().text(r), QStringLiteral("00"));
        QVERIFY(rig.dialogs.shown.empty());
        QVERIFY(!rig.ended());
    }
};

QTEST_MAIN(TestChipControls)
#include "tst_chipcontrols.moc"
