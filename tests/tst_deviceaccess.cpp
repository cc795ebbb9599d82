// Access to the board without root: the shipped udev rule, and the line a
// user is given when a board's node cannot be opened.
#include "board/accesshint.h"
#include "board/report.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

// Every problem that keeps `text` from being a rule that gives the seat's
// user, and nobody else, access to the board's hidraw nodes and to no other
// device. Each rule line must match on the subsystem and both IDs (udev
// compares case-sensitively, and sysfs shows the IDs in lower case).
QStringList ruleProblems(const QString& text) {
    static const QRegularExpression pair(QStringLiteral(
        "^\\s*([A-Za-z_]+(?:\\{[^}]*\\})?)\\s*(==|!=|\\+=|-=|:=|=)\\s*\"([^\"]*)\"\\s*(,|$)"));
    const QString vendor = QStringLiteral("%1").arg(kBoardVendorId, 4, 16, QLatin1Char('0'));
    const QString product = QStringLiteral("%1").arg(kBoardProductId, 4, 16, QLatin1Char('0'));
    QStringList problems;
    int rules = 0;
    const QStringList lines = QString(text).replace(QStringLiteral("\\\n"), QString()).split('\n');
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty() || line.trimmed().startsWith('#'))
            continue;
        ++rules;
        QMultiMap<QString, QString> keys; // "KEY op" -> value
        QString rest = line;
        while (!rest.trimmed().isEmpty()) {
            const QRegularExpressionMatch m = pair.match(rest);
            if (!m.hasMatch()) {
                problems << QStringLiteral("cannot read: %1").arg(rest.trimmed());
                break;
            }
            keys.insert(m.captured(1) + ' ' + m.captured(2), m.captured(3));
            rest = rest.mid(m.capturedLength());
        }
        if (keys.values(QStringLiteral("SUBSYSTEM ==")) != QStringList{QStringLiteral("hidraw")})
            problems << QStringLiteral("does not match the hidraw subsystem alone");
        if (keys.values(QStringLiteral("ATTRS{idVendor} ==")) != QStringList{vendor})
            problems << QStringLiteral("does not match vendor %1").arg(vendor);
        if (keys.values(QStringLiteral("ATTRS{idProduct} ==")) != QStringList{product})
            problems << QStringLiteral("does not match product %1").arg(product);
        if (!keys.values(QStringLiteral("TAG +=")).contains(QStringLiteral("uaccess")))
            problems << QStringLiteral("has no uaccess tag");
        for (auto k = keys.cbegin(); k != keys.cend(); ++k) {
            if (!k.key().startsWith(QStringLiteral("MODE")))
                continue;
            bool ok = false;
            const int mode = k.value().toInt(&ok, 8);
            if (!ok || (mode & 07) != 0)
                problems << QStringLiteral("opens the node to everyone: MODE %1").arg(k.value());
        }
        for (const QString& forbidden : {QStringLiteral("GROUP"), QStringLiteral("OWNER")})
            for (auto k = keys.cbegin(); k != keys.cend(); ++k)
                if (k.key().startsWith(forbidden))
                    problems << QStringLiteral("hands the node to %1 %2").arg(forbidden, k.value());
    }
    if (rules == 0)
        problems << QStringLiteral("holds no rule");
    return problems;
}

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
        const QStringList problems = ruleProblems(QString::fromUtf8(file.readAll()));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
        // The uaccess tag only takes effect in rules read before 73-seat-late.
        QVERIFY(QFileInfo(path).fileName().section('-', 0, 0).toInt() < 73);
    }

    void ruleCheckerCatchesRulesThatGiveTooMuchOrNothing_data() {
        QTest::addColumn<QString>("rule");
        const QString good = QStringLiteral(
            R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="09aa", ATTRS{idProduct}=="2007", TAG+="uaccess")");
        QTest::newRow("world-writable") << good + QStringLiteral(R"(, MODE="0666")");
        QTest::newRow("world-readable") << good + QStringLiteral(R"(, MODE:="0664")");
        QTest::newRow("group") << good + QStringLiteral(R"(, GROUP="plugdev")");
        QTest::newRow("every hidraw device")
            << QStringLiteral(R"(SUBSYSTEM=="hidraw", TAG+="uaccess")");
        QTest::newRow("upper-case IDs never match") << QString(good).replace("09aa", "09AA");
        QTest::newRow("every USB device of the board") << QString(good).replace("hidraw", "usb");
        QTest::newRow("second line for every device")
            << good + QStringLiteral("\nSUBSYSTEM==\"hidraw\", TAG+=\"uaccess\"");
        QTest::newRow("no tag") << QString(good).replace(R"(, TAG+="uaccess")", "");
        QTest::newRow("only comments") << QStringLiteral("# nothing\n\n");
        QTest::newRow("unreadable") << good + QStringLiteral(", RUN+=oops");
    }
    void ruleCheckerCatchesRulesThatGiveTooMuchOrNothing() {
        QFETCH(QString, rule);
        QVERIFY(!ruleProblems(rule).isEmpty());
    }

    void hintNamesTheNodeAndTheRuleOnOneLine() {
        const std::string missing = accessHint("/dev/hidraw3", "");
        const std::string installed =
            accessHint("/dev/hidraw3", "/usr/lib/udev/rules.d/70-qdm7720a-eval.rules");
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
