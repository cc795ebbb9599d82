// The program as a process: its options without a display, and its standard
// streams and trace when they are closed, full or cut.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kProgram = QStringLiteral(QDM_EVAL_PROGRAM);

// The environment of a session without a display.
QProcessEnvironment withoutDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    return env;
}

// The environment of a window program that can run here.
QProcessEnvironment offscreen() {
    QProcessEnvironment env = withoutDisplay();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// The demo program with its chip at the start-up address, so that it comes
// up without a question and sits in its window.
QStringList windowRun(const QStringList& more) {
    return QStringList{QStringLiteral("--demo"), QStringLiteral("--demo-address"),
                       QStringLiteral("0")} +
           more;
}

void stop(QProcess& p) {
    p.kill();
    p.waitForFinished(5000);
}

} // namespace

class TestStreams : public QObject {
    Q_OBJECT
private slots:
    // Options are read before any display is needed: help, version and every
    // error work over ssh; an error is one line and exit status 2.
    void optionsWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says"); // on stdout for 0, stderr for 2
        const auto row = [](const char* name, QStringList args, int status, const char* says) {
            QTest::newRow(name) << args << status << QString::fromLatin1(says);
        };
        row("help", {"--help"}, 0, "--demo-boards <N>");
        row("version", {"--version"}, 0, "qdm7720a-eval " QDM_VERSION);
        row("16 boards", {"--demo", "--demo-boards", "16", "--version"}, 0, "qdm7720a-eval");
        row("17 boards", {"--demo", "--demo-boards", "17"}, 2, "1 to 16");
        row("boards without demo", {"--demo-boards", "2"}, 2, "--demo-boards");
        row("address without demo", {"--demo-address", "0x40"}, 2, "--demo-address");
        row("above 7 bits", {"--demo", "--demo-address", "0x80"}, 2, "7-bit");
        row("stray argument", {"stray"}, 2, "stray");
    }
    void optionsWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, says);
        QProcess p;
        p.setProcessEnvironment(withoutDisplay());
        p.start(kProgram, arguments);
        QVERIFY(p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit);
        QCOMPARE(p.exitCode(), status);
        const QString out =
            QString::fromLocal8Bit(status ? p.readAllStandardError() : p.readAllStandardOutput());
        QVERIFY2(out.contains(says), qPrintable(out));
        if (status)
            QCOMPARE(out.count(QLatin1Char('\n')), 1);
    }

    // Started with 0, 1 and 2 closed, the program opens them on /dev/null
    // before anything else can take them.
    void closedStandardDescriptors() {
        QProcess p;
        p.setProcessEnvironment(offscreen());
        p.setChildProcessModifier([] {
            for (int fd = 0; fd <= 2; ++fd)
                ::close(fd);
        });
        p.start(kProgram, windowRun({QStringLiteral("--trace"), QStringLiteral("-")}));
        QVERIFY(p.waitForStarted());
        const auto fd = [&p](int n) {
            return QFile::symLinkTarget(QStringLiteral("/proc/%1/fd/%2").arg(p.processId()).arg(n));
        };
        QTRY_COMPARE_WITH_TIMEOUT(fd(0) + fd(1) + fd(2), "/dev/null/dev/null/dev/null", 5000);
        QVERIFY(!p.waitForFinished(1000));
        stop(p);
    }

    // A trace that cannot be written is cut with one line that says why; it
    // never ends the program (a pipe whose reader has gone, a full disk).
    void traceThatCannotBeWritten() {
        int pipeEnds[2];
        QVERIFY(::pipe(pipeEnds) == 0);
        ::close(pipeEnds[0]); // nobody reads: the first write meets a broken pipe
        QProcess cut;
        cut.setProcessEnvironment(offscreen());
        const int writer = pipeEnds[1];
        cut.setChildProcessModifier([writer] { ::dup2(writer, 2); });
        cut.start(kProgram, windowRun({QStringLiteral("--trace"), QStringLiteral("-")}));
        ::close(writer);
        QVERIFY(cut.waitForStarted());
        QVERIFY2(!cut.waitForFinished(3000), "ended by the closed pipe");
        stop(cut);

        QProcess full;
        full.setProcessEnvironment(offscreen());
        full.start(kProgram, windowRun({QStringLiteral("--trace"), QStringLiteral("/dev/full")}));
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += full.readAllStandardError()).contains("stops here"),
                                 5000);
        QVERIFY(!full.waitForFinished(1000));
        said += full.readAllStandardError();
        QCOMPARE(said.count("stops here"), 1);
        QVERIFY(said.contains("the trace to /dev/full stops here: No space left on device\n"));
        stop(full);

        QProcess nowhere;
        nowhere.setProcessEnvironment(withoutDisplay());
        nowhere.start(kProgram, windowRun({QStringLiteral("--trace"),
                                           QStringLiteral("/nonexistent/trace.txt")}));
        QVERIFY(nowhere.waitForFinished(10000));
        QCOMPARE(nowhere.exitCode(), 2);
        QVERIFY(nowhere.readAllStandardError().contains(
            "cannot write the trace to /nonexistent/trace.txt: No such file or directory"));
    }
};

QTEST_GUILESS_MAIN(TestStreams)
#include "tst_streams.moc"
