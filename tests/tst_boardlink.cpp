// The board link on simulated boards, through the real main window: the I2C
// transfers byte for byte, the answer limit, the input drain, the dialogs and
// what Retry and Cancel do.
#include "board/boardlink.h"
#include "support/reports.h"
#include "support/testrig.h"

#include <QtTest>

class TestBoardLink : public QObject {
    Q_OBJECT
private slots:
    void readSendsTheRequestAndCopiesTheAnswer() {
        TestRig rig;
        SimChip& chip = rig.board().addChip(0x48);
        rig.load();
        rig.clearRecords();
        chip.registers[0x05] = 0x5A;
        chip.registers[0x06] = 0xA5;

        std::array<std::uint8_t, 2> data{};
        QCOMPARE(rig.window().link().readRegisters(0x90, 0x05, 2, data, false), LINK_OK);
        QCOMPARE(data[0], 0x5A);
        QCOMPARE(data[1], 0xA5);
        QCOMPARE(rig.board().received.size(), 1u);
        QCOMPARE(rig.board().received[0], reportOf({0, 2, 2, 0x91, 0x05}));
        QVERIFY(rig.dialogs.shown.empty());
    }

    void writeSendsTheRequest() {
        TestRig rig;
        rig.load();
        rig.clearRecords();
        const std::array<std::uint8_t, 3> data{0x11, 0x22, 0x33};
        QCOMPARE(rig.window().link().writeRegisters(0x00, 0x06, 3, data, false), LINK_OK);
        QCOMPARE(rig.board().received.back(), reportOf({0, 2, 3, 0x00, 0x06, 0x11, 0x22, 0x33}));
        QCOMPARE(rig.chip().registers[0x07], 0x22);
    }

    void a62RegisterReadAndA59ByteWrite() {
        TestRig rig;
        rig.load();
        for (int i = 0; i < 62; ++i)
            rig.chip().registers[0x20 + i] = static_cast<std::uint8_t>(i * 3);
        std::array<std::uint8_t, 62> in{};
        QCOMPARE(rig.window().link().readRegistersOnce(0, 0x20, 62, in), LINK_OK);
        for (int i = 0; i < 62; ++i)
            QCOMPARE(in[i], i * 3);

        std::array<std::uint8_t, 59> out{};
        out.fill(0x77);
        QCOMPARE(rig.window().link().writeRegistersOnce(0, 0x40, 59, out), LINK_OK);
        const Report& sent = rig.board().received.back();
        for (int i = 5; i < 64; ++i)
            QCOMPARE(sent[i], 0x77);
    }

    void failedStatusLeavesDataAlone_data() {
        QTest::addColumn<int>("status");
        QTest::newRow("0x01") << 0x01;
        QTest::newRow("0x80") << 0x80;
        QTest::newRow("0xFF") << 0xFF;
    }
    void failedStatusLeavesDataAlone() {
        QFETCH(int, status);
        TestRig rig;
        rig.load();
        rig.clearRecords();
        rig.board().answerFaults.push_back(
            AnswerFault::withStatus(static_cast<std::uint8_t>(status)));
        std::array<std::uint8_t, 1> data{0x42};
        QCOMPARE(rig.window().link().readRegistersOnce(0, 0x00, 1, data), LINK_DEVICE_ERROR);
        QCOMPARE(data[0], 0x42);
        QVERIFY(rig.dialogs.shown.empty());
    }

