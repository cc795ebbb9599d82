// Register files as the File menu saves and loads them on a simulated board;
// the register lines as one table; what a save may replace and a load may
// read, and only the file asked about written whatever is swapped meanwhile.
#include "core/operations/registerfiles.h"
#include "core/platform/outsidetext.h"
#include "core/platform/standardstreams.h"
#include "core/regfiles/fileaccess.h"
#include "core/regfiles/registerfile.h"
#include "support/files.h"
#include "support/reports.h"
#include "support/simrig.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::vector<Report> kReadAll = {i2cRead(0x00, 0x00, 13), i2cRead(0x00, 0x10, 1)};

// The File menu's commands, the file dialog answered with `file` (nothing: Cancel).
struct FilesRig : StartedRig {
    RegisterFileResult save(std::optional<QString> file) {
        prompt.chooseFile(std::move(file));
        return files.save(chip(), ReadMode::Burst);
    }
    RegisterFileResult load(std::optional<QString> file) {
        prompt.chooseFile(std::move(file));
        return files.load(chip(), ReadMode::Burst);
    }
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

using Outcome = RegisterFileResult::Outcome;

// Swaps two names at once, as another program may while a save runs.
bool exchange(const QString& a, const QString& b) {
    return ::renameat2(AT_FDCWD, name(a).constData(), AT_FDCWD, name(b).constData(),
                       RENAME_EXCHANGE) == 0;
}

// A file's check in short: "03=12 FF=00" for its writes, "skip 4" for a line
// with no value, "line 2: value" for the line refused and why.
QString outcomeOf(const RegisterFileCheck& c) {
    const char* const faults[] = {"", "", "address", "separator", "value", "cut off"};
    if (c.verdict != RegisterFileCheck::Verdict::Accepted)
        return c.lineNumber
                   ? QStringLiteral("line %1: %2").arg(c.lineNumber).arg(faults[int(c.fault)])
                   : QStringLiteral("not a register file");
    QStringList parts;
    for (const RegisterWrite& w : c.writes)
        parts << QString::asprintf("%02X=%02X", w.reg, w.value);
    for (int line : c.skippedLines)
        parts << QStringLiteral("skip %1").arg(line);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestRegisterFiles : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }
    // As the system names it: where the question says a link leads.
    QString real(const char* name) const {
        return QFileInfo(dir_.path()).canonicalFilePath() + QLatin1Char('/') + QLatin1String(name);
    }

private slots:
    void initTestCase() {
        QVERIFY(writeFile(path("file.txt"), "old") &&
                QDir(dir_.path()).mkpath(QStringLiteral("other/deep")) &&
                QDir(dir_.path()).mkpath(QStringLiteral("D/folder")) &&
                writeFile(path("other/victim.txt"), "victim") &&
                ::mkfifo(name(path("fifo")).constData(), 0600) == 0);
        const std::pair<const char*, const char*> links[] = {
            {"to-file", "file.txt"},           {"chain", "to-file"},
            {"to-device", "/dev/null"},        {"to-fifo", "fifo"},
            {"to-folder", "D/folder"},         {"dangling", "D/folder/new.txt"},
            {"to-nowhere", "missing/new.txt"}, {"loop", "loop"},
            {"D/sub", "../other/deep"},        {"D/l.txt", "sub/../victim.txt"}};
        for (const auto& [link, to] : links)
            QVERIFY(::symlink(to, name(path(link)).constData()) == 0);
    }

