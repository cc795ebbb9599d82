// The two programs as a script or a terminal runs them: options without a
// display, standard streams and traces closed, full or cut; qdm7720a-cli's
// output, exit statuses and one-line messages on the demo board, and in
// process, on a simulated board that fails, the status each failure comes to.
#include "cli/commands.h"
#include "core/sim/simtransport.h"
#include "support/fakeclock.h"
#include "support/files.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

const QString kProgram = QStringLiteral(QDM_EVAL_PROGRAM);

// The environment of a session without a display, or of a window program
// that can run here.
QProcessEnvironment environment(bool offscreen) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    if (offscreen)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

struct Ran {
    int status = -1;
    QString out;
    QString err;
};

Ran run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setProcessEnvironment(environment(false));
    p.start(program, arguments);
    p.waitForFinished(20000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

Ran cli(const QStringList& arguments, bool demo = true) {
    return run(QStringLiteral(QDM_CLI_PROGRAM),
               (demo ? QStringList{"--demo"} : QStringList{}) + arguments);
}

// The demo program with its chip at the start-up address, so that it comes
// up without a question and sits in its window, tracing to `trace`.
QStringList windowRun(const char* trace) {
    return {"--demo", "--demo-address", "0", "--trace", trace};
}

void stop(QProcess& p) {
    p.kill();
    p.waitForFinished(5000);
}

} // namespace

