// Register files: saving the main registers and loading a file into the chip
// as the File menu does, on a simulated board (the bytes, the dialogs'
// settings, the questions and messages, what reaches the chip); the format's
// lines and checks as tables; and what a save may replace and a load may
// read: regular files only, links followed openly, nothing that blocks, owner
// and mode kept, and the in-place write where a folder takes no new file.
#include "core/operations/registerfiles.h"
#include "core/regfiles/fileaccess.h"
#include "core/regfiles/registerfile.h"
#include "support/files.h"
#include "support/reports.h"
#include "support/simrig.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::vector<Report> kReadAll = {i2cRead(0x00, 0x00, 13), i2cRead(0x00, 0x10, 1)};

struct FilesRig : StartedRig {
    RegisterFileResult save() { return files.save(chip(), ReadMode::Burst); }
    RegisterFileResult load() { return files.load(chip(), ReadMode::Burst); }
    RegisterFileCommands files{prompt, prompt};
};

constexpr uid_t kNobody = 65534;

QByteArray name(const QString& path) {
    return QFile::encodeName(path);
}

struct stat statOf(const QString& path) {
    struct stat st {};
    ::lstat(name(path).constData(), &st);
    return st;
}

// Runs `check` as a user without root's privileges: in a child process that
// drops them when the test runs as root. True when `check` returned true.
bool asOrdinaryUser(const std::function<bool()>& check) {
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && check() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

using Verdict = RegisterFileCheck::Verdict;
using Writes = std::vector<RegisterWrite>;

QByteArray withHeader(const QByteArray& rest) {
    return kRegisterFileHeader + "\r\n" + rest;
}

} // namespace

