// What a save may replace and what a load may read: regular files only, links
// followed openly, nothing that blocks, owner and mode kept, and the in-place
// write where a folder takes no new file.
#include "core/regfiles/fileaccess.h"

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

struct stat statOf(const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

QByteArray contentsOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Runs `check` as a user without root's privileges: in a child process that
// drops them when the test runs as root. True when `check` returned true.
bool asOrdinaryUser(const std::function<bool()>& check) {
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        ::_exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

class TestFileAccess : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString at(const QString& name) const { return dir_.filePath(name); }
    void link(const QString& name, const QString& to) {
        QVERIFY(::symlink(QFile::encodeName(to).constData(), QFile::encodeName(at(name))) == 0);
    }
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(at(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        write(QStringLiteral("file.txt"), "old");
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(::mkfifo(QFile::encodeName(at(QStringLiteral("fifo"))).constData(), 0600) == 0);
        link(QStringLiteral("to-file"), QStringLiteral("file.txt"));
        link(QStringLiteral("chain"), at(QStringLiteral("to-file")));
        link(QStringLiteral("to-device"), QStringLiteral("/dev/null"));
        link(QStringLiteral("to-fifo"), QStringLiteral("fifo"));
        link(QStringLiteral("to-folder"), QStringLiteral("folder"));
        link(QStringLiteral("dangling"), QStringLiteral("folder/new.txt"));
        link(QStringLiteral("to-nowhere"), QStringLiteral("missing/new.txt"));
        link(QStringLiteral("loop"), QStringLiteral("loop"));
    }

    // What a save under each name would write, and whether it may.
    void saveTargets_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("target"); // relative to the folder
        QTest::addColumn<bool>("isLink");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("refused");
        QTest::newRow("new name") << "new.txt"
                                  << "new.txt" << false << false << false;
        QTest::newRow("regular file") << "file.txt"
                                      << "file.txt" << false << true << false;
        QTest::newRow("folder") << "folder"
                                << "folder" << false << true << true;
        QTest::newRow("FIFO") << "fifo"
                              << "fifo" << false << true << true;
        QTest::newRow("link to a file") << "to-file"
                                        << "file.txt" << true << true << false;
        QTest::newRow("link to a link") << "chain"
                                        << "file.txt" << true << true << false;
        QTest::newRow("link to a device") << "to-device"
                                          << "/dev/null" << true << true << true;
        QTest::newRow("link to a FIFO") << "to-fifo"
                                        << "fifo" << true << true << true;
        QTest::newRow("link to a folder") << "to-folder"
                                          << "folder" << true << true << true;
        QTest::newRow("dangling link") << "dangling"
                                       << "folder/new.txt" << true << false << false;
        QTest::newRow("link into no folder") << "to-nowhere"
                                             << "missing/new.txt" << true << false << true;
        QTest::newRow("link loop") << "loop"
                                   << "" << true << false << true;
    }
    void saveTargets() {
        QFETCH(QString, name);
        QFETCH(QString, target);
        QFETCH(bool, isLink);
        QFETCH(bool, exists);
        QFETCH(bool, refused);
        const SaveTarget t = saveTargetOf(at(name));
        QCOMPARE(t.isLink, isLink);
        QCOMPARE(t.refusal.isEmpty(), !refused);
        if (target.isEmpty())
            return;
        QCOMPARE(t.exists, exists);
        QCOMPARE(t.target, target.startsWith(QLatin1Char('/')) ? target : at(target));
    }

    // Nothing that is not a regular file is replaced or read, and nothing waits.
    void onlyRegularFiles() {
        for (const char* name : {"folder", "fifo"}) {
            QVERIFY(!replaceRegularFile(at(QLatin1String(name)), "new").ok);
            const FileContents read = readRegularFile(at(QLatin1String(name)), 100);
            QVERIFY(!read.bytes);
            QVERIFY(!read.reason.isEmpty());
        }
        QVERIFY(S_ISFIFO(statOf(at(QStringLiteral("fifo"))).st_mode));
        QVERIFY(!replaceRegularFile(at(QStringLiteral("to-file")), "new").ok); // a link itself
        QVERIFY(S_ISLNK(statOf(at(QStringLiteral("to-file"))).st_mode));
        QCOMPARE(*readRegularFile(at(QStringLiteral("chain")), 100).bytes, QByteArray("old"));
        QCOMPARE(readRegularFile(at(QStringLiteral("gone.txt")), 100).reason,
                 QStringLiteral("No such file or directory"));
        // Up to one byte beyond the limit, so that the caller sees it was passed.
        QCOMPARE(readRegularFile(at(QStringLiteral("file.txt")), 1).bytes->size(), 2);
    }

    // A replaced file keeps its owner, group and mode; through a link, the
    // link stays and its target gets the contents.
    void replacedFilesKeepOwnerAndMode() {
        write(QStringLiteral("kept.txt"), "old");
        link(QStringLiteral("to-kept"), QStringLiteral("kept.txt"));
        const QString kept = at(QStringLiteral("kept.txt"));
        QVERIFY(::chmod(QFile::encodeName(kept).constData(), 0640) == 0);
        const bool root = ::geteuid() == 0;
        if (root)
            QVERIFY(::chown(QFile::encodeName(kept).constData(), kNobody, kNobody) == 0);
        const struct stat before = statOf(kept);
        const SaveTarget t = saveTargetOf(at(QStringLiteral("to-kept")));
        QVERIFY(replaceRegularFile(t.target, "new contents").ok);
        const struct stat after = statOf(kept);
        QCOMPARE(contentsOf(kept), QByteArray("new contents"));
        QVERIFY(S_ISLNK(statOf(at(QStringLiteral("to-kept"))).st_mode));
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QVERIFY(after.st_ino != before.st_ino); // replaced whole, not written over
    }

    // In a folder that takes no new file, a writable file is written in place;
    // a dangling link into such a folder is refused.
    void folderWithoutRoomForANewFile() {
        const QString locked = at(QStringLiteral("locked"));
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("locked")));
        const QString file = locked + QStringLiteral("/regs.txt");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("a longer old text");
        }
        link(QStringLiteral("into-locked"), locked + QStringLiteral("/new.txt"));
        for (const QString& path : {dir_.path(), locked, file})
            QVERIFY(::chown(QFile::encodeName(path).constData(), ::geteuid() == 0 ? kNobody : -1,
                            -1) == 0);
        QVERIFY(::chmod(QFile::encodeName(dir_.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0555) == 0);
        const ino_t inode = statOf(file).st_ino;
        const QString dangling = at(QStringLiteral("into-locked"));
        QVERIFY(asOrdinaryUser([&] {
            return replaceRegularFile(file, "new").ok &&
                   !saveTargetOf(dangling).refusal.isEmpty() &&
                   !replaceRegularFile(locked + QStringLiteral("/other.txt"), "x").ok;
        }));
        QCOMPARE(contentsOf(file), QByteArray("new"));
        QCOMPARE(statOf(file).st_ino, inode);
        QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0755) == 0);
    }
};

QTEST_GUILESS_MAIN(TestFileAccess)
#include "tst_fileaccess.moc"
