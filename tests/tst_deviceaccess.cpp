// Access to the board without root: the shipped udev rule, and the line a
// user is given when a board's node cannot be opened.
#include "core/hid/accesshint.h"
#include "core/hid/report.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

QString shippedRulePath() {
    return QFINDTESTDATA("../packaging/linux/" + QString::fromLatin1(kUdevRuleName));
}

} // namespace

class TestDeviceAccess : public QObject {
    Q_OBJECT
private slots:
    void shippedRuleGivesTheSeatTheBoardAndNothingElse() {
        const QString path = shippedRulePath();
        QVERIFY2(!path.isEmpty(), kUdevRuleName);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList rules;
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
            if (!line.trimmed().isEmpty() && !line.trimmed().startsWith('#'))
                rules << line.simplified();
        }
        // One rule, for the board's hidraw nodes only (udev compares the IDs
        // case-sensitively, and sysfs shows them in lower case), giving the
        // seat's user access and nobody else.
        QCOMPARE(rules.size(), 1);
        const QStringList keys = rules[0].split(QStringLiteral(", "));
        QCOMPARE(keys, (QStringList{R"(SUBSYSTEM=="hidraw")", R"(ATTRS{idVendor}=="09aa")",
                                    R"(ATTRS{idProduct}=="2007")", R"(TAG+="uaccess")"}));
        QCOMPARE(QStringLiteral("%1").arg(kBoardVendorId, 4, 16, QLatin1Char('0')), "09aa");
        QCOMPARE(QStringLiteral("%1").arg(kBoardProductId, 4, 16, QLatin1Char('0')), "2007");
        // The uaccess tag only takes effect in rules read before 73-seat-late.
        QVERIFY(QFileInfo(path).fileName().section('-', 0, 0).toInt() < 73);
    }

    void hintNamesTheNodeAndTheRuleOnOneLine() {
        const std::string missing = accessHint("qdm7720a-eval", "/dev/hidraw3", "");
        const std::string installed = accessHint("qdm7720a-eval", "/dev/hidraw3",
                                                 "/usr/lib/udev/rules.d/70-qdm7720a-eval.rules");
        for (const std::string& line : {missing, installed}) {
            QVERIFY(line.find("/dev/hidraw3") != std::string::npos);
            QVERIFY(line.find("udevadm control --reload-rules") != std::string::npos);
            QVERIFY(line.rfind("qdm7720a-eval: ", 0) == 0);
            QCOMPARE(line.find('\n'), line.size() - 1);
        }
        QVERIFY(missing.find(std::string("install the udev rule ") + kUdevRuleName) !=
                std::string::npos);
        QVERIFY(installed.find("/usr/lib/udev/rules.d/70-qdm7720a-eval.rules") !=
                std::string::npos);
    }

    void ruleIsLookedUpInFolderOrder() {
        QTemporaryDir first;
        QTemporaryDir second;
        const std::vector<std::string> folders{first.path().toStdString(),
                                               second.path().toStdString()};
        QCOMPARE(findUdevRule(folders), std::string());
        auto place = [](const QTemporaryDir& dir) {
            QFile rule(dir.filePath(QString::fromLatin1(kUdevRuleName)));
            QVERIFY(rule.open(QIODevice::WriteOnly));
        };
        place(second);
        QCOMPARE(findUdevRule(folders), folders[1] + "/" + kUdevRuleName);
        place(first);
        QCOMPARE(findUdevRule(folders), folders[0] + "/" + kUdevRuleName);
        // Where the installation puts the rule, and where an administrator does.
        const auto standard = udevRuleFolders();
        QCOMPARE(standard.front(), std::string("/etc/udev/rules.d"));
        for (const char* folder : {"/usr/local/lib/udev/rules.d", "/usr/lib/udev/rules.d"})
            QVERIFY(std::find(standard.begin(), standard.end(), folder) != standard.end());
    }

    void onlyARefusedNodeLacksPermission() {
        QTemporaryDir dir;
        const QString node = dir.filePath(QStringLiteral("hidraw0"));
        QVERIFY(!lacksPermission(node.toStdString())); // missing is not refused
        QFile file(node);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!lacksPermission(node.toStdString()));
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner));
        // root may open anything: only an ordinary user sees the refusal.
        QCOMPARE(lacksPermission(node.toStdString()), ::geteuid() != 0);
    }
};

QTEST_GUILESS_MAIN(TestDeviceAccess)
#include "tst_deviceaccess.moc"
