// What only the windows can show: the state after start-up, each control
// reaching its operation, keys in the hex boxes, the access code and the
// hidden test tabs, the message boxes, and the About and register
// definitions windows.
#include "core/link/failurepolicy.h"
#include "core/operations/systeminformation.h"
#include "core/registers/registermap.h"
#include "core/regtexts/registertexts.h"
#include "support/reports.h"
#include "support/windowrig.h"
#include "ui_aboutwindow.h"
#include "ui_regdefwindow.h"
#include "windows/aboutwindow.h"
#include "windows/desktopsysteminfo.h"
#include "windows/qtprompt.h"
#include "windows/regdefwindow.h"
#include "windows/registergrid.h"
#include "windows/testtabs.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPointer>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// One key event exactly as given (QTest's own helpers also press and release
// the modifier keys around the key).
void sendKey(QWidget* w, QEvent::Type type, int key, Qt::KeyboardModifiers mods = {},
             const QString& text = {}) {
    QKeyEvent event(type, key, mods, text);
    QApplication::sendEvent(w, &event);
}

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
    void stateAfterStartUp() {
        WindowRig rig;
        MainWindow& window = rig.started();
        Ui::frmMain& ui = rig.ui();
        // Only "Registers" is offered, current, and the tab strip has the focus.
        QVERIFY(ui.SSTab1->isTabVisible(0) && !ui.SSTab1->isTabVisible(1) &&
                !ui.SSTab1->isTabVisible(2));
        QCOMPARE(ui.SSTab1->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), ui.SSTab1->tabBar());
        QVERIFY(ui.obChannelSelect_5->isChecked());
        QVERIFY(ui.chkBurstRead->isChecked());
        QVERIFY(!ui.fraManualHPD_DDC_0->isEnabled());
        for (QWidget* w : ui.fraManualHPD_DDC_0->findChildren<QWidget*>())
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QCOMPARE(ui.cboEVBinstance->count(), 1);
        QCOMPARE(ui.cboSMBusFrequency->currentText(), QStringLiteral("100"));
        for (int reg = 0; reg <= 0x16; ++reg) {
            QLineEdit* cell = window.grid().cell(reg);
            QVERIFY(cell->text().isEmpty());
            QCOMPARE(cell->isHidden(), reg >= 0x0D && reg <= 0x0F);
            if (!cell->isHidden() && reg <= 0x10) // the test tabs' pages are disabled while hidden
                QCOMPARE(cell->isEnabled(), isUserWritable(reg));
        }
        // A fixed size, with a minimize and no maximize button.
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    // Each control reaches its operation: the first report it sends.
    void controlsReachTheirOperations_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<Report>("first");
        QTest::newRow("Read All") << "cmdReadAllRegisters" << i2cRead(0, 0, 13);
        QTest::newRow("Read") << "cmdReadIndividual" << i2cRead(0, 0, 1);
        QTest::newRow("Write") << "cmdWriteIndividual_1" << i2cRead(0, 0, 1);
        QTest::newRow("Scan Address") << "cmdScanI2Caddress" << i2cRead(0, 0, 1);
        QTest::newRow("Channel D") << "obChannelSelect_3" << i2cWrite(0, 2, {3});
        QTest::newRow("Re-Cal") << "cmdReCal" << i2cRead(0, 3, 1);
        QTest::newRow("MultiWriteTest") << "cmdMultiWriteTest" << i2cWrite(0, 6, {1, 1, 1});
        QTest::newRow("LED") << "chkLED" << reportOf({0, CMD_BOARD_SIGNALS, 0, 1});
        QTest::newRow("poll") << "chkDisablePoll" << reportOf({0, CMD_BOARD_SIGNALS, 0, 2});
        QTest::newRow("HPx_off A") << "chkHPDoff_3" << reportOf({0, CMD_BOARD_SIGNALS, 0, 2, 8});
        QTest::newRow("Reconnect") << "cmdReconnect" << reportOf({0, CMD_BOARD_SIGNALS, 1});
        QTest::newRow("instance") << "cboEVBinstance" << reportOf({0, CMD_BOARD_SIGNALS, 1});
        QTest::newRow("I2C clock") << "cboSMBusFrequency" << reportOf({0, CMD_I2C_CLOCK, 0, 115});
    }
    void controlsReachTheirOperations() {
        QFETCH(QString, control);
        QFETCH(Report, first);
        WindowRig rig;
        rig.started();
        rig.window->testTabs().setShown(true);
        if (control == QLatin1String("chkHPDoff_3")) {
            click(rig.ui().chkDisablePoll);
            QVERIFY(rig.ui().chkHPDoff_3->isEnabled()); // the frame with all in it
            rig.board().received.clear();
        }
        QWidget* w = rig.window->findChild<QWidget*>(control);
        for (int page = 0; page < 3; ++page) {
            if (rig.ui().SSTab1->widget(page)->isAncestorOf(w))
                rig.ui().SSTab1->setCurrentIndex(page);
        }
        if (auto* combo = qobject_cast<QComboBox*>(w))
            emit combo->activated(qMin(5, combo->count() - 1));
        else
            click(qobject_cast<QAbstractButton*>(w));
        QVERIFY(!rig.board().received.empty());
        QCOMPARE(rig.board().received.front(), first);
        QVERIFY(rig.prompt.shown.empty());
    }

    void windowShowsTheModelAndTheAddress() {
        WindowRig rig(0x00);
        MainWindow& window = rig.started();
        rig.chip().registers[0x07] = 0x5A;
        click(rig.ui().cmdReadAllRegisters);
        QCOMPARE(window.grid().cell(0x07)->text(), QStringLiteral("5A"));
        QCOMPARE(window.grid().cell(0x00)->text(), QStringLiteral("31"));
        click(rig.ui().chkADDRbit_6);
        click(rig.ui().chkADDRbit_3);
        QCOMPARE(window.session().address().byte(), 0x90);
        QCOMPARE(rig.ui().txtI2Caddress->text(), QStringLiteral("90"));
        window.session().address().setByte(0xFE);
        QVERIFY(rig.ui().chkADDRbit_0->isChecked() && rig.ui().chkADDRbit_6->isChecked());
        // The end of the program, from the menu's shortcut.
        QTest::keyClick(&window, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(rig.end.calls, 1);
        QVERIFY(!window.isVisible());
    }

    // Every way text can enter a hex box goes through the filter; a key
    // release in a cell writes, a paste that is no byte beeps.
    void hexBoxes_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("how"); // type, alt, ctrl+alt, commit or paste
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("written"); // -1: nothing
        const auto row = [](const char* name, const char* box, const char* how, const char* text,
                            const char* after, int written) {
            QTest::newRow(name) << QString::fromLatin1(box) << QString::fromLatin1(how)
                                << QString::fromUtf8(text) << QString::fromLatin1(after) << written;
        };
        row("typed a", "txtRegVal_5", "type", "a", "0A", 0x0A);
        row("typed g", "txtRegVal_5", "type", "g", "00", 0x00);
        row("Alt+g", "txtRegVal_5", "alt", "g", "00", 0x00);
        row("Ctrl+Alt+x", "txtWriteIndividual_1", "ctrl+alt", "x", "00", -1);
        row("composed e acute", "txtRegVal_5", "commit", "\u00e9", "00", -1);
        row("committed b", "txtRegister", "commit", "b", "0B", -1);
        row("pasted 0x5A", "txtRegVal_9", "paste", "0x5A", "5A", 0x5A);
        row("pasted zz", "txtRegVal_9", "paste", "zz", "zz", -1);
        row("read-only cell", "txtRegVal_1", "type", "a", "00", -1);
    }
    void hexBoxes() {
        QFETCH(QString, box);
        QFETCH(QString, how);
        QFETCH(QString, text);
        QFETCH(QString, after);
        QFETCH(int, written);
        WindowRig rig;
        rig.started();
        auto* edit = rig.window->findChild<QLineEdit*>(box);
        edit->setText(QStringLiteral("00"));
        edit->setFocus();
        edit->setSelection(1, 1); // typing replaces the second digit
        const int key = text.front().toUpper().unicode();
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
            sendKey(edit, QEvent::KeyPress, key, mods, text);
            sendKey(edit, QEvent::KeyRelease, key, mods, text);
        }
        QCOMPARE(edit->text(), after);
        const std::vector<Report> writes = i2cWritesReceived(rig.board());
        QCOMPARE(writes.empty() ? -1 : int(writes.front()[5]), written);
        QCOMPARE(rig.prompt.beeps, text == QLatin1String("zz") ? 1 : 0);
    }

    // While hidden, no key, wheel or click makes a test tab current or
    // reaches a control on one; once revealed they work as usual.
    void accessCodeAndHiddenTabs() {
        WindowRig rig;
        rig.started();
        QTabWidget* tabs = rig.ui().SSTab1;
        QTabBar* strip = tabs->tabBar();
        const std::pair<int, Qt::KeyboardModifiers> keys[] = {
            {Qt::Key_Right, {}},
            {Qt::Key_End, {}},
            {Qt::Key_Tab, Qt::ControlModifier},
            {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier}};
        for (const auto& [key, mods] : keys) {
            QTest::keyClick(strip, Qt::Key(key), mods);
            QTest::keyClick(rig.ui().cmdQuit->parentWidget(), Qt::Key(key), mods);
        }
        for (int delta : {-120, 120}) {
            QWheelEvent turn(strip->rect().center(), strip->mapToGlobal(strip->rect().center()), {},
                             {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(strip, &turn);
        }
        QCOMPARE(tabs->currentIndex(), 0);
        click(rig.ui().cmdMultiWriteTest);
        QVERIFY(rig.board().received.empty());
        // The code on the strip, in any case, after other keys; Backspace
        // erases nothing; keys typed elsewhere do not count.
        strip->setFocus();
        QTest::keyClicks(strip, QStringLiteral("mk\bvq"));
        rig.ui().txtRegister->setFocus();
        QTest::keyClicks(rig.ui().txtRegister, QStringLiteral("mkvq"));
        QVERIFY(!tabs->isTabVisible(1));
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(0).center());
        QCOMPARE(QApplication::focusWidget(), strip);
        QTest::keyClick(strip, Qt::Key_Tab); // moves the focus, types nothing
        strip->setFocus();
        QTest::keyClicks(strip, QStringLiteral("MkV"));
        QVERIFY(!tabs->isTabVisible(1));
        QTest::keyClicks(strip, QStringLiteral("q"));
        QVERIFY(tabs->isTabVisible(1) && tabs->isTabVisible(2));
        QCOMPARE(rig.window->testTabs().typedKeys(), QStringLiteral("mk\bvqMkVq"));
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::keyClick(strip, Qt::Key_Right);
        QCOMPARE(tabs->currentIndex(), 1);
    }

    // The message boxes: no icon, the buttons asked for, the answer chosen.
    void messageBoxes() {
        QtPrompt prompt;
        const std::pair<Buttons, Answer> rows[] = {{Buttons::RetryCancel, Answer::Retry},
                                                   {Buttons::RetryCancel, Answer::Cancel},
                                                   {Buttons::YesNo, Answer::Yes},
                                                   {Buttons::OkCancel, Answer::Ok}};
        for (const auto& [buttons, answer] : rows) {
            QString seen;
            QTimer::singleShot(0, [&, answer = answer] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                seen = box->windowTitle() + QLatin1Char('|') + box->text() + QLatin1Char('|') +
                       QString::number(box->buttons().size()) +
                       (box->icon() == QMessageBox::NoIcon ? "" : "icon");
                const QMessageBox::StandardButton pick[] = {QMessageBox::Ok, QMessageBox::Cancel,
                                                            QMessageBox::Retry, QMessageBox::Yes};
                box->button(pick[int(answer)])->click();
            });
            QCOMPARE(prompt.ask(kReadFileErrorText, buttons), answer);
            QCOMPARE(seen, QStringLiteral(
                               "QDM7720A|Please check USB connection.\nUSB ReadFile error.|2"));
        }
        const QStringList shown = {QStringLiteral("Text File (*.txt)"),
                                   QStringLiteral("All Files (*)")};
        QCOMPARE(qtNameFilters(kSaveFilter), shown);
        QCOMPARE(qtNameFilters(kLoadFilter), shown);
    }

    void aboutWindow() {
        WindowRig rig;
        MainWindow& window = rig.started();
        window.move(300, 200);
        QTRY_COMPARE(window.frameGeometry().topLeft(), QPoint(300, 200));
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier); // the File menu's shortcuts
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(rig.prompt.requests.size(), 2u);
        rig.ui().mnuAbout->trigger();
        QPointer<AboutWindow> about = window.aboutWindow();
        QVERIFY(about && QTest::qWaitForWindowExposed(about));
        QVERIFY(
            (about->frameGeometry().center() - window.frameGeometry().center()).manhattanLength() <=
            2);
        QCOMPARE(QApplication::activeModalWidget(), about.data());
        QCOMPARE(QApplication::focusWidget(), about->ui().cmdOK);
        click(about->ui().cmdFirmwareVersion);
        QCOMPARE(rig.board().received.back(), reportOf({0, CMD_BOARD_INFO, 1}));
        QVERIFY(rig.prompt.texts().back().startsWith(QStringLiteral("Firmware Version 2.0")));
        click(about->ui().cmdSysInfo);
        QCOMPARE(rig.prompt.texts().back(), kSysInfoUnavailableText);
        QVERIFY(about->isVisible());
        QTest::keyClick(about->ui().cmdSysInfo, Qt::Key_Escape);
        QTRY_VERIFY(!about);
    }

    void registerDefinitionsWindow() {
        WindowRig rig;
        MainWindow& window = rig.started();
        rig.ui().mnuRegisterDefinitions->trigger();
        QPointer<RegisterDefinitionsWindow> regDef = window.registerDefinitionsWindow();
        QVERIFY(regDef && !regDef->parentWidget() && !regDef->isModal());
        QCOMPARE(regDef->ui().Text1->text(), descriptionText(0));
        click(regDef->ui().regbutton_13);
        QCOMPARE(regDef->ui().Text1->text(), descriptionText(13));
        rig.ui().mnuRegisterDefinitions->trigger(); // the same window, as it was
        QCOMPARE(window.registerDefinitionsWindow(), regDef.data());
        QVERIFY(regDef->ui().regbutton_13->isChecked());
        click(regDef->ui().OKButton);
        QTRY_VERIFY(!regDef);
        rig.ui().mnuRegisterDefinitions->trigger(); // fresh again
        regDef = window.registerDefinitionsWindow();
        QVERIFY(regDef->ui().regbutton_0->isChecked());
        window.session().endProgram(); // it goes with the program
        QTRY_VERIFY(!regDef);
    }

    // On Linux the first look-up finds the first desktop tool on the PATH,
    // which is started as it is named, without a shell.
    void desktopSystemInformation() {
        QTemporaryDir bin;
        const QString tool = bin.filePath(QStringLiteral("sys info; kinfocenter"));
        const QString marker = bin.filePath(QStringLiteral("started"));
        QFile script(bin.filePath(QStringLiteral("kinfocenter")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toLocal8Bit());
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        DesktopSystemInfo system;
        const std::optional<QString> found =
            registryText(system, RegistryRoot::LocalMachine, kMsInfoKey, kMsInfoValue);
        qputenv("PATH", savedPath);
        QCOMPARE(found.value_or(QString()), script.fileName());
        QVERIFY(
            !registryText(system, RegistryRoot::LocalMachine, kSharedToolsKey, kSharedToolsValue));
        QVERIFY(script.rename(tool));
        QVERIFY(system.startProgram(tool));
        QTRY_VERIFY(QFile::exists(marker));
        QVERIFY(!system.startProgram(QString()));
        QVERIFY(!system.fileExists(bin.path()));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
