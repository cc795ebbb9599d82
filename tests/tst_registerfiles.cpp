// Saving the grid to a register file and loading a file into the chip
// through the window's File menu.
#include "app/dialogs.h"
#include "regfiles/registerfile.h"
#include "regfiles/registerfiles.h"
#include "registers/registergrid.h"
#include "support/reports.h"
#include "support/testrig.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// The chip's default registers as a save writes them.
const QByteArray kDefaultsFile = "//QDM7720A Register File\r\n"
                                 "0x00\t31\r\n0x01\t00\r\n0x02\t0C\r\n0x03\t12\r\n0x04\t00\r\n"
                                 "0x05\t00\r\n0x06\t00\r\n0x07\tCC\r\n0x08\tCC\r\n0x09\t00\r\n"
                                 "0x0A\t00\r\n0x0B\t00\r\n0x0C\t00\r\n0x10\t10\r\n";

const std::vector<Report> kReadAll = {i2cRead(0x00, 0x00, 13), i2cRead(0x00, 0x10, 1)};

// Lowers the limit on the size of files this process writes while it lives,
// as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

} // namespace

class TestRegisterFiles : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private slots:
    void saveReadsAllThenWritesTheGrid() {
        TestRig rig;
        rig.loadAndSettle();
        rig.chip().registers[0x05] = 0x0A;
        const QString file = path("save.txt");
        writeFile(file, "old contents");
        rig.dialogs.chooseFile(file);
        rig.dialogs.answer(Answer::Cancel); // keep the file there
        rig.dialogs.chooseFile(file);
        rig.dialogs.answer(Answer::Ok);
        rig.window().ui().mnuSaveRegisters->trigger();
        QCOMPARE(readFile(file), QByteArray("old contents"));
        rig.window().ui().mnuSaveRegisters->trigger();

        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).back(), kReadAll.back());
        QCOMPARE(readFile(file), QByteArray(kDefaultsFile).replace("0x05\t00", "0x05\t0A"));
        QCOMPARE(rig.dialogs.shown.size(), 2u);
        const ScriptedDialogs::Shown& question = rig.dialogs.shown[0];
        QCOMPARE(question.text,
                 QStringLiteral("File exists.  Press OK to overwrite, Cancel to abort."));
        QCOMPARE(question.title, QStringLiteral("File Exists"));
        QCOMPARE(question.buttons, Buttons::OkCancel);
        const FileDialogRequest& request = rig.dialogs.fileRequests[0];
        QCOMPARE(request.kind, FileDialogRequest::Kind::Save);
        QCOMPARE(request.fileName, QStringLiteral("registers.txt"));
        QCOMPARE(request.defaultExt, QStringLiteral("txt"));
        QCOMPARE(request.filter, QStringLiteral("Text File (*.TXT)|*.txt| All Files (*.*)|*.*|"));
    }

    void saveWithoutAChipWritesTheCellsAsTheyStand() {
        TestRig rig(1, 0x20); // nothing answers at address byte 0
        rig.loadAndSettle();
        RegisterGrid& grid = rig.window().grid();
        for (int r : kMainRegisters)
            grid.setText(r, QStringLiteral("%1").arg(r, 2, 16, QLatin1Char('0')).toUpper());
        grid.setText(0x05, QString());
        rig.dialogs.answer(Answer::Retry); // the invalid-address box of Read All
        const QString file = path("nochip.txt");
        rig.dialogs.chooseFile(file);
        rig.window().mnuSaveRegisters_Click();

        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        const QList<QByteArray> lines = readFile(file).split('\n');
        QCOMPARE(lines.size(), 16); // 15 lines and nothing after the last line end
        QCOMPARE(lines[1], QByteArray("0x00\t00\r"));
        QCOMPARE(lines[6], QByteArray("0x05\t\r"));
        QCOMPARE(lines[14], QByteArray("0x10\t10\r"));
    }

    void failedSaveSaysSoAndKeepsTheOldFile() {
        TestRig rig;
        rig.loadAndSettle();
        const QString nowhere = path("missing/regs.txt"); // a folder that does not exist
        rig.dialogs.chooseFile(nowhere);
        rig.window().mnuSaveRegisters_Click();
        // The disk fills up while the file is written: the old file stays
        // whole and nothing part-written is left beside it.
        QTemporaryDir own;
        const QString file = own.filePath(QStringLiteral("full.txt"));
        writeFile(file, "old contents");
        rig.dialogs.chooseFile(file);
        rig.dialogs.answer(Answer::Ok); // overwrite
        {
            const FileSizeLimit full(40);
            rig.window().mnuSaveRegisters_Click();
        }
        QCOMPARE(rig.dialogs.shown.size(), 3u);
        for (int i : {0, 2}) {
            const ScriptedDialogs::Shown& box = rig.dialogs.shown[i];
            QVERIFY(box.text.startsWith(QStringLiteral("The register file could not be saved")));
            QVERIFY(box.text.contains(QDir::toNativeSeparators(i ? file : nowhere)));
            QCOMPARE(box.buttons, Buttons::Ok);
        }
        QVERIFY(!QFile::exists(nowhere));
        QCOMPARE(readFile(file), QByteArray("old contents"));
        QCOMPARE(QDir(own.path()).entryList(QDir::Files), QStringList{QStringLiteral("full.txt")});
    }

    void fileDialogIsSilentOnCancelAndKeepsTheName() {
        TestRig rig;
        rig.loadAndSettle();
        RegisterFiles& files = rig.window().registerFiles();
        const QString saved = path("kept.txt");
        const std::pair<bool, std::optional<QString>> steps[] = {
            {false, std::nullopt},
            {true, std::nullopt},
            {true, saved},
            {false, std::nullopt},
            {true, std::nullopt}}; // save?, the choice
        for (const auto& [save, choice] : steps) {
            rig.dialogs.chooseFile(choice);
            save ? files.mnuSaveRegisters_Click() : files.mnuLoadRegisters_Click();
        }
        const auto& requests = rig.dialogs.fileRequests;
        QCOMPARE(requests.size(), 5u);
        QCOMPARE(requests[0].kind, FileDialogRequest::Kind::Open);
        QCOMPARE(requests[0].fileName, QString()); // nothing chosen yet: nothing offered
        QCOMPARE(requests[0].filter,
                 QStringLiteral("Text File (*.txt) |*.txt | All Files (*.*)|*.*|"));
        QCOMPARE(requests[1].fileName, QStringLiteral("registers.txt"));
        QCOMPARE(requests[2].fileName, QStringLiteral("registers.txt")); // kept after Cancel
        QCOMPARE(requests[3].fileName, saved);                 // the load offers the name saved
        QCOMPARE(requests[4].fileName, path("registers.txt")); // in the folder used last
        QCOMPARE(rig.dialogs.shown.size(), 0u);
        QVERIFY(i2cWritesReceived(rig.board()).empty());
    }

    void savedFileLoadsInOrderThenReadsAll() {
        TestRig rig;
        rig.loadAndSettle();
        rig.chip().registers[0x04] = 0x5A;
        rig.chip().registers[0x0A] = 0x03; // an error counter, cleared by the save's read
        const QString file = path("roundtrip.txt");
        rig.dialogs.chooseFile(file);
        rig.window().mnuSaveRegisters_Click();

        rig.chip().reset();
        rig.clearRecords();
        rig.board().queueInput(reportOf({0, 0x55})); // stale input, drained first
        rig.dialogs.chooseFile(file);
        rig.window().mnuLoadRegisters_Click();

        std::vector<Report> expected;
        const int values[] = {0x31, 0x00, 0x0C, 0x12, 0x5A, 0, 0, 0xCC, 0xCC, 0, 0x03, 0, 0, 0x10};
        for (std::size_t i = 0; i < kMainRegisters.size(); ++i)
            expected.push_back(i2cWrite(0x00, kMainRegisters[i], {values[i]}));
        expected.insert(expected.end(), kReadAll.begin(), kReadAll.end());
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C), expected);
        QCOMPARE(rig.window().grid().text(0x04), QStringLiteral("5A"));
        QVERIFY(rig.dialogs.shown.empty());
    }

    void loaderFieldRules() {
        TestRig rig;
        rig.loadAndSettle();
        const QString file = path("rules.txt");
        writeFile(file, "//QDM7720A Register File\r\n0X05\t77\r\n0x03 12\r\n// 0x04\t99\r\n"
                        "0x06-3F,0xAB\t01\r\n");
        rig.dialogs.chooseFile(file);
        rig.window().mnuLoadRegisters_Click();
        QCOMPARE(i2cWritesReceived(rig.board()),
                 (std::vector<Report>{i2cWrite(0, 0x03, {0x12}), i2cWrite(0, 0x06, {0x3F}),
                                      i2cWrite(0, 0xAB, {0x01})}));
        QVERIFY(rig.dialogs.shown.empty());

        // Only the header: nothing written, then Read All.
        writeFile(file, "//QDM7720A Register File\r\n");
        rig.clearRecords();
        rig.dialogs.chooseFile(file);
        rig.window().mnuLoadRegisters_Click();
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C), kReadAll);
    }

    void refusedFilesWriteNothing_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("starts"); // the message, %1 the path
        const QString badLine =
            QStringLiteral("Line %1 of %2 is not a valid register line:\r\n\r\n%3\r\n\r\n");
        const QByteArray header = "//QDM7720A Register File\r\n";
        QTest::newRow("header in lower case")
            << QByteArray("//qdm7720a register file\r\n0x03\t12\r\n") << kNotRegisterFileText;
        QTest::newRow("empty") << QByteArray() << kNotRegisterFileText;
        QTest::newRow("empty cell saved") << header + "0x03\t12\r\n0x04\t34\r\n0x05\t\r\n"
                                          << badLine.arg(4).arg(QStringLiteral("%1"), "0x05\t");
        QTest::newRow("control characters shown as ?")
            << header + "0x03\x01\x02\x1b\n"
            << badLine.arg(2).arg(QStringLiteral("%1"), "0x03???");
        QTest::newRow("far too large")
            << header + QByteArray(2 * 1024 * 1024, '/')
            << QStringLiteral("The register file could not be read:\r\n%1");
        QTest::newRow("gone") << QByteArray("-")
                              << QStringLiteral("The register file could not be read:\r\n%1");
    }
    void namesAndLinesAreShownAsTheyAre() {
        // Percent signs in a file's name or in its lines are text, not place holders.
        TestRig rig;
        rig.loadAndSettle();
        const QString file = path("100%1 %2.txt");
        writeFile(file, "//QDM7720A Register File\r\n0x%1\t%2\r\n");
        rig.dialogs.chooseFile(file);
        rig.window().mnuLoadRegisters_Click();
        QCOMPARE(rig.dialogs.shown.size(), 1u);
        QCOMPARE(rig.dialogs.shown[0].text,
                 QStringLiteral("Line 2 of ") + QDir::toNativeSeparators(file) +
                     QStringLiteral(" is not a valid register line:\r\n\r\n0x%1\t%2\r\n\r\n"
                                    "Its address (characters 3 and 4) and its value (characters 6 "
                                    "and 7) must be hexadecimal bytes. Nothing was written to the "
                                    "chip."));
        QVERIFY(reportsWithCommand(rig.board(), CMD_I2C).empty());
    }

    void refusedFilesWriteNothing() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, starts);
        TestRig rig;
        rig.loadAndSettle();
        const QString file = path("refused.txt");
        QFile::remove(file);
        if (contents != "-")
            writeFile(file, contents);
        rig.dialogs.chooseFile(file);
        rig.window().mnuLoadRegisters_Click();
        QVERIFY(reportsWithCommand(rig.board(), CMD_I2C).empty()); // not even Read All
        QCOMPARE(rig.dialogs.shown.size(), 1u);
        const ScriptedDialogs::Shown& box = rig.dialogs.shown[0];
        QCOMPARE(box.buttons, Buttons::Ok);
        if (starts == kNotRegisterFileText) {
            QCOMPARE(box.text, kNotRegisterFileText);
            QCOMPARE(box.title, QStringLiteral("Error"));
        } else {
            QVERIFY2(box.text.startsWith(starts.arg(QDir::toNativeSeparators(file))),
                     qPrintable(box.text));
            QVERIFY(box.text.endsWith(QStringLiteral("Nothing was written to the chip.")));
        }
    }

    void writeNotAcknowledgedEndsTheLoad() {
        TestRig rig;
        rig.loadAndSettle();
        const QString file = path("stops.txt");
        writeFile(file, kDefaultsFile);
        rig.board().answerFaults = {AnswerFault::none(), AnswerFault::none(),
                                    AnswerFault::withStatus(1)};
        rig.dialogs.answer(Answer::Retry);
        rig.dialogs.chooseFile(file);
        rig.window().mnuLoadRegisters_Click();
        QCOMPARE(rig.dialogs.texts(), QStringList{kInvalidAddressText});
        // Three writes, the third not acknowledged; no more, and no Read All.
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 (std::vector<Report>{i2cWrite(0, 0x00, {0x31}), i2cWrite(0, 0x01, {0x00}),
                                      i2cWrite(0, 0x02, {0x0C})}));
        QVERIFY(!rig.ended());

        // Cancel in the same box ends the program, and the load with it.
        rig.clearRecords();
        rig.board().answerFaults = {AnswerFault::withStatus(1)};
        rig.dialogs.answer(Answer::Cancel);
        rig.dialogs.chooseFile(file);
        rig.window().mnuLoadRegisters_Click();
        QVERIFY(rig.ended());
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C).size(), 1u);
    }

    // A link is followed openly: the question names where it leads. A FIFO is
    // neither replaced nor read, and a load takes a name without an extension.
    void linksPipesAndNamesWithoutExtension() {
        TestRig rig;
        rig.loadAndSettle();
        const QString target = path("target.txt");
        const QString link = path("link.txt");
        writeFile(target, "old");
        QFile::remove(link);
        QVERIFY(QFile::link(target, link));
        rig.dialogs.chooseFile(link);
        rig.dialogs.answer(Answer::Ok);
        rig.window().mnuSaveRegisters_Click();
        QCOMPARE(rig.dialogs.shown.size(), 1u);
        QCOMPARE(rig.dialogs.shown[0].title, kFileExistsTitle);
        QVERIFY(rig.dialogs.shown[0].text.startsWith(kFileExistsText));
        QVERIFY(rig.dialogs.shown[0].text.contains(QDir::toNativeSeparators(target)));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(readFile(target).startsWith(kRegisterFileHeader));

        const QString fifo = path("fifo");
        QFile::remove(fifo);
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        rig.clearRecords();
        rig.dialogs.chooseFile(fifo);
        rig.window().mnuLoadRegisters_Click(); // does not wait for a writer
        rig.dialogs.chooseFile(fifo);
        rig.window().mnuSaveRegisters_Click();
        QCOMPARE(rig.dialogs.shown.size(), 2u);
        for (const auto& box : rig.dialogs.shown)
            QVERIFY(box.text.contains(QDir::toNativeSeparators(fifo)));
        QVERIFY(i2cWritesReceived(rig.board()).empty());
        QVERIFY(QFileInfo(fifo).isFile() == false);

        const QString bare = path("registers");
        writeFile(bare, kDefaultsFile);
        rig.clearRecords();
        rig.dialogs.chooseFile(bare);
        rig.window().mnuLoadRegisters_Click();
        QCOMPARE(rig.dialogs.fileRequests.back().defaultExt, QString());
        QCOMPARE(i2cWritesReceived(rig.board()).size(), 14u);
    }

    void shortcutsOnEveryTabAndFilters() {
        TestRig rig;
        rig.loadAndSettle();
        rig.window().ShowTestTabs(true);
        rig.window().ui().SSTab1->setCurrentIndex(2);
        rig.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
        rig.dialogs.chooseFile(std::nullopt);
        rig.dialogs.chooseFile(std::nullopt);
        QTest::keyClick(&rig.window(), Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(&rig.window(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(rig.dialogs.fileRequests.size(), 2u);
        QCOMPARE(rig.dialogs.fileRequests[0].kind, FileDialogRequest::Kind::Save);
        QCOMPARE(rig.dialogs.fileRequests[1].kind, FileDialogRequest::Kind::Open);

        // Both filter lists as the Qt dialog shows and matches them.
        const QStringList shown = {QStringLiteral("Text File (*.txt)"),
                                   QStringLiteral("All Files (*)")};
        QCOMPARE(qtNameFilters(kSaveFilter), shown);
        QCOMPARE(qtNameFilters(kLoadFilter), shown);
        QCOMPARE(qtNameFilters(QStringLiteral("Logs|*.log;*.txt|")),
                 QStringList{QStringLiteral("Logs (*.log *.txt)")});
    }
};

QTEST_MAIN(TestRegisterFiles)
#include "tst_registerfiles.moc"
