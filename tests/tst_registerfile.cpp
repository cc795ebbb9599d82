// The register file format on its own: the lines a save writes, and what the
// loader makes of any bytes.
#include "regfiles/registerfile.h"

#include <QRandomGenerator>
#include <QtTest>

using Verdict = RegisterFileCheck::Verdict;
using Writes = std::vector<RegisterWrite>;

namespace {

QString hex2(int b) {
    return QString::number(b, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

QByteArray withHeader(const QByteArray& rest) {
    return kRegisterFileHeader + "\r\n" + rest;
}

} // namespace

class TestRegisterFile : public QObject {
    Q_OBJECT
private slots:
    void linesAreByteExact() {
        QCOMPARE(addressFromCaption(QStringLiteral("Output Options (0x05)")),
                 QStringLiteral("0x05"));
        QCOMPARE(addressFromCaption(QStringLiteral("PLL Settings (0x10)")), QStringLiteral("0x10"));
        QCOMPARE(addressFromCaption(QString()), QString());
        QCOMPARE(registerLine(QStringLiteral("Channel Select  (0x02)"), QStringLiteral("0C")),
                 QByteArray("0x02\t0C\r\n"));
        // A cell left empty by a failed read: the address and the tab only.
        QCOMPARE(registerLine(QStringLiteral("Output Options (0x05)"), QString()),
                 QByteArray("0x05\t\r\n"));
        // The cell text goes out as it stands, single-byte.
        QCOMPARE(registerLine(QStringLiteral("X (0x07)"), QStringLiteral("5")),
                 QByteArray("0x07\t5\r\n"));
        QCOMPARE(fileLine(QStringLiteral("\u00e9\u20ac")), QByteArray("\xe9?\r\n"));
    }

    void registerLineFields_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("reg"); // -1: not read
        QTest::addColumn<int>("value");
        QTest::newRow("as saved") << QByteArray("0x03\t12") << 3 << 0x12;
        QTest::newRow("blank instead of the tab") << QByteArray("0x03 12") << 3 << 0x12;
        QTest::newRow("any separator") << QByteArray("0x03=12") << 3 << 0x12;
        QTest::newRow("lower-case digits") << QByteArray("0xff\tab") << 0xFF << 0xAB;
        QTest::newRow("one value digit") << QByteArray("0x05\t5") << 5 << 5;
        QTest::newRow("after character 7 ignored") << QByteArray("0x10\t10 PLL") << 0x10 << 0x10;
        QTest::newRow("no value") << QByteArray("0x05\t") << -1 << 0;
        QTest::newRow("address only") << QByteArray("0x05") << -1 << 0;
        QTest::newRow("value not hex") << QByteArray("0x05\tG1") << -1 << 0;
        QTest::newRow("value with blank") << QByteArray("0x05\t5 ") << -1 << 0;
        QTest::newRow("address not hex") << QByteArray("0xZ5\t12") << -1 << 0;
        QTest::newRow("one address digit") << QByteArray("0x5\t12") << -1 << 0;
    }
    void registerLineFields() {
        QFETCH(QByteArray, field);
        QFETCH(int, reg);
        QFETCH(int, value);
        QVERIFY(isRegisterLine(field));
        const auto write = readRegisterLine(field);
        QCOMPARE(write.has_value(), reg >= 0);
        if (write)
            QCOMPARE(*write, (RegisterWrite{std::uint8_t(reg), std::uint8_t(value)}));
    }

    void onlyLowerCaseXMarksARegisterLine() {
        QVERIFY(!isRegisterLine("0X03\t12"));
        QVERIFY(!isRegisterLine(" 0x03\t12"));
        QVERIFY(!isRegisterLine("0"));
        QVERIFY(!isRegisterLine(""));
        QVERIFY(!readRegisterLine("0X03\t12"));
    }

    void headerDecides() {
        QCOMPARE(checkRegisterFile(withHeader("0x03\t12\r\n")).verdict, Verdict::Accepted);
        QCOMPARE(checkRegisterFile("//qdm7720a register file\r\n0x03\t12\r\n").verdict,
                 Verdict::NotRegisterFile);
        QCOMPARE(checkRegisterFile(" //QDM7720A Register File\r\n").verdict,
                 Verdict::NotRegisterFile);
        QCOMPARE(checkRegisterFile("//QDM7720A Register File \r\n").verdict,
                 Verdict::NotRegisterFile);
        QCOMPARE(checkRegisterFile("").verdict, Verdict::NotRegisterFile);
        QCOMPARE(checkRegisterFile("\r\n//QDM7720A Register File\r\n").verdict,
                 Verdict::NotRegisterFile);
        // A refused file gives nothing to write, even when it holds register lines.
        QVERIFY(checkRegisterFile("0x03\t12\r\n").writes.empty());
        // The header is the first field: a comma ends it.
        const RegisterFileCheck withComma =
            checkRegisterFile("//QDM7720A Register File,0x03\t12\r\n");
        QCOMPARE(withComma.verdict, Verdict::Accepted);
        QCOMPARE(withComma.writes, (Writes{{0x03, 0x12}}));
    }

    void fieldsAndLines() {
        // Only the header, with or without its line end.
        QCOMPARE(checkRegisterFile(kRegisterFileHeader).writes, Writes{});
        QCOMPARE(checkRegisterFile(withHeader("")).verdict, Verdict::Accepted);
        QCOMPARE(checkRegisterFile(withHeader("")).writes, Writes{});
        // File order kept, comments and blank lines skipped, commas split
        // fields, LF-only and CR-only line ends, no end on the last line.
        const RegisterFileCheck check = checkRegisterFile(
            withHeader("// comment\r\n\r\n0x05\t01\n0X06\t02\r0x01 FF,0x00\t31,note\r\n0xFF\t00"));
        QCOMPARE(check.verdict, Verdict::Accepted);
        QCOMPARE(check.writes, (Writes{{0x05, 0x01}, {0x01, 0xFF}, {0x00, 0x31}, {0xFF, 0x00}}));
    }

    void badRegisterLineRefusesTheWholeFile() {
        const RegisterFileCheck check =
            checkRegisterFile(withHeader("0x00\t31\r\n0x01\t00\r\n// x\r\n0x05\t\r\n0x06\t00\r\n"));
        QCOMPARE(check.verdict, Verdict::BadRegisterLine);
        QCOMPARE(check.lineNumber, 5);
        QCOMPARE(check.lineText, QByteArray("0x05\t"));
        QVERIFY(check.writes.empty());
        // A later field on a line names the whole line.
        const RegisterFileCheck inLine = checkRegisterFile(withHeader("0x00\t31,0xQQ\t00\n"));
        QCOMPARE(inLine.verdict, Verdict::BadRegisterLine);
        QCOMPARE(inLine.lineNumber, 2);
        QCOMPARE(inLine.lineText, QByteArray("0x00\t31,0xQQ\t00"));
        // Line numbers count CR LF once and lone CRs and LFs each.
        QCOMPARE(checkRegisterFile(withHeader("\r\r\n\n0x1\n")).lineNumber, 5);
    }

    void savedLinesReadBack() {
        QByteArray file = kRegisterFileHeader + "\r\n";
        Writes expected;
        for (int reg = 0; reg < 256; ++reg) {
            const auto value = std::uint8_t(255 - reg);
            const QString caption = QStringLiteral("R (0x%1)").arg(hex2(reg));
            file += registerLine(caption, hex2(value));
            expected.push_back({std::uint8_t(reg), value});
        }
        const RegisterFileCheck check = checkRegisterFile(file);
        QCOMPARE(check.verdict, Verdict::Accepted);
        QCOMPARE(check.writes, expected);
    }

    void anyBytesGiveAVerdict() {
        // Whatever the bytes, the verdict is consistent: writes only when
        // accepted, a line number only for a bad line.
        QRandomGenerator random(7720);
        const QByteArray alphabet = QByteArray("0xX\t\r\n, ;/F9a") + kRegisterFileHeader;
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = round % 2 ? withHeader("") : QByteArray();
            const int n = random.bounded(60);
            for (int i = 0; i < n; ++i)
                bytes += round % 3 ? alphabet[random.bounded(alphabet.size())]
                                   : char(random.bounded(256));
            const RegisterFileCheck check = checkRegisterFile(bytes);
            if (check.verdict != Verdict::Accepted)
                QVERIFY(check.writes.empty());
            QCOMPARE(check.lineNumber > 0, check.verdict == Verdict::BadRegisterLine);
        }
    }
};

QTEST_APPLESS_MAIN(TestRegisterFile)
#include "tst_registerfile.moc"
