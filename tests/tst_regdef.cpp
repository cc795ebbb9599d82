// The register definition texts and the window that shows them.
#include "regdef/regdefwindow.h"
#include "regdef/registertexts.h"
#include "support/clicks.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"
#include "ui_regdefwindow.h"

#include <QPointer>
#include <QtTest>

namespace {

// What the window shows for `index`.
QString shownFor(int index) {
    RegisterDefinitionsWindow window;
    window.registertext(index);
    return window.ui().Text1->text();
}

} // namespace

class TestRegDef : public QObject {
    Q_OBJECT
private slots:
    void textsAsTheWindowShowsThem() {
        const QString first = shownFor(0);
        QVERIFY(first.startsWith(QStringLiteral(
            "Register 0x00, Device ID and Revision\r\nThis register is read only.\r\n"
            "Default value = 0x31\r\n\r\n")));
        QVERIFY(first.endsWith(
            QStringLiteral("\r\n     a value of 3... future revisions of silicon\r\n\r\n")));
        QVERIFY(first.contains(
            QStringLiteral("\r\n     a value of 2 is first revison of silicon\r\n")));
        QCOMPARE(first.count(QStringLiteral("\r\n")), 12); // eleven lines and the empty one

        // No blank line between the first line and the default line of index 2.
        const QString channel = shownFor(2);
        QVERIFY(channel.startsWith(
            QStringLiteral("Register 0x02, Channel Select\r\nDefault value = 0x0C\r\n\r\n")));
        QVERIFY(channel.contains(QStringLiteral("\r\n  bit            1 0\r\nchannel A  0 0\r\n")));
        QVERIFY(channel.contains(QStringLiteral("\r\nBit 5 (Power Down) ")));
        QVERIFY(channel.contains(QStringLiteral("\r\nWhen this bit is low, channel selection is "
                                                "controlled by bits [1:0 of this register.\r\n")));

        // Index 13 describes register 0x10.
        const QString pll = shownFor(13);
        QVERIFY(pll.startsWith(
            QStringLiteral("Register 0x10, PLL Settings\r\n\r\nDefault value = 0x10\r\n\r\n")));
        QVERIFY(pll.endsWith(QStringLiteral(
            "\r\n4MHz     0 0\r\n2MHz     0 1\r\n1MHz     1 0\r\n100KHz  1 1\r\n\r\n")));

        for (int index : {-1, 14, 255})
            QCOMPARE(shownFor(index), QStringLiteral("Please select a valid register."));
    }

    void everyDescriptionIsWellFormed() {
        const char* const registers[] = {"0x00", "0x01", "0x02", "0x03", "0x04", "0x05", "0x06",
                                         "0x07", "0x08", "0x09", "0x0A", "0x0B", "0x0C", "0x10"};
        for (int i = 0; i < kDescribedRegisters; ++i) {
            const auto lines = registerDescription(i);
            QVERIFY(lines.size() >= 8);
            QVERIFY(QByteArray(lines[0]).startsWith(QByteArray("Register ") + registers[i] + ","));
            // Read-only line for 0x00 and 0x01 only, then the default line
            // (after a blank line from index 3 on).
            const bool readOnly = i <= 1;
            QCOMPARE(QByteArray(lines[1]) == "This register is read only.", readOnly);
            const std::size_t defaultLine = i == 2 ? 1 : 2;
            QVERIFY(QByteArray(lines[defaultLine]).startsWith("Default value = 0x"));
            if (i >= 3)
                QCOMPARE(QByteArray(lines[1]), QByteArray());
            for (const char* line : lines)
                QVERIFY2(!QByteArray(line).contains('\n') && !QByteArray(line).contains('\r'),
                         line);
        }
        QVERIFY(registerDescription(-1).empty());
        QVERIFY(registerDescription(kDescribedRegisters).empty());
    }

