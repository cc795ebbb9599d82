// Reading hex texts and filtering typed characters.
#include "registers/hextext.h"

#include <QtTest>

class TestHexText : public QObject {
    Q_OBJECT
private slots:
    void values_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("one digit") << "7" << 7;
        QTest::newRow("lower case") << "af" << 0xAF;
        QTest::newRow("stops at the first other character") << "1G2" << 1;
        QTest::newRow("starts with another character") << "x5" << 0;
        QTest::newRow("blank") << " 5" << 0;
        QTest::newRow("above a byte") << "1FF" << 0x1FF;
        QTest::newRow("saturates") << QString(40, QLatin1Char('F')) << 0xFFFFFF;
    }
    void values() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(hexTextValue(text), value);
        QCOMPARE(hexTextByte(text).has_value(), value <= 0xFF);
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