    void saveReadsAllThenWritesTheCells() {
        FilesRig rig;
        const QString file = path("saved.txt");
        QCOMPARE(rig.save(file).outcome, Outcome::Done);
        QCOMPARE(readFile(file), kDefaultsFile);
        const FileRequest& asked = rig.prompt.requests.at(0);
        QVERIFY(asked.kind == FileRequest::Kind::Save && asked.defaultSuffix == "txt");
        // A name typed without a suffix gets it, even one there (Open: the window's tests).
        QCOMPARE(fileNameFor(asked, path("fifo")), path("fifo.txt"));
        QCOMPARE(asked.fileName + asked.filter,
                 "registers.txtText File (*.TXT)|*.txt| All Files (*.*)|*.*|");

        // Read All not acknowledged: the file holds the cells as they stand.
        rig.clearRecords();
        rig.session.registers().setTyped(5, QStringLiteral("7"));
        rig.board().everyAnswer = AnswerFault::nak();
        rig.prompt.answer(Answer::Retry);
        rig.prompt.answer(Answer::Ok); // overwrite
        rig.save(file);
        QCOMPARE(rig.prompt.texts(),
                 (QStringList{kInvalidAddressText,
                              "File exists.  Press OK to overwrite, Cancel to abort."}));
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
        QCOMPARE(rig.save(std::nullopt).outcome, Outcome::Cancelled);
        rig.prompt.answer(Answer::Cancel);
        rig.save(link);
        QCOMPARE(readFile(target), QByteArray("old"));
        // The question names where the link leads; OK replaces the target.
        QCOMPARE(rig.prompt.shown.back().text,
                 kFileExistsText + QStringLiteral("\r\n\r\n%1 is a link to %2; that file would "
                                                  "be overwritten.")
                                       .arg(link, real("target.txt")));
        rig.prompt.answer(Answer::Ok);
        rig.save(link);
        QVERIFY(readFile(target) == kDefaultsFile && QFileInfo(link).isSymLink());
        // A link to nothing yet: the question says that its target is created.
        QCOMPARE(rig.save(path("dangling")).outcome, Outcome::Cancelled);
        QCOMPARE(rig.prompt.shown.back().title + ": " + rig.prompt.shown.back().text,
                 QStringLiteral("Link Exists: %1 is a link to %2, which does not exist: that file "
                                "would be created.  Press OK to create it, Cancel to abort.")
                     .arg(path("dangling"), real("D/folder/new.txt")));

        // A folder that is missing: a message naming the file.
        QCOMPARE(rig.save(path("missing/regs.txt")).outcome, Outcome::Refused);
        QVERIFY(rig.prompt.shown.back().text.startsWith(
            "The register file could not be saved:\r\n" + path("missing/regs.txt") + "\r\n"));
    }

    void loadWritesInFileOrderThenReadsAll() {
        FilesRig rig;
        const QString file = path("load");
        writeFile(file, "//QDM7720A Register File\r\n0X05\t77\r\n0x03 12\r\n// 0x04\t99\r\n"
                        "0x06 3F,0xAB\t01\r\n0x09\t\r\n0x07\t5 \r\n");
        const RegisterFileResult loaded = rig.load(file);
        QVERIFY(loaded.outcome == Outcome::Done && loaded.registers == 4 && loaded.skipped == 1);
        std::vector<Report> expected = {i2cWrite(0, 0x03, {0x12}), i2cWrite(0, 0x06, {0x3F}),
                                        i2cWrite(0, 0xAB, {0x01}), i2cWrite(0, 0x07, {0x05})};
        expected.insert(expected.end(), kReadAll.begin(), kReadAll.end());
        QCOMPARE(reportsWithCommand(rig.board(), CMD_I2C), expected);
        QVERIFY(rig.session.registers().text(3) == "12" && rig.prompt.shown.empty());
        QCOMPARE(rig.clock.drains(), 2);                      // before the writes, and in Read All
        const FileRequest& asked = rig.prompt.requests.at(0); // nothing offered yet
        QVERIFY(asked.kind == FileRequest::Kind::Open && asked.defaultSuffix == "txt");
        QCOMPARE(asked.fileName + asked.filter, "Text File (*.txt) |*.txt | All Files (*.*)|*.*|");
        QCOMPARE(fileNameFor(asked, path("a.b")), path("a.b"));
        rig.load(std::nullopt);
        QCOMPARE(rig.prompt.requests.at(1).fileName, file);
    }

    void refusedFilesWriteNothing() {
        const QByteArray header = "//QDM7720A Register File\r\n";
        const QString at = QStringLiteral("%1"); // the path
        const std::pair<QByteArray, QString> rows[] = {
            // contents, message
            {"", "File selected is not a valid QDM7725A register file"},
            {header + "0x03\t12\r\n0x04\t34\r\n0x05\t100\r\n",
             badLineText(at, 4, "0x05\t100", LineVerdict::BadValue)},
            {header + QByteArray(2 * 1024 * 1024, '/'),
             readFailedText(at, "It is far larger than any register file.")},
            {header + "0x04\xA0"
                      "3A\r\n",
             badLineText(at, 2,
                         "0x04\xA0"
                         "3A",
                         LineVerdict::BadSeparator)}};
        for (auto [contents, message] : rows) {
            FilesRig rig;
            const QString file = path("refused 100%1.txt"); // a percent sign is no place holder
            writeFile(file, contents);
            QCOMPARE(rig.load(file).outcome, Outcome::Refused);
            QVERIFY(reportsWithCommand(rig.board(), CMD_I2C).empty()); // not even Read All
            QCOMPARE(rig.prompt.shown.size(), 1u);
            QCOMPARE(rig.prompt.shown[0].text,
                     message.replace(QStringLiteral("%1"), QDir::toNativeSeparators(file)));
            QCOMPARE(rig.prompt.shown[0].title,
                     message == kNotRegisterFileText ? QStringLiteral("Error") : kAppTitle);
            // A byte above 0x7F shows as a name's would, not as a Latin-1 blank.
            QVERIFY(!contents.contains('\xA0') ||
                    escapedText(rig.prompt.shown[0].text).contains("\\n0x04\\xA03A\\r"));
        }
    }

