// The About window, and finding and starting the system-information tool.
#include "app/aboutwindow.h"
#include "app/desktopsysteminfo.h"
#include "app/systeminfo.h"
#include "support/clicks.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_aboutwindow.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kFolder = QStringLiteral("C:\\Program Files\\Common Files\\MSInfo");
const QString kTool = QStringLiteral("C:\\Program Files\\Common Files\\MSInfo\\msinfo32.exe");

// What StartSysInfo did with the system as scripted.
struct Outcome {
    QStringList queries;
    QStringList fileChecks;
    QStringList started;
    QStringList messages; // each with OK only and the program's title, else "?"
};

Outcome startSysInfo(ScriptedSystemInfo& system) {
    ScriptedDialogs dialogs;
    StartSysInfo(system, dialogs);
    QStringList messages;
    for (const ScriptedDialogs::Shown& s : dialogs.shown)
        messages << (s.buttons == Buttons::Ok && s.title == kAppTitle ? s.text
                                                                      : QStringLiteral("?"));
    return {system.queries, system.fileChecks, system.started, messages};
}

const QString kFirst = kMsInfoKey + QStringLiteral("|PATH");
const QString kSecond = kSharedToolsKey + QStringLiteral("|MSINFO");

AboutWindow* openAbout(TestRig& rig) {
    rig.window().ui().mnuAbout->trigger();
    AboutWindow* about = rig.window().aboutWindow();
    if (about && !QTest::qWaitForWindowExposed(about))
        return nullptr;
    return about;
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void windowAsDesigned() {
        TestRig rig;
        rig.loadAndSettle();
        AboutWindow* about = openAbout(rig);
        QVERIFY(about);
        Ui::frmAbout& ui = about->ui();
        const std::pair<QString, const char*> texts[] = {
            {about->objectName(), "frmAbout"},
            {about->windowTitle(), "QDM7720A About"},
            {ui.X98->text(), "QDM7720A Evaluation Software "},
            {ui.lblVersion->text(), "Version 2.0 - 2010/January/15"},
            {ui.lblDescription->text(), "Designed for use with Korvane's QDM7720A Evaluation PCB"},
            {ui.cmdFirmwareVersion->text(), "Firmware Version"},
            {ui.cmdSysInfo->text(), "&System Info..."},
            {ui.cmdOK->text(), "OK"}};
        for (const auto& [text, expected] : texts)
            QCOMPARE(text, QLatin1String(expected));
        QCOMPARE(ui.X98->font().pointSizeF(), 9.75);
        QVERIFY(!ui.lblDisclaimer->text().isEmpty());
        QVERIFY(!ui.lblDisclaimer->text().contains(QLatin1Char('\n')));
        QCOMPARE(ui.picIcon->pixmap().size(), QSize(145, 48));
        QCOMPARE(ui.picIcon->pixmap().toImage(), rig.window().ui().Picture1->pixmap().toImage());
        // The grey line above the white one, across the whole window.
        QVERIFY(ui.Line1_1->y() < ui.Line1_0->y());
        QCOMPARE(ui.Line1_0->width(), about->width());
        // A fixed dialog border, OK the default and first.
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QVERIFY(!(about->windowFlags() &
                  (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(ui.cmdOK->isDefault());
        QCOMPARE(QApplication::focusWidget(), ui.cmdOK);
        // Owned by the main window and modal over it.
        QCOMPARE(about->parentWidget(), &rig.window());
        QCOMPARE(about->windowModality(), Qt::ApplicationModal);
        QCOMPARE(QApplication::activeModalWidget(), about);
    }

    void centredOnTheMainWindow_data() {
        QTest::addColumn<QPoint>("mainAt");
        QTest::newRow("top left") << QPoint(0, 0);
        QTest::newRow("middle") << QPoint(300, 200);
        QTest::newRow("far right") << QPoint(1500, 700);
    }
    void centredOnTheMainWindow() {
        QFETCH(QPoint, mainAt);
        TestRig rig;
        rig.loadAndSettle();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        rig.window().move(mainAt);
        QTRY_COMPARE(rig.window().frameGeometry().topLeft(), mainAt);
        AboutWindow* about = openAbout(rig);
        const QPoint mainCentre = rig.window().frameGeometry().center();
        const QPoint aboutCentre = about->frameGeometry().center();
        QVERIFY((mainCentre - aboutCentre).manhattanLength() <= 2);
        QCOMPARE(centredOver(QRect(100, 50, 800, 400), QSize(300, 200)), QPoint(350, 150));
    }

    void keysAndButtons() {
        TestRig rig;
        rig.loadAndSettle();
        rig.systemInfo.values[{kMsInfoKey, kMsInfoValue}] = ScriptedSystemInfo::text(kTool);
        rig.systemInfo.startable << kTool;

        // Escape closes it whatever has the focus.
        QPointer<AboutWindow> about = openAbout(rig);
        about->ui().cmdSysInfo->setFocus();
        QTest::keyClick(about->ui().cmdSysInfo, Qt::Key_Escape);
        QTRY_VERIFY(!about);
        QVERIFY(rig.systemInfo.started.isEmpty());

        // Enter presses the focused button, else OK.
        about = openAbout(rig);
        about->ui().cmdSysInfo->setFocus();
        QTest::keyClick(about->ui().cmdSysInfo, Qt::Key_Return);
        QCOMPARE(rig.systemInfo.started, QStringList{kTool});
        QVERIFY(about);
        QTest::keyClick(about->ui().cmdOK, Qt::Key_Return);
        QTRY_VERIFY(!about);

        // Opened afresh each time; OK closes it.
        about = openAbout(rig);
        QCOMPARE(QApplication::focusWidget(), about->ui().cmdOK);
        clickButton(about->ui().cmdOK);
        QTRY_VERIFY(!about);
        QVERIFY(rig.dialogs.shown.empty());
    }

    void buttonsReportInTheWindowThatClosesWithTheProgram() {
        TestRig rig;
        rig.loadAndSettle();
        QPointer<AboutWindow> about = openAbout(rig);
        clickButton(about->ui().cmdSysInfo);
        QCOMPARE(rig.dialogs.texts(), QStringList{kSysInfoUnavailableText});
        QCOMPARE(rig.systemInfo.queries, (QStringList{kFirst, kSecond}));
        QVERIFY(about && about->isVisible()); // it stays open

        clickButton(about->ui().cmdFirmwareVersion);
        QCOMPARE(rig.board().received, std::vector<Report>{reportOf({0, CMD_BOARD_INFO, 1})});
        QVERIFY(rig.dialogs.shown.back().text.startsWith(QStringLiteral("Firmware Version 2.0")));

        rig.window().Form_Unload();
        QVERIFY(rig.ended());
        QVERIFY(!about || !about->isVisible());
    }

    void sysInfoFromTheFirstLookUp() {
        ScriptedSystemInfo system;
        system.values[{kMsInfoKey, kMsInfoValue}] = ScriptedSystemInfo::text(kTool);
        system.values[{kSharedToolsKey, kSharedToolsValue}] = ScriptedSystemInfo::text(kFolder);
        system.files << kFolder + kMsInfoProgram;
        system.startable << kTool;
        Outcome o = startSysInfo(system);
        QCOMPARE(o.queries, QStringList{kFirst});
        QCOMPARE(o.started, QStringList{kTool});
        QVERIFY(o.fileChecks.isEmpty());
        QVERIFY(o.messages.isEmpty());

        // The program it names does not start: the message, and the second
        // look-up is still not made.
        ScriptedSystemInfo broken = system;
        broken.queries.clear();
        broken.started.clear();
        broken.startable.clear();
        o = startSysInfo(broken);
        QCOMPARE(o.queries, QStringList{kFirst});
        QCOMPARE(o.started, QStringList{kTool});
        QCOMPARE(o.messages, QStringList{kSysInfoUnavailableText});

        // Stored without its terminating NUL: the same path.
        ScriptedSystemInfo bare;
        bare.values[{kMsInfoKey, kMsInfoValue}] = {kRegistryString, kTool.toLocal8Bit()};
        bare.startable << kTool;
        QCOMPARE(startSysInfo(bare).started, QStringList{kTool});
    }

    void sysInfoFromTheSecondLookUp() {
        ScriptedSystemInfo system;
        system.values[{kSharedToolsKey, kSharedToolsValue}] = ScriptedSystemInfo::text(kFolder);
        const QString program = kFolder + QStringLiteral("\\MSINFO32.EXE");
        system.files << program;
        system.startable << program;
        Outcome o = startSysInfo(system);
        QCOMPARE(o.queries, (QStringList{kFirst, kSecond}));
        QCOMPARE(o.fileChecks, QStringList{program});
        QCOMPARE(o.started, QStringList{program});
        QVERIFY(o.messages.isEmpty());

        // The folder lacks the program.
        ScriptedSystemInfo empty;
        empty.values = system.values;
        o = startSysInfo(empty);
        QCOMPARE(o.fileChecks, QStringList{program});
        QVERIFY(o.started.isEmpty());
        QCOMPARE(o.messages, QStringList{kSysInfoUnavailableText});

        // Neither look-up finds anything.
        ScriptedSystemInfo none;
        o = startSysInfo(none);
        QCOMPARE(o.queries, (QStringList{kFirst, kSecond}));
        QVERIFY(o.fileChecks.isEmpty());
        QVERIFY(o.started.isEmpty());
        QCOMPARE(o.messages, QStringList{kSysInfoUnavailableText});
    }

    void registryValues() {
        ScriptedSystemInfo system;
        const auto read = [&](const RegistryValue& v, QString& keyVal) {
            system.values[{QStringLiteral("K"), QStringLiteral("V")}] = v;
            return GetKeyValue(system, RegistryRoot::LocalMachine, QStringLiteral("K"),
                               QStringLiteral("V"), keyVal);
        };
        QString keyVal = QStringLiteral("before");
        QVERIFY(read({kRegistryNumber, QByteArray("\x34\x12\x00\x00", 4)}, keyVal));
        QCOMPARE(keyVal, QStringLiteral("&h1234"));
        QVERIFY(read({7, QByteArray("a\0b\0\0", 5)}, keyVal)); // another type: unchanged
        QCOMPARE(keyVal, QStringLiteral("&h1234"));
        QVERIFY(read({kRegistryString, QByteArray("ab\0\0", 4)}, keyVal)); // one NUL goes
        QCOMPARE(keyVal, QString::fromLatin1("ab\0", 3));
        QVERIFY(!read({kRegistryString, QByteArray(kRegistryValueRoom + 1, 'a')}, keyVal));
        QCOMPARE(keyVal, QString()); // unreadable: false and emptied

        // A number, another type, or a value too large for the query: each
        // ends in the one message.
        const RegistryValue noPaths[] = {
            {kRegistryNumber, QByteArray("\x34\x12\x00\x00", 4)},
            {2, QByteArray("%SystemRoot%\\x.exe\0", 19)},
            {kRegistryString, QByteArray(kRegistryValueRoom + 1, 'a')}};
        for (const RegistryValue& v : noPaths) {
            ScriptedSystemInfo one;
            one.values[{kMsInfoKey, kMsInfoValue}] = v;
            QCOMPARE(startSysInfo(one).messages, QStringList{kSysInfoUnavailableText});
        }
    }

    void desktopStandInOnLinux() {
        QTemporaryDir bin;
        const QString tool = bin.filePath(QStringLiteral("kinfocenter"));
        const QString marker = bin.filePath(QStringLiteral("started"));
        {
            QFile script(tool);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toLocal8Bit());
        }
        QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());

        DesktopSystemInfo system;
        const auto first = system.queryValue(RegistryRoot::LocalMachine, kMsInfoKey, kMsInfoValue);
        QVERIFY(!system.queryValue(RegistryRoot::LocalMachine, kSharedToolsKey, kSharedToolsValue));
        QFile::rename(tool, tool + QStringLiteral(".kept"));
        const bool noneLeft =
            !system.queryValue(RegistryRoot::LocalMachine, kMsInfoKey, kMsInfoValue);
        qputenv("PATH", savedPath);

        QVERIFY(first);
        QCOMPARE(first->type, kRegistryString);
        QCOMPARE(first->data, QFile::encodeName(tool) + '\0');
        QVERIFY(noneLeft);

        QVERIFY(!system.fileExists(bin.path()));
        QVERIFY(!system.startProgram(QString()));
        QVERIFY(!system.startProgram(bin.filePath(QStringLiteral("nothing-here"))));
        QVERIFY(!system.startProgram(QString::fromLatin1("/bin/true\0x", 11)));

        // Started detached, as the path names it: no shell splits it.
        const QString odd = bin.filePath(QStringLiteral("sys info; x"));
        QVERIFY(QFile::rename(tool + QStringLiteral(".kept"), odd));
        QVERIFY(system.fileExists(odd));
        QVERIFY(system.startProgram(odd));
        QTRY_VERIFY(QFile::exists(marker));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
