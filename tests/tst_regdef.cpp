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
            "Default value = 0x31\r\n\r\nBits 7:4 is the Device ID\r\n     a value of 3 is "
            "QDM7720\r\n")));
        QVERIFY(first.endsWith(
            QStringLiteral("\r\n     a value of 3... future revisions of silicon\r\n\r\n")));
        QCOMPARE(first.count(QStringLiteral("\r\n")), 12); // eleven lines and the empty one

        // No blank line between the first line and the default line of index 2.
        const QString channel = shownFor(2);
        QVERIFY(channel.startsWith(
            QStringLiteral("Register 0x02, Channel Select\r\nDefault value = 0x0C\r\n\r\n")));
        QVERIFY(channel.contains(QStringLiteral("\r\n  bit            1 0\r\nchannel A  0 0\r\n")));
        QVERIFY(channel.contains(QStringLiteral("\r\nBit 5 (Power Down) ")));

        // Index 13 describes register 0x10.
        const QString pll = shownFor(13);
        QVERIFY(pll.startsWith(
            QStringLiteral("Register 0x10, PLL Settings\r\n\r\nDefault value = 0x10\r\n\r\n")));
        QVERIFY(pll.endsWith(QStringLiteral("\r\n1MHz     1 0\r\n100KHz  1 1\r\n\r\n")));

        for (int index : {-1, 14, 255})
            QCOMPARE(shownFor(index), QStringLiteral("Please select a valid register."));

        // From index 3 on a blank line stands before the default line; no
        // line holds a line break of its own.
        for (int i = 3; i < kDescribedRegisters; ++i) {
            const auto lines = registerDescription(i);
            QCOMPARE(QByteArray(lines[1]), QByteArray());
            QVERIFY(QByteArray(lines[2]).startsWith("Default value = 0x"));
        }
        for (int i = 0; i < kDescribedRegisters; ++i) {
            for (const char* line : registerDescription(i))
                QVERIFY2(!QByteArray(line).contains('\n') && !QByteArray(line).contains('\r'),
                         line);
        }
    }

    void writeregdefAppendsAndANewTextReplaces() {
        RegisterDefinitionsWindow window;
        window.ui().Text1->setText(QStringLiteral("ab"));
        window.Writeregdef(QStringLiteral("cd"), QStringLiteral("\r\n"));
        window.Writeregdef(QString(), QStringLiteral("\r\n"));
        QCOMPARE(window.ui().Text1->text(), QStringLiteral("abcd\r\n\r\n"));
        QCOMPARE(window.ui().Text1->toPlainText(), QStringLiteral("abcd\n\n"));
        window.registertext(9);
        window.registertext(10);
        QVERIFY(window.ui().Text1->text().startsWith(
            QStringLiteral("Register 0x0A, PRBS7 Error counter Link 0\r\n")));
        QCOMPARE(window.ui().Text1->text().count(QStringLiteral("Register 0x")), 1);
    }

    void windowAsDesigned() {
        RegisterDefinitionsWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.objectName(), QStringLiteral("frmRegDef"));
        QCOMPARE(window.windowTitle(), QStringLiteral("QDM772x Registers"));
        QCOMPARE(window.ui().regsel->title(), QStringLiteral("Register"));
        const char* const captions[] = {"Device ID and Revision",
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
            QCOMPARE(window.regbutton[i]->text(), QLatin1String(captions[i]));
            QCOMPARE(window.regbutton[i]->isChecked(), i == 0);
            if (i > 0) // top to bottom in index order
                QVERIFY(window.regbutton[i]->y() > window.regbutton[i - 1]->y());
        }
        QVERIFY(window.ui().Text1->text().startsWith(QStringLiteral("Register 0x00,")));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() &
                  (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
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
        main.ui().mnuRegisterDefinitions->trigger();
        QPointer<RegisterDefinitionsWindow> first = main.registerDefinitionsWindow();
        QVERIFY(first && QTest::qWaitForWindowExposed(first));
        QVERIFY(!first->parent() && !first->isModal()); // a window of its own
        clickButton(first->regbutton[12]);
        QVERIFY(first->ui().Text1->text().startsWith(QStringLiteral("Register 0x0C,")));
        clickButton(first->regbutton[13]);
        QVERIFY(first->ui().Text1->text().startsWith(QStringLiteral("Register 0x10,")));

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
        QVERIFY(rig.dialogs.shown.empty());
        QVERIFY(rig.board().received.empty()); // it only shows text

        main.mnuRegisterDefinitions_Click();
        RegisterDefinitionsWindow* again = main.registerDefinitionsWindow();
        QVERIFY(again && again->regbutton[0]->isChecked());
        QVERIFY(again->ui().Text1->text().startsWith(QStringLiteral("Register 0x00,")));

        // It goes when the program ends.
        QPointer<RegisterDefinitionsWindow> last = again;
        main.cmdQuit_Click();
        QVERIFY(rig.ended());
        QVERIFY(!last || !last->isVisible());
    }
};

QTEST_MAIN(TestRegDef)
#include "tst_regdef.moc"