    // Names reach the system as their bytes, and show in one form that can
    // be read one way only: every invisible, direction or control character
    // and the backslash escaped.
    void namesAsBytes() {
        const std::pair<QByteArray, const char*> rows[] = {
            {"\xEF\xBB\xBF"
             "e.txt",
             "\\uFEFFe.txt"},
            {"c\xEF\xBB\xBF"
             "d",
             "c\\uFEFFd"},
            {"lit\\xFF", "lit\\\\xFF"},
            {"lit\xFF", "lit\\xFF"},
            {"\x01\n\t\x1B\x7F", "\\x01\\n\\t\\x1B\\x7F"},
            {"\xC2\x85\xC2\x9F", "\\u0085\\u009F"},
            {"\xE2\x80\xAE\xE2\x80\x8B\xE2\x80\xA8\xE2\x81\xA6", "\\u202E\\u200B\\u2028\\u2066"},
            {"\xC2\xA0\xC2\xAD\xE3\x85\xA4", "\\u00A0\\u00AD\\u3164"},
            {"\xF3\xA0\x80\x81", "\\U000E0001"},
            {"\xF0\x90\x82\x80", "\xF0\x90\x82\x80"},
            {"\xED\xA0\x80\xC0\xAF", "\\xED\\xA0\\x80\\xC0\\xAF"},
            {"\xC3\xA9 x", "\xC3\xA9 x"}};
        for (const auto& [bytes, shown] : rows) {
            QCOMPARE(nameBytes(nameFromBytes(bytes)), bytes);
            QCOMPARE(escapedText(nameFromBytes(bytes)), QString::fromUtf8(shown));
        }
    }

    // What a save under each name would write, and whether it may (links are
    // followed by the system, ".." after a link included), and what a load reads.
    void saveTargets() {
        // name, target ("": not compared), what it is: a link (l), existing (e), refused (r)
        // clang-format off
        const std::tuple<const char*, const char*, const char*> rows[] = {
            {"file.txt", "file.txt", "e"}, {"D/folder", "", "er"}, {"fifo", "", "er"},
            {"to-file", "file.txt", "le"}, {"chain", "file.txt", "le"},
            {"D/l.txt", "other/victim.txt", "le"}, {"dangling", "D/folder/new.txt", "l"},
            {"to-device", "/dev/null", "ler"}, {"to-fifo", "fifo", "ler"},
            {"to-folder", "D/folder", "ler"}, {"to-nowhere", "", "lr"}, {"loop", "", "lr"},
            {"D/sub/x/", "", "r"}};
        // clang-format on
        for (const auto& [file, target, is] : rows) {
            const SaveTarget t = saveTargetOf(path(file));
            QCOMPARE(QStringLiteral("%1%2%3").arg(t.isLink ? "l" : "", t.exists ? "e" : "",
                                                  t.refusal.isEmpty() ? "" : "r"),
                     QString(is));
            if (*target)
                QCOMPARE(t.target, *target == '/' ? QString(target) : real(target));
        }
        // A load reads nothing that is not a regular file, and waits for nothing.
        QVERIFY(!readRegularFile(path("D/folder"), 9).bytes &&
                !readRegularFile(path("fifo"), 9).bytes);
        QCOMPARE(*readRegularFile(path("chain"), 100).bytes, QByteArray("old"));
        QCOMPARE(readRegularFile(path("gone.txt"), 100).reason,
                 QStringLiteral("No such file or directory"));
        QCOMPARE(readRegularFile(path("file.txt"), 1).bytes->size(), 2); // shows the limit passed
    }