    void writeregdefAppends() {
        RegisterDefinitionsWindow window;
        window.ui().Text1->setText(QStringLiteral("ab"));
        window.Writeregdef(QStringLiteral("cd"), QStringLiteral("\r\n"));
        window.Writeregdef(QString(), QStringLiteral("\r\n"));
        QCOMPARE(window.ui().Text1->text(), QStringLiteral("abcd\r\n\r\n"));
        // A new description replaces what was there.
        window.registertext(9);
        QVERIFY(window.ui().Text1->text().startsWith(
            QStringLiteral("Register 0x09, Test Registers\r\n")));
        window.registertext(10);
        QVERIFY(window.ui().Text1->text().startsWith(
            QStringLiteral("Register 0x0A, PRBS7 Error counter Link 0\r\n")));
        QCOMPARE(window.ui().Text1->text().count(QStringLiteral("Register 0x")), 1);
        // The box shows the text with plain line breaks.
        QCOMPARE(window.ui().Text1->toPlainText(),
                 window.ui().Text1->text().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    void windowAsDesigned() {
        RegisterDefinitionsWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.objectName(), QStringLiteral("frmRegDef"));
        QCOMPARE(window.windowTitle(), QStringLiteral("QDM772x Registers"));
        QCOMPARE(window.ui().regsel->title(), QStringLiteral("Register"));
        QCOMPARE(window.ui().OKButton->text(), QStringLiteral("OK"));
        QCOMPARE(window.ui().CancelButton->text(), QStringLiteral("Cancel"));
        const QStringList captions = {"Device ID and Revision",
                                      "Channel Activity",
                                      "Channel Select",
                                      "Input Control",
                                      "Termination Control",
                                      "Output Options",
                                      "Output Drive and PreEmphasis",
                                      "Equalization B and A",
                                      "Equalization D and C",
                                      "Test Registers",
                                      "Error Counter - Link 0",
                                      "Error Counter - Link 1",
                                      "Error Counter - Link 2",
                                      "PLL Settings"};
        for (int i = 0; i < 14; ++i) {
            QCOMPARE(window.regbutton[i]->text(), captions[i]);
            QCOMPARE(window.regbutton[i]->isChecked(), i == 0);
            if (i > 0) // top to bottom in index order
                QVERIFY(window.regbutton[i]->y() > window.regbutton[i - 1]->y());
        }
        QVERIFY(window.ui().Text1->text().startsWith(QStringLiteral("Register 0x00,")));
        QVERIFY(window.ui().Text1->isReadOnly());
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() &
                  (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    void optionsShowTheirRegister() {
        TestRig rig;
        rig.loadAndSettle();
        rig.window().ui().mnuRegisterDefinitions->trigger();
        RegisterDefinitionsWindow* window = rig.window().registerDefinitionsWindow();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        clickButton(window->regbutton[12]);
        QVERIFY(window->ui().Text1->text().startsWith(QStringLiteral("Register 0x0C,")));
        clickButton(window->regbutton[13]);
        QVERIFY(window->ui().Text1->text().startsWith(QStringLiteral("Register 0x10,")));
        // Arrow keys move the selection and its text with it.
        QTest::keyClick(window->regbutton[13], Qt::Key_Up);
        QVERIFY(window->regbutton[12]->isChecked());
        QVERIFY(window->ui().Text1->text().startsWith(QStringLiteral("Register 0x0C,")));
    }

    void oneWindowReopenedFresh_data() {
        QTest::addColumn<QString>("closeWith");
        QTest::newRow("OK") << "OKButton";
        QTest::newRow("Cancel") << "CancelButton";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("close box") << "close";
    }
    void oneWindowReopenedFresh() {
        QFETCH(QString, closeWith);
        TestRig rig;
        rig.loadAndSettle();
        MainWindow& main = rig.window();
        main.mnuRegisterDefinitions_Click();
        QPointer<RegisterDefinitionsWindow> first = main.registerDefinitionsWindow();
        QVERIFY(first && first->isVisible());
        QVERIFY(!first->parent()); // a window of its own
        QVERIFY(!first->isModal());
        QVERIFY(main.isEnabled());
        clickButton(first->regbutton[13]);

        // Asked for again while open: the same window, as it was.
        main.mnuRegisterDefinitions_Click();
        QCOMPARE(main.registerDefinitionsWindow(), first.data());
        QVERIFY(first->regbutton[13]->isChecked());
        QVERIFY(first->ui().Text1->text().startsWith(QStringLiteral("Register 0x10,")));

        if (closeWith == QLatin1String("Escape"))
            QTest::keyClick(first, Qt::Key_Escape);
        else if (closeWith == QLatin1String("close"))
            first->close();
        else
            clickButton(first->findChild<QPushButton*>(closeWith));
        QTRY_VERIFY(!first);
        QVERIFY(!main.registerDefinitionsWindow());
        QVERIFY(rig.dialogs.shown.empty());
        QVERIFY(rig.board().received.empty()); // it only shows text

        main.mnuRegisterDefinitions_Click();
        RegisterDefinitionsWindow* again = main.registerDefinitionsWindow();
        QVERIFY(again);
        QVERIFY(again->regbutton[0]->isChecked());
        QVERIFY(again->ui().Text1->text().startsWith(
            QStringLiteral("Register 0x00, Device ID and Revision")));
    }

    void closesWithTheProgram() {
        TestRig rig;
        rig.loadAndSettle();
        rig.window().mnuRegisterDefinitions_Click();
        QPointer<RegisterDefinitionsWindow> window = rig.window().registerDefinitionsWindow();
        QVERIFY(window->isVisible());
        rig.window().cmdQuit_Click();
        QVERIFY(rig.ended());
        QVERIFY(!window || !window->isVisible());
    }
};

QTEST_MAIN(TestRegDef)
#include "tst_regdef.moc"