class TestRegisterFiles : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private slots:
    void initTestCase() {
        QVERIFY(writeFile(path("file.txt"), "old") &&
                QDir(dir_.path()).mkdir(QStringLiteral("folder")) &&
                ::mkfifo(name(path("fifo")).constData(), 0600) == 0);
        const std::pair<const char*, const char*> links[] = {
            {"to-file", "file.txt"},           {"chain", "to-file"},
            {"to-device", "/dev/null"},        {"to-fifo", "fifo"},
            {"to-folder", "folder"},           {"dangling", "folder/new.txt"},
            {"to-nowhere", "missing/new.txt"}, {"loop", "loop"}};
        for (const auto& [link, to] : links)
            QVERIFY(::symlink(to, name(path(link)).constData()) == 0);
    }

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
        const QString question = rig.prompt.shown.back().text;
        QVERIFY(question.startsWith(kFileExistsText) &&
                question.contains(QDir::toNativeSeparators(target)));
        rig.prompt.chooseFile(link);
        rig.prompt.answer(Answer::Ok);
        rig.save();
        QVERIFY(readFile(target) == kDefaultsFile && QFileInfo(link).isSymLink());

        // A FIFO or a folder that is missing: a message naming the file.
        for (const QString& refused : {path("fifo"), path("missing/regs.txt")}) {
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

    void refusedFilesWriteNothing() {
        const QByteArray header = "//QDM7720A Register File\r\n";
        const QString at = QStringLiteral("%1"); // the path
        const std::pair<QByteArray, QString> rows[] = {
            // contents ("-": no file), message
            {"//qdm7720a register file\r\n0x03\t12\r\n", kNotRegisterFileText},
            {"", kNotRegisterFileText},
            {header + "0x03\t12\r\n0x04\t34\r\n0x05\t\r\n", badLineText(at, 4, "0x05\t")},
            {header + "0x03\x01\x02\x1b\n", badLineText(at, 2, "0x03\x01\x02\x1b")},
            {header + QByteArray(2 * 1024 * 1024, '/'),
             readFailedText(at, "It is far larger than any register file.")},
            {"-", readFailedText(at, "No such file or directory")}};
        for (auto [contents, message] : rows) {
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
    // What a save under each name would write, and whether it may.
    void saveTargets() {
        // name, target (relative to the folder, or absolute; "": none), is a link,
        // the target exists, the save is refused
        const std::tuple<const char*, const char*, bool, bool, bool> rows[] = {
            {"new.txt", "new.txt", false, false, false},
            {"file.txt", "file.txt", false, true, false},
            {"folder", "folder", false, true, true},
            {"fifo", "fifo", false, true, true},
            {"to-file", "file.txt", true, true, false},
            {"chain", "file.txt", true, true, false},
            {"to-device", "/dev/null", true, true, true},
            {"to-fifo", "fifo", true, true, true},
            {"to-folder", "folder", true, true, true},
            {"dangling", "folder/new.txt", true, false, false},
            {"to-nowhere", "missing/new.txt", true, false, true},
            {"loop", "", true, false, true}};
        for (const auto& [file, target, isLink, exists, refused] : rows) {
            const SaveTarget t = saveTargetOf(path(file));
            QVERIFY2(t.isLink == isLink && t.refusal.isEmpty() == !refused, file);
            QVERIFY2(!*target || t.exists == exists, file);
            if (*target)
                QCOMPARE(t.target, target[0] == '/' ? QString::fromLatin1(target) : path(target));
        }
    }

    // Nothing that is not a regular file is replaced or read, and nothing waits.
    void onlyRegularFiles() {
        for (const char* file : {"folder", "fifo"})
            QVERIFY(!replaceRegularFile(path(file), "new").ok &&
                    !readRegularFile(path(file), 9).bytes);
        QVERIFY(!replaceRegularFile(path("to-file"), "new").ok); // a link: its target is named
        QVERIFY(S_ISFIFO(statOf(path("fifo")).st_mode) && S_ISLNK(statOf(path("to-file")).st_mode));
        QCOMPARE(*readRegularFile(path("chain"), 100).bytes, QByteArray("old"));
        QCOMPARE(readRegularFile(path("gone.txt"), 100).reason,
                 QStringLiteral("No such file or directory"));
        // Up to one byte beyond the limit, so that the caller sees it was passed.
        QCOMPARE(readRegularFile(path("file.txt"), 1).bytes->size(), 2);
    }

    // A replaced file keeps its owner, group and mode, and is replaced whole.
    void replacedFilesKeepOwnerAndMode() {
        QVERIFY(writeFile(path("kept.txt"), "old"));
        const QString kept = path("kept.txt");
        QVERIFY(::chmod(name(kept).constData(), 0640) == 0);
        if (::geteuid() == 0)
            QVERIFY(::chown(name(kept).constData(), kNobody, kNobody) == 0);
        const struct stat before = statOf(kept);
        QVERIFY(replaceRegularFile(kept, "new contents").ok);
        const struct stat after = statOf(kept);
        QCOMPARE(readFile(kept), QByteArray("new contents"));
        QVERIFY(after.st_mode == before.st_mode && after.st_ino != before.st_ino);
        QVERIFY(after.st_uid == before.st_uid && after.st_gid == before.st_gid);
    }

    // In a folder that takes no new file, a writable file is written in place;
    // a dangling link into such a folder is refused.
    void folderWithoutRoomForANewFile() {
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("locked")));
        const QString locked = path("locked");
        const QString file = path("locked/regs.txt");
        QVERIFY(writeFile(path("locked/regs.txt"), "a longer old text"));
        QVERIFY(::symlink("locked/new.txt", name(path("into-locked")).constData()) == 0);
        for (const QString& path : {dir_.path(), locked, file})
            QVERIFY(::chown(name(path).constData(), ::geteuid() == 0 ? kNobody : uid_t(-1),
                            gid_t(-1)) == 0);
        QVERIFY(::chmod(name(dir_.path()).constData(), 0755) == 0 &&
                ::chmod(name(locked).constData(), 0555) == 0);
        const ino_t inode = statOf(file).st_ino;
        const QString dangling = path("into-locked");
        QVERIFY(asOrdinaryUser([&] {
            return replaceRegularFile(file, "new").ok &&
                   !saveTargetOf(dangling).refusal.isEmpty() &&
                   !replaceRegularFile(path("locked/other.txt"), "x").ok;
        }));
        QVERIFY(readFile(file) == "new" && statOf(file).st_ino == inode); // written in place
        QVERIFY(::chmod(name(locked).constData(), 0755) == 0);
    }

    void registerFileLines() {
        QCOMPARE(registerLine(0x10, QStringLiteral("7")) + registerLine(0x0A, QString()),
                 QByteArray("0x10\t7\r\n0x0A\t\r\n"));
        // A pasted line end or comma would split the line into another
        // register's line; the file loads back into this register alone.
        const QByteArray split = registerLine(5, QStringLiteral("12\r\n0x03\t99")) +
                                 registerLine(5, QStringLiteral("12,0x04\t77"));
        QCOMPARE(split, QByteArray("0x05\t12??0x03\t99\r\n0x05\t12?0x04\t77\r\n"));
        QCOMPARE(checkRegisterFile(withHeader(split)).writes, (Writes{{5, 0x12}, {5, 0x12}}));
        QCOMPARE(fileLine(QStringLiteral("\u00e9\u20ac")), QByteArray("\xe9?\r\n"));
    }

    void registerFileFields() {
        // field, register (-1: not a readable register line), value
        const std::tuple<const char*, int, int> rows[] = {
            {"0x03\t12", 3, 0x12},    {"0x03 12", 3, 0x12}, {"0x03=12", 3, 0x12},
            {"0xff\tab", 0xFF, 0xAB}, {"0x05\t5", 5, 5},    {"0x10\t10 PLL", 0x10, 0x10},
            {"0x05\t5 ", 5, 5},       {"0x05\t5\t9", 5, 5}, {"0x05\t5x", -1, 0},
            {"0x05\t", -1, 0},        {"0x05", -1, 0},      {"0x05\tG1", -1, 0},
            {"0x05\t+1", -1, 0},      {"0x05\t 1", -1, 0},  {"0x-1\t12", -1, 0},
            {"0x5\t12", -1, 0}};
        for (const auto& [field, reg, value] : rows) {
            const auto write = readRegisterLine(field);
            QVERIFY2(write.has_value() == (reg >= 0), field);
            if (write)
                QCOMPARE(*write, (RegisterWrite{std::uint8_t(reg), std::uint8_t(value)}));
        }
        for (const char* other : {"0X03\t12", " 0x03\t12", "0", ""})
            QVERIFY(!isRegisterLine(other));
    }

    void registerFileChecks() {
        for (const char* refused : {"//qdm7720a register file\r\n0x03\t12\r\n",
                                    " //QDM7720A Register File\r\n", "//QDM7720A Register File \n",
                                    "", "\r\n//QDM7720A Register File\r\n", "0x03\t12\r\n"}) {
            const RegisterFileCheck check = checkRegisterFile(refused);
            QVERIFY(check.verdict == Verdict::NotRegisterFile && check.writes.empty());
        }
        // The header is the first field: a comma ends it.
        QCOMPARE(checkRegisterFile("//QDM7720A Register File,0x03\t12\r\n").writes,
                 (Writes{{0x03, 0x12}}));
        QCOMPARE(checkRegisterFile(kRegisterFileHeader).verdict, Verdict::Accepted);
        // File order kept, comments and blank lines skipped, commas split
        // fields, LF-only and CR-only line ends, no end on the last line.
        RegisterFileCheck check = checkRegisterFile(
            withHeader("// comment\r\n\r\n0x05\t01\n0X06\t02\r0x01 FF,0x00\t31,note\r\n0xFF\t00"));
        QCOMPARE(check.writes, (Writes{{0x05, 0x01}, {0x01, 0xFF}, {0x00, 0x31}, {0xFF, 0x00}}));
        // One bad register line refuses the whole file and names its line.
        check =
            checkRegisterFile(withHeader("0x00\t31\r\n0x01\t00\r\n// x\r\n0x05\t\r\n0x06\t00\r\n"));
        QVERIFY(check.verdict == Verdict::BadRegisterLine && check.writes.empty() &&
                check.lineNumber == 5);
        QCOMPARE(check.lineText, QByteArray("0x05\t"));
        check = checkRegisterFile(withHeader("\r\r\n\n0x00\t31,0xQQ\t00\n"));
        QVERIFY(check.lineNumber == 5 && check.lineText == "0x00\t31,0xQQ\t00");
    }
};

QTEST_GUILESS_MAIN(TestRegisterFiles)
#include "tst_registerfiles.moc"