    // A replaced file keeps its owner, group and mode, and is replaced whole;
    // a new one is made as any new file.
    void replacedFilesKeepOwnerAndMode() {
        QVERIFY(writeFile(path("kept.txt"), "old"));
        const QString kept = path("kept.txt");
        QVERIFY(::chmod(name(kept).constData(), 0640) == 0);
        if (::geteuid() == 0)
            QVERIFY(::chown(name(kept).constData(), kNobody, kNobody) == 0);
        const struct stat before = statOf(kept);
        QVERIFY(replaceRegularFile(saveTargetOf(kept), "new contents").ok);
        const struct stat after = statOf(kept);
        QCOMPARE(readFile(kept), QByteArray("new contents"));
        QVERIFY(after.st_mode == before.st_mode && after.st_ino != before.st_ino);
        QVERIFY(after.st_uid == before.st_uid && after.st_gid == before.st_gid);
        const mode_t mask = ::umask(022);
        QVERIFY(replaceRegularFile(saveTargetOf(path("made.txt")), "x").ok);
        ::umask(mask);
        QCOMPARE(statOf(path("made.txt")).st_mode & 07777, mode_t(0644));
    }

    // In a folder that takes no new file, a writable file is written in
    // place, unless it was swapped for a link meanwhile; a dangling link into
    // such a folder is refused.
    void folderWithoutRoomForANewFile() {
        const QString locked = path("locked"), file = path("locked/regs.txt");
        QVERIFY(QDir().mkdir(locked) && writeFile(file, "longer old text") &&
                writeFile(path("locked/swapped.txt"), "old"));
        QVERIFY(::symlink("locked/new.txt", name(path("into-locked")).constData()) == 0 &&
                ::symlink("../other/victim.txt", name(path("locked/to-victim")).constData()) == 0);
        for (const char* owned : {"", "locked", "locked/regs.txt", "locked/swapped.txt"})
            QVERIFY(::chown(name(path(owned)).constData(), ::geteuid() == 0 ? kNobody : uid_t(-1),
                            gid_t(-1)) == 0);
        QVERIFY(::chmod(name(dir_.path()).constData(), 0755) == 0 &&
                ::chmod(name(locked).constData(), 0555) == 0);
        const ino_t inode = statOf(file).st_ino;
        QVERIFY(asOrdinaryUser([&] {
            const SaveTarget swapped = saveTargetOf(path("locked/swapped.txt"));
            setSaveStepHook([&](const char* step) {
                if (std::strcmp(step, "in place") == 0 &&
                    ::chmod(name(locked).constData(), 0755) == 0)
                    exchange(path("locked/swapped.txt"), path("locked/to-victim"));
                ::chmod(name(locked).constData(), 0555);
            });
            const FileResult refused = replaceRegularFile(swapped, "new");
            setSaveStepHook({});
            return replaceRegularFile(saveTargetOf(file), "new").ok &&
                   refused.reason.startsWith("Something else (a link) took its name") &&
                   !saveTargetOf(path("into-locked")).refusal.isEmpty() &&
                   !replaceRegularFile(saveTargetOf(path("locked/other.txt")), "x").ok;
        }));
        QVERIFY(readFile(file) == "new" && statOf(file).st_ino == inode); // written in place
        QVERIFY(readFile(path("other/victim.txt")) == "victim" &&
                readFile(path("locked/to-victim")) == "old");
        QVERIFY(::chmod(name(locked).constData(), 0755) == 0);
    }

