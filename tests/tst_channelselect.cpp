// The "Channel Select" options through the real window: the byte a user's
// choice writes and the value shown after it, the option marked from the
// chip's register at every board selection, and that marking writes nothing.
#include "board/boardlink.h"
#include "controls/channelselect.h"
#include "registers/registergrid.h"
#include "support/clicks.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QRadioButton>
#include <QtTest>

namespace {

QRadioButton* option(TestRig& rig, int index) {
    return rig.widget<QRadioButton>(QStringLiteral("obChannelSelect_%1").arg(index));
}

// The index of the marked option, or -1 when none is.
int markedOption(TestRig& rig) {
    for (int i = 0; i < kChannelOptions; ++i) {
        if (option(rig, i)->isChecked())
            return i;
    }
    return -1;
}

} // namespace

class TestChannelSelect : public QObject {
    Q_OBJECT
private slots:
    void everyValueMapsToAnOption() {
        for (int i = 0; i < kChannelOptions; ++i)
            QCOMPARE(channelOptionFor(channelOptionByte(i)), i);
        for (int v = 0; v <= 0xFF; ++v) {
            const int o = channelOptionFor(static_cast<std::uint8_t>(v));
            QVERIFY2(o >= 0 && o < kChannelOptions, qPrintable(QString::number(v, 16)));
        }
    }

    void choiceWritesTheWholeRegister_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("byte");
        QTest::newRow("Channel A") << 0 << 0x00;
        QTest::newRow("Channel B") << 1 << 0x01;
        QTest::newRow("Channel C") << 2 << 0x02;
        QTest::newRow("Channel D") << 3 << 0x03;
        QTest::newRow("Channel Auto-Select") << 4 << 0x04;
        QTest::newRow("Hardware Select") << 5 << 0x08;
    }
    void choiceWritesTheWholeRegister() {
        QFETCH(int, index);
        QFETCH(int, byte);
        TestRig rig;
        rig.loadAndSettle();
        rig.chip().registers[0x02] = 0x2F; // power down and every select bit set

        clickButton(option(rig, index));
        const std::vector<Report> sent = reportsWithCommand(rig.board(), CMD_I2C);
        QCOMPARE(sent.size(), 2u);
        QCOMPARE(sent[0], i2cWrite(0x00, 0x02, {byte}));
        QCOMPARE(sent[1], i2cRead(0x00, 0x02, 1));
        QCOMPARE(rig.chip().registers[0x02], byte);
        QCOMPARE(rig.window().grid().text(2), QString::asprintf("%02X", byte));
        QCOMPARE(markedOption(rig), index);
        QVERIFY(rig.dialogs.shown.empty());
    }

    void chosenWithTheArrowKeys() {
        TestRig rig;
        rig.loadAndSettle();
        rig.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
        option(rig, 5)->setFocus();
        QTest::keyClick(option(rig, 5), Qt::Key_Up);
        QCOMPARE(markedOption(rig), 4);
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).at(0), i2cWrite(0x00, 0x02, {0x04}));
        QCOMPARE(rig.window().grid().text(2), QStringLiteral("04"));
    }

    void readBackTimeoutShowsTheWrittenByte() {
        TestRig rig;
        rig.loadAndSettle();
        rig.board().answerFaults = {AnswerFault::none(), AnswerFault::drop()};
        clickButton(option(rig, 3));
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).size(), 2u);
        QCOMPARE(rig.window().grid().text(2), QStringLiteral("03"));
        QVERIFY(rig.dialogs.shown.empty());
        QVERIFY(!rig.ended());
    }

    void notAcknowledgedStopsAfterTheMessage() {
        TestRig rig;
        rig.loadAndSettle();
        rig.window().deviceAddress = 0x90; // nothing answers there
        rig.window().grid().setText(2, QStringLiteral("0C"));
        rig.dialogs.answer(Answer::Retry);
        clickButton(option(rig, 1));
        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).size(), 1u); // the write, no read-back
        QCOMPARE(rig.window().grid().text(2), QStringLiteral("0C"));
        QVERIFY(!rig.ended());
    }

    void boardSelectionMarksTheChipState_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("marked");
        QTest::newRow("default 0x0C") << 0x0C << 5;
        QTest::newRow("0x0E") << 0x0E << 5;
        QTest::newRow("0x08") << 0x08 << 5;
        QTest::newRow("0x04") << 0x04 << 4;
        QTest::newRow("0x06") << 0x06 << 4;
        QTest::newRow("0x02") << 0x02 << 2;
        QTest::newRow("0x00") << 0x00 << 0;
        QTest::newRow("power down, channel A") << 0x20 << 0;
        QTest::newRow("power down, channel D") << 0x23 << 3;
        QTest::newRow("upper bits, channel B") << 0xC1 << 1;
        QTest::newRow("power down, auto") << 0x26 << 4;
    }
    void boardSelectionMarksTheChipState() {
        QFETCH(int, value);
        QFETCH(int, marked);
        TestRig rig;
        rig.loadAndSettle();
        // Start from another mark, set from code as the selection sets it.
        option(rig, (marked + 1) % kChannelOptions)->setChecked(true);
        rig.chip().registers[0x02] = static_cast<std::uint8_t>(value);

        rig.window().cboEVBinstance_Click(0);
        QCOMPARE(markedOption(rig), marked);
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 std::vector<Report>{i2cRead(0x00, 0x02, 1)});
        QVERIFY(!!i2cWritesReceived(rig.board()).empty());
        QCOMPARE(rig.chip().registers[0x02], value);
        QVERIFY(rig.window().grid().text(2).isEmpty());
        QVERIFY(rig.dialogs.shown.empty());
    }

    void startUpMarksTheChipState() {
        TestRig rig;
        rig.chip().registers[0x02] = 0x01;
        rig.load();
        QCOMPARE(markedOption(rig), 1);
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 std::vector<Report>{i2cRead(0x00, 0x02, 1)});
    }

    void startUpWithTheChipElsewhere() {
        TestRig rig(1, 0x48);
        rig.dialogs.answer(Answer::Retry);
        rig.load();
        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        QVERIFY(!rig.ended());
        QCOMPARE(markedOption(rig), 5); // as designed
        QVERIFY(!!i2cWritesReceived(rig.board()).empty());
    }
};

QTEST_MAIN(TestChannelSelect)
#include "tst_channelselect.moc"
