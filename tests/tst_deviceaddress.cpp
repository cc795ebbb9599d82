// The device address from the check boxes, and the bus scan.
#include "registers/addressselector.h"
#include "support/clicks.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QtTest>

namespace {

std::array<QCheckBox*, 7> addressBoxes(TestRig& rig) {
    std::array<QCheckBox*, 7> boxes{};
    for (int i = 0; i < 7; ++i)
        boxes[i] = rig.widget<QCheckBox>(QStringLiteral("chkADDRbit_%1").arg(i));
    return boxes;
}

} // namespace

class TestDeviceAddress : public QObject {
    Q_OBJECT
private slots:
    void boxesMakeTheAddressByte() {
        TestRig rig;
        rig.load();
        auto boxes = addressBoxes(rig);
        clickButton(boxes[6]);
        clickButton(boxes[3]);
        QCOMPARE(rig.window().deviceAddress, 0x90);
        QCOMPARE(rig.window().ui().txtI2Caddress->text(), QStringLiteral("90"));
        clickButton(boxes[6]);
        clickButton(boxes[3]);
        QCOMPARE(rig.window().deviceAddress, 0x00);
        QCOMPARE(rig.window().ui().txtI2Caddress->text(), QStringLiteral("00"));
    }

    void theAddressReachesTheRequests() {
        TestRig rig;
        rig.board().addChip(0x48);
        rig.load();
        auto boxes = addressBoxes(rig);
        boxes[6]->setChecked(true);
        boxes[3]->setChecked(true);
        rig.clearRecords();
        rig.window().cmdReadAllRegisters_Click();
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).front(), i2cRead(0x90, 0x00, 13));
    }

    void scanFinds_data() {
        QTest::addColumn<QList<int>>("chips"); // 7-bit addresses; the first reads 0x30 if negative
        QTest::addColumn<int>("found");        // address byte
        QTest::addColumn<int>("probes");
        QTest::newRow("at 0x00, first probe") << QList<int>{0x00} << 0x00 << 1;
        QTest::newRow("at 0x48") << QList<int>{0x48} << 0x90 << 0x49;
        QTest::newRow("the lower of two") << QList<int>{0x51, 0x22} << 0x44 << 0x23;
        QTest::newRow("skips a chip reading 0x30") << QList<int>{-0x10, 0x30} << 0x60 << 0x31;
    }
    void scanFinds() {
        QFETCH(QList<int>, chips);
        QFETCH(int, found);
        QFETCH(int, probes);
        TestRig rig(1, 0x7F); // the rig's own chip sits at the last address
        rig.chip().registers[0] = 0x30;
        for (int c : chips) {
            SimChip& chip = rig.board().addChip(static_cast<std::uint8_t>(c < 0 ? -c : c));
            if (c < 0)
                chip.registers[0] = 0x30;
        }
        rig.loadAndSettle();

        QTest::mouseClick(rig.window().ui().cmdScanI2Caddress, Qt::LeftButton);
        const auto reads = reportsWithCommand(rig.board(), CMD_I2C);
        QCOMPARE(int(reads.size()), probes);
        for (int i = 0; i < probes; ++i)
            QCOMPARE(reads[i], i2cRead(2 * i, 0x00, 1));
        QCOMPARE(rig.window().deviceAddress, found);
        QCOMPARE(rig.window().ui().txtI2Caddress->text(),
                 QStringLiteral("%1").arg(found, 2, 16, QLatin1Char('0')).toUpper());
        auto boxes = addressBoxes(rig);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(boxes[i]->isChecked(), bool((found >> (i + 1)) & 1));
        QVERIFY(rig.dialogs.shown.empty()); // the probes are quiet
    }

    void scanShowsEachProbeWhileTheWindowStaysLive() {
        TestRig rig;
        rig.chip().address7 = 0x05;
        rig.loadAndSettle();
        QStringList seen;
        bool timerRan = false;
        QTimer::singleShot(0, this, [&] { timerRan = true; });
        rig.clock.onSleep = [&](double) {
            const QString shown = rig.window().ui().txtI2Caddress->text();
            if (seen.isEmpty() || seen.back() != shown)
                seen << shown;
        };
        const long before = rig.clock.sleptMs;
        rig.window().address().cmdScanI2Caddress_Click();
        QVERIFY(timerRan);
        // Each probe's address shows during the next probe's wait.
        QCOMPARE(seen, (QStringList{"00", "02", "04", "06", "08"}));
        QCOMPARE(rig.window().ui().txtI2Caddress->text(), QStringLiteral("0A"));
        QVERIFY(rig.clock.sleptMs - before >= 6 * 100);
    }

    void failedScanAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(Answer::No);
        QTest::newRow("Yes") << int(Answer::Yes);
    }
    void failedScanAsks() {
        QFETCH(int, answer);
        TestRig rig;
        rig.chip().registers[0] = 0x30; // a chip, but not ours
        rig.load();
        rig.clearRecords();
        rig.dialogs.answer(static_cast<std::int16_t>(answer));
        rig.window().address().cmdScanI2Caddress_Click();
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).size(), 128u);
        QCOMPARE(rig.dialogs.texts(), QStringList{kAddressNotFoundText});
        QCOMPARE(rig.dialogs.shown[0].buttons, Buttons::YesNo);
        QCOMPARE(rig.dialogs.shown[0].title, QStringLiteral("QDM7720A"));
        QCOMPARE(rig.window().link().dialogAnswer, answer);
        QCOMPARE(rig.window().deviceAddress, 0xFE);
        QCOMPARE(rig.window().ui().txtI2Caddress->text(), QStringLiteral("FE"));
        for (QCheckBox* box : addressBoxes(rig))
            QVERIFY(box->isChecked());
        QCOMPARE(rig.ended(), answer == Answer::Yes);
        QVERIFY(rig.clock.sleptMs >= 12800);
    }

    void linkFailureDuringTheScanIsRetried() {
        TestRig rig(1, 0x01);
        rig.loadAndSettle();
        rig.board().answerFaults.push_back(AnswerFault::drop()); // the first probe goes unanswered
        rig.dialogs.answer(Answer::Retry);
        // The reconnection reads the channel selection at address 0, where no chip is.
        rig.dialogs.answer(Answer::Retry);
        rig.window().address().cmdScanI2Caddress_Click();
        QCOMPARE(rig.dialogs.texts(), (QStringList{kReadFileErrorText, kInvalidAddressText}));
        QCOMPARE(rig.window().deviceAddress, 0x02);
        const auto reads = reportsWithCommand(rig.board(), CMD_I2C);
        QCOMPARE(reads.front(), i2cRead(0x00, 0x00, 1));
        QCOMPARE(reads.back(), i2cRead(0x02, 0x00, 1));
    }
};

QTEST_MAIN(TestDeviceAddress)
#include "tst_deviceaddress.moc"