    // A file the user may not write is kept, as by any program that writes
    // files. In a folder that takes no new file, a write the size limit
    // would stop is refused before it starts, and one that fails midway puts
    // the old contents back where it could read them, else says what is left.
    void failedSavesKeepWhatTheyCan() {
        const bool root = ::geteuid() == 0;
        const uid_t user = root ? kNobody : ::geteuid();
        // file, mode, size limit, set just before the write (else before the save), reason's end,
        // after
        const std::tuple<const char*, mode_t, rlim_t, bool, const char*, QByteArray> rows[] = {
            {"mine.txt", 0444, RLIM_INFINITY, false, "Permission denied", "old"},
            {"fixed/a.txt", 0644, 0, false, "File too large", "old"},
            {"fixed/b.txt", 0644, 10, true, "in place: its old contents were put back)", "old"},
            {"fixed/c.txt", 0200, 10, true, "the first 10 of the 152 bytes to be saved)",
             kDefaultsFile.left(10)}};
        QVERIFY(QDir().mkdir(path("fixed")) && writeFile(path("roots.txt"), "old"));
        for (const auto& [file, mode, limit, atWrite, says, after] : rows)
            QVERIFY(writeFile(path(file), "old") &&
                    ::chown(name(path(file)).constData(), user, gid_t(-1)) == 0 &&
                    ::chmod(name(path(file)).constData(), mode) == 0);
        for (const char* folder : {"", "fixed"})
            QVERIFY(::chown(name(path(folder)).constData(), user, gid_t(-1)) == 0);
        QVERIFY(::chmod(name(path("fixed")).constData(), 0555) == 0);
        QVERIFY(asOrdinaryUser([&] {
            ignoreWriteSignals();
            struct rlimit was {};
            ::getrlimit(RLIMIT_FSIZE, &was);
            bool all = !root || saveTargetOf(path("roots.txt")).refusal == "Permission denied";
            for (const auto& [file, mode, limit, atWrite, says, after] : rows) {
                const struct rlimit limited = {limit, was.rlim_max};
                const auto limitSize = [&, limited](const char* step) {
                    if (std::strcmp(step, "write") == 0)
                        ::setrlimit(RLIMIT_FSIZE, &limited);
                };
                if (!atWrite)
                    ::setrlimit(RLIMIT_FSIZE, &limited);
                setSaveStepHook(atWrite ? std::function<void(const char*)>(limitSize) : nullptr);
                const FileResult saved =
                    replaceRegularFile(saveTargetOf(path(file)), kDefaultsFile);
                ::setrlimit(RLIMIT_FSIZE, &was);
                setSaveStepHook({});
                if (saved.ok || !saved.reason.endsWith(QLatin1String(says)) ||
                    saved.kept != (after == "old"))
                    all = false, qWarning() << file << saved.reason;
            }
            return all;
        }));
        QVERIFY(::chmod(name(path("fixed")).constData(), 0755) == 0);
        for (const auto& [file, mode, limit, atWrite, says, after] : rows)
            QVERIFY(::chmod(name(path(file)).constData(), 0600) == 0 &&
                    readFile(path(file)) == after);
        QCOMPARE(readFile(path("roots.txt")), QByteArray("old"));
    }

    // Whatever is swapped between the steps of a save (a file for a link to
    // another file or to a FIFO, the folder for a link to another folder),
    // only the file asked about is written, or nothing and the user is told.
    void onlyTheFileAskedAboutIsWritten() {
        const char* const took = "Something else (a link) took its name";
        const std::tuple<const char*, const char*, const char*, Outcome, const char*> rows[] = {
            // step, the two names swapped there, outcome, what the last message says
            {"question", "sub/reg.txt", "sub/to-file", Outcome::Cancelled, "now leads to %1/other"},
            {"question", "sub/reg.txt", "sub/to-fifo", Outcome::Refused, "is a pipe (FIFO), not a"},
            {"question", "sub", "to-other", Outcome::Cancelled, "now leads to %1/other/reg.txt"},
            {"create", "sub/reg.txt", "sub/to-file", Outcome::Refused, took},
            {"create", "sub/reg.txt", "sub/to-fifo", Outcome::Refused, took},
            {"create", "sub", "to-other", Outcome::Done, "File exists."},
            {"rename", "sub/reg.txt", "sub/to-file", Outcome::Refused, took},
            {"rename", "sub/reg.txt", "sub/to-fifo", Outcome::Refused, took},
            {"rename", "sub", "to-other", Outcome::Done, "File exists."}};
        const QString race = path("race") + '/';
        for (const auto& [step, one, other, outcome, says] : rows) {
            QDir(race).removeRecursively();
            QVERIFY(QDir().mkpath(race + "sub") && QDir().mkpath(race + "other") &&
                    writeFile(race + "sub/reg.txt", "old") &&
                    writeFile(race + "other/reg.txt", "x") &&
                    ::mkfifo(name(race + "fifo").constData(), 0600) == 0);
            for (const auto& [link, to] : {std::pair{"to-other", "other"},
                                           {"sub/to-file", "../other/reg.txt"},
                                           {"sub/to-fifo", "../fifo"}})
                QVERIFY(::symlink(to, name(race + link).constData()) == 0);
            const std::function<void()> swap = [&, one = one, other = other] {
                QVERIFY(exchange(race + one, race + other));
            };
            setSaveStepHook([&, step = step](const char* now) {
                if (std::strcmp(now, step) == 0)
                    swap();
            });
            FilesRig rig;
            rig.prompt.answer(Answer::Ok, std::strcmp(step, "question") ? nullptr : swap);
            QCOMPARE(rig.save(race + "sub/reg.txt").outcome, outcome);
            setSaveStepHook({});
            QVERIFY2(
                rig.prompt.shown.back().text.contains(QString(says).replace("%1", real("race"))),
                step);
            // The file asked about, now under the name swapped out: saved, or as it was.
            const QString asked = race + other + (std::strcmp(one, "sub") ? "" : "/reg.txt");
            QCOMPARE(readFile(asked), outcome == Outcome::Done ? kDefaultsFile : "old");
            QVERIFY(readFile(race + "other/reg.txt") == "x" &&
                    S_ISFIFO(statOf(race + "fifo").st_mode));
            for (const char* folder : {"sub", "other", "to-other"})
                QVERIFY(QDir(race + folder).entryList({"reg.txt.*"}, QDir::AllEntries).isEmpty());
        }
    }

