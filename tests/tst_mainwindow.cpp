// The main window as designed, its start and its end, and the board instances.
#include "board/boardlink.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QtTest>

namespace {

QString captionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    return {};
}

// The open/close state of every board handle the window holds.
int countBoardHandlesOpen(TestRig& rig) {
    int n = 0;
    const BoardLink& link = rig.window().link();
    for (std::size_t i = 0; i < link.boardWriteHandles.size(); ++i)
        n += rig.transport.isOpen(link.boardWriteHandles[i]) +
             rig.transport.isOpen(link.boardReadHandles[i]);
    return n;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void captionsOfTheDesign() {
        TestRig rig;
        rig.create();
        const std::pair<const char*, const char*> rows[] = {
            {"lblRegAdd_0", "Device ID and Rev (0x00)"},
            {"lblRegAdd_2", "Channel Select  (0x02)"},
            {"lblRegAdd_12", "Error Counter Link2 (0x0C)"},
            {"lblRegAdd_16", "PLL Settings (0x10)"},
            {"lblRegAdd_13", "Misc. Debug Control (0x13)"},
            {"lblRegAdd_14", "Termination Trim (0x11)"},
            {"lblRegAdd_18", "Misc Status (0x15)"},
            {"cmdReadAllRegisters", "Read All Registers"},
            {"cmdReCal", "Re-Cal Termination"},
            {"fraIndividualI2C", "Individual Register Read/Write with Toggle"},
            {"fraEVBinstance", "Evaluation Board Instance"},
            {"fraChannelSelect", "Channel Select"},
            {"cmdQuit", "Quit"},
            {"fraADDR2", "I2C Address"},
            {"fraADDR", "ADDR[6:0]"},
            {"lblADDRstatus", "Check if HI"},
            {"chkADDRbit_6", "6"},
            {"chkADDRbit_0", "0"},
            {"cmdScanI2Caddress", "Scan Address"},
            {"lblRegister", "Register"},
            {"cmdReadIndividual", "Read"},
            {"cmdWriteIndividual_0", "Write"},
            {"cmdWriteIndividual_1", "Write"},
            {"cmdReconnect", "Reconnect"},
            {"chkLED", "LED"},
            {"obChannelSelect_0", "Channel A"},
            {"obChannelSelect_3", "Channel D"},
            {"obChannelSelect_4", "Channel Auto-Select"},
            {"obChannelSelect_5", "Hardware Select"},
            {"chkBurstRead", "Burst Read when Read All Registers"},
            {"chkDisablePoll", "Disable uC Poll"},
            {"cmdMultiWriteTest", "MultiWriteTest"},
            {"lblI2Cfrequency_2", "I2C SCL Clock Frequency (kHz)"},
            {"fraManualHPD_DDC_0", "Manual HPD and DDC"},
            {"fraManualHPD_DDC_1", "HPx_off"},
            {"fraManualHPD_DDC_2", "DDCSELx"},
            {"lblHPDoff", "Check to turn Q for HPx_off ON so that HPx is NOT connected to +5Vx"},
            {"lblDDCSEL", "Check to set DDCSELx HI"},
            {"chkHPDoff_0", "D"},
            {"chkHPDoff_3", "A"},
            {"chkHPDoff_4", "1"},
            {"chkHPDoff_5", "0"},
        };
        for (const auto& [name, caption] : rows) {
            QWidget* w = rig.widget<QWidget>(QString::fromLatin1(name));
            QVERIFY2(w, name);
            QVERIFY2(captionOf(w) == QLatin1String(caption), name);
        }
    }

    void initialStates() {
        TestRig rig;
        rig.load();
        Ui::frmMain& ui = rig.window().ui();
        QCOMPARE(rig.window().windowTitle(), QStringLiteral("QDM7720A Evaluation Software"));
        for (int i = 0; i <= 22; ++i) {
            auto* cell = rig.widget<QLineEdit>(QStringLiteral("txtRegVal_%1").arg(i));
            QVERIFY(cell->text().isEmpty());
            const bool readOnly = i <= 1 || (i >= 10 && i <= 12);
            // The test tabs' pages are disabled with their tabs while hidden.
            QWidget* page = ui.SSTab1->widget(0);
            QCOMPARE(cell->isEnabledTo(page->isAncestorOf(cell) ? page : ui.SSTab1->widget(1)),
                     !readOnly);
        }
        for (int i = 13; i <= 15; ++i)
            QVERIFY(rig.widget<QLineEdit>(QStringLiteral("txtRegVal_%1").arg(i))->isHidden());
        QVERIFY(ui.obChannelSelect_5->isChecked());
        QVERIFY(ui.chkBurstRead->isChecked());
        QVERIFY(!ui.chkLED->isChecked());
        QCOMPARE(ui.txtRegister->text(), QStringLiteral("00"));
        QCOMPARE(ui.txtWriteIndividual_0->text(), QStringLiteral("00"));
        QCOMPARE(ui.txtWriteIndividual_1->text(), QStringLiteral("00"));
        QVERIFY(ui.txtReadIndividual->text().isEmpty());
        QVERIFY(!ui.txtReadIndividual->isEnabled());
        QCOMPARE(ui.txtI2Caddress->text(), QStringLiteral("00"));
        QVERIFY(!ui.txtI2Caddress->isEnabled());
        QCOMPARE(rig.window().deviceAddress, 0);
        QCOMPARE(ui.cmdReCal->toolTip(),
                 QStringLiteral("Causes the input termination to be re-calibrated"));

        // The manual HPD/DDC frame and everything in it start disabled.
        QVERIFY(!ui.fraManualHPD_DDC_0->isEnabled());
        for (QWidget* w : ui.fraManualHPD_DDC_0->findChildren<QWidget*>())
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));

        // Only "Registers" is offered, current, and the tab strip has the focus.
        QCOMPARE(ui.SSTab1->count(), 3);
        QCOMPARE(ui.SSTab1->tabText(0), QStringLiteral("Registers"));
        QCOMPARE(ui.SSTab1->tabText(1), QStringLiteral("Tab 1"));
        QCOMPARE(ui.SSTab1->tabText(2), QStringLiteral("Tab 2"));
        QVERIFY(ui.SSTab1->isTabVisible(0));
        QVERIFY(!ui.SSTab1->isTabVisible(1));
        QVERIFY(!ui.SSTab1->isTabVisible(2));
        QCOMPARE(ui.SSTab1->currentIndex(), 0);
        rig.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
        QCOMPARE(QApplication::focusWidget(), ui.SSTab1->tabBar());
    }

    void accessibleNames() {
        TestRig rig;
        rig.create();
        QCOMPARE(rig.widget<QLineEdit>("txtRegVal_5")->accessibleName(),
                 QStringLiteral("Output Options (0x05)"));
        QCOMPARE(rig.widget<QLineEdit>("txtRegVal_17")->accessibleName(),
                 QStringLiteral("Termination Trim (0x11)"));
        QCOMPARE(rig.widget<QLineEdit>("txtRegVal_20")->accessibleName(),
                 QStringLiteral("Misc Settings (0x14)"));
        QCOMPARE(rig.widget<QLineEdit>("txtRegVal_22")->accessibleName(),
                 QStringLiteral("Register 0x16"));
        QCOMPARE(rig.widget<QLineEdit>("txtRegister")->accessibleName(),
                 QStringLiteral("Register"));
        QCOMPARE(rig.widget<QLineEdit>("txtReadIndividual")->accessibleName(),
                 QStringLiteral("Read value"));
        QCOMPARE(rig.widget<QLineEdit>("txtWriteIndividual_1")->accessibleName(),
                 QStringLiteral("Write value 1"));
        QCOMPARE(rig.widget<QLineEdit>("txtWriteIndividual_0")->accessibleName(),
                 QStringLiteral("Write value 0"));
        QCOMPARE(rig.widget<QLineEdit>("txtI2Caddress")->accessibleName(),
                 QStringLiteral("I2C address"));
        // Every text box and every control without a caption of its own has one.
        for (QWidget* w : rig.window().findChildren<QWidget*>()) {
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                w->objectName() == QLatin1String("Picture1"))
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
    }

    void menuBar() {
        TestRig rig;
        rig.create();
        Ui::frmMain& ui = rig.window().ui();
        const QList<QAction*> top = rig.window().menuBar()->actions();
        QCOMPARE(top.size(), 2);
        QCOMPARE(top[0]->text(), QStringLiteral("&File"));
        QCOMPARE(top[1], ui.mnuRegisterDefinitions);
        QVERIFY(!ui.mnuRegisterDefinitions->menu()); // a command, not a menu
        QCOMPARE(ui.mnuRegisterDefinitions->text(), QStringLiteral("Register Definitions"));
        const QList<QAction*> file = ui.mnuFile->actions();
        QCOMPARE(file, (QList<QAction*>{ui.mnuSaveRegisters, ui.mnuLoadRegisters, ui.mnuAbout,
                                        ui.mnuExit}));
        QCOMPARE(ui.mnuSaveRegisters->text(), QStringLiteral("&Save Registers"));
        QCOMPARE(ui.mnuSaveRegisters->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(ui.mnuLoadRegisters->text(), QStringLiteral("Load Registers"));
        QCOMPARE(ui.mnuLoadRegisters->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(ui.mnuAbout->text(), QStringLiteral("About"));
        QCOMPARE(ui.mnuExit->text(), QStringLiteral("&Exit"));
        QCOMPARE(ui.mnuExit->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
    }

    void fixedSizeWithoutMaximize() {
        TestRig rig;
        rig.load();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        QCOMPARE(rig.window().minimumSize(), rig.window().maximumSize());
        QCOMPARE(rig.window().size(), rig.window().minimumSize());
        // Every tab fits, the hidden test tabs included.
        QVERIFY(rig.window().size().width() >= rig.window().ui().SSTab1->sizeHint().width());
        QVERIFY(!(rig.window().windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(rig.window().windowFlags() & Qt::WindowMinimizeButtonHint);
    }

    void noBoardCancelEndsBeforeTheWindowShows() {
        TestRig rig(0);
        rig.dialogs.answer(Answer::Cancel);
        rig.load();
        QVERIFY(rig.ended());
        QVERIFY(!rig.window().isVisible());
        QCOMPARE(rig.dialogs.texts(), QStringList{kBoardNotFoundText});
        QCOMPARE(rig.dialogs.shown[0].buttons, Buttons::RetryCancel);
        QCOMPARE(rig.window().link().dialogAnswer, Answer::Cancel);
    }

    void noBoardRetryAfterPluggingIn() {
        TestRig rig;
        rig.board().unplugged = true;
        rig.dialogs.answer(Answer::Retry);
        rig.dialogs.answer(Answer::Retry, [&] { rig.board().unplugged = false; });
        rig.load();
        QVERIFY(!rig.ended());
        QVERIFY(rig.window().isVisible());
        QCOMPARE(rig.dialogs.texts(), (QStringList{kBoardNotFoundText, kBoardNotFoundText}));
        QCOMPARE(rig.window().link().dialogAnswer, Answer::Ok);
        QCOMPARE(rig.window().ui().cboEVBinstance->count(), 1);
    }

    void twoBoardsAndSwitching() {
        TestRig rig(2);
        rig.board(1).ledOn = true;
        rig.load();
        QComboBox* combo = rig.window().ui().cboEVBinstance;
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("0"));
        QCOMPARE(combo->itemText(1), QStringLiteral("1"));
        QCOMPARE(combo->currentIndex(), 0);
        BoardLink& link = rig.window().link();
        QCOMPARE(rig.transport.boardOf(link.writeHandle), &rig.board(0));
        QCOMPARE(rig.transport.boardOf(link.readHandle), &rig.board(0));
        QVERIFY(!rig.window().ui().chkLED->isChecked());

        rig.clearRecords();
        // Choose "1" as a user would, from the open list.
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        QCOMPARE(rig.transport.boardOf(link.writeHandle), &rig.board(1));
        QCOMPARE(rig.transport.boardOf(link.readHandle), &rig.board(1));
        QVERIFY(rig.board(0).received.empty());
        // LED query, then (the LED is on) the set command, then the clock query and set.
        QCOMPARE(rig.board(1).received.at(0), reportOf({0, 1, 1}));
        QCOMPARE(rig.board(1).received.at(1)[1], CMD_BOARD_SIGNALS);
        QCOMPARE(rig.board(1).received.at(2), reportOf({0, 3, 1}));
        QCOMPARE(rig.board(1).received.at(3), reportOf({0, 3, 0, 120}));
        QVERIFY(rig.window().ui().chkLED->isChecked());
    }

    void reconnectClosesTheFirstConnection() {
        TestRig rig(2);
        rig.load();
        BoardLink& link = rig.window().link();
        const std::vector<HidHandle> firstWrite = link.boardWriteHandles;
        const std::vector<HidHandle> firstRead = link.boardReadHandles;
        QCOMPARE(rig.transport.openHandleCount(), 4u);
        QTest::mouseClick(rig.window().ui().cmdReconnect, Qt::LeftButton);
        QTest::mouseClick(rig.window().ui().cmdReconnect, Qt::LeftButton);
        QCOMPARE(rig.transport.openHandleCount(), 4u);
        QCOMPARE(link.boardWriteHandles.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            QVERIFY(!rig.transport.isOpen(firstWrite[i]));
            QVERIFY(!rig.transport.isOpen(firstRead[i]));
        }
        QCOMPARE(countBoardHandlesOpen(rig), 4);
        QCOMPARE(link.selectedInstance(), 0);
    }

    void devicesThatAreNotBoardsAreSkipped() {
        TestRig rig;
        rig.transport.addOtherDevice(kBoardVendorId, kBoardProductId, false); // cannot be opened
        rig.transport.addOtherDevice(kBoardVendorId, kBoardProductId, true, false); // no attributes
        rig.transport.addOtherDevice(0x1234, 0x5678); // something else
        rig.load();
        QCOMPARE(rig.window().ui().cboEVBinstance->count(), 1);
        QCOMPARE(rig.transport.openHandleCount(), 2u); // the board's two, nothing else left open
    }

    void endingClosesEveryHandle_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Quit") << 0;
        QTest::newRow("Exit Ctrl+T") << 1;
        QTest::newRow("close box") << 2;
    }
    void endingClosesEveryHandle() {
        QFETCH(int, way);
        TestRig rig(2);
        rig.load();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        switch (way) {
        case 0:
            QTest::mouseClick(rig.window().ui().cmdQuit, Qt::LeftButton);
            break;
        case 1:
            rig.window().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
            QTest::keyClick(&rig.window(), Qt::Key_T, Qt::ControlModifier);
            break;
        default:
            rig.window().close();
            break;
        }
        QCOMPARE(rig.exit.calls, 1);
        QCOMPARE(rig.transport.openHandleCount(), 0u);
        BoardLink& link = rig.window().link();
        QCOMPARE(link.boardWriteHandles, std::vector<HidHandle>{kNoHandle});
        QCOMPARE(link.writeHandle, kInvalidHandle);
        QCOMPARE(link.readHandle, kInvalidHandle);
        QVERIFY(!rig.window().isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
