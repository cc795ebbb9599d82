// The individual read/write panel: reading the register named, the two-value
// toggle, and the register numbers it accepts.
#include "board/boardlink.h"
#include "registers/individualpanel.h"
#include "registers/registergrid.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QtTest>

class TestIndividualPanel : public QObject {
    Q_OBJECT
private slots:
    void registerNumbers_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("read");
        QTest::newRow("0C") << "0C"
                            << "0C" << 0x0C;
        QTest::newRow("10") << "10"
                            << "10" << 0x10;
        QTest::newRow("single digit") << "5"
                                      << "05" << 0x05;
        QTest::newRow("empty") << ""
                               << "00" << 0x00;
        QTest::newRow("0D") << "0D"
                            << "10" << 0x10;
        QTest::newRow("0F") << "0F"
                            << "10" << 0x10;
        QTest::newRow("11") << "11"
                            << "10" << 0x10;
        QTest::newRow("FF") << "FF"
                            << "10" << 0x10;
        QTest::newRow("pasted 0x05") << " 0x05"
                                     << "05" << 0x05;
        QTest::newRow("pasted 1234") << "1234"
                                     << "1234" << -1;
        QTest::newRow("pasted zz") << "zz"
                                   << "zz" << -1;
    }
    void registerNumbers() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, read);
        TestRig rig;
        rig.loadAndSettle();
        Ui::frmMain& ui = rig.window().ui();
        ui.txtRegister->setText(typed);
        if (read < 0) { // no register: a beep, the text kept, nothing read or written
            QTest::mouseClick(ui.cmdReadIndividual, Qt::LeftButton);
            QTest::mouseClick(ui.cmdWriteIndividual_0, Qt::LeftButton);
            QCOMPARE(ui.txtRegister->text(), shown);
            QCOMPARE(rig.dialogs.beeps, 2);
            QVERIFY(reportsWithCommand(rig.board(), CMD_I2C).empty());
            return;
        }
        rig.chip().registers[read] = 0x5A;
        QTest::mouseClick(ui.cmdReadIndividual, Qt::LeftButton);
        QCOMPARE(ui.txtRegister->text(), shown);
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 std::vector<Report>{i2cRead(0x00, read, 1)});
        QCOMPARE(ui.txtReadIndividual->text(), QStringLiteral("5A"));
        QVERIFY(rig.window().grid().text(read).isEmpty()); // a read shows only in the panel
    }

    void toggleBetweenTwoValues() {
        TestRig rig;
        rig.loadAndSettle();
        Ui::frmMain& ui = rig.window().ui();
        ui.txtRegister->setText(QStringLiteral("06"));
        ui.txtWriteIndividual_0->setText(QStringLiteral("0"));
        ui.txtWriteIndividual_1->setText(QStringLiteral("FF"));
        // Register at 00: button 0's own value equals it, so the other one goes.
        QTest::mouseClick(ui.cmdWriteIndividual_0, Qt::LeftButton);
        QCOMPARE(rig.chip().registers[0x06], 0xFF);
        QCOMPARE(ui.txtWriteIndividual_0->text(),
                 QStringLiteral("00")); // its own value, two digits
        QCOMPARE(ui.txtReadIndividual->text(), QStringLiteral("FF"));
        QCOMPARE(rig.window().grid().text(0x06), QStringLiteral("FF"));

        // Register at FF: button 0's own 00 goes.
        QTest::mouseClick(ui.cmdWriteIndividual_0, Qt::LeftButton);
        QCOMPARE(rig.chip().registers[0x06], 0x00);
        QCOMPARE(rig.window().grid().text(0x06), QStringLiteral("00"));

        // Register at FF: button 1's own value equals it, so 00 goes.
        rig.chip().registers[0x06] = 0xFF;
        QTest::mouseClick(ui.cmdWriteIndividual_1, Qt::LeftButton);
        QCOMPARE(rig.chip().registers[0x06], 0x00);

        // Each press: read, write, read back.
        const auto i2c = reportsWithCommand(rig.board(), CMD_I2C);
        QCOMPARE(i2c.size(), 9u);
        QCOMPARE(i2c[0], i2cRead(0x00, 0x06, 1));
        QCOMPARE(i2c[1], i2cWrite(0x00, 0x06, {0xFF}));
        QCOMPARE(i2c[2], i2cRead(0x00, 0x06, 1));
        QCOMPARE(i2c[7], i2cWrite(0x00, 0x06, {0x00}));
    }

    void equalValuesAlwaysWriteThatValue() {
        TestRig rig;
        rig.loadAndSettle();
        Ui::frmMain& ui = rig.window().ui();
        ui.txtRegister->setText(QStringLiteral("05"));
        ui.txtWriteIndividual_0->setText(QStringLiteral("3C"));
        ui.txtWriteIndividual_1->setText(QStringLiteral("3C"));
        for (int i = 0; i < 2; ++i)
            QTest::mouseClick(ui.cmdWriteIndividual_1, Qt::LeftButton);
        const auto i2c = reportsWithCommand(rig.board(), CMD_I2C);
        QCOMPARE(i2c[1], i2cWrite(0x00, 0x05, {0x3C}));
        QCOMPARE(i2c[4], i2cWrite(0x00, 0x05, {0x3C}));
    }

    void readNotAcknowledgedStopsTheToggle() {
        TestRig rig(1, 0x20);
        rig.loadAndSettle();
        Ui::frmMain& ui = rig.window().ui();
        ui.txtReadIndividual->setText(QStringLiteral("77"));
        rig.dialogs.answer(Answer::Retry);
        QTest::mouseClick(ui.cmdWriteIndividual_0, Qt::LeftButton);
        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).size(), 1u); // no write
        QCOMPARE(ui.txtReadIndividual->text(), QStringLiteral("77"));
    }

    void writeNotAcknowledgedStillReadsBack() {
        TestRig rig;
        rig.loadAndSettle();
        rig.chip().registers[0x04] = 0x21;
        Ui::frmMain& ui = rig.window().ui();
        ui.txtRegister->setText(QStringLiteral("04"));
        ui.txtWriteIndividual_0->setText(QStringLiteral("99"));
        rig.board().answerFaults = {AnswerFault::none(), AnswerFault::withStatus(0x01)};
        rig.dialogs.answer(Answer::Retry);
        QTest::mouseClick(ui.cmdWriteIndividual_0, Qt::LeftButton);
        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        QCOMPARE(ui.txtReadIndividual->text(), QStringLiteral("21"));
        QCOMPARE(rig.window().grid().text(0x04), QStringLiteral("21"));
    }

    void aFailedReadBackShowsTheValueReadBefore() {
        TestRig rig;
        rig.loadAndSettle();
        rig.chip().registers[0x04] = 0x21;
        Ui::frmMain& ui = rig.window().ui();
        ui.txtRegister->setText(QStringLiteral("04"));
        ui.txtWriteIndividual_0->setText(QStringLiteral("99"));
        rig.board().answerFaults = {AnswerFault::none(), AnswerFault::none(), AnswerFault::drop()};
        QTest::mouseClick(ui.cmdWriteIndividual_0, Qt::LeftButton);
        QCOMPARE(rig.chip().registers[0x04], 0x99);
        QCOMPARE(ui.txtReadIndividual->text(), QStringLiteral("21"));
        QVERIFY(rig.dialogs.shown.empty());
    }

    void typingIsFilteredAndNeverWrites() {
        TestRig rig;
        rig.loadAndSettle();
        Ui::frmMain& ui = rig.window().ui();
        for (QLineEdit* box : {ui.txtRegister, ui.txtWriteIndividual_0, ui.txtWriteIndividual_1}) {
            box->clear();
            QTest::keyClicks(box, QStringLiteral("ag-5"));
            QCOMPARE(box->text(), QStringLiteral("A5"));
            QTest::keyClick(box, Qt::Key_Up);
            QCOMPARE(box->text(), QStringLiteral("A5"));
        }
        QVERIFY(rig.board().received.empty());
    }

    void aPastedValueAboveAByteIsNotWritten() {
        TestRig rig;
        rig.loadAndSettle();
        Ui::frmMain& ui = rig.window().ui();
        QApplication::clipboard()->setText(QStringLiteral("100"));
        QTest::keyClick(ui.txtWriteIndividual_1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(ui.txtWriteIndividual_1->text(), QStringLiteral("100"));
        QTest::mouseClick(ui.cmdWriteIndividual_1, Qt::LeftButton);
        QTest::mouseClick(ui.cmdWriteIndividual_0, Qt::LeftButton);
        QVERIFY(rig.board().received.empty());
        QCOMPARE(rig.dialogs.beeps, 2);
        QCOMPARE(ui.txtWriteIndividual_1->text(), QStringLiteral("100"));
    }
};

QTEST_MAIN(TestIndividualPanel)
#include "tst_individualpanel.moc"
