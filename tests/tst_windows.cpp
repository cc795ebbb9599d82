// What only the windows show, and every operation of the window under each
// failure of the link (one table, through the controls and the core).
#include "core/link/failurepolicy.h"
#include "core/operations/systeminformation.h"
#include "core/registers/hextext.h"
#include "core/registers/registermap.h"
#include "core/regtexts/registertexts.h"
#include "support/files.h"
#include "support/reports.h"
#include "support/windowrig.h"
#include "ui_aboutwindow.h"
#include "ui_linktestwindow.h"
#include "ui_regdefwindow.h"
#include "windows/aboutwindow.h"
#include "windows/fieldview.h"
#include "windows/linktestwindow.h"
#include "windows/qtprompt.h"
#include "windows/regdefwindow.h"
#include "windows/registergrid.h"
#include "windows/statusline.h"
#include "windows/stopsignalnotifier.h"
#include "windows/testtabs.h"

#include <QAccessible>
#include <QAreaSeries>
#include <QClipboard>
#include <QJsonDocument>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QScatterSeries>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <csignal>

namespace {

// Check boxes and option buttons react on their indicator, near their left edge.
void click(QAbstractButton* button) {
    const bool indicator = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
    QTest::mouseClick(button, Qt::LeftButton, {},
                      indicator ? QPoint(6, button->height() / 2) : button->rect().center());
}

// A failure at the operation's answer `at` (from 0) for `count` answers; a board
// gone is gone from its output report `at` until a Retry.
struct LinkFault {
    enum Kind { None, Nak, NoAnswer, Short, Gone } kind = None;
    int at = 0, count = 1;
};
using F = LinkFault;

QString scratchPath(const char* name) {
    static QTemporaryDir dir;
    return dir.filePath(QLatin1String(name));
}

// Each operation of the window, as a user starts it.
// clang-format off
struct Op {
    static void readBurst(WindowRig& r) { r.ui().cmdReadAllRegisters->click(); }
    static void readSingle(WindowRig& r) { r.ui().chkBurstRead->setChecked(false); readBurst(r); }
    static void cell(WindowRig& r) { QTest::keyClick(r.window->grid().cell(5), '5'); }
    static void panelRead(WindowRig& r) {
        r.ui().txtRegister->setText("07");
        r.ui().cmdReadIndividual->click();
    }
    static void toggle(WindowRig& r) {
        r.ui().txtWriteIndividual_0->setText("A5");
        r.ui().txtRegister->setText("07");
        r.ui().cmdWriteIndividual_0->click();
    }
    static void toggleOther(WindowRig& r) { r.ui().cmdWriteIndividual_1->click(); }
    static void toggleHeld(WindowRig& r) { // 0x07 holds the box's value: the other box's goes
        r.ui().txtWriteIndividual_0->setText("cc");
        r.ui().txtRegister->setText("07");
        r.ui().cmdWriteIndividual_0->click();
        QCOMPARE(r.ui().txtWriteIndividual_0->text(), "CC"); // as two digits
    }
    static void toggleNoByte(WindowRig& r) {
        r.ui().txtWriteIndividual_1->setText("100");
        r.ui().cmdWriteIndividual_0->click();
    }
    static void scan(WindowRig& r) { r.ui().cmdScanI2Caddress->click(); }
    static void channel(WindowRig& r) { // B stays marked, whatever a reconnection read
        r.ui().obChannelSelect_1->click();
        QVERIFY(r.ui().obChannelSelect_1->isChecked());
    }
    static void recal(WindowRig& r) { r.ui().cmdReCal->click(); }
    static void multiWrite(WindowRig& r) { r.ui().cmdMultiWriteTest->click(); }
    static void save(WindowRig& r) {
        QFile::remove(scratchPath("saved.txt"));
        r.prompt.chooseFile(scratchPath("saved.txt"));
        saveCancelled(r);
    }
    static void saveCancelled(WindowRig& r) { r.ui().mnuSaveRegisters->trigger(); }
    static void loadFile(WindowRig& r, const QByteArray& lines) {
        writeFile(scratchPath("load.txt"), "//QDM7720A Register File\r\n" + lines);
        r.prompt.chooseFile(scratchPath("load.txt"));
        r.ui().mnuLoadRegisters->trigger();
    }
    static void load(WindowRig& r) { loadFile(r, "0x05\t12\r\n0x06\t34\r\n0x07\t56\r\n"); }
    static void loadHeader(WindowRig& r) { loadFile(r, {}); }
    static void selectBoard(WindowRig& r) { emit r.ui().cboEVBinstance->activated(0); }
    static void reconnect(WindowRig& r) { r.ui().cmdReconnect->click(); }
    static void led(WindowRig& r) { r.ui().chkLED->click(); }
    static void pollAndHpdA(WindowRig& r) {
        r.ui().chkDisablePoll->click();
        QVERIFY(r.ui().chkHPDoff_3->isEnabled()); // the frame with all in it
        r.ui().chkHPDoff_3->click();
    }
    static void clock(WindowRig& r) { emit r.ui().cboSMBusFrequency->activated(5); }
    // A clock the board does not take; the Retry finds a board with 10 frequencies.
    static void clockThenShorterList(WindowRig& r) {
        r.board().baseClockMHz = 1;
        r.board().divider = 5;
        clock(r);
        QComboBox* list = r.ui().cboSMBusFrequency;
        QVERIFY(list->count() == 10 && list->currentText() == "200" && list->itemText(9) == "1000");
    }
    static void firmware(WindowRig& r) {
        r.ui().mnuAbout->trigger();
        r.window->aboutWindow()->ui().cmdFirmwareVersion->click();
    }
};
// clang-format on

// One operation under one failure of the link, at a chip whose 7-bit address and
// byte differ: the boxes shown ("Kind Answer, ..."), the status bar's text (none:
// unchanged, the program having ended), the trace's '#' lines and the chip's
// registers off their power-on values; changed cells show the chip's, but `shown`
// (none of which passes for read from the chip).
// In the trace, I2C at 0x48 loses "I2C", the address, "count 1" and ", acknowledged",
// "nak" is "not acknowledged (status 0x01)", kTraceWords stand for their lines, "..."
// for any text.
struct FaultRow {
    const char* operation;
    void (*step)(WindowRig&);
    LinkFault fault;
    const char *boxes, *status, *trace, *chip = "", *shown = "";
};

const std::pair<const char*, const char*> kTraceWords[] = {
    {"LED and clock read", "board signals query: LED off | I2C clock query: base 12 MHz, divider "
                           "120 | I2C clock set: divider 120"},
    {"board selected", "LED and clock read | read 02: 0C"},
    {"write refused", "board 0: the write of the output report failed: No such device"},
    {"short", "board 0: the read of the input report failed: only 16 of 64 bytes came in"},
    {"read all", "read 00 count 13: 31 00 0C 12 00 00 00 CC CC 00 00 00 00 | read 10: 10"}};

#define CHIP "0x48 (address byte 0x90)"
#define NO_ACK "No acknowledge from " CHIP ": set the address or scan"
#define ARROW " \u2190 "
#define OP(name) #name, Op::name

const FaultRow kFaultRows[] = {
    // clang-format off
    {OP(readBurst), {}, "", "Read 14 registers from " CHIP, "read all"},
    {OP(readBurst), {F::Nak, 0}, "Address Retry", NO_ACK, "read 00 count 13: nak"},
    {OP(readBurst), {F::Nak, 1}, "Address Retry", "Read 13 of 14 registers, then no acknowledge "
     "from " CHIP ": set the address or scan", "read 00 count 13: 31 ... | read 10: nak"},
    {OP(readBurst), {F::NoAnswer, 0}, "ReadFile Retry", "Read 14 registers from " CHIP,
     "read 00 count 13: no answer | board selected | read all"},
    {OP(readBurst), {F::NoAnswer, 0}, "ReadFile Cancel", "", "read 00 count 13: no answer"},
    {OP(readBurst), {F::Short, 1}, "ReadFile Retry", "Read 14 registers from " CHIP,
     "read 00 count 13: 31 ... | read 10: no answer | board selected | read 10: 10"},
    {OP(readBurst), {F::Gone, 0}, "WriteFile Retry", "Read 14 registers from " CHIP,
     "write refused | board selected | read all"},
    {OP(readSingle), {F::Nak, 5}, "Address Retry", "Read 5 of 14 registers, then no acknowledge "
     "from " CHIP ": set the address or scan", "read 00: 31 | ... | read 04: 00 | read 05: nak"},
    {OP(readSingle), {F::NoAnswer, 3}, "ReadFile Retry", "Read 14 registers from " CHIP,
     "... | read 02: 0C | read 03: no answer | board selected | read 03: 12 | ... | read 10: 10"},
    {OP(readSingle), {F::Short, 13}, "ReadFile Retry", "Read 14 registers from " CHIP,
     "... | read 0C: 00 | short | read 10: no answer | board selected | read 10: 10"},
    {OP(readSingle), {F::Gone, 3}, "WriteFile Retry", "Read 14 registers from " CHIP,
     "... | read 02: 0C | write refused | board selected | read 03: 12 | ... | read 10: 10"},
    {OP(toggleOther), {}, "", "0x00" ARROW "0x00, read back 0x31", "read 00: 31 | write 00: 00 | "
     "read 00: 31"},
    {OP(cell), {}, "", "0x05" ARROW "0x05, read back 0x05", "write 05: 05 | read 05: 05", "05=05"},
    {OP(cell), {F::Nak, 0}, "Address Retry", NO_ACK, "write 05: 05, nak", "", "05=5"},
    {OP(cell), {F::NoAnswer, 0}, "ReadFile Retry", "0x05" ARROW "0x05, read back 0x05",
     "write 05: 05, no answer | board selected | write 05: 05 | read 05: 05", "05=05"},
    {OP(cell), {F::NoAnswer, 0}, "ReadFile Cancel", "", "write 05: 05, no answer", "05=05"},
    {OP(cell), {F::Short, 1}, "", "0x05" ARROW "0x05, no read-back: no answer: only 16 of 64 bytes came in", "write 05: 05 | "
     "short | read 05: no answer", "05=05"},
    {OP(cell), {F::Gone, 1}, "", "0x05" ARROW "0x05, no read-back: not sent: No such device",
     "write 05: 05 | write refused", "05=05"},
    {OP(panelRead), {}, "", "Read 0x07: 0xCC", "read 07: CC"},
    {OP(panelRead), {F::Nak, 0}, "Address Retry", NO_ACK, "read 07: nak"},
    {OP(panelRead), {F::NoAnswer, 0}, "ReadFile Cancel", "", "read 07: no answer"},
    {OP(panelRead), {F::Short, 0}, "ReadFile Retry", "Read 0x07: 0xCC", "short | read 07: no answer | "
     "board selected | read 07: CC"},
    {OP(panelRead), {F::Gone, 0}, "WriteFile Retry", "Read 0x07: 0xCC", "write refused | board "
     "selected | read 07: CC"},
    {OP(toggle), {}, "", "0x07" ARROW "0xA5, read back 0xA5", "read 07: CC | write 07: A5 | read "
     "07: A5", "07=A5"},
    {OP(toggle), {F::Nak, 1}, "Address Retry", "0x07" ARROW "0xA5 not acknowledged by " CHIP
     "; read back 0xCC", "read 07: CC | write 07: A5, nak | read 07: CC"},
    {OP(toggle), {F::Nak, 1}, "Address Cancel", "", "read 07: CC | write 07: A5, nak"},
    {OP(toggle), {F::NoAnswer, 2}, "", "0x07" ARROW "0xA5, no read-back: no answer",
     "read 07: CC | write 07: A5 | read 07: no answer", "07=A5", "07=CC"},
    {OP(toggle), {F::Short, 1}, "ReadFile Retry", "0x07" ARROW "0xA5, read back 0xA5",
     "read 07: CC | short | write 07: A5, no answer | board selected | write 07: A5 | read 07: A5",
     "07=A5"},
    {OP(toggle), {F::Gone, 2}, "", "0x07" ARROW "0xA5, no read-back: not sent: No such device",
     "read 07: CC | write 07: A5 | write refused", "07=A5", "07=CC"},
    {OP(toggleHeld), {}, "", "0x07" ARROW "0x00, read back 0x00", "read 07: CC | write 07: 00 | "
     "read 07: 00", "07=00"},
    {OP(toggleNoByte), {}, "", "A value box holds no byte; nothing written", ""},
    {OP(scan), {}, "", "Found the QDM7720A at " CHIP, "I2C read 0x00 reg 0x00: nak | ... | I2C "
     "read 0x47 reg 0x00: nak | read 00: 31"},
    {OP(scan), {F::Nak, 0x48}, "NotFound No", "No QDM7720A answered at any of the 128 addresses "
     "probed", "... | read 00: nak | ... | I2C read 0x7F reg 0x00: nak"},
    {OP(scan), {F::NoAnswer, 0x10}, "ReadFile Retry, Address Retry", "Found the QDM7720A at " CHIP,
     "... | I2C read 0x10 reg 0x00: no answer | LED and clock read | I2C read 0x0F reg 0x02: nak | "
     "I2C read 0x10 reg 0x00: nak | ... | read 00: 31"},
    {OP(scan), {F::Short, 0x47}, "ReadFile Retry, Address Retry", "Found the QDM7720A at " CHIP,
     "... | I2C read 0x47 reg 0x00: no answer | LED and clock read | I2C read 0x46 reg 0x02: nak | "
     "I2C read 0x47 reg 0x00: nak | read 00: 31"},
    {OP(scan), {F::Gone, 0x10}, "WriteFile Cancel", "Scanning: probing 0x10 (address byte 0x20) "
     "\u2026", "... | I2C read 0x0F reg 0x00: nak | write refused"},
    {OP(channel), {}, "", "Channel B selected (0x02" ARROW "0x01, read back 0x01)",
     "write 02: 01 | read 02: 01", "02=01"},
    {OP(channel), {F::Nak, 0}, "Address Retry", NO_ACK, "write 02: 01, nak"},
    {OP(channel), {F::NoAnswer, 1}, "", "Channel B selected (0x02" ARROW "0x01, no read-back: no "
     "answer)", "write 02: 01 | read 02: no answer", "02=01"},
    {OP(channel), {F::Short, 0}, "ReadFile Retry", "Channel B selected (0x02" ARROW
     "0x01, read back 0x01)", "short | write 02: 01, no answer | LED and clock read | read 02: 01 | write "
     "02: 01 | read 02: 01", "02=01"},
    {OP(channel), {F::Gone, 0}, "WriteFile Retry", "Channel B selected (0x02" ARROW "0x01, read "
     "back 0x01)", "write refused | board selected | write 02: 01 | read 02: 01", "02=01"},
    {OP(channel), {F::Gone, 1}, "", "Channel B selected (0x02" ARROW "0x01, no read-back: not "
     "sent: No such device)", "write 02: 01 | write refused", "02=01"},
    {OP(recal), {}, "", "Termination re-calibrated: 0x03 pulsed 0x92, then 0x12", "read 03: 12 | "
     "write 03: 92 | write 03: 12"},
    {OP(recal), {F::Nak, 0}, "Address Retry", NO_ACK, "read 03: nak"},
    {OP(recal), {F::Nak, 1, 2}, "", "Re-Cal failed, bit 7 of 0x03 may be left high: 0x03" ARROW "0x92 not "
     "acknowledged, 0x03" ARROW "0x12 not acknowledged", "read 03: 12 | write "
     "03: 92, nak | write 03: 12, nak"},
    {OP(recal), {F::NoAnswer, 1, 2}, "", "Re-Cal failed, bit 7 of 0x03 may be left high: 0x03" ARROW "0x92 "
     "no answer, 0x03" ARROW "0x12 no answer", "read 03: 12 | write 03: 92, no "
     "answer | write 03: 12, no answer"},
    {OP(recal), {F::Short, 1}, "", "Re-Cal failed: 0x03" ARROW "0x92 no answer: only 16 of 64 bytes came in, 0x03" ARROW "0x12 written", "read 03: 12 | short | write 03: 92, no answer | write 03: 12"},
    {OP(recal), {F::Gone, 2}, "", "Re-Cal failed, bit 7 of 0x03 may be left high: 0x03" ARROW "0x92 "
     "written, 0x03" ARROW "0x12 not sent: No such device", "read 03: 12 | write 03: 92 "
     "| write refused", "03=92"},
    {OP(multiWrite), {}, "", "Multi-write: 0x06 to 0x08" ARROW "01 01 01, read back",
     "write 06: 01 01 01 | read 06 count 3: 01 01 01", "06=01 07=01 08=01"},
    {OP(multiWrite), {F::Nak, 0}, "Address Retry", NO_ACK, "write 06: 01 01 01, nak",
     "06=01 07=01"},
    {OP(multiWrite), {F::NoAnswer, 1}, "", "Multi-write: 0x06 to 0x08" ARROW "01 01 01, no "
     "read-back: no answer", "write 06: 01 01 01 | read 06 count 3: no answer", "06=01 07=01 08=01",
     "06=00 07=00 08=00"},
    {OP(multiWrite), {F::Short, 0}, "ReadFile Retry", "Multi-write: 0x06 to 0x08" ARROW
     "01 01 01, read back", "short | write 06: 01 01 01, no answer | board selected | write 06: 01 01 01 | "
     "read 06 count 3: 01 01 01", "06=01 07=01 08=01"},
    {OP(multiWrite), {F::Gone, 0}, "WriteFile Retry", "Multi-write: 0x06 to 0x08" ARROW
     "01 01 01, read back", "write refused | board selected | write 06: 01 01 01 | read 06 count "
     "3: 01 01 01", "06=01 07=01 08=01"},
    {OP(save), {}, "", "Saved 14 registers to saved.txt", "read all"},
    {OP(saveCancelled), {}, "", "Save cancelled", "read all"},
    {OP(save), {F::Nak, 0}, "Address Retry", "Saved saved.txt, but 14 of its 14 registers were not "
     "read, no acknowledge from " CHIP ": their lines hold the cells as they were",
     "read 00 count 13: nak"},
    {OP(save), {F::NoAnswer, 1}, "ReadFile Retry", "Saved 14 registers to saved.txt",
     "read 00 count 13: 31 ... | read 10: no answer | board selected | read 10: 10"},
    {OP(save), {F::Short, 0}, "ReadFile Retry", "Saved 14 registers to saved.txt", "short | read 00 count "
     "13: no answer | board selected | read all"},
    {OP(save), {F::Gone, 0}, "WriteFile Cancel", "", "write refused"},
    {OP(load), {}, "", "Loaded load.txt: 3 registers written, all read back", "write 05: 12 | "
     "write 06: 34 | write 07: 56 | read 00 count 13: 31 00 0C 12 00 12 34 56 CC 00 00 00 00 | "
     "read 10: 10", "05=12 06=34 07=56"},
    {OP(load), {F::Nak, 1}, "Address Retry", "Load of load.txt stopped: not acknowledged by " CHIP
     "; 1 register line was written and stays written (0x05)", "write 05: 12 | write 06: 34, nak",
     "05=12"},
    {OP(loadHeader), {F::Nak, 0}, "Address Retry", "Loaded load.txt: 0 registers written, but 14 "
     "of 14 registers not read back: no acknowledge from " CHIP, "read 00 count 13: nak"},
    {OP(load), {F::NoAnswer, 0}, "ReadFile Retry", "Loaded load.txt: 3 registers written, all read "
     "back", "write 05: 12, no answer | board selected | write 05: 12 | ... | read 10: 10",
     "05=12 06=34 07=56"},
    {OP(load), {F::Short, 3}, "ReadFile Retry", "Loaded load.txt: 3 registers written, all read "
     "back", "... | write 07: 56 | short | read 00 count 13: no answer | board selected | read 00 count "
     "13: 31 00 0C 12 00 12 34 56 CC 00 00 00 00 | read 10: 10", "05=12 06=34 07=56"},
    {OP(load), {F::Gone, 2}, "WriteFile Cancel", "", "write 05: 12 | write 06: 34 | write refused",
     "05=12 06=34"},
    {OP(selectBoard), {}, "", "Board 0 selected", "board selected"},
    {OP(selectBoard), {F::Nak, 2}, "Address Retry", NO_ACK, "LED and clock read | read 02: nak"},
    {OP(selectBoard), {F::NoAnswer, 0}, "GPstatus Retry", "Board 0 selected", "board signals "
     "query: no answer | board selected | I2C clock query: base 12 MHz, divider 120 | I2C clock "
     "set: divider 120 | read 02: 0C"},
    {OP(selectBoard), {F::Short, 1}, "GPstatus Retry", "Board 0 selected", "board signals query: "
     "LED off | short | I2C clock query: no answer | board selected | read 02: 0C"},
    {OP(selectBoard), {F::Gone, 0}, "GPstatus Cancel", "Board 0 selected", "write refused"},
    {OP(reconnect), {}, "", "Board 0 selected", "board selected"},
    {OP(pollAndHpdA), {}, "", "Board signals set: LED off, poll off, HPD off A", "board signals "
     "set: LED off, poll off | board signals set: LED off, poll off, HPD off A"},
    {OP(led), {}, "", "Board signals set: LED on, poll on", "board signals set: LED on, poll on"},
    {OP(led), {F::Gone, 0}, "GPstatus Retry", "The board did not take the command",
     "write refused | board signals query: LED off | board signals set: LED off, poll on | I2C "
     "clock query: base 12 MHz, divider 120 | I2C clock set: divider 120 | read 02: 0C"},
    {OP(led), {F::Gone, 0}, "GPstatus Cancel", "", "write refused"},
    {OP(clock), {}, "", "I2C clock set to 104 kHz", "I2C clock set: divider 115"},
    {OP(clockThenShorterList), {F::Gone, 0}, "GPstatus Retry", "I2C clock not set to 104 kHz: the "
     "board did not take the command", "write refused | board signals query: LED off | I2C clock "
     "query: base 1 MHz, divider 5 | I2C clock set: divider 5 | read 02: 0C"},
    {OP(firmware), {F::NoAnswer, 0}, "GPstatus Retry", "Board 0 selected", "firmware query: no "
     "answer | board selected"},
    // clang-format on
};

} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void startUpAndWhatTheWindowShows() {
        StartedWindowRig rig;
        MainWindow& window = *rig.window;
        Ui::frmMain& ui = rig.ui();
        // Only "Registers" is offered, current, with the tab strip focused.
        QVERIFY(ui.SSTab1->isTabVisible(0) && !ui.SSTab1->isTabVisible(1) &&
                !ui.SSTab1->isTabVisible(2) && ui.SSTab1->currentIndex() == 0);
        QCOMPARE(QApplication::focusWidget(), ui.SSTab1->tabBar());
        QVERIFY(ui.obChannelSelect_5->isChecked() && ui.chkBurstRead->isChecked() &&
                !ui.fraManualHPD_DDC_0->isEnabled());
        QCOMPARE(ui.cboEVBinstance->itemText(0) + ui.cboSMBusFrequency->currentText(),
                 QStringLiteral("0100"));
        for (int reg = 0; reg <= 0x10; ++reg) { // the test tabs' pages are disabled while hidden
            QLineEdit* cell = window.grid().cell(reg);
            QVERIFY(cell->text().isEmpty() && cell->isHidden() == !isGridRegister(reg));
            QCOMPARE(cell->isEnabled() || cell->isHidden(),
                     isUserWritable(reg) || cell->isHidden());
        }
        QCOMPARE(window.minimumSize(), window.maximumSize());
        // The address boxes set the address byte and show it.
        click(rig.ui().chkADDRbit_6);
        click(rig.ui().chkADDRbit_3);
        QVERIFY(window.session().address().byte() == 0x90 &&
                rig.ui().txtI2Caddress->text() == "90");
        window.session().address().setByte(0xFE);
        QVERIFY(rig.ui().chkADDRbit_0->isChecked() && rig.ui().chkADDRbit_6->isChecked());
        QTest::keyClick(&window, Qt::Key_T, Qt::ControlModifier); // Exit's shortcut
        QVERIFY(rig.end.calls == 1 && !window.isVisible());
    }

    // The field view follows a register's label; a field of each kind, set
    // through its control, writes its register once and reads it back (chip
    // at 0x48, address byte 0x90); the status bar, the cell, its mark and its
    // decoded tooltip follow. Not read yet, the fields are unknown.
    void fieldView() {
        const AnswerFault ok = AnswerFault::none(), drop = AnswerFault::drop();
        // register, field, value set, byte written, fault of the write, of the read-back, status
        const std::tuple<int, const char*, int, int, AnswerFault, AnswerFault, const char*> rows[] =
            {{9, "Test Pattern Generator", 1, 0x01, ok, ok,
              "0x09 Test Pattern Generator \u2190 PRBS7 (0x01), read back 0x01"},
             {2, "Power Down", 1, 0x2C, ok, ok, "0x02 Power Down \u2190 on (0x2C), read back 0x2C"},
             {2, "Reset", 1, 0x1C, ok, ok,
              "0x02 Reset \u2190 reset (0x1C), read back 0x0C; the chip was reset: read 14 "
              "registers from 0x48 (address byte 0x90)"},
             {6, "Transmit Current", 4, 0x04, ok, ok,
              "0x06 Transmit Current \u2190 10.500 mA (0x04), read back 0x04"},
             {7, "Rx Equalization Gain A", 15, 0xCF, ok, drop,
              "0x07 Rx Equalization Gain A \u2190 maximum boost (0xCF), no read-back: no answer"},
             {5, "Tristate Data", 1, 0x02, AnswerFault::nak(), ok,
              "No acknowledge from 0x48 (address byte 0x90): set the address or scan"}};
        for (const auto& [reg, name, value, byte, writeFault, readFault, says] : rows) {
            StartedWindowRig rig(0x48);
            FieldView& view = rig.window->fieldView();
            QTest::mouseClick(rig.window->grid().label(reg), Qt::LeftButton);
            QWidget* control = view.control(QString::fromLatin1(name));
            QVERIFY(view.shownRegister() == reg && !control->isEnabled());
            if (auto* list = qobject_cast<QComboBox*>(control)) // not known: no value shown
                QCOMPARE(list->currentIndex(), -1);
            else if (auto* spin = qobject_cast<QSpinBox*>(control))
                QCOMPARE(spin->text(), QStringLiteral("unknown"));
            click(rig.ui().cmdReadAllRegisters);
            QVERIFY(control->isEnabled());
            const QString before = rig.window->session().registers().text(std::uint8_t(reg));
            rig.board().received.clear();
            rig.board().answerFaults = {writeFault, readFault};
            rig.prompt.answer(Answer::Retry);
            if (auto* list = qobject_cast<QComboBox*>(control))
                emit list->activated(value);
            else if (auto* spin = qobject_cast<QSpinBox*>(control))
                spin->setValue(value);
            else
                click(qobject_cast<QCheckBox*>(control));
            const bool written = writeFault.kind == AnswerFault::Kind::None;
            std::vector<Report> sent = {i2cWrite(0x90, reg, {byte})};
            if (written)
                sent.push_back(i2cRead(0x90, reg, 1));
            if (byte == 0x1C) // the chip reset: the registers are read again
                sent.insert(sent.end(), {i2cRead(0x90, 0x00, 13), i2cRead(0x90, 0x10, 1)});
            QCOMPARE(rig.board().received, sent);
            QCOMPARE(rig.window->statusLine().outcome(), QString::fromUtf8(says));
            QLineEdit* cell = rig.window->grid().cell(reg);
            QCOMPARE(cell->text(), written ? hexByte(rig.simChip().registers[reg]) : before);
            const RegisterField& f = *findField(std::uint8_t(reg), QString::fromLatin1(name));
            const unsigned now = f.valueIn(hexTextByte(cell->text()).value());
            QVERIFY(
                cell->toolTip().contains(QStringLiteral("%1: %2").arg(name, fieldMeaning(f, now))));
            QCOMPARE(cell->palette().color(QPalette::Base) !=
                         rig.ui().txtRegVal_3->palette().color(QPalette::Base),
                     readFault.kind != AnswerFault::Kind::None);
            if (auto* box = qobject_cast<QCheckBox*>(control))
                QCOMPARE(box->isChecked(), written && byte != 0x1C);
        }
        StartedWindowRig rig;
        QSignalSpy selected(&rig.window->grid(), &RegisterGrid::registerSelected);
        for (int i = 0; i < RegisterGrid::kLabels; ++i) { // the register each label names
            QTest::mouseClick(rig.window->grid().label(i), Qt::LeftButton);
            QCOMPARE(selected.last().at(0).value<std::uint8_t>(),
                     rig.window->grid().label(i)->text().right(5).left(4).toUInt(nullptr, 16));
            selected.clear();
        }
        click(rig.ui().cmdReadAllRegisters);
        rig.window->fieldView().showRegister(0x00);
        QVERIFY(!rig.window->fieldView().control(u"Device ID")->isEnabled());

        // A reset whose read-back fails: the registers are read again, and an edit
        // after it changes its field of what the chip holds now, the Reset bit
        // written clear.
        StartedWindowRig reset(0x48);
        FieldView& view = reset.window->fieldView();
        reset.simChip().registers[0x06] = 0x04;
        click(reset.ui().cmdReadAllRegisters);
        reset.board().received.clear();
        reset.board().answerFaults = {AnswerFault::none(), AnswerFault::nak()};
        view.showRegister(0x02);
        click(qobject_cast<QCheckBox*>(view.control(u"Reset")));
        view.showRegister(0x06);
        qobject_cast<QSpinBox*>(view.control(u"Transmit PreEmphasis"))->stepUp();
        view.showRegister(0x02);
        click(qobject_cast<QCheckBox*>(view.control(u"Power Down")));
        QCOMPARE(reset.board().received,
                 (std::vector<Report>{i2cWrite(0x90, 2, {0x1C}), i2cRead(0x90, 2, 1),
                                      i2cRead(0x90, 0, 13), i2cRead(0x90, 0x10, 1),
                                      i2cWrite(0x90, 6, {0x10}), i2cRead(0x90, 6, 1),
                                      i2cWrite(0x90, 2, {0x2C}), i2cRead(0x90, 2, 1)}));
        rig.window->fieldView().showRegister(0x02); // its settings as a list, not a number
        QVERIFY(qobject_cast<QComboBox*>(rig.window->fieldView().control(u"Channel Select")));
    }

    // Channel Select while a select mode chooses: read-only, and offered with
    // them cleared in one write; Recalibrate a pulse; Read (F5) reads the
    // register shown; marks and the description follow.
    void fieldViewRules() {
        StartedWindowRig lock(0x48);
        FieldView& fields = lock.window->fieldView();
        fields.showRegister(0x02);
        QTest::keyClick(lock.window.get(), Qt::Key_F5); // the button's click comes later
        QTRY_COMPARE(lock.window->statusLine().outcome(),
                     QStringLiteral("Read 0x02: 0x0C from 0x48 (address byte 0x90)"));
        QWidget* channel = fields.control(u"Channel Select");
        QVERIFY(
            !channel->isEnabled() && fields.offer(u"Channel Select")->isVisibleTo(&fields) &&
            channel->toolTip().contains(QStringLiteral("Read-only now: Hardware Channel "
                                                       "Select and Auto Channel Select are set")));
        QVERIFY(fields.mark(u"Hardware Channel Select")->text().isEmpty());
        lock.board().received.clear();
        QMenu* offered = fields.offer(u"Channel Select")->menu();
        emit offered->aboutToShow();
        offered->actions().at(2)->trigger(); // after the section: A, B
        QCOMPARE(lock.window->statusLine().outcome(),
                 QStringLiteral(
                     "0x02 Hardware Channel Select \u2190 bits 2:0, Auto Channel "
                     "Select \u2190 bits 1:0, Channel Select \u2190 B (0x01), read back 0x01"));
        QVERIFY(channel->isEnabled() && fields.mark(u"Hardware Channel Select")->text() == "*" &&
                !fields.offer(u"Channel Select")->isVisibleTo(&fields));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(fields.control(u"Power Down"), &enter);
        QVERIFY(fields.description().startsWith(QStringLiteral("Bit 5 (Power Down) When high")));
        fields.showRegister(0x03);
        click(fields.readButton());
        click(qobject_cast<QCheckBox*>(fields.control(u"Recalibrate")));
        QCOMPARE(lock.board().received,
                 (std::vector<Report>{i2cWrite(0x90, 2, {0x01}), i2cRead(0x90, 2, 1),
                                      i2cRead(0x90, 3, 1), i2cWrite(0x90, 3, {0x92}),
                                      i2cWrite(0x90, 3, {0x12}), i2cRead(0x90, 3, 1)}));
        QVERIFY(!qobject_cast<QCheckBox*>(fields.control(u"Recalibrate"))->isChecked());
        QCOMPARE(lock.window->statusLine().outcome(),
                 QStringLiteral("Termination re-calibrated: 0x03 pulsed 0x92, then 0x12, read back "
                                "0x12"));
        fields.showRegister(0x06); // read, a spin box at 0 steps no further down
        click(fields.readButton());
        QTest::keyClick(fields.control(u"Transmit Current"), Qt::Key_Down);
        QCOMPARE(qobject_cast<QSpinBox*>(fields.control(u"Transmit Current"))->value(), 0);
    }

    // Every way text can enter a hex box goes through the filter; a key
    // release in a cell writes, a paste that is no byte beeps.
    void hexBoxes() {
        // box, how the text enters (typed with these modifiers, pasted or committed by an
        // input method), the text, the box's text after, written (-1: nothing)
        const int alt = Qt::AltModifier, ctrlAlt = alt | Qt::ControlModifier, paste = -1,
                  commit = -2;
        // clang-format off
        const std::tuple<const char*, int, const char*, const char*, int> rows[] = {
            {"txtRegVal_5", 0, "a", "0A", 0x0A}, {"txtRegVal_5", alt, "g", "00", 0x00},
            {"txtWriteIndividual_1", ctrlAlt, "x", "00", -1},
            {"txtRegVal_5", commit, "\u00e9", "00", -1}, {"txtRegister", commit, "b", "0B", -1},
            {"txtRegVal_9", paste, "0x5A", "5A", 0x5A}, {"txtRegVal_9", paste, "zz", "zz", -1},
            {"txtRegVal_1", 0, "a", "00", -1}}; // the last a read-only cell
        // clang-format on
        for (const auto& [box, how, typed, after, written] : rows) {
            StartedWindowRig rig;
            const QString text = QString::fromUtf8(typed);
            auto* edit = rig.window->findChild<QLineEdit*>(QLatin1String(box));
            edit->setText(QStringLiteral("00"));
            edit->setFocus();
            edit->setSelection(1, 1); // typing replaces the second digit
            if (how == paste) {
                QApplication::clipboard()->setText(text);
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier); // Ctrl's release writes
            } else if (how == commit) {
                QInputMethodEvent event;
                event.setCommitString(text);
                QApplication::sendEvent(edit, &event);
            } else {
                for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                    QKeyEvent key(type, text.front().toUpper().unicode(),
                                  Qt::KeyboardModifiers(how), text);
                    QApplication::sendEvent(edit, &key);
                }
            }
            QCOMPARE(edit->text(), QLatin1String(after));
            const std::vector<Report> writes = i2cWrites(rig.board().received);
            QCOMPARE(writes.empty() ? -1 : int(writes.front()[5]), written);
            QCOMPARE(rig.prompt.beeps, text == QLatin1String("zz") ? 1 : 0);
        }
    }

    // Passes of Tab and Shift+Tab through the grid and the panel write
    // nothing, however many; a key typed in a cell still writes on its release.
    void tabPassesWriteNothing() {
        StartedWindowRig rig(0x48);
        QWindow* keys = rig.window->windowHandle();
        QLineEdit* start = rig.window->grid().cell(2);
        start->setFocus();
        // clang-format off
        const std::pair<int, Qt::KeyboardModifier> rounds[] = {
            {2, Qt::NoModifier}, {3, Qt::ShiftModifier}, {3, Qt::NoModifier}, {2, Qt::ShiftModifier}};
        // clang-format on
        for (const auto& [passes, mods] : rounds) {
            for (int pass = 0, steps = 0; pass < passes && steps < 500; ++steps) {
                QTest::keyClick(keys, Qt::Key_Tab, mods);
                pass += QApplication::focusWidget() == start;
            }
            QCOMPARE(QApplication::focusWidget(), start);
        }
        QVERIFY(rig.board().received.empty());
        QTest::keyClick(keys, Qt::Key_7);
        QCOMPARE(i2cWrites(rig.board().received), std::vector<Report>{i2cWrite(0x90, 2, {0x07})});
    }

    void operationsUnderLinkFailures_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kFaultRows)); ++i)
            QTest::addRow("%d %s %s", i, kFaultRows[i].operation, kFaultRows[i].boxes) << i;
    }
    void operationsUnderLinkFailures() {
        QFETCH(int, row);
        const FaultRow& r = kFaultRows[row];
        StartedWindowRig rig(0x48);
        rig.window->testTabs().setShown(true);
        SimBoard& board = rig.board();
        if (r.fault.kind == LinkFault::Gone) {
            board.unplugAfterReports = r.fault.at;
        } else if (r.fault.kind != LinkFault::None) {
            const AnswerFault kinds[] = {AnswerFault::nak(), AnswerFault::drop(),
                                         AnswerFault::shortReport()};
            board.answerFaults.resize(r.fault.at, AnswerFault::none());
            board.answerFaults.insert(board.answerFaults.end(), r.fault.count,
                                      kinds[r.fault.kind - F::Nak]);
        }
        // Each box answered as the row says; a Retry finds the board plugged in again.
        const std::map<QString, QString> texts = {{"Address", kInvalidAddressText},
                                                  {"ReadFile", kReadFileErrorText},
                                                  {"WriteFile", kWriteFileErrorText},
                                                  {"GPstatus", kCheckGPstatusText},
                                                  {"NotFound", kAddressNotFoundText}};
        const QStringList boxes = QString::fromLatin1(r.boxes).split(", ", Qt::SkipEmptyParts);
        QStringList shownBoxes;
        for (const QString& box : boxes) {
            shownBoxes << texts.at(box.section(' ', 0, 0));
            rig.prompt.answer(box.endsWith("Retry")    ? Answer::Retry
                              : box.endsWith("Cancel") ? Answer::Cancel
                                                       : Answer::No,
                              [&board] { board.unplugged = false; });
        }
        const RegisterModel& model = rig.window->session().registers();
        QStringList cells;
        for (int reg = 0; reg < RegisterGrid::kCells; ++reg)
            cells << model.text(std::uint8_t(reg));
        const QString status = rig.window->statusLine().outcome();
        QCOMPARE(rig.window->statusLine().where(),
                 QStringLiteral("Board 0 \u00b7 SIM0000 Chip " CHIP));

        r.step(rig);
        QCOMPARE(rig.prompt.texts(), shownBoxes);
        QCOMPARE(rig.ended(), QByteArray(r.boxes).contains("Cancel"));
        const QString outcome = rig.window->statusLine().outcome();
        QCOMPARE(QString(outcome).remove(scratchPath("") + '/'),
                 *r.status ? QString::fromUtf8(r.status) : status);
        // The bar shows it whole, or its start and the whole in the tool tip.
        const QLabel* bar = rig.window->statusBar()->findChildren<QLabel*>().value(0);
        QVERIFY(bar->text() == outcome ||
                (bar->toolTip() == outcome && bar->text().endsWith(u'\u2026') &&
                 outcome.startsWith(bar->text().chopped(1))));
        QString trace = rig.memory.takeMeanings().join(" | ");
        trace.replace("I2C read 0x48 reg 0x", "read ").replace("I2C write 0x48 reg 0x", "write ");
        trace.replace(" count 1:", ":").replace(", acknowledged", "");
        trace.replace("not acknowledged (status 0x01)", "nak");
        for (const auto& [words, lines] : kTraceWords)
            trace.replace(QLatin1String(lines), QLatin1String(words));
        QStringList parts = QString::fromUtf8(r.trace).split("...");
        for (QString& part : parts)
            part = QRegularExpression::escape(part);
        QVERIFY2(QRegularExpression('^' + parts.join(".*") + '$').match(trace).hasMatch(),
                 qPrintable(trace));
        const SimChip powerOn(0x48);
        QStringList chip, shown;
        for (int reg = 0; reg < 256; ++reg) {
            const auto rr = std::uint8_t(reg);
            const std::uint8_t held = rig.simChip().registers[reg];
            if (held != powerOn.registers[reg])
                chip << hexByte(rr) + '=' + hexByte(held);
            if (reg < RegisterGrid::kCells && model.text(rr) != cells[reg] &&
                model.text(rr) != hexByte(held))
                shown << hexByte(rr) + '=' + model.text(rr);
            // What the model has as read from the chip is what the chip holds.
            if (model.entry(rr).origin == RegisterModel::Origin::Read)
                QCOMPARE(hexByte(model.entry(rr).value), hexByte(held));
        }
        QCOMPARE(chip.join(' '), QLatin1String(r.chip));
        QCOMPARE(shown.join(' '), QLatin1String(r.shown));
    }

    // While hidden, no key, wheel or click makes a test tab current or
    // reaches a control on one; once revealed they work as usual.
    void accessCodeAndHiddenTabs() {
        StartedWindowRig rig;
        QTabWidget* tabs = rig.ui().SSTab1;
        QTabBar* strip = tabs->tabBar();
        for (const auto& [key, mods] : {std::pair{Qt::Key_End, Qt::KeyboardModifiers{}},
                                        {Qt::Key_Tab, Qt::ControlModifier}}) {
            QTest::keyClick(strip, key, mods);
            QTest::keyClick(rig.ui().cmdQuit->parentWidget(), key, mods);
        }
        for (int delta : {-120, 120}) {
            QWheelEvent turn(strip->rect().center(), strip->mapToGlobal(strip->rect().center()), {},
                             {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(strip, &turn);
        }
        QCOMPARE(tabs->currentIndex(), 0);
        click(rig.ui().cmdMultiWriteTest);
        QVERIFY(rig.board().received.empty());
        // The code on the strip, in any case; Backspace erases nothing; keys
        // typed elsewhere and Tab do not count.
        strip->setFocus();
        QTest::keyClicks(strip, QStringLiteral("mk\bvq"));
        rig.ui().txtRegister->setFocus();
        QTest::keyClicks(rig.ui().txtRegister, QStringLiteral("mkvq"));
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(0).center());
        QCOMPARE(QApplication::focusWidget(), strip);
        QTest::keyClick(strip, Qt::Key_Tab);
        strip->setFocus();
        QTest::keyClicks(strip, QStringLiteral("MkV"));
        QVERIFY(!tabs->isTabVisible(1));
        QTest::keyClicks(strip, QStringLiteral("q"));
        QVERIFY(tabs->isTabVisible(1) && tabs->isTabVisible(2));
        QVERIFY(rig.window->testTabs().typedKeys() == "mk\bvqMkVq" && tabs->currentIndex() == 0);
        QTest::keyClick(strip, Qt::Key_Right);
        QCOMPARE(tabs->currentIndex(), 1);
    }

    // The message boxes: the title, the text, no icon, the buttons asked for.
    void messageBoxes() {
        QtPrompt prompt;
        for (const auto& [buttons, answer] : {std::pair{Buttons::RetryCancel, Answer::Retry},
                                              {Buttons::YesNo, Answer::Yes},
                                              {Buttons::OkCancel, Answer::Cancel}}) {
            QString seen;
            QTimer::singleShot(0, [&seen, answer = answer] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                seen = box->windowTitle() + '|' + box->text() + '|' +
                       QString::number(box->buttons().size() + box->icon());
                const QMessageBox::StandardButton pick[] = {QMessageBox::Ok, QMessageBox::Cancel,
                                                            QMessageBox::Retry, QMessageBox::Yes};
                box->button(pick[int(answer)])->click();
            });
            QCOMPARE(prompt.ask(kReadFileErrorText, buttons), answer);
            QCOMPARE(seen, "QDM7720A|Please check USB connection.\nUSB ReadFile error.|2");
        }
        for (const QString& filter : {kSaveFilter, kLoadFilter})
            QCOMPARE(qtNameFilters(filter).join('|'), "Text File (*.txt)|All Files (*)");
        // The Open dialog: "gui1" typed opens gui1.txt, "plain" the file plain.
        QTemporaryDir dir;
        for (const auto& [typed, file] : {std::pair{"gui1", "gui1.txt"}, {"plain", "plain"}}) {
            QVERIFY(QFile(dir.filePath(file)).open(QIODevice::WriteOnly));
            QTimer::singleShot(0, [typed = typed] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QApplication::setActiveWindow(dialog);
                edit->setFocus(); // typed into, as a user does
                edit->setText(typed);
                QTimer::singleShot(500, dialog, [dialog] { // the box of a file not found
                    QApplication::activeModalWidget()->close();
                    dialog->reject();
                });
                QMetaObject::invokeMethod(dialog, "accept");
            });
            QCOMPARE(prompt.choose({FileRequest::Kind::Open, dir.filePath("x"), "txt", {}}),
                     dir.filePath(file));
        }
    }

    void aboutAndRegisterDefinitions() {
        StartedWindowRig rig;
        MainWindow& window = *rig.window;
        window.move(300, 200);
        QTRY_COMPARE(window.frameGeometry().topLeft(), QPoint(300, 200));
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier); // the File menu's shortcuts
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(rig.prompt.requests.size(), 2u);
        rig.ui().mnuAbout->trigger();
        QPointer<AboutWindow> about = window.aboutWindow();
        QVERIFY(about && QTest::qWaitForWindowExposed(about));
        const QPoint offCentre = about->frameGeometry().center() - window.frameGeometry().center();
        QVERIFY(offCentre.manhattanLength() <= 2 && QApplication::activeModalWidget() == about &&
                QApplication::focusWidget() == about->ui().cmdOK);
        QCOMPARE(about->ui().lblVersion->text(), "Version 2.0 - 2010/January/15");
        click(about->ui().cmdFirmwareVersion);
        QVERIFY(rig.prompt.texts().back().startsWith(QStringLiteral("Firmware Version 2.0")));
        click(about->ui().cmdSysInfo);
        QCOMPARE(rig.prompt.texts().back(), kSysInfoUnavailableText);
        QTest::keyClick(about->ui().cmdSysInfo, Qt::Key_Escape);
        QTRY_VERIFY(!about);
        rig.ui().mnuAbout->trigger(); // afresh
        QVERIFY(window.aboutWindow() && window.aboutWindow() != about.data());
        window.aboutWindow()->close();

        rig.ui().mnuRegisterDefinitions->trigger();
        QPointer<RegisterDefinitionsWindow> regDef = window.registerDefinitionsWindow();
        QVERIFY(regDef && !regDef->parentWidget() && !regDef->isModal());
        QCOMPARE(regDef->windowTitle(), "QDM772x Registers");
        QCOMPARE(regDef->ui().Text1->text(), descriptionText(0));
        click(regDef->ui().regbutton_13);
        QCOMPARE(regDef->ui().Text1->text(), descriptionText(13));
        rig.ui().mnuRegisterDefinitions->trigger(); // the same window, as it was
        QCOMPARE(window.registerDefinitionsWindow(), regDef.data());
        click(regDef->ui().OKButton);
        QTRY_VERIFY(!regDef);
        rig.ui().mnuRegisterDefinitions->trigger(); // fresh again
        regDef = window.registerDefinitionsWindow();
        QVERIFY(regDef->ui().regbutton_0->isChecked());
        window.session().endProgram(); // it goes with the program
        QTRY_VERIFY(!regDef);
    }

    // The Link Test window drives its run one timer step at a time; the
    // main window works meanwhile, and Stop, a failure, closing the window or
    // the end of the program put the registers back. It is a window to
    // accessibility, shows a sweep's controls only for a sweep, refuses a
    // reversed range, draws a sweep of one gain, marks saturated counts as
    // "at least" on its log axis, and saves the results and the chart.
    void linkTest() {
        StartedWindowRig rig(0x48);
        QCOMPARE(rig.ui().mnuLinkTest->text(), QStringLiteral("&Link Test"));
        rig.ui().mnuLinkTest->trigger();
        QPointer<LinkTestWindow> test = rig.window->linkTestWindow();
        QVERIFY(test && !test->parentWidget() && !test->isModal());
        QCOMPARE(QAccessible::queryAccessibleInterface(test)->role(), QAccessible::Window);
        Ui::frmLinkTest& ui = test->ui();
        QVERIFY(ui.spnFromGain->isHidden() && ui.cmdApplyBestGain->isHidden()); // error count
        ui.cboTest->setCurrentIndex(1);
        QVERIFY(!ui.spnFromGain->isHidden() && !ui.cmdApplyBestGain->isHidden());
        ui.cboChannel->setCurrentIndex(1);
        ui.spnFromGain->setValue(4);
        ui.spnToGain->setValue(0xA);
        QCOMPARE(ui.spnToGain->text(), QStringLiteral("0xA")); // upper case, as every hex text
        const std::array<std::uint8_t, 256> before = rig.simChip().registers;
        const auto steps = [&](int results) { // until `results` gains or intervals are done
            const auto done = [&] {
                return test->results().points.size() + test->results().intervals.size();
            };
            for (std::size_t n = done() + results; test->running() && done() < n;) {
                rig.clock.sleepMs(test->waitMs());
                test->step();
            }
        };
        click(ui.cmdStart);
        steps(2);
        QVERIFY(test->running() && !ui.cmdStart->isEnabled() && ui.cmdStop->isEnabled());
        QCOMPARE(rig.simChip().registers[0x07], 0x6C);
        rig.window->readAllRegisters(); // the main window is live during the run
        QCOMPARE(rig.window->session().registers().text(0x07), QStringLiteral("6C"));
        QVERIFY(rig.window->statusLine().outcome().endsWith(QStringLiteral(
            "; the error counts read (0, 0, 0) went to the link test's run as well")));
        click(ui.cmdStop);
        QVERIFY(!test->running() && rig.simChip().registers == before);
        QCOMPARE(test->linkSeries(0)->count(), 2);

        click(ui.cmdStart); // to the end: the best gain marked, then applied
        steps(20);
        QCOMPARE(test->linkSeries(2)->count(), 7);
        QCOMPARE(test->bestGainMarker()->at(0).x(), 7.0);
        QCOMPARE(test->cleanWindowArea()->upperSeries()->at(0).x(), 4.5);
        QVERIFY(test->cleanWindowArea()->isVisible());
        QCOMPARE(ui.lblLinkTestStatus->text().section(QStringLiteral(". "), 0, 0),
                 QStringLiteral("Best gain 0x7 (no errors from 0x5 to 0x9: 5 gains wide, margin "
                                "2 steps)"));
        QVERIFY(rig.simChip().registers == before);
        click(ui.cmdApplyBestGain);
        QCOMPARE(rig.simChip().registers[0x07], 0x7C);
        // The results as CSV and JSON, the chart as PNG.
        const QTemporaryDir temporary;
        const QString folder = temporary.path();
        for (const char* name : {"/r.csv", "/r.json", "/c.png"}) {
            rig.prompt.chooseFile(folder + name);
            click(QString(name).endsWith("png") ? ui.cmdSaveChart : ui.cmdSaveResults);
        }
        QFile csv(folder + "/r.csv"), json(folder + "/r.json"), png(folder + "/c.png");
        QVERIFY(csv.open(QIODevice::ReadOnly) && json.open(QIODevice::ReadOnly) &&
                png.open(QIODevice::ReadOnly));
        QVERIFY(csv.readAll().contains("\n# address,0x48\n# address byte,0x90\n# channel,B\n"));
        QCOMPARE(QJsonDocument::fromJson(json.readAll())["bestGain"].toInt(), 7);
        QVERIFY(png.readAll().startsWith("\x89PNG"));

        ui.spnFromGain->setValue(9); // a reversed range: refused
        ui.spnToGain->setValue(3);
        rig.board().received.clear();
        click(ui.cmdStart);
        QVERIFY(!test->running() && rig.board().received.empty());
        QCOMPARE(ui.lblLinkTestStatus->text(),
                 QStringLiteral("The first gain 0x9 lies above the last 0x3: nothing was run."));
        ui.spnToGain->setValue(9); // one gain: a point, the legend of the last run gone
        click(ui.cmdStart);
        QVERIFY(!test->bestGainMarker()->isVisible() &&
                test->bestGainMarker()->name() == QStringLiteral("Best gain"));
        steps(1);
        QCOMPARE(test->linkSeries(0)->count(), 1);
        QVERIFY(test->linkSeries(0)->attachedAxes().at(0)->property("min").toDouble() < 9);
        ui.spnFromGain->setValue(0xE); // far from B's clean gains: counts saturate
        ui.spnToGain->setValue(0xF);
        click(ui.cmdStart);
        steps(2);
        QCOMPARE(test->atLeastMarks()->count(), 6);
        QCOMPARE(ui.lblLinkTestStatus->text().section(QStringLiteral(". "), 0, 0),
                 QStringLiteral("No best gain: no gain is clean and the fewest errors are a "
                                "saturated count, which cannot be ranked"));

        rig.simChip().registers[0x07] = 0xCC;
        ui.cboTest->setCurrentIndex(0); // an error count, until the board goes
        click(ui.cmdStart);
        steps(2);
        rig.board().unplugAfterReports = 0;
        steps(1);
        QVERIFY(!test->running());
        QCOMPARE(ui.lblLinkTestStatus->text(),
                 QStringLiteral("Stopped: read of the error counters 0x0A to 0x0C at 0x48, the "
                                "board took no request. Register 0x09 not restored to 0x00 "
                                "(board gone; it holds 0x05), register 0x02 not restored to 0x0C "
                                "(board gone; it holds 0x01)."));
        rig.board().unplugged = false;
        rig.simChip().reset(); // as before, and counting afresh

        click(ui.cmdStart); // closing the window stops the run
        test->close();
        QTRY_VERIFY(!test);
        QVERIFY(rig.simChip().registers == before);
        // And so does the end of the program, by a stop signal too: status 128 + the
        // signal, what the run put back on standard error.
        rig.ui().mnuLinkTest->trigger();
        click(rig.window->linkTestWindow()->ui().cmdStart);
        QStringList errors;
        rig.window->setErrorLines([&](const QString& line) { errors << line; });
        StopSignalNotifier::blockStopSignals();
        StopSignalNotifier notifier;
        connect(&notifier, &StopSignalNotifier::received, rig.window.get(),
                &MainWindow::endOnStopSignal);
        raise(SIGTERM);
        QTRY_COMPARE(rig.end.code, 128 + SIGTERM);
        QVERIFY(rig.simChip().registers == before);
        QCOMPARE(errors, QStringList{"SIGTERM: the link test stopped; register 0x09 restored, "
                                     "register 0x02 restored"});
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
