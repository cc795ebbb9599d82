// Saving the main registers to a file and loading a file into the chip, as
// the File menu does, on a simulated board: the bytes, the dialogs' settings,
// the questions and messages, and what reaches the chip.
#include "core/operations/registerfiles.h"
#include "support/files.h"
#include "support/reports.h"
#include "support/simrig.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

const std::vector<Report> kReadAll = {i2cRead(0x00, 0x00, 13), i2cRead(0x00, 0x10, 1)};

struct FilesRig : SimRig {
    FilesRig() { started(); }
    RegisterFileResult save() { return files.save(chip(), ReadMode::Burst); }
    RegisterFileResult load() { return files.load(chip(), ReadMode::Burst); }
    RegisterFileCommands files{prompt, prompt};
};

} // namespace

class TestRegisterFiles : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private slots:
    void saveReadsAllThenWritesTheCells() {
        FilesRig rig;
        const QString file = path("saved.txt");
        rig.prompt.chooseFile(file);
        QCOMPARE(rig.save().outcome, RegisterFileResult::Outcome::Done);
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C), kReadAll);
        QCOMPARE(readFile(file), kDefaultsFile);
        QVERIFY(rig.prompt.shown.empty()); // a new name is not asked about
        const FileRequest& asked = rig.prompt.requests.at(0);
        QVERIFY(asked.kind == FileRequest::Kind::Save && asked.defaultSuffix == "txt");
        QCOMPARE(asked.fileName + asked.filter,
                 "registers.txtText File (*.TXT)|*.txt| All Files (*.*)|*.*|");

        // Read All not acknowledged: the file holds the cells as they stand.
        rig.clearRecords();
        rig.session.registers().setTyped(5, QStringLiteral("7"));
        rig.board().everyAnswer = AnswerFault::nak();
        rig.prompt.answer(Answer::Retry);
        rig.prompt.answer(Answer::Ok); // overwrite
        rig.prompt.chooseFile(file);
        rig.save();
        QCOMPARE(rig.prompt.texts(), (QStringList{kInvalidAddressText, kFileExistsText}));
        QVERIFY(rig.prompt.shown[1].title == "File Exists" &&
                rig.prompt.shown[1].buttons == Buttons::OkCancel);
        QCOMPARE(readFile(file), QByteArray(kDefaultsFile).replace("0x05\t00", "0x05\t7"));
        QCOMPARE(rig.prompt.requests.at(0).fileName, path("registers.txt")); // in the folder used
    }

    void overwriteAndCancel() {
        FilesRig rig;
        const QString target = path("target.txt");
        const QString link = path("link.txt");
        writeFile(target, "old");
        QVERIFY(QFile::link(target, link));
        // Cancel in the dialog, then Cancel to the question: nothing changes.
        rig.prompt.chooseFile(std::nullopt);
        QCOMPARE(rig.save().outcome, RegisterFileResult::Outcome::Cancelled);
        rig.prompt.chooseFile(link);
        rig.prompt.answer(Answer::Cancel);
        rig.save();
        QCOMPARE(readFile(target), QByteArray("old"));
        // The question names where the link leads; OK replaces the target.
        QVERIFY(rig.prompt.shown.back().text.startsWith(kFileExistsText));
        QVERIFY(rig.prompt.shown.back().text.contains(QDir::toNativeSeparators(target)));
        rig.prompt.chooseFile(link);
        rig.prompt.answer(Answer::Ok);
        rig.save();
        QCOMPARE(readFile(target), kDefaultsFile);
        QVERIFY(QFileInfo(link).isSymLink());

        // A FIFO or a folder that is missing: a message naming the file.
        const QString fifo = path("fifo");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        for (const QString& refused : {fifo, path("missing/regs.txt")}) {
            rig.prompt.clear();
            rig.prompt.chooseFile(refused);
            QCOMPARE(rig.save().outcome, RegisterFileResult::Outcome::Refused);
            QVERIFY(rig.prompt.shown.size() == 1 &&
                    rig.prompt.shown[0].text.startsWith(
                        QStringLiteral("The register file could not be saved:\r\n") +
                        QDir::toNativeSeparators(refused)));
        }
        QVERIFY(!QFile::exists(path("missing/regs.txt")));
    }

    void loadWritesInFileOrderThenReadsAll() {
        FilesRig rig;
        const QString file = path("load");
        writeFile(file, "//QDM7720A Register File\r\n0X05\t77\r\n0x03 12\r\n// 0x04\t99\r\n"
                        "0x06-3F,0xAB\t01\r\n0x07\t5 \r\n");
        rig.prompt.chooseFile(file);
        QCOMPARE(rig.load().outcome, RegisterFileResult::Outcome::Done);
        std::vector<Report> expected = {i2cWrite(0, 0x03, {0x12}), i2cWrite(0, 0x06, {0x3F}),
                                        i2cWrite(0, 0xAB, {0x01}), i2cWrite(0, 0x07, {0x05})};
        expected.insert(expected.end(), kReadAll.begin(), kReadAll.end());
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C), expected);
        QVERIFY(rig.session.registers().text(3) == "12" && rig.prompt.shown.empty());
        QCOMPARE(rig.clock.drains(), 2);                      // before the writes, and in Read All
        const FileRequest& asked = rig.prompt.requests.at(0); // nothing offered yet
        QVERIFY(asked.kind == FileRequest::Kind::Open && asked.defaultSuffix.isEmpty());
        QCOMPARE(asked.fileName + asked.filter, "Text File (*.txt) |*.txt | All Files (*.*)|*.*|");
        rig.prompt.chooseFile(std::nullopt);
        rig.load();
        QCOMPARE(rig.prompt.requests.at(1).fileName, file);
    }

    void refusedFilesWriteNothing_data() {
        QTest::addColumn<QByteArray>("contents"); // "-": no file
        QTest::addColumn<QString>("message");     // %1: the path
        const QByteArray header = "//QDM7720A Register File\r\n";
        QTest::newRow("header in lower case")
            << QByteArray("//qdm7720a register file\r\n0x03\t12\r\n") << kNotRegisterFileText;
        QTest::newRow("empty") << QByteArray() << kNotRegisterFileText;
        QTest::newRow("empty cell saved") << header + "0x03\t12\r\n0x04\t34\r\n0x05\t\r\n"
                                          << badLineText(QStringLiteral("%1"), 4, "0x05\t");
        QTest::newRow("control characters")
            << header + "0x03\x01\x02\x1b\n"
            << badLineText(QStringLiteral("%1"), 2, "0x03\x01\x02\x1b");
        QTest::newRow("far too large")
            << header + QByteArray(2 * 1024 * 1024, '/')
            << readFailedText(QStringLiteral("%1"), "It is far larger than any register file.");
        QTest::newRow("gone") << QByteArray("-")
                              << readFailedText(QStringLiteral("%1"), "No such file or directory");
    }
    void refusedFilesWriteNothing() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, message);
        FilesRig rig;
        const QString file = path("refused 100%1.txt"); // a percent sign is no place holder
        QFile::remove(file);
        if (contents != "-")
            writeFile(file, contents);
        rig.prompt.chooseFile(file);
        QCOMPARE(rig.load().outcome, RegisterFileResult::Outcome::Refused);
        QVERIFY(reportsWithCommand(rig.board(), CMD_I2C).empty()); // not even Read All
        QCOMPARE(rig.prompt.shown.size(), 1u);
        QCOMPARE(rig.prompt.shown[0].text,
                 message.replace(QStringLiteral("%1"), QDir::toNativeSeparators(file)));
        QCOMPARE(rig.prompt.shown[0].title,
                 message == kNotRegisterFileText ? QStringLiteral("Error") : kAppTitle);
    }

    void writeNotAcknowledgedEndsTheLoad() {
        FilesRig rig;
        const QString file = path("stops.txt");
        writeFile(file, kDefaultsFile);
        rig.board().answerFaults = {AnswerFault::none(), AnswerFault::none(), AnswerFault::nak()};
        rig.prompt.answer(Answer::Retry);
        rig.prompt.chooseFile(file);
        QCOMPARE(rig.load().outcome, RegisterFileResult::Outcome::NotAcknowledged);
        QCOMPARE(rig.prompt.texts(), QStringList{kInvalidAddressText});
        // Three writes, the third not taken; no more, and no Read All.
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C),
                 (std::vector<Report>{i2cWrite(0, 0x00, {0x31}), i2cWrite(0, 0x01, {0x00}),
                                      i2cWrite(0, 0x02, {0x0C})}));
    }
};

QTEST_GUILESS_MAIN(TestRegisterFiles)
#include "tst_registerfiles.moc"
