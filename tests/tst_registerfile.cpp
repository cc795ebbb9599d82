// The register file format on its own: the lines a save writes, and what the
// loader makes of any bytes.
#include "regfiles/registerfile.h"

#include <QRandomGenerator>
#include <QtTest>

using Verdict = RegisterFileCheck::Verdict;
using Writes = std::vector<RegisterWrite>;

namespace {

QByteArray withHeader(const QByteArray& rest) {
    return kRegisterFileHeader + "\r\n" + rest;
}

} // namespace

class TestRegisterFile : public QObject {
    Q_OBJECT
private slots:
    void linesAreByteExact() {
        QCOMPARE(registerLine(QStringLiteral("Channel Select  (0x02)"), QStringLiteral("0C")),
                 QByteArray("0x02\t0C\r\n"));
        QCOMPARE(registerLine(QStringLiteral("PLL Settings (0x10)"), QStringLiteral("7")),
                 QByteArray("0x10\t7\r\n"));
        // A cell left empty by a failed read: the address and the tab only.
        QCOMPARE(registerLine(QStringLiteral("Output Options (0x05)"), QString()),
                 QByteArray("0x05\t\r\n"));
        QCOMPARE(addressFromCaption(QString()), QString());
        // A pasted line end or comma would split the line into another
        // register's line; the file loads back into this register alone.
        const QString caption = QStringLiteral("Output Options (0x05)");
        const QByteArray split = registerLine(caption, QStringLiteral("12\r\n0x03\t99")) +
                                 registerLine(caption, QStringLiteral("12,0x04\t77"));
        QCOMPARE(split, QByteArray("0x05\t12??0x03\t99\r\n0x05\t12?0x04\t77\r\n"));
        QCOMPARE(checkRegisterFile(withHeader(split)).writes, (Writes{{5, 0x12}, {5, 0x12}}));
        QCOMPARE(fileLine(QStringLiteral("\u00e9\u20ac")), QByteArray("\xe9?\r\n"));
    }

    void registerLineFields() {
        const struct {
            const char* field;
            int reg; // -1: not a readable register line
            int value;
        } rows[] = {
            {"0x03\t12", 3, 0x12},    {"0x03 12", 3, 0x12}, {"0x03=12", 3, 0x12},
            {"0xff\tab", 0xFF, 0xAB}, {"0x05\t5", 5, 5},    {"0x10\t10 PLL", 0x10, 0x10},
            {"0x05\t", -1, 0},        {"0x05", -1, 0},      {"0x05\tG1", -1, 0},
            {"0x05\t5 ", 5, 5},       {"0x05\t5\t9", 5, 5}, {"0x05\t5x", -1, 0},
            {"0x05\t+1", -1, 0},      {"0x05\t 1", -1, 0},  {"0x-1\t12", -1, 0},
            {"0x5\t12", -1, 0},
        };
        for (const auto& row : rows) {
            const auto write = readRegisterLine(row.field);
            QVERIFY2(write.has_value() == (row.reg >= 0), row.field);
            if (write)
                QCOMPARE(*write, (RegisterWrite{std::uint8_t(row.reg), std::uint8_t(row.value)}));
        }
        // Only a field that starts with "0x" is a register line.
        for (const char* other : {"0X03\t12", " 0x03\t12", "0", ""})
            QVERIFY(!isRegisterLine(other));
    }

    void headerDecides() {
        for (const char* refused : {"//qdm7720a register file\r\n0x03\t12\r\n",
                                    " //QDM7720A Register File\r\n", "//QDM7720A Register File \n",
                                    "", "\r\n//QDM7720A Register File\r\n", "0x03\t12\r\n"}) {
            const RegisterFileCheck check = checkRegisterFile(refused);
            QCOMPARE(check.verdict, Verdict::NotRegisterFile);
            QVERIFY(check.writes.empty());
        }
        // The header is the first field: a comma ends it.
        QCOMPARE(checkRegisterFile("//QDM7720A Register File,0x03\t12\r\n").writes,
                 (Writes{{0x03, 0x12}}));
    }

    void fieldsAndLines() {
        QCOMPARE(checkRegisterFile(kRegisterFileHeader).verdict, Verdict::Accepted);
        QCOMPARE(checkRegisterFile(withHeader("")).writes, Writes{});
        // File order kept, comments and blank lines skipped, commas split
        // fields, LF-only and CR-only line ends, no end on the last line.
        const RegisterFileCheck check = checkRegisterFile(
            withHeader("// comment\r\n\r\n0x05\t01\n0X06\t02\r0x01 FF,0x00\t31,note\r\n0xFF\t00"));
        QCOMPARE(check.verdict, Verdict::Accepted);
        QCOMPARE(check.writes, (Writes{{0x05, 0x01}, {0x01, 0xFF}, {0x00, 0x31}, {0xFF, 0x00}}));
    }

    void badRegisterLineRefusesTheWholeFile() {
        RegisterFileCheck check =
            checkRegisterFile(withHeader("0x00\t31\r\n0x01\t00\r\n// x\r\n0x05\t\r\n0x06\t00\r\n"));
        QCOMPARE(check.verdict, Verdict::BadRegisterLine);
        QCOMPARE(check.lineNumber, 5);
        QCOMPARE(check.lineText, QByteArray("0x05\t"));
        QVERIFY(check.writes.empty());
        // A later field names its whole line; CR LF counts once, lone CR and LF each.
        check = checkRegisterFile(withHeader("\r\r\n\n0x00\t31,0xQQ\t00\n"));
        QCOMPARE(check.lineNumber, 5);
        QCOMPARE(check.lineText, QByteArray("0x00\t31,0xQQ\t00"));
    }

    void anyBytesGiveAConsistentVerdict() {
        QRandomGenerator random(7720);
        const QByteArray alphabet = QByteArray("0xX\t\r\n, ;/F9a") + kRegisterFileHeader;
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = round % 2 ? withHeader("") : QByteArray();
            for (int i = random.bounded(60); i > 0; --i)
                bytes += round % 3 ? alphabet[random.bounded(alphabet.size())]
                                   : char(random.bounded(256));
            const RegisterFileCheck check = checkRegisterFile(bytes);
            QVERIFY(check.verdict == Verdict::Accepted || check.writes.empty());
            QCOMPARE(check.lineNumber > 0, check.verdict == Verdict::BadRegisterLine);
        }
    }
};

QTEST_APPLESS_MAIN(TestRegisterFile)
#include "tst_registerfile.moc"
