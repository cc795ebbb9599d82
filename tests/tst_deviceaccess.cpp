// Access to a real board's hidraw node: the udev rule shipped for it, and
// the hint a user gets when a node cannot be opened.
#include "core/hid/accesshint.h"
#include "core/hid/report.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

class TestDeviceAccess : public QObject {
    Q_OBJECT
private slots:
    // One rule, for the board's hidraw nodes only (udev compares the IDs as
    // sysfs shows them, in lower case), giving the seat's user access and
    // nobody else, read before the seat rules (73).
    void shippedRuleGivesTheSeatTheBoardAndNothingElse() {
        QFile file(QFINDTESTDATA("../packaging/linux/" + QString::fromLatin1(kUdevRuleName)));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList rules;
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
            if (!line.trimmed().isEmpty() && !line.trimmed().startsWith('#'))
                rules << line.simplified();
        }
        QCOMPARE(rules,
                 QStringList{QStringLiteral(
                                 R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="%1", ATTRS{idProduct}==)"
                                 R"("%2", TAG+="uaccess")")
                                 .arg(kBoardVendorId, 4, 16, QLatin1Char('0'))
                                 .arg(kBoardProductId, 4, 16, QLatin1Char('0'))});
        QVERIFY(QString::fromLatin1(kUdevRuleName).section('-', 0, 0).toInt() < 73);
    }

    void hintNamesTheNodeAndTheRule() {
        QTemporaryDir first, second;
        const std::vector<std::string> folders{first.path().toStdString(),
                                               second.path().toStdString()};
        QCOMPARE(findUdevRule(folders), std::string());
        for (QTemporaryDir* dir : {&second, &first}) {
            QFile rule(dir->filePath(QString::fromLatin1(kUdevRuleName)));
            QVERIFY(rule.open(QIODevice::WriteOnly));
            QCOMPARE(findUdevRule(folders), dir->path().toStdString() + "/" + kUdevRuleName);
        }
        QCOMPARE(udevRuleFolders().front(), std::string("/etc/udev/rules.d"));
        const std::string installed = findUdevRule(folders);
        for (const std::string& rule : {std::string(), installed}) {
            const std::string line = accessHint("tool", "/dev/hidraw3", rule);
            QVERIFY(line.rfind("tool: no permission to open /dev/hidraw3 ", 0) == 0);
            QVERIFY(line.find(rule.empty() ? "install the udev rule" : installed) != line.npos);
            QCOMPARE(line.find('\n'), line.size() - 1);
        }
        // A missing node is not refused; a node only root may open is, to others.
        const QString node = first.filePath(QStringLiteral("hidraw0"));
        QVERIFY(!lacksPermission(node.toStdString()));
        QFile file(node);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.setPermissions(QFileDevice::ReadOwner));
        QCOMPARE(lacksPermission(node.toStdString()), ::geteuid() != 0);
    }
};

QTEST_GUILESS_MAIN(TestDeviceAccess)
#include "tst_deviceaccess.moc"