class TestPrograms : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private slots:
    // Output and exit status of each command line; a failure is one line on
    // standard error. The window program reads its options before it needs a
    // display: help, version and every error work over ssh.
    void commandLines_data() {
        QTest::addColumn<bool>("isCli");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says"); // on stdout for 0, else on stderr
        bool isCli = true; // the command-line tool's rows first, then the window program's
        const auto row = [&isCli](const char* name, const QStringList& args, int status,
                                  const char* says) {
            QTest::newRow(name) << isCli << args << status << QString::fromLatin1(says);
        };
        row("dump", {"dump"}, 0, "0x07  0xCC  Equalization for Channels B and A\n0x08");
        row("dump --all", {"dump", "--all"}, 0,
            "00: 31 00 0c 12 00 00 00 cc cc 00 00 00 00 00 00 00\n10: 10");
        row("read three", {"read", "0x00", "3"}, 0, "0x00 0x31\n0x01 0x00\n0x02 0x0C\n");
        row("read beyond 0xFF", {"read", "0xFF", "2"}, 2, "1 to 1 registers");
        row("not acknowledged", {"--address", "0x41", "read", "0"}, 1,
            "not acknowledged (status 0x01)");
        row("scan", {"scan"}, 0, "40: 40 -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n50:");
        row("scan elsewhere", {"--demo-address", "0x21", "scan"}, 0, "QDM7720A at 0x21\n");
        row("write", {"write", "0x05", "1", "2", "3"}, 0, "");
        row("write nothing", {"write", "0x05"}, 2, "2 to 257 arguments");
        row("channel", {"channel"}, 0, "hardware (0x0C)\n");
        row("channel c", {"channel", "c"}, 0, "C (0x02)\n");
        row("channel X", {"channel", "X"}, 2, "'X'");
        row("recal", {"recal"}, 0, "0x12\n");
        row("clock", {"clock", "60"}, 0, "200 kHz (base clock 12 MHz, divider 60)\n");
        row("clock 0", {"clock", "0"}, 2, "1 to 255");
        row("led", {"led", "on"}, 0, "on\n");
        row("list", {"--demo-boards", "2", "list"}, 0,
            "1  sim:board1  serial SIM0001  firmware 2.0 2010-01-15\n");
        row("no such board", {"--board", "1", "read", "0"}, 3, "there is no board 1: 1 found");
        row("unknown command", {"bogus"}, 2, "unknown command 'bogus'");
        row("--all elsewhere", {"--all", "read", "0"}, 2, "--all is an option of dump");
        row("bad address", {"--address", "0x0x40", "read", "0"}, 2, "7-bit address");
        isCli = false;
        row("help", {"--help"}, 0, "--demo-boards <N>");
        row("version", {"--version"}, 0, "qdm7720a-eval " QDM_VERSION);
        row("16 boards", {"--demo", "--demo-boards", "16", "--version"}, 0, "qdm7720a-eval");
        row("17 boards", {"--demo", "--demo-boards", "17"}, 2, "1 to 16");
        row("boards without demo", {"--demo-boards", "2"}, 2, "--demo-boards");
        row("address without demo", {"--demo-address", "0x40"}, 2, "--demo-address");
        row("above 7 bits", {"--demo", "--demo-address", "0x80"}, 2, "7-bit");
        row("stray argument", {"stray"}, 2, "stray");
        row("trace nowhere", {"--trace", "/nonexistent/t"}, 2,
            "cannot write the trace to /nonexistent/t: No such file or directory");
    }
    void commandLines() {
        QFETCH(bool, isCli);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, says);
        const Ran ran = isCli ? cli(arguments) : run(kProgram, arguments);
        QCOMPARE(ran.status, status);
        QVERIFY2((status ? ran.err : ran.out).contains(says), qPrintable(ran.out + ran.err));
        QCOMPARE(ran.err.count(QLatin1Char('\n')), status ? 1 : 0);
    }

    // Files: the window's bytes, checked whole before anything is written,
    // loaded, compared; and one JSON document, failures included.
    void filesAndJson() {
        const QString saved = path("saved.txt");
        QCOMPARE(cli({"save", saved}).status, 0);
        QCOMPARE(readFile(saved), kDefaultsFile);
        QCOMPARE(cli({"load", saved}).status + cli({"diff", saved}).status, 0);
        const QString other = path("other.txt");
        QVERIFY(writeFile(other, "//QDM7720A Register File\r\n0x05\t12\r\n0x06\t100\r\n"));
        const QString trace = path("trace.txt");
        const Ran refused = cli({"--trace", trace, "load", other});
        QCOMPARE(refused.status, 2);
        QVERIFY(refused.err.contains(
            QStringLiteral("line 3 is not a register line (its value is not one or two hex")));
        QVERIFY(!readFile(trace).contains(" out 0 00 02 01 80 05")); // nothing written
        QVERIFY(writeFile(other, "//QDM7720A Register File\r\n0x05\t12\r\n0x06\t\r\n"));
        QCOMPARE(cli({"load", other}).out,
                 QStringLiteral("1 register line with no value skipped\n"));
        const Ran differs = cli({"diff", other});
        QCOMPARE(differs.status, 1);
        QCOMPARE(
            differs.out,
            QStringLiteral("0x05: file 0x12, chip 0x00\n1 register line with no value skipped\n"));
        QCOMPARE(QJsonDocument::fromJson(cli({"--json", "diff", other}).out.toUtf8())["skipped"],
                 1);
        QCOMPARE(cli({"load", path("missing.txt")}).status + cli({"save", "/dev/null"}).status, 4);

        const Ran json = cli({"--json", "--address", "65", "read", "0"});
        const QJsonObject doc = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QVERIFY(doc["exitStatus"] == 1 && doc["error"].toString().contains(QLatin1String("0x41")));
        const Ran values = cli({"--json", "read", "0", "2"});
        QCOMPARE(QJsonDocument::fromJson(values.out.toUtf8())["values"].toVariant(),
                 QVariant(QVariantList{0x31, 0}));
        QCOMPARE(cli({"read", "0"}, false).status, 3); // no board here
    }

    // A board that fails mid-command: the status a script sees for it.
    void failuresOnTheBoard() {
        const auto run = [](const QStringList& line, const std::function<void(SimBoard&)>& fail) {
            FakeClock clock;
            SimTransport transport{clock};
            transport.addBoard().addChip(0x40);
            BoardLink link{transport};
            Arguments a;
            a.command = line[0];
            a.operands = line.mid(1);
            Workbench bench(link, a);
            bench.address.setByte(0x80);
            fail(transport.board(0));
            return runCommand(bench);
        };
        const std::tuple<QStringList, AnswerFault, int, const char*> rows[] = {
            {{"dump"}, AnswerFault::drop(), 4, "read of the main registers at 0x40: "},
            {{"dump"}, AnswerFault::withStatus(0x80), 1, "read of the main registers at 0x40: "},
            {{"channel", "c"}, AnswerFault::drop(), 4, "read-back of register 0x02 at 0x40: "},
            {{"set", "2", "reset", "1"}, AnswerFault::drop(), 4, "write of register 0x02 at 0x40"},
            {{"set", "5", "tristate-data", "1"}, AnswerFault::nak(), 1, "write of register 0x05"}};
        for (const auto& [line, fault, status, what] : rows) { // the fault hits the second answer
            const CommandResult r = run(line, [f = fault](SimBoard& b) {
                b.answerFaults = {AnswerFault::none(), f};
            });
            QVERIFY2(r.status == status && r.error.startsWith(QLatin1String(what)), what);
        }
        const auto r = run({"write", "5", "1"}, [](SimBoard& b) { b.unplugAfterReports = 0; });
        QVERIFY(r.status == 3 &&
                r.error.endsWith(QStringLiteral("took no request: No such device")));
        const Ran full = ::run("/bin/sh", {"-c", QDM_CLI_PROGRAM " --demo dump >/dev/full"});
        QVERIFY(full.status == 2 && full.err.endsWith("output: No space left on device\n"));
    }

    // Started with 0 and 2 closed, the program opens them on /dev/null before
    // anything else can take them. A trace that cannot be written is cut with
    // one line that says why; it never ends the program (a pipe whose reader
    // has gone, here on 1, a full disk).
    void closedStreamsAndTraceThatCannotBeWritten() {
        int pipeEnds[2];
        QVERIFY(::pipe(pipeEnds) == 0);
        ::close(pipeEnds[0]); // nobody reads: the first write meets a broken pipe
        QProcess cut;
        cut.setProcessEnvironment(environment(true));
        const int writer = pipeEnds[1];
        cut.setChildProcessModifier([writer] {
            ::dup2(writer, 1);
            ::close(0);
            ::close(2);
        });
        cut.start(kProgram, windowRun("/dev/fd/1"));
        ::close(writer);
        QVERIFY(cut.waitForStarted());
        const auto fd = [&cut](int n) {
            return QFile::symLinkTarget(
                QStringLiteral("/proc/%1/fd/%2").arg(cut.processId()).arg(n));
        };
        QTRY_COMPARE_WITH_TIMEOUT(fd(0) + fd(2), "/dev/null/dev/null", 5000);
        QVERIFY2(!cut.waitForFinished(3000), "ended by the closed pipe");
        stop(cut);

        QProcess full;
        full.setProcessEnvironment(environment(true));
        full.start(kProgram, windowRun("/dev/full"));
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += full.readAllStandardError()).contains("stops here"),
                                 5000);
        QVERIFY(!full.waitForFinished(1000));
        said += full.readAllStandardError();
        QCOMPARE(said.count("stops here"), 1);
        QVERIFY(said.contains("the trace to /dev/full stops here: No space left on device\n"));
        stop(full);
    }
};

QTEST_GUILESS_MAIN(TestPrograms)
#include "tst_programs.moc"
