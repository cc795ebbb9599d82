// Formats as tables of bytes and texts in, values out: reports, the hex texts
// of the boxes, numbers on a command line, the trace, register files and the
// register descriptions.
#include "core/link/boardframes.h"
#include "core/link/reporttrace.h"
#include "core/operations/celledit.h"
#include "core/operations/chipcontrols.h"
#include "core/regfiles/registerfile.h"
#include "core/registers/hextext.h"
#include "core/registers/registermap.h"
#include "core/regtexts/registertexts.h"
#include "support/reports.h"

#include <QtTest>

using Verdict = RegisterFileCheck::Verdict;
using Writes = std::vector<RegisterWrite>;

namespace {
QByteArray withHeader(const QByteArray& rest) {
    return kRegisterFileHeader + "\r\n" + rest;
}
} // namespace

class TestFormats : public QObject {
    Q_OBJECT
private slots:
    // A hex box's text is a byte only as one or two digits, blanks around and
    // a 0x prefix allowed; an empty text is 0.
    void hexBoxTexts() {
        const std::pair<const char*, int> rows[] = {
            {"", 0},    {"7", 7},     {"af", 0xAF},  {"0X5A", 0x5A}, {" \t5A \r\n", 0x5A},
            {"0x", -1}, {"1FF", -1},  {"005", -1},   {"1G", -1},     {"5 A", -1},
            {"  ", -1}, {"\x01", -1}, {"0x0x5", -1}, {"+5", -1}};
        for (const auto& [text, value] : rows) {
            const std::optional<std::uint8_t> byte = hexTextByte(QString::fromLatin1(text));
            QCOMPARE(byte ? int(*byte) : -1, value);
        }
    }

    void typedCharactersAndNumbers() {
        const std::pair<int, int> typed[] = {{'7', '7'}, {'a', 'A'}, {'F', 'F'}, {'g', 0}, {'G', 0},
                                             {' ', 0},   {'-', 0},   {13, 13},   {8, 8},   {1, 0},
                                             {22, 0},    {27, 0},    {0xE9, 0}};
        for (const auto& [in, out] : typed)
            QCOMPARE(filterHexKey(in), out);
        const std::pair<const char*, int> numbers[] = {
            {"64", 64},   {"0x40", 0x40}, {"0X7f", 0x7F},   {"127", 127},     {"128", -1},
            {"0x80", -1}, {"-1", -1},     {"+64", -1},      {" 64", -1},      {"64 ", -1},
            {"0x", -1},   {"0x0x40", -1}, {"0x+7f", -1},    {"zz", -1},       {"", -1},
            {"64\n", -1}, {"0x40\n", -1}, {"00000064", 64}, {"000000064", -1}};
        for (const auto& [text, value] : numbers)
            QCOMPARE(parseNumber(QString::fromLatin1(text), 0x7F).value_or(-1), value);
    }

    void channelOptions() {
        // The option shown for register 0x02: hardware select first, then auto.
        const std::pair<int, int> shown[] = {{0x0C, 5}, {0x0E, 5}, {0x06, 4},
                                             {0x02, 2}, {0x21, 1}, {0x13, 3}};
        for (const auto& [value, option] : shown)
            QCOMPARE(channelOptionFor(std::uint8_t(value)), option);
    }

    // The board commands' bytes beyond what the operations' tests show.
    void boardReports() {
        QCOMPARE(signalsSwitchByte({false, true, true, false, true, false}), 0x46);
        QVERIFY(!ledOnInAnswer(reportOf({0, 0, 0xBF})));
        // Base clock 12 MHz, divider 120 in use: from 100 kHz up to 12000.
        const ClockList list = clockListFromAnswer(reportOf({0, 0, 12, 120}));
        QCOMPARE(list.items.size(), 120u);
        QCOMPARE(list.items[1].kHz + list.items[2].kHz + list.items.back().kHz, 100 + 101 + 12000);
        QCOMPARE(list.items.back().divider, 1);
        QCOMPARE(clockListFromAnswer(reportOf({0, 0, 0, 1})).items.size(), 0u);
        QCOMPARE(clockListFromAnswer(reportOf({0, 0, 12, 121})).selected, -1); // 99 kHz
        const FirmwareVersion v =
            firmwareVersionFromAnswer(reportOf({0, 0, 0x12, 0x07, 0xD7, 3, 5}));
        QCOMPARE(firmwareVersionText(v, QLocale::c()),
                 QStringLiteral("Firmware Version 1.2 - 2007/March/5"));
        QCOMPARE(firmwareVersionText({2, 0, 2010, 13, 1}, QLocale::c()),
                 QStringLiteral("Firmware Version 2.0 - 2010/13/1"));
    }

    void traceLine() {
        const QString line = ReportTrace::line(18 * 3600 + 30 * 60 + 7.125, "out", 1,
                                               reportOf({0, 2, 1, 0x81, 0xAB}));
        QVERIFY(line.startsWith(QStringLiteral("18:30:07.125 out 1 00 02 01 81 AB 00")));
        QCOMPARE(line.count(QLatin1Char(' ')), 2 + 64);
    }

