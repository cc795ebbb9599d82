// Reading the hex boxes' texts and filtering typed characters.
#include "registers/hextext.h"

#include <QtTest>

class TestHexText : public QObject {
    Q_OBJECT
private slots:
    void values_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // -1: not a byte
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("one digit") << "7" << 7;
        QTest::newRow("lower case") << "af" << 0xAF;
        QTest::newRow("prefix") << "0x5A" << 0x5A;
        QTest::newRow("upper-case prefix, one digit") << "0X7" << 7;
        QTest::newRow("surrounding blanks") << " \t5A \r\n" << 0x5A;
        QTest::newRow("prefix alone") << "0x" << -1;
        QTest::newRow("three digits") << "1FF" << -1;
        QTest::newRow("zero-padded") << "005" << -1;
        QTest::newRow("not hex") << "zz" << -1;
        QTest::newRow("digit then other") << "1G" << -1;
        QTest::newRow("blank inside") << "5 A" << -1;
        QTest::newRow("blanks only") << "  " << -1;
        QTest::newRow("control characters") << "\x01\x02" << -1;
        QTest::newRow("double prefix") << "0x0x5" << -1;
        QTest::newRow("sign") << "+5" << -1;
    }
    void values() {
        QFETCH(QString, text);
        QFETCH(int, value);
        const std::optional<std::uint8_t> byte = hexTextByte(text);
        QCOMPARE(byte ? int(*byte) : -1, value);
    }

    void keyFilter_data() {
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("passed");
        QTest::newRow("digit") << int('7') << int('7');
        QTest::newRow("lower a") << int('a') << int('A');
        QTest::newRow("upper F") << int('F') << int('F');
        QTest::newRow("g") << int('g') << 0;
        QTest::newRow("G") << int('G') << 0;
        QTest::newRow("blank") << int(' ') << 0;
        QTest::newRow("minus") << int('-') << 0;
        QTest::newRow("Enter") << 13 << 13;
        QTest::newRow("Backspace") << 8 << 8;
        QTest::newRow("Ctrl+A") << 1 << 0;
        QTest::newRow("Ctrl+V") << 22 << 0;
        QTest::newRow("Ctrl+Z") << 26 << 0;
        QTest::newRow("Escape") << 27 << 0;
        QTest::newRow("e acute") << 0xE9 << 0;
    }
    void keyFilter() {
        QFETCH(int, typed);
        QFETCH(int, passed);
        filterHexKey(typed);
        QCOMPARE(typed, passed);
    }
};

QTEST_GUILESS_MAIN(TestHexText)
#include "tst_hextext.moc"
