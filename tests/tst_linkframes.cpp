// The plain pieces of the link: the hex and wrap helpers, the timed wait, the
// trace line and the command line.
#include "app/options.h"
#include "board/linkhelpers.h"
#include "board/reporttrace.h"
#include "board/waitseconds.h"
#include "support/fakeclock.h"
#include "support/reports.h"

#include <QTimer>
#include <QtTest>

class TestLinkFrames : public QObject {
    Q_OBJECT
private slots:
    void hexAndWrap() {
        QCOMPARE(hexByte(0), QStringLiteral("00"));
        QCOMPARE(hexByte(10), QStringLiteral("0A"));
        QCOMPARE(hexByte(0xAB), QStringLiteral("AB"));
        QCOMPARE(hexByte(255), QStringLiteral("FF"));
        QCOMPARE(addWrapped(0xFF, 1), 0x00);
        QCOMPARE(addWrapped(0x00, -1), 0xFF);
        QCOMPARE(addWrapped(0xF8, 16), 0x08);
        QCOMPARE(addWrapped(0x05, -16), 0xF5);
        QCOMPARE(addWrapped(0x00, -32768), 0x00);
    }

    void waitSecondsZeroReturnsAtOnce() {
        FakeClock clock;
        waitSeconds(clock, 0.0f);
        QCOMPARE(clock.sleptMs, 0L);
    }

    void waitSecondsAcrossMidnight() {
        FakeClock clock;
        clock.now = 86400.0 - 0.05;
        waitSeconds(clock, 0.1f);
        QVERIFY2(clock.sleptMs >= 100 && clock.sleptMs <= 108,
                 qPrintable(QString::number(clock.sleptMs)));
        QVERIFY(clock.now < 1.0);
    }

    void waitSecondsHandlesEvents() {
        FakeClock clock;
        bool ran = false;
        QTimer::singleShot(0, this, [&] { ran = true; });
        waitSeconds(clock, 0.02f);
        QVERIFY(ran);
    }

    void traceLine() {
        const Report r = reportOf({0, 2, 1, 0x81, 0x05});
        const QString line = ReportTrace::line(18 * 3600 + 30 * 60 + 7.125, "out", 1, r);
        QVERIFY(line.startsWith(QStringLiteral("18:30:07.125 out 1 00 02 01 81 05 00")));
        QCOMPARE(line.count(QLatin1Char(' ')), 2 + 64);
    }

    void options() {
        const auto plain = parseOptions({"qdm7720a-eval"});
        QVERIFY(plain.options);
        QVERIFY(!plain.options->demo);
        QVERIFY(plain.options->traceFile.isEmpty());

        const auto demo = parseOptions({"qdm7720a-eval", "--demo", "--demo-boards", "3",
                                        "--demo-address", "0x2A", "--trace", "-"});
        QVERIFY(demo.options);
        QVERIFY(demo.options->demo);
        QCOMPARE(demo.options->demoBoards, 3);
        QCOMPARE(demo.options->demoAddress, 0x2A);
        QCOMPARE(demo.options->traceFile, QStringLiteral("-"));

        QCOMPARE(*parseSevenBitAddress("127"), 127);
        QCOMPARE(*parseSevenBitAddress("0X7f"), 0x7F);
        QVERIFY(!parseSevenBitAddress("128"));
        QVERIFY(!parseSevenBitAddress("0x80"));
        QVERIFY(!parseSevenBitAddress("-1"));
        QVERIFY(!parseSevenBitAddress("zz"));

        QVERIFY(!parseOptions({"qdm7720a-eval", "--demo-boards", "0"}).options);
        QVERIFY(!parseOptions({"qdm7720a-eval", "--demo-address", "200"}).options);
        QVERIFY(!parseOptions({"qdm7720a-eval", "--bogus"}).options);
        QVERIFY(!parseOptions({"qdm7720a-eval", "stray"}).options);
    }
};

QTEST_GUILESS_MAIN(TestLinkFrames)
#include "tst_linkframes.moc"
