// Read All: burst and single mode, and what a register that is not
// acknowledged leaves in the grid.
#include "board/boardlink.h"
#include "registers/registergrid.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QtTest>

namespace {

void fillChip(SimChip& chip) {
    for (int r = 0x02; r <= 0x10; ++r)
        chip.registers[r] = static_cast<std::uint8_t>(0xA0 + r);
}

} // namespace

class TestReadAll : public QObject {
    Q_OBJECT
private slots:
    void burstReadsTwoRanges() {
        TestRig rig;
        rig.loadAndSettle();
        fillChip(rig.chip());
        rig.chip().registers[0x0C] = 0x5C;
        QTest::mouseClick(rig.window().ui().cmdReadAllRegisters, Qt::LeftButton);
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 (std::vector<Report>{i2cRead(0x00, 0x00, 13), i2cRead(0x00, 0x10, 1)}));
        RegisterGrid& grid = rig.window().grid();
        QCOMPARE(grid.text(0x00), QStringLiteral("31"));
        QCOMPARE(grid.text(0x02), QStringLiteral("A2"));
        QCOMPARE(grid.text(0x0C), QStringLiteral("5C")); // the 13th byte of the first answer
        QCOMPARE(grid.text(0x10), QStringLiteral("B0"));
        // Nothing outside the main set is touched.
        for (int r : {13, 14, 15, 17, 18, 19, 20, 21, 22})
            QVERIFY(grid.text(r).isEmpty());
        QVERIFY(rig.dialogs.shown.empty());
    }

    void singleReadsEachRegister() {
        TestRig rig;
        rig.loadAndSettle();
        fillChip(rig.chip());
        rig.window().ui().chkBurstRead->setChecked(false);
        rig.window().cmdReadAllRegisters_Click();
        std::vector<Report> expected;
        for (int r : kMainRegisters)
            expected.push_back(i2cRead(0x00, r, 1));
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C), expected);
        QCOMPARE(rig.window().grid().text(0x09), QStringLiteral("A9"));
        QCOMPARE(rig.window().grid().text(0x10), QStringLiteral("B0"));
    }

    void singleModeStopsAtARegisterNotAcknowledged() {
        TestRig rig;
        rig.loadAndSettle();
        fillChip(rig.chip());
        RegisterGrid& grid = rig.window().grid();
        for (int r : kMainRegisters)
            grid.setText(r, QStringLiteral("--"));
        rig.window().ui().chkBurstRead->setChecked(false);
        for (int i = 0; i < 5; ++i)
            rig.board().answerFaults.push_back(AnswerFault::none());
        rig.board().answerFaults.push_back(AnswerFault::withStatus(0x01)); // register 0x05
        rig.dialogs.answer(Answer::Retry);
        rig.window().cmdReadAllRegisters_Click();

        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).size(), 6u); // 0x10 is never asked for
        QCOMPARE(grid.text(0x04), QStringLiteral("A4"));
        for (int r : {0x05, 0x06, 0x0C, 0x10})
            QCOMPARE(grid.text(r), QStringLiteral("--"));
    }

    void burstNotAcknowledgedKeepsTheGrid() {
        TestRig rig(1, 0x20); // nothing at the address byte 0
        rig.loadAndSettle();
        RegisterGrid& grid = rig.window().grid();
        grid.setText(0x03, QStringLiteral("12"));
        rig.dialogs.answer(Answer::Retry);
        rig.window().cmdReadAllRegisters_Click();
        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).size(), 1u);
        QCOMPARE(grid.text(0x03), QStringLiteral("12"));
        QVERIFY(grid.text(0x10).isEmpty());

        rig.dialogs.answer(Answer::Cancel);
        rig.window().cmdReadAllRegisters_Click();
        QVERIFY(rig.ended());
    }

    void staleInputIsNotTakenForTheAnswer() {
        TestRig rig;
        rig.loadAndSettle();
        Report stale = reportOf({0, 0});
        stale.fill(0xEE);
        stale[0] = 0;
        stale[1] = 0;
        rig.board().queueInput(stale);
        rig.window().cmdReadAllRegisters_Click();
        QCOMPARE(rig.window().grid().text(0x00), QStringLiteral("31"));
        QCOMPARE(rig.window().grid().text(0x10), QStringLiteral("10"));
    }

    void disabledCellsShowValuesAndCountersClear() {
        TestRig rig;
        rig.loadAndSettle();
        rig.chip().registers[0x0A] = 0x07;
        rig.chip().registers[0x01] = 0x05;
        rig.window().cmdReadAllRegisters_Click();
        QCOMPARE(rig.window().grid().text(0x0A), QStringLiteral("07"));
        QCOMPARE(rig.window().grid().text(0x01), QStringLiteral("05"));
        QVERIFY(!rig.window().grid().cell(0x0A)->isEnabled());
        rig.window().cmdReadAllRegisters_Click();
        QCOMPARE(rig.window().grid().text(0x0A), QStringLiteral("00"));
    }
};

QTEST_MAIN(TestReadAll)
#include "tst_readall.moc"
