// The two programs as processes, where a transcript cannot reach: started
// with standard streams closed, and tracing into a pipe whose reader has
// gone or onto a full disk (the rest is in tests/transcripts/).
#include <QProcess>
#include <QtTest>
#include <unistd.h>

namespace {

// Starts `program` without a display (the window program offscreen), with 0
// closed, 2 too unless `keepErrors`, and 1 on a pipe whose read end is closed
// (nobody reads: the first write meets a broken pipe), unless `onPipe` is false.
void start(QProcess& p, const char* program, const QStringList& arguments, bool keepErrors,
           bool onPipe = true) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    int ends[2];
    QVERIFY(::pipe(ends) == 0);
    ::close(ends[0]);
    const int writer = ends[1];
    if (onPipe) {
        p.setChildProcessModifier([writer, keepErrors] {
            ::dup2(writer, 1);
            ::close(0);
            if (!keepErrors)
                ::close(2);
        });
    }
    p.start(QLatin1String(program), arguments);
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
        start(cut, QDM_EVAL_PROGRAM, window, false);
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
        start(full, QDM_EVAL_PROGRAM, window, true, false);
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

    // The tool's trace into a pipe whose reader has gone: cut with one line,
    // the command runs to its end, and then its status is 2.
    void toolWithTraceWhoseReaderHasGone() {
        QProcess cut;
        start(cut, QDM_CLI_PROGRAM, {"--demo", "--trace", "/dev/stdout", "write", "5", "1"}, true);
        QVERIFY(cut.waitForFinished(10000));
        QCOMPARE(cut.exitCode(), 2);
        QCOMPARE(cut.readAllStandardError(),
                 "qdm7720a-cli: the trace to /dev/stdout stops here: Broken pipe\n");
    }
};

QTEST_GUILESS_MAIN(TestPrograms)
#include "tst_programs.moc"
