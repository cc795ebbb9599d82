// The window program as a process, where a transcript cannot reach: started
// with standard streams closed, and tracing into a pipe whose reader has
// gone or onto a full disk while its window is up (the rest of both
// programs' command lines is in tests/transcripts/).
#include <QProcess>
#include <QtTest>
#include <unistd.h>

namespace {

// Starts the window program offscreen, with 0 and 2 closed and 1 on a pipe
// whose read end is closed (nobody reads: the first write meets a broken
// pipe); or, without `onPipe`, with its streams as they are.
void start(QProcess& p, const QStringList& arguments, bool onPipe) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    int ends[2];
    QVERIFY(::pipe(ends) == 0);
    ::close(ends[0]);
    const int writer = ends[1];
    if (onPipe) {
        p.setChildProcessModifier([writer] {
            ::dup2(writer, 1);
            ::close(0);
            ::close(2);
        });
    }
    p.start(QStringLiteral(QDM_EVAL_PROGRAM), arguments);
    ::close(writer);
    QVERIFY(p.waitForStarted());
}

} // namespace

class TestPrograms : public QObject {
    Q_OBJECT
private slots:
    // The demo program, its chip at the start-up address so that it comes up
    // without a question and sits in its window. Started with 0 and 2 closed,
    // it opens them on /dev/null before anything else can take them. A trace
    // that cannot be written is cut with one line that says why; it never
    // ends the program (a pipe whose reader has gone, here on 1, a full disk).
    void windowWithClosedStreamsAndTraceThatCannotBeWritten() {
        QStringList window{"--demo", "--demo-address", "0", "--trace", "/dev/fd/1"};
        QProcess cut;
        start(cut, window, true);
        const auto fd = [&cut](int n) {
            return QFile::symLinkTarget(
                QStringLiteral("/proc/%1/fd/%2").arg(cut.processId()).arg(n));
        };
        QTRY_COMPARE_WITH_TIMEOUT(fd(0) + fd(2), "/dev/null/dev/null", 5000);
        QVERIFY2(!cut.waitForFinished(3000), "ended by the closed pipe");
        cut.kill();
        cut.waitForFinished(5000);

        QProcess full;
        window.last() = QStringLiteral("/dev/full");
        start(full, window, false);
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += full.readAllStandardError()).contains("stops here"),
                                 5000);
        QVERIFY(!full.waitForFinished(1000));
        said += full.readAllStandardError();
        QCOMPARE(said.count("stops here"), 1);
        QVERIFY(said.contains("the trace to /dev/full stops here: No space left on device\n"));
        full.kill();
        full.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TestPrograms)
#include "tst_programs.moc"