    void notAcknowledged_quietAndLoud() {
        TestRig rig;
        rig.load();
        rig.clearRecords();
        BoardLink& link = rig.window().link();
        std::array<std::uint8_t, 1> data{0x42};
        const std::uint8_t nobody = 0x20; // no chip answers there

        QCOMPARE(link.readRegisters(nobody, 0x00, 1, data, true), LINK_DEVICE_ERROR);
        QVERIFY(rig.dialogs.shown.empty());

        rig.dialogs.answer(Answer::Retry);
        QCOMPARE(link.readRegisters(nobody, 0x00, 1, data, false), LINK_DEVICE_ERROR);
        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        QCOMPARE(rig.dialogs.shown[0].buttons, Buttons::RetryCancel);
        QCOMPARE(rig.dialogs.shown[0].title, QStringLiteral("QDM7720A"));
        QCOMPARE(link.dialogAnswer, Answer::Retry);
        QCOMPARE(data[0], 0x42);
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).size(), 2u); // no repetition after a NAK
        QVERIFY(!rig.ended());

        rig.dialogs.answer(Answer::Cancel);
        QCOMPARE(link.writeRegisters(nobody, 0x02, 1, data, false), LINK_DEVICE_ERROR);
        QVERIFY(rig.ended());
        QCOMPARE(rig.transport.openHandleCount(), 0u);
    }

    void unpluggedWriteRetriedAfterReplug() {
        TestRig rig;
        rig.load();
        rig.clearRecords();
        rig.board().unplugged = true;
        rig.dialogs.answer(Answer::Retry, [&] { rig.board().unplugged = false; });
        const std::array<std::uint8_t, 1> data{0x03};
        QCOMPARE(rig.window().link().writeRegisters(0x00, 0x02, 1, data, false), LINK_OK);
        QCOMPARE(rig.dialogs.texts(), QStringList{kWriteFileErrorText});
        // Reconnected (LED, clock and the read-backs ran again), then the same write.
        const std::vector<Report> i2c = reportsWithCommand(rig.board(), CMD_I2C);
        QCOMPARE(i2c.back(), reportOf({0, 2, 1, 0x00, 0x02, 0x03}));
        QCOMPARE(rig.chip().registers[0x02], 0x03);
        QCOMPARE(rig.board().received.front(), reportOf({0, 1, 1})); // LED query first
        QCOMPARE(rig.window().link().selectedInstance(), 0);
    }

    void unpluggedWithNoBoardBackEndsOnCancel() {
        TestRig rig;
        rig.load();
        rig.board().unplugged = true;
        rig.dialogs.answer(Answer::Retry);  // the write error: reconnect
        rig.dialogs.answer(Answer::Cancel); // not found: end
        const std::array<std::uint8_t, 1> data{0x03};
        QCOMPARE(rig.window().link().writeRegisters(0x00, 0x02, 1, data, false), LINK_DEVICE_ERROR);
        QCOMPARE(rig.dialogs.texts(), (QStringList{kWriteFileErrorText, kBoardNotFoundText}));
        QVERIFY(rig.ended());
    }

    void silentBoardGivesTheReadError() {
        TestRig rig;
        rig.load();
        rig.clearRecords();
        rig.board().answerFaults.push_back(AnswerFault::drop());
        rig.dialogs.answer(Answer::Retry);
        std::array<std::uint8_t, 1> data{};
        QCOMPARE(rig.window().link().readRegisters(0, 0x00, 1, data, false), LINK_OK);
        QCOMPARE(rig.dialogs.texts(), QStringList{kReadFileErrorText});
        QCOMPARE(data[0], 0x31);
        // The answer was waited for as long as the limit allows.
        QVERIFY(rig.clock.sleptMs >= rig.window().link().answerLimitMs);
    }

    void answerLimitIsSixSeconds() {
        TestRig rig;
        rig.create();
        rig.window().link().answerLimitMs = kAnswerLimitMs;
        rig.load();
        rig.board().answerFaults.push_back(AnswerFault::drop());
        const long before = rig.clock.sleptMs;
        std::array<std::uint8_t, 1> data{};
        QCOMPARE(rig.window().link().readRegistersOnce(0, 0, 1, data), LINK_READ_TIMEOUT);
        // The drain before the request waits for nothing; the answer the whole limit.
        QCOMPARE(rig.clock.sleptMs - before, 6000L);
    }

    void shortReportIsAFailedRead() {
        TestRig rig;
        rig.load();
        rig.board().answerFaults.push_back(AnswerFault::shortReport());
        std::array<std::uint8_t, 1> data{0x42};
        QCOMPARE(rig.window().link().readRegistersOnce(0, 0x00, 1, data), LINK_READ_TIMEOUT);
        QCOMPARE(data[0], 0x42);
    }

    void lateAnswerIsNotTakenForTheNextAnswer() {
        TestRig rig;
        rig.load();
        rig.chip().registers[0x04] = 0x44;
        BoardLink& link = rig.window().link();
        rig.board().answerFaults.push_back(AnswerFault::late());
        std::array<std::uint8_t, 1> data{};
        QCOMPARE(link.readRegistersOnce(0, 0x04, 1, data), LINK_READ_TIMEOUT);
        QVERIFY(rig.board().hasInput()); // it came after the limit
        // The next transfer drains it, also when its caller did not: its
        // answer, not the late one, decides.
        rig.chip().registers[0x04] = 0x55;
        QCOMPARE(link.readRegistersOnce(0, 0x04, 1, data), LINK_OK);
        QCOMPARE(data[0], 0x55);
        rig.board().answerFaults.push_back(AnswerFault::late());
        QCOMPARE(link.readRegistersOnce(0, 0x04, 1, data), LINK_READ_TIMEOUT);
        QCOMPARE(link.writeRegistersOnce(0x10, 0x04, 1, data), LINK_DEVICE_ERROR); // no chip there
    }

    void flushInputDrainsStaleReports() {
        TestRig rig;
        rig.load();
        // A short report among them does not stop the drain.
        rig.board().queueInput(reportOf({0, 0, 0xEE}));
        rig.board().queueInput(reportOf({0, 0, 0xEE}), 16);
        rig.board().queueInput(reportOf({0, 0, 0xEE}));
        const long before = rig.clock.sleptMs;
        rig.window().link().flushInput();
        QVERIFY(!rig.board().hasInput());
        QCOMPARE(rig.clock.sleptMs - before, long(kFlushWaitMs)); // one empty wait at the end
    }

    void requestsOutsideTheLimitsAreRefused() {
        TestRig rig;
        rig.load();
        rig.clearRecords();
        BoardLink& link = rig.window().link();
        std::array<std::uint8_t, 64> big{};
        QCOMPARE(link.readRegistersOnce(0, 0, 63, big), LINK_DEVICE_ERROR);
        QCOMPARE(link.readRegisters(0, 0, 0, big, false), LINK_DEVICE_ERROR);
        QCOMPARE(link.writeRegistersOnce(0, 0, 60, big), LINK_DEVICE_ERROR);
        std::array<std::uint8_t, 2> small{};
        QCOMPARE(link.readRegisters(0, 0, 3, small, false), LINK_DEVICE_ERROR);
        QVERIFY(rig.board().received.empty());
        QVERIFY(rig.dialogs.shown.empty());
    }
};

QTEST_MAIN(TestBoardLink)
#include "tst_boardlink.moc"