    void registerFileLines() {
        QCOMPARE(registerLine(0x10, QStringLiteral("7")) + registerLine(0x0A, QString()),
                 QByteArray("0x10\t7\r\n0x0A\t\r\n"));
        // A pasted line end or comma would split the line into another
        // register's line; the file loads back into this register alone.
        const QByteArray split = registerLine(5, QStringLiteral("12\r\n0x03\t99")) +
                                 registerLine(5, QStringLiteral("12,0x04\t77"));
        QCOMPARE(split, QByteArray("0x05\t12??0x03\t99\r\n0x05\t12?0x04\t77\r\n"));
        QCOMPARE(checkRegisterFile(withHeader(split)).writes, (Writes{{5, 0x12}, {5, 0x12}}));
        QCOMPARE(fileLine(QStringLiteral("\u00e9\u20ac")), QByteArray("\xe9?\r\n"));
    }

    void registerFileFields() {
        // field, register (-1: not a readable register line), value
        const std::tuple<const char*, int, int> rows[] = {
            {"0x03\t12", 3, 0x12},    {"0x03 12", 3, 0x12}, {"0x03=12", 3, 0x12},
            {"0xff\tab", 0xFF, 0xAB}, {"0x05\t5", 5, 5},    {"0x10\t10 PLL", 0x10, 0x10},
            {"0x05\t5 ", 5, 5},       {"0x05\t5\t9", 5, 5}, {"0x05\t5x", -1, 0},
            {"0x05\t", -1, 0},        {"0x05", -1, 0},      {"0x05\tG1", -1, 0},
            {"0x05\t+1", -1, 0},      {"0x05\t 1", -1, 0},  {"0x-1\t12", -1, 0},
            {"0x5\t12", -1, 0},
        };
        for (const auto& [field, reg, value] : rows) {
            const auto write = readRegisterLine(field);
            QVERIFY2(write.has_value() == (reg >= 0), field);
            if (write)
                QCOMPARE(*write, (RegisterWrite{std::uint8_t(reg), std::uint8_t(value)}));
        }
        for (const char* other : {"0X03\t12", " 0x03\t12", "0", ""})
            QVERIFY(!isRegisterLine(other));
    }

    void registerFileChecks() {
        for (const char* refused : {"//qdm7720a register file\r\n0x03\t12\r\n",
                                    " //QDM7720A Register File\r\n", "//QDM7720A Register File \n",
                                    "", "\r\n//QDM7720A Register File\r\n", "0x03\t12\r\n"}) {
            const RegisterFileCheck check = checkRegisterFile(refused);
            QVERIFY(check.verdict == Verdict::NotRegisterFile && check.writes.empty());
        }
        // The header is the first field: a comma ends it.
        QCOMPARE(checkRegisterFile("//QDM7720A Register File,0x03\t12\r\n").writes,
                 (Writes{{0x03, 0x12}}));
        QCOMPARE(checkRegisterFile(kRegisterFileHeader).verdict, Verdict::Accepted);
        // File order kept, comments and blank lines skipped, commas split
        // fields, LF-only and CR-only line ends, no end on the last line.
        RegisterFileCheck check = checkRegisterFile(
            withHeader("// comment\r\n\r\n0x05\t01\n0X06\t02\r0x01 FF,0x00\t31,note\r\n0xFF\t00"));
        QCOMPARE(check.verdict, Verdict::Accepted);
        QCOMPARE(check.writes, (Writes{{0x05, 0x01}, {0x01, 0xFF}, {0x00, 0x31}, {0xFF, 0x00}}));
        // One bad register line refuses the whole file and names its line.
        check =
            checkRegisterFile(withHeader("0x00\t31\r\n0x01\t00\r\n// x\r\n0x05\t\r\n0x06\t00\r\n"));
        QVERIFY(check.verdict == Verdict::BadRegisterLine && check.writes.empty() &&
                check.lineNumber == 5);
        QCOMPARE(check.lineText, QByteArray("0x05\t"));
        check = checkRegisterFile(withHeader("\r\r\n\n0x00\t31,0xQQ\t00\n"));
        QVERIFY(check.lineNumber == 5 && check.lineText == "0x00\t31,0xQQ\t00");
    }

    // Each option shows the description of its own register, headed by it,
    // ending with two line breaks; anything else asks for a register.
    void registerDescriptions() {
        for (int i = 0; i < kDescribedRegisters; ++i) {
            const QString text = descriptionText(i);
            const std::uint8_t reg = kMainRegisters[i];
            QVERIFY(text.startsWith(QStringLiteral("Register 0x%1, ").arg(hexByte(reg))));
            QVERIFY(text.endsWith("\r\n\r\n") && !text.endsWith("\r\n\r\n\r\n"));
            QVERIFY(descriptionIndexOf(reg) == i && !registerName(reg).isEmpty());
        }
        QCOMPARE(descriptionText(14) + descriptionText(-1), kNoRegisterText + kNoRegisterText);
        QVERIFY(registerName(0x05) == "Output Options" && registerName(0x11).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
