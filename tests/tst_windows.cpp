// What only the windows show: the state after start-up, each control reaching
// its operation, keys in the hex boxes, the access code and the hidden test
// tabs, the message boxes, and the About and register definitions windows.
#include "core/link/failurepolicy.h"
#include "core/operations/systeminformation.h"
#include "core/registers/hextext.h"
#include "core/registers/registermap.h"
#include "core/regtexts/registertexts.h"
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
#include "windows/testtabs.h"

#include <QClipboard>
#include <QLineSeries>
#include <QMessageBox>
#include <QPointer>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>

namespace {

// Check boxes and option buttons react on their indicator, near their left edge.
void click(QAbstractButton* button) {
    const bool indicator = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
    QTest::mouseClick(button, Qt::LeftButton, {},
                      indicator ? QPoint(6, button->height() / 2) : button->rect().center());
}

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
        // The grid shows the model, the address boxes the address.
        rig.simChip().registers[0x07] = 0x5A;
        click(rig.ui().cmdReadAllRegisters);
        QCOMPARE(window.grid().cell(0x07)->text() + window.grid().cell(0x00)->text(), "5A31");
        click(rig.ui().chkADDRbit_6);
        click(rig.ui().chkADDRbit_3);
        QVERIFY(window.session().address().byte() == 0x90 &&
                rig.ui().txtI2Caddress->text() == "90");
        window.session().address().setByte(0xFE);
        QVERIFY(rig.ui().chkADDRbit_0->isChecked() && rig.ui().chkADDRbit_6->isChecked());
        QTest::keyClick(&window, Qt::Key_T, Qt::ControlModifier); // Exit's shortcut
        QVERIFY(rig.end.calls == 1 && !window.isVisible());
    }

    // Each control reaches its operation (the first report it sends), and the
    // status bar says what it came to beside the board and the chip address.
    void controlsReachTheirOperations() {
        const std::tuple<const char*, Report, const char*> rows[] = {
            {"cmdReadAllRegisters", i2cRead(0, 0, 13), "Read 14 registers from 0x00"},
            {"cmdReadIndividual", i2cRead(0, 0, 1), "Read 0x00: 0x31"},
            {"cmdWriteIndividual_1", i2cRead(0, 0, 1), ""},
            {"cmdScanI2Caddress", i2cRead(0, 0, 1), "Found the QDM7720A at 0x00"},
            {"obChannelSelect_1", i2cWrite(0, 2, {1}),
             "Channel B selected (0x02 \u2190 0x01, read back 0x01)"},
            {"cmdReCal", i2cRead(0, 3, 1),
             "Termination re-calibrated: 0x03 pulsed 0x92, then 0x12"},
            {"cmdMultiWriteTest", i2cWrite(0, 6, {1, 1, 1}), ""},
            {"chkLED", reportOf({0, CMD_BOARD_SIGNALS, 0, 1}),
             "Board signals set: LED on, poll on"},
            {"chkDisablePoll", reportOf({0, CMD_BOARD_SIGNALS, 0, 2}), ""},
            {"chkHPDoff_3", reportOf({0, CMD_BOARD_SIGNALS, 0, 2, 8}), ""},
            {"cmdReconnect", reportOf({0, CMD_BOARD_SIGNALS, 1}), ""},
            {"cboEVBinstance", reportOf({0, CMD_BOARD_SIGNALS, 1}), ""},
            {"cboSMBusFrequency", reportOf({0, CMD_I2C_CLOCK, 0, 115}), ""}};
        for (const auto& [control, first, says] : rows) {
            StartedWindowRig rig;
            QCOMPARE(rig.window->statusLine().where(),
                     QStringLiteral("Board 0 \u00b7 SIM0000 Chip 0x00 (address byte 0x00)"));
            rig.window->testTabs().setShown(true);
            if (control == QLatin1String("chkHPDoff_3")) {
                click(rig.ui().chkDisablePoll);
                QVERIFY(rig.ui().chkHPDoff_3->isEnabled()); // the frame with all in it
                rig.board().received.clear();
            }
            QWidget* w = rig.window->findChild<QWidget*>(QLatin1String(control));
            for (int page = 0; page < 3; ++page) {
                if (rig.ui().SSTab1->widget(page)->isAncestorOf(w))
                    rig.ui().SSTab1->setCurrentIndex(page);
            }
            if (auto* combo = qobject_cast<QComboBox*>(w))
                emit combo->activated(qMin(5, combo->count() - 1));
            else
                click(qobject_cast<QAbstractButton*>(w));
            QVERIFY2(!rig.board().received.empty() && rig.board().received.front() == first,
                     control);
            QVERIFY(rig.prompt.shown.empty() &&
                    (!*says || rig.window->statusLine().outcome() == QString::fromUtf8(says)));
        }
    }

    // The status bar after a cell's write, a read or a board command not taken, a Cancel.
    void statusBar() {
        using Step = std::function<void(WindowRig&)>;
        const std::pair<Step, const char*> rows[] = {
            {[](WindowRig& r) { QTest::keyClick(r.window->grid().cell(5), '5'); },
             "0x05 \u2190 0x05, read back 0x05"},
            {[](WindowRig& r) {
                 click(r.ui().chkADDRbit_3);
                 r.prompt.answer(Answer::Retry);
                 click(r.ui().cmdReadAllRegisters);
             },
             "No acknowledge from 0x08: set the address or scan"},
            {[](WindowRig& r) { r.ui().mnuSaveRegisters->trigger(); }, "Save cancelled"},
            {[](WindowRig& r) { // the board gone and back: Retry reconnects, nothing is resent
                 r.board().unplugged = true;
                 r.prompt.answer(Answer::Retry, [&r] { r.board().unplugged = false; });
                 click(r.ui().chkLED);
             },
             "The board did not take the command"},
            {[](WindowRig& r) { // the start-up's channel read-back, not acknowledged
                 r.simChip().address7 = 0x40;
                 r.prompt.answer(Answer::Retry);
                 click(r.ui().cmdReconnect);
             },
             "No acknowledge from 0x00: set the address or scan"}};
        for (const auto& [step, says] : rows) {
            StartedWindowRig rig;
            step(rig);
            QCOMPARE(rig.window->statusLine().outcome(), QString::fromUtf8(says));
        }
    }

    // The field view follows a register's label; a field of each kind, set
    // through its control, writes its register once and reads it back (chip
    // at 0x48, address byte 0x90); the status bar, the cell, its mark and its
    // decoded tooltip follow. Not read yet, the fields are unknown.
    void fieldView() {
        const AnswerFault ok = AnswerFault::none(), drop = AnswerFault::drop();
        // register, field, value set, byte written, fault of the write, of the read-back, status
        const std::tuple<int, const char*, int, int, AnswerFault, AnswerFault, const char*> rows[] =
            {{2, "Channel Select", 1, 0x0D, ok, ok,
              "0x02 Channel Select \u2190 B (0x0D), read back 0x0D"},
             {2, "Power Down", 1, 0x2C, ok, ok, "0x02 Power Down \u2190 on (0x2C), read back 0x2C"},
             {2, "Reset", 1, 0x1C, ok, ok, "0x02 Reset \u2190 reset (0x1C), read back 0x0C"},
             {6, "Transmit Current", 4, 0x04, ok, ok,
              "0x06 Transmit Current \u2190 10.500 mA (0x04), read back 0x04"},
             {7, "Rx Equalization Gain A", 15, 0xCF, ok, drop,
              "0x07 Rx Equalization Gain A \u2190 maximum boost (0xCF), no read-back"},
             {5, "Tristate Data", 1, 0x02, AnswerFault::nak(), ok,
              "No acknowledge from 0x48: set the address or scan"}};
        for (const auto& [reg, name, value, byte, writeFault, readFault, says] : rows) {
            StartedWindowRig rig;
            rig.simChip().address7 = 0x48;
            rig.window->session().address().setByte(0x90);
            FieldView& view = rig.window->fieldView();
            QTest::mouseClick(rig.window->grid().label(reg), Qt::LeftButton);
            QWidget* control = view.control(QString::fromLatin1(name));
            QVERIFY(view.shownRegister() == reg && !control->isEnabled());
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
        click(rig.ui().cmdReadAllRegisters);
        rig.window->fieldView().showRegister(0x00);
        QVERIFY(!rig.window->fieldView().control(u"Device ID")->isEnabled());
    }

    // Every way text can enter a hex box goes through the filter; a key
    // release in a cell writes, a paste that is no byte beeps.
    void hexBoxes() {
        // box, how the text enters, the text, the box's text after, written (-1: nothing)
        const std::tuple<const char*, const char*, const char*, const char*, int> rows[] = {
            {"txtRegVal_5", "type", "a", "0A", 0x0A},
            {"txtRegVal_5", "alt", "g", "00", 0x00},
            {"txtWriteIndividual_1", "ctrl+alt", "x", "00", -1},
            {"txtRegVal_5", "commit", "\u00e9", "00", -1},
            {"txtRegister", "commit", "b", "0B", -1},
            {"txtRegVal_9", "paste", "0x5A", "5A", 0x5A},
            {"txtRegVal_9", "paste", "zz", "zz", -1},
            {"txtRegVal_1", "type", "a", "00", -1}, // a read-only cell
        };
        for (const auto& [box, entry, typed, after, written] : rows) {
            StartedWindowRig rig;
            const QString how = QLatin1String(entry), text = QString::fromUtf8(typed);
            auto* edit = rig.window->findChild<QLineEdit*>(QLatin1String(box));
            edit->setText(QStringLiteral("00"));
            edit->setFocus();
            edit->setSelection(1, 1); // typing replaces the second digit
            if (how == QLatin1String("paste")) {
                QApplication::clipboard()->setText(text);
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier); // Ctrl's release writes
            } else if (how == QLatin1String("commit")) {
                QInputMethodEvent commit;
                commit.setCommitString(text);
                QApplication::sendEvent(edit, &commit);
            } else {
                const Qt::KeyboardModifiers mods = how == QLatin1String("alt") ? Qt::AltModifier
                                                   : how == QLatin1String("ctrl+alt")
                                                       ? Qt::ControlModifier | Qt::AltModifier
                                                       : Qt::NoModifier;
                for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                    QKeyEvent key(type, text.front().toUpper().unicode(), mods, text);
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
        for (const auto& [passes, mods] : {std::pair{2, Qt::NoModifier},
                                           {3, Qt::ShiftModifier},
                                           {3, Qt::NoModifier},
                                           {2, Qt::ShiftModifier}}) {
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
    // the end of the program put the registers back.
    void linkTest() {
        StartedWindowRig rig(0x48);
        rig.ui().mnuLinkTest->trigger();
        QPointer<LinkTestWindow> test = rig.window->linkTestWindow();
        QVERIFY(test && !test->parentWidget() && !test->isModal());
        Ui::frmLinkTest& ui = test->ui();
        ui.cboTest->setCurrentIndex(1);
        ui.cboChannel->setCurrentIndex(1);
        ui.spnFromGain->setValue(4);
        ui.spnToGain->setValue(0xA);
        const std::array<std::uint8_t, 256> before = rig.simChip().registers;
        const auto steps = [&](int n) {
            for (int i = 0; i < n && test->running(); ++i) {
                rig.clock.sleepMs(100);
                test->step();
            }
        };
        click(ui.cmdStart);
        steps(2);
        QVERIFY(test->running() && !ui.cmdStart->isEnabled() && ui.cmdStop->isEnabled());
        QCOMPARE(rig.simChip().registers[0x07], 0x6C);
        rig.window->readAllRegisters(); // the main window is live during the run
        QCOMPARE(rig.window->session().registers().text(0x07), QStringLiteral("6C"));
        click(ui.cmdStop);
        QVERIFY(!test->running() && rig.simChip().registers == before);
        QCOMPARE(test->linkSeries(0)->count(), 2);

        click(ui.cmdStart); // to the end: the best gain marked, then applied
        steps(20);
        QCOMPARE(test->linkSeries(2)->count(), 7);
        QCOMPARE(test->bestGainMarker()->at(0).x(), 7.0);
        QVERIFY(ui.lblLinkTestStatus->text().startsWith(QStringLiteral("Best gain 0x7.")));
        QVERIFY(rig.simChip().registers == before);
        click(ui.cmdApplyBestGain);
        QCOMPARE(rig.simChip().registers[0x07], 0x7C);

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
                                "(board gone), register 0x02 not restored to 0x0C (board gone)."));
        rig.board().unplugged = false;
        rig.simChip().registers = before;

        click(ui.cmdStart); // closing the window stops the run
        test->close();
        QTRY_VERIFY(!test);
        QVERIFY(rig.simChip().registers == before);
        rig.ui().mnuLinkTest->trigger(); // and so does the end of the program
        click(rig.window->linkTestWindow()->ui().cmdStart);
        rig.window->session().endProgram();
        QVERIFY(rig.simChip().registers == before);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