    // Every kind of line, as the loader takes it: what is written, what is
    // skipped, and which line is refused and why.
    void registerLines() {
        const QByteArray header = kRegisterFileHeader + "\r\n";
        // after the header: the rest of the file, and its check in short
        const std::pair<const char*, const char*> rows[] = {
            {"", ""},
            {"0x03 12\r\n0X04\t34\r\n0xff\tab\r\n", "03=12 FF=AB"},
            {"0x05\t01\n0x06\t02\r0x07\t3 \r\n0x08\t4\r\n0xFF\t00",
             "05=01 06=02 07=03 08=04 FF=00"},
            {"// note\r\n\r\n0x01 FF,0x00\t31,note,0x05\t12 \t\r\n", "01=FF 00=31 05=12"},
            {"0x05\t\r\n0x06\r\n0x07\t \r\n0x08\t01,0x09\t\r\n",
             "08=01 skip 2 skip 3 skip 4 skip 5"},
            {"0x04\t1,", "04=01"},
            {"0x00\t31\r\n\r\r\n\n0x01\t00,0xQQ\t00\n0x02\t0C\r\n", "line 6: address"}};
        for (const auto& [rest, outcome] : rows)
            QCOMPARE(outcomeOf(checkRegisterFile(header + rest)), QString::fromLatin1(outcome));
        // A line of its own after the header: refused with line 2 named, and why.
        const std::pair<const char*, std::vector<const char*>> refused[] = {
            {"value",
             {"0x05\t100\r\n", "0x05\t1FF\r\n", "0x05\t3A junk\r\n", "0x05\t5\t9\r\n",
              "0x05\tG1\r\n", "0x05\t+1\r\n", "0x05\t\t3A\r\n"}},
            {"separator", {"0x053A\r\n", "0x0510\t3A\r\n", "0x03=12\r\n"}},
            {"address", {"0x5\t12\r\n", "0x-1\t12\r\n", "0x\r\n"}},
            {"cut off", {"0x04\t1", "0x04\t1 ", "0x04\t"}}};
        for (const auto& [why, lines] : refused) {
            for (const char* line : lines)
                QCOMPARE(outcomeOf(checkRegisterFile(header + line)),
                         QStringLiteral("line 2: ") + why);
        }
        QCOMPARE(outcomeOf(checkRegisterFile(kRegisterFileHeader + ",0x03\t12")), "03=12");
        for (const char* other : {"//qdm7720a register file\r\n0x03\t12\r\n", "", "0x03\t12\r\n",
                                  " //QDM7720A Register File\r\n", "//QDM7720A Register File \n",
                                  "\r\n//QDM7720A Register File\r\n"})
            QCOMPARE(outcomeOf(checkRegisterFile(other)), QStringLiteral("not a register file"));

        // Every file a save writes loads back the same, a cell never read
        // skipped; what a pasted cell holds stays on its line.
        for (const char* cell : {"", "7", "0A", "ff", "1 ", "5\t"}) {
            const RegisterFileCheck c =
                checkRegisterFile(registerFileBytes([&](std::uint8_t) { return QString(cell); }));
            const int value = QByteArray(cell).trimmed().toInt(nullptr, 16);
            QVERIFY2(c.skippedLines.size() == (*cell ? 0u : 14u) &&
                         std::count_if(c.writes.begin(), c.writes.end(),
                                       [&](RegisterWrite w) { return w.value == value; }) ==
                             (*cell ? 14 : 0),
                     cell);
        }
        QCOMPARE(registerLine(5, QStringLiteral("12\r\n0x03\t99,")) +
                     fileLine(QStringLiteral("\u00e9\u20ac")),
                 QByteArray("0x05\t12??0x03\t99?\r\n\xe9?\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestRegisterFiles)
#include "tst_registerfiles.moc"
