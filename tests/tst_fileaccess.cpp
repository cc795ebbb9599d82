// What a save may replace and what a load may read: regular files only, links
// followed openly, nothing that blocks, owner and mode kept, and the in-place
// write where a folder takes no new file.
#include "core/regfiles/fileaccess.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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

} // namespace

class TestFileAccess : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString at(const char* file) const { return dir_.filePath(QLatin1String(file)); }

private slots:
    void initTestCase() {
        QVERIFY(writeFile(at("file.txt"), "old"));
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(::mkfifo(name(at("fifo")).constData(), 0600) == 0);
        const std::pair<const char*, QString> links[] = {
            {"to-file", QStringLiteral("file.txt")},
            {"chain", at("to-file")},
            {"to-device", QStringLiteral("/dev/null")},
            {"to-fifo", QStringLiteral("fifo")},
            {"to-folder", QStringLiteral("folder")},
            {"dangling", QStringLiteral("folder/new.txt")},
            {"to-nowhere", QStringLiteral("missing/new.txt")},
            {"loop", QStringLiteral("loop")}};
        for (const auto& [link, to] : links)
            QVERIFY(::symlink(name(to).constData(), name(at(link)).constData()) == 0);
    }

    // What a save under each name would write, and whether it may.
    void saveTargets() {
        const struct {
            const char* file;
            const char* target; // relative to the folder, or absolute; "": none
            bool isLink, exists, refused;
        } rows[] = {
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
            {"loop", "", true, false, true},
        };
        for (const auto& row : rows) {
            const SaveTarget t = saveTargetOf(at(row.file));
            QVERIFY2(t.isLink == row.isLink && t.refusal.isEmpty() == !row.refused, row.file);
            if (*row.target) {
                QVERIFY2(t.exists == row.exists, row.file);
                QCOMPARE(t.target,
                         row.target[0] == '/' ? QString::fromLatin1(row.target) : at(row.target));
            }
        }
    }

    // Nothing that is not a regular file is replaced or read, and nothing waits.
    void onlyRegularFiles() {
        for (const char* file : {"folder", "fifo"}) {
            QVERIFY(!replaceRegularFile(at(file), "new").ok);
            QVERIFY(!readRegularFile(at(file), 100).bytes);
        }
        QVERIFY(S_ISFIFO(statOf(at("fifo")).st_mode));
        QVERIFY(!replaceRegularFile(at("to-file"), "new").ok); // a link itself: its target is named
        QVERIFY(S_ISLNK(statOf(at("to-file")).st_mode));
        QCOMPARE(*readRegularFile(at("chain"), 100).bytes, QByteArray("old"));
        QCOMPARE(readRegularFile(at("gone.txt"), 100).reason,
                 QStringLiteral("No such file or directory"));
        // Up to one byte beyond the limit, so that the caller sees it was passed.
        QCOMPARE(readRegularFile(at("file.txt"), 1).bytes->size(), 2);
    }

    // A replaced file keeps its owner, group and mode, and is replaced whole.
    void replacedFilesKeepOwnerAndMode() {
        QVERIFY(writeFile(at("kept.txt"), "old"));
        const QString kept = at("kept.txt");
        QVERIFY(::chmod(name(kept).constData(), 0640) == 0);
        if (::geteuid() == 0)
            QVERIFY(::chown(name(kept).constData(), kNobody, kNobody) == 0);
        const struct stat before = statOf(kept);
        QVERIFY(replaceRegularFile(kept, "new contents").ok);
        const struct stat after = statOf(kept);
        QCOMPARE(readFile(kept), QByteArray("new contents"));
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QVERIFY(after.st_ino != before.st_ino);
    }

    // In a folder that takes no new file, a writable file is written in place;
    // a dangling link into such a folder is refused.
    void folderWithoutRoomForANewFile() {
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("locked")));
        const QString locked = at("locked");
        const QString file = at("locked/regs.txt");
        QVERIFY(writeFile(at("locked/regs.txt"), "a longer old text"));
        QVERIFY(::symlink("locked/new.txt", name(at("into-locked")).constData()) == 0);
        for (const QString& path : {dir_.path(), locked, file})
            QVERIFY(::chown(name(path).constData(), ::geteuid() == 0 ? kNobody : uid_t(-1),
                            gid_t(-1)) == 0);
        QVERIFY(::chmod(name(dir_.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(name(locked).constData(), 0555) == 0);
        const ino_t inode = statOf(file).st_ino;
        const QString dangling = at("into-locked");
        QVERIFY(asOrdinaryUser([&] {
            return replaceRegularFile(file, "new").ok &&
                   !saveTargetOf(dangling).refusal.isEmpty() &&
                   !replaceRegularFile(at("locked/other.txt"), "x").ok;
        }));
        QCOMPARE(readFile(file), QByteArray("new"));
        QCOMPARE(statOf(file).st_ino, inode);
        QVERIFY(::chmod(name(locked).constData(), 0755) == 0);
    }
};

QTEST_GUILESS_MAIN(TestFileAccess)
#include "tst_fileaccess.moc"
