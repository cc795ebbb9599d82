#include "core/regfiles/fileaccess.h"

#include "core/platform/outsidetext.h"
#include "core/platform/standardstreams.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The kernel's own limit on links followed in one name.
constexpr int kMaxLinks = 40;

std::function<void(const char*)>& stepHook() {
    static std::function<void(const char*)> hook;
    return hook;
}

void step(const char* name) {
    if (stepHook())
        stepHook()(name);
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

FileIdentity identityOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

// What a file is, for the messages ("another file" for a regular one).
QString kindOf(const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("a folder");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("a link");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QStringLiteral("a device");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("a pipe (FIFO)");
    if (S_ISSOCK(st.st_mode))
        return QStringLiteral("a socket");
    return QStringLiteral("another file");
}

// "a folder, not a file", "a device, not a regular file".
QString notRegular(const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("a folder, not a file");
    return QStringLiteral("%1, not a regular file").arg(kindOf(st));
}

QString notRegularReason(const struct stat& st) {
    return QStringLiteral("It is %1.").arg(notRegular(st));
}

// The name was found to be one file (or none) and is now something else.
QString changedReason(const struct stat* now) {
    if (!now)
        return QStringLiteral("It was removed while it was being saved.");
    return QStringLiteral("Something else (%1) took its name while it was being saved, "
                          "and was left as it is.")
        .arg(kindOf(*now));
}

// The folder an open descriptor names, as the system names it now.
QString folderPath(int fd) {
    QByteArray path(PATH_MAX, '\0');
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), path.data(), path.size());
    return n > 0 ? nameFromBytes(path.left(n)) : QString();
}

// What an entry of a folder is now: a link with its text, or what stat says.
// Reading it as a link first tells whether it is one at that moment; what is
// not is then looked at, and read again should it have become a link since.
struct EntryLook {
    int error = 0; // ENOENT: nothing there
    std::optional<QByteArray> linkText;
    struct stat st {};
};

EntryLook lookAt(int folder, const QByteArray& entry) {
    EntryLook look;
    QByteArray text(PATH_MAX, '\0');
    for (int tries = 0; tries < kMaxLinks; ++tries) {
        const ssize_t n = ::readlinkat(folder, entry.constData(), text.data(), text.size());
        if (n >= 0) {
            look.linkText = text.left(n);
            return look;
        }
        if (errno != EINVAL ||
            ::fstatat(folder, entry.constData(), &look.st, AT_SYMLINK_NOFOLLOW) != 0) {
            look.error = errno;
            return look;
        }
        if (!S_ISLNK(look.st.st_mode))
            return look;
    }
    look.error = ELOOP;
    return look;
}

// What is at the target's name in its folder now; nothing when nothing is.
std::optional<struct stat> entryNow(const SaveTarget& t) {
    struct stat st {};
    if (::fstatat(t.folder.fd(), t.entry.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return st;
}

bool isWhatWasFound(const SaveTarget& t, const std::optional<struct stat>& now) {
    return now.has_value() == t.file.has_value() && (!now || identityOf(*now) == *t.file);
}

// Why the user may not write the existing file of the target (the system's
// error: EACCES, EROFS), else 0. Replacing it through its folder would
// need no such right, but a write-protected file is how a reference is kept.
int writeError(const SaveTarget& t) {
    return ::faccessat(t.folder.fd(), t.entry.constData(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// The file a save replaces keeps its owner, group and mode where the user may
// keep them: anyone may keep the mode, a group of one's own and, as root, the
// owner.
void keepOwnerAndMode(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
        // Not ours to give: the new file keeps our group.
    }
    ::fchmod(fd, old.st_mode & 07777);
}

// Writes `contents` from the start of the file: 0, or the system's error with
// `written` telling how far it came.
int writeAll(int fd, const QByteArray& contents, qsizetype& written) {
    for (written = 0; written < contents.size();) {
        const ssize_t n = ::pwrite(fd, contents.constData() + written,
                                   static_cast<size_t>(contents.size() - written), written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        written += n;
    }
    return 0;
}

// Writes the open file whole, to the disk, and closes it.
FileResult writeAndClose(Descriptor file, const QByteArray& contents) {
    qsizetype written = 0;
    if (const int error = writeAll(file.fd(), contents, written))
        return {false, systemReason(error)};
    if (::fsync(file.fd()) != 0 || ::close(file.release()) != 0)
        return {false, systemReason(errno)};
    return {true, {}};
}

FileContents readToEnd(int fd, qsizetype maxBytes) {
    QByteArray bytes(maxBytes + 1, '\0');
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {std::nullopt, systemReason(errno)};
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return {bytes, {}};
}

// A new file beside `entry` in `folder`, made here and now: its name, or the
// system's error.
struct Temporary {
    Descriptor file;
    QByteArray name;
    int error = 0;
};

Temporary createTemporary(int folder, const QByteArray& entry) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = entry.left(NAME_MAX - 7) + '.';
        for (int i = 0; i < 6; ++i)
            name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        const int fd = ::openat(folder, name.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0)
            return {Descriptor(fd), name, 0};
        if (errno != EEXIST)
            return {{}, {}, errno};
    }
    return {{}, {}, EEXIST};
}

// Gives the written file `temp` the target's name, provided the name still
// holds the file found there (or nothing). Where the file system can swap
// two names at once, the swap shows what held the name, and a stranger gets
// its name back; elsewhere a last look comes just before the rename.
FileResult putInPlace(const SaveTarget& t, const QByteArray& temp) {
    const int dir = t.folder.fd();
    const char* from = temp.constData();
    const char* to = t.entry.constData();
    const int flags = t.file ? RENAME_EXCHANGE : RENAME_NOREPLACE;
    if (::renameat2(dir, from, dir, to, flags) == 0) {
        if (!t.file)
            return {true, {}};
        struct stat was {};
        const bool seen = ::fstatat(dir, from, &was, AT_SYMLINK_NOFOLLOW) == 0;
        if (seen && identityOf(was) == *t.file) {
            ::unlinkat(dir, from, 0);
            return {true, {}};
        }
        if (::renameat2(dir, from, dir, to, RENAME_EXCHANGE) != 0)
            return {false, systemReason(errno)};
        ::unlinkat(dir, from, 0);
        return {false, changedReason(seen ? &was : nullptr)};
    }
    const int error = errno;
    if (error != EINVAL && error != ENOSYS) {
        const std::optional<struct stat> now = entryNow(t);
        ::unlinkat(dir, from, 0);
        if (error == EEXIST || error == ENOENT)
            return {false, changedReason(now ? &*now : nullptr)};
        return {false, systemReason(error)};
    }
    const std::optional<struct stat> now = entryNow(t);
    FileResult result{true, {}};
    if (!isWhatWasFound(t, now))
        result = {false, changedReason(now ? &*now : nullptr)};
    else if (::renameat(dir, from, dir, to) != 0)
        result = {false, systemReason(errno)};
    if (!result.ok)
        ::unlinkat(dir, from, 0);
    return result;
}

// What a write of `size` bytes over the file `st` would run into, seen
// before anything is written: the process's limit on file sizes (ulimit -f)
// and the free space of the file system; the system's error, else 0.
int roomError(int fd, const struct stat& st, qsizetype size) {
    const auto needed = static_cast<unsigned long long>(size);
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        needed > limit.rlim_cur)
        return EFBIG;
    const auto held = static_cast<unsigned long long>(st.st_blocks) * 512;
    struct statvfs fs {};
    if (needed > held && ::fstatvfs(fd, &fs) == 0) {
        const unsigned long long blocks = ::geteuid() == 0 ? fs.f_bfree : fs.f_bavail;
        if ((needed - held) > blocks * (fs.f_frsize ? fs.f_frsize : fs.f_bsize))
            return ENOSPC;
    }
    return 0;
}

// A file written in place whose write failed with `error`: its old contents
// put back where they were read, else cut to what was written; the reason
// says which.
FileResult afterFailedWrite(int fd, int error, const std::optional<QByteArray>& before,
                            qsizetype written, qsizetype size) {
    FileResult failed{false, systemReason(error), false};
    qsizetype restored = 0;
    QString now = QStringLiteral("it may now hold parts of both its old contents and the new");
    if (before && writeAll(fd, *before, restored) == 0 && ::ftruncate(fd, before->size()) == 0 &&
        ::fsync(fd) == 0) {
        now = QStringLiteral("its old contents were put back");
        failed.kept = true;
    } else if (!before && ::ftruncate(fd, written) == 0 && ::fsync(fd) == 0) {
        now = written == 0 ? QStringLiteral("it is now empty")
                           : QStringLiteral("it now holds only the first %1 of the %2 bytes to "
                                            "be saved")
                                 .arg(written)
                                 .arg(size);
    }
    failed.reason += QStringLiteral(" (the file was being written in place: %1)").arg(now);
    return failed;
}

// Over the file found itself, for a folder that takes no new file. It is
// opened first for nothing but a look, so that nothing else is ever opened
// for writing (a device may act on being opened), then again through that
// look, for reading too where the user may, so that a write that fails can
// put the old contents back.
FileResult writeInPlace(const SaveTarget& t, const QByteArray& contents) {
    step("in place");
    const Descriptor look(
        ::openat(t.folder.fd(), t.entry.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!look.isOpen())
        return {false, errno == ENOENT ? changedReason(nullptr) : systemReason(errno)};
    if (::fstat(look.fd(), &st) != 0)
        return {false, systemReason(errno)};
    if (!t.file || identityOf(st) != *t.file)
        return {false, changedReason(&st)};
    const QByteArray again = "/proc/self/fd/" + QByteArray::number(look.fd());
    Descriptor file;
    for (const int access : {O_RDWR, O_WRONLY}) {
        const int flags = access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        file = Descriptor(::open(again.constData(), flags));
        if (!file.isOpen() && errno == ENOENT) // no /proc: by name, and looked at once more
            file = Descriptor(::openat(t.folder.fd(), t.entry.constData(), flags | O_NOFOLLOW));
        if (file.isOpen() || errno != EACCES)
            break;
    }
    if (!file.isOpen())
        return {false, systemReason(errno)};
    if (::fstat(file.fd(), &st) != 0 || identityOf(st) != *t.file)
        return {false, changedReason(&st)};
    if (const int error = roomError(file.fd(), st, contents.size()))
        return {false, systemReason(error)};
    std::optional<QByteArray> before;
    if ((::fcntl(file.fd(), F_GETFL) & O_ACCMODE) == O_RDWR) {
        constexpr qsizetype kMostKept = 64 * 1024 * 1024;
        before = readToEnd(file.fd(), kMostKept).bytes;
        if (before && before->size() > kMostKept)
            before.reset();
    }
    step("write");
    qsizetype written = 0;
    int error = writeAll(file.fd(), contents, written);
    if (!error && (::ftruncate(file.fd(), contents.size()) != 0 || ::fsync(file.fd()) != 0))
        error = errno;
    if (error)
        return afterFailedWrite(file.fd(), error, before, written, contents.size());
    if (::close(file.release()) != 0)
        return {false, systemReason(errno)};
    return {true, {}};
}

} // namespace

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Descriptor::~Descriptor() {
    if (fd_ >= 0)
        ::close(fd_);
}

SaveTarget saveTargetOf(const QString& name) {
    SaveTarget t;
    t.name = name;
    // Each name is split into its folder, opened by the system from where the
    // name is read (the working folder, then the folder of each link), and
    // its last entry, looked at without following it.
    QByteArray path = nameBytes(name);
    Descriptor folder;
    int from = AT_FDCWD;
    struct stat st {};
    for (int links = 0;; ++links) {
        const qsizetype slash = path.lastIndexOf('/');
        const QByteArray dir =
            slash < 0 ? QByteArray(".") : path.left(std::max<qsizetype>(slash, 1));
        t.entry = path.mid(slash + 1);
        const QString linkTo =
            t.isLink ? QStringLiteral("It is a link to %1: ").arg(nameFromBytes(path)) : QString();
        if (t.entry.isEmpty() || t.entry == "." || t.entry == "..") {
            const Descriptor named(::openat(from, path.constData(), O_PATH | O_CLOEXEC));
            t.refusal = linkTo + (named.isOpen() ? QStringLiteral("It is a folder, not a file.")
                                                 : systemReason(errno));
            return t;
        }
        Descriptor next(::openat(from, dir.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!next.isOpen()) {
            t.refusal = linkTo + systemReason(errno);
            return t;
        }
        folder = std::move(next);
        from = folder.fd();
        const EntryLook look = lookAt(from, t.entry);
        if (look.error == ENOENT)
            break; // nothing there yet
        if (look.error != 0) {
            t.refusal = linkTo + systemReason(look.error);
            return t;
        }
        if (!look.linkText) {
            st = look.st;
            t.exists = true;
            break;
        }
        t.isLink = true;
        if (links == kMaxLinks) {
            t.refusal = systemReason(ELOOP);
            return t;
        }
        path = *look.linkText;
    }

    t.folder = std::move(folder);
    struct stat folderStat {};
    ::fstat(t.folder.fd(), &folderStat);
    t.folderIdentity = identityOf(folderStat);
    const QString where = folderPath(t.folder.fd());
    t.target = where.isEmpty()
                   ? nameFromBytes(path)
                   : where + (where.endsWith(QLatin1Char('/')) ? "" : "/") + nameFromBytes(t.entry);
    struct stat led {};
    if (t.exists) {
        t.file = identityOf(st);
        if (!S_ISREG(st.st_mode))
            t.refusal = t.isLink ? QStringLiteral("It is a link to %1, which is %2.")
                                       .arg(t.target, notRegular(st))
                                 : notRegularReason(st);
        else if (const int error = writeError(t))
            t.refusal =
                (t.isLink ? QStringLiteral("It is a link to %1: ").arg(t.target) : QString()) +
                systemReason(error);
    } else if (t.isLink && ::stat(nameBytes(name).constData(), &led) == 0) {
        // A link of the system's own (/dev/stdout to "pipe:[7]") leads to
        // a file no folder holds.
        t.refusal = S_ISREG(led.st_mode)
                        ? QStringLiteral("It leads to a file that no folder holds any more.")
                        : notRegularReason(led);
    } else if (t.isLink && ::faccessat(t.folder.fd(), ".", W_OK, 0) != 0) {
        t.refusal =
            QStringLiteral("It is a link to %1, in a folder you may not write.").arg(t.target);
    }
    return t;
}

bool sameTarget(const SaveTarget& a, const SaveTarget& b) {
    return a.refusal.isEmpty() && b.refusal.isEmpty() && a.folderIdentity == b.folderIdentity &&
           a.entry == b.entry && a.file == b.file;
}

FileResult replaceRegularFile(const SaveTarget& t, const QByteArray& contents) {
    if (!t.refusal.isEmpty() || !t.folder.isOpen())
        return {false, t.refusal};
    step("create");
    const std::optional<struct stat> old = entryNow(t);
    if (!isWhatWasFound(t, old))
        return {false, changedReason(old ? &*old : nullptr)};
    if (const int error = old ? writeError(t) : 0)
        return {false, systemReason(error)};
    Temporary temp = createTemporary(t.folder.fd(), t.entry);
    if (!temp.file.isOpen()) {
        if ((temp.error == EACCES || temp.error == EPERM) && old)
            return writeInPlace(t, contents);
        return {false, systemReason(temp.error)};
    }
    if (old)
        keepOwnerAndMode(temp.file.fd(), *old);
    const FileResult written = writeAndClose(std::move(temp.file), contents);
    if (!written.ok) {
        ::unlinkat(t.folder.fd(), temp.name.constData(), 0);
        return written;
    }
    step("rename");
    return putInPlace(t, temp.name);
}

void setSaveStepHook(std::function<void(const char* step)> hook) {
    stepHook() = std::move(hook);
}

namespace {

// A regular file, or a FIFO too when `fifos` says so, read whole.
FileContents readNamedFile(const QString& path, qsizetype maxBytes, bool fifos) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer.
    const int fd = ::open(nameBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, systemReason(errno)};
    FileContents result;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.reason = systemReason(errno);
    } else if (!S_ISREG(st.st_mode) && !(fifos && S_ISFIFO(st.st_mode))) {
        result.reason = notRegularReason(st);
    } else {
        // Opened without waiting; now read as any file is read, waiting for
        // a writer's bytes until it closes its end.
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        result = readToEnd(fd, maxBytes);
    }
    ::close(fd);
    return result;
}

} // namespace

FileContents readRegularFile(const QString& path, qsizetype maxBytes) {
    return readNamedFile(path, maxBytes, false);
}

FileContents readFileOrStream(const QString& path, qsizetype maxBytes) {
    if (path == QLatin1String("-"))
        return wasClosedAtStart(STDIN_FILENO)
                   ? FileContents{std::nullopt, QStringLiteral("It is closed.")}
                   : readToEnd(STDIN_FILENO, maxBytes);
    return readNamedFile(path, maxBytes, true);
}

namespace {

// One of `keep`, where it is a file whose contents a trace would spoil.
bool isKept(const struct stat& trace, const QStringList& keep) {
    if (!S_ISREG(trace.st_mode) && !S_ISFIFO(trace.st_mode))
        return false; // a terminal, /dev/null: writing there spoils nothing
    for (const QString& path : keep) {
        struct stat st {};
        if (::stat(nameBytes(path).constData(), &st) == 0 && identityOf(st) == identityOf(trace))
            return true;
    }
    return false;
}

} // namespace

TraceFile openTraceFile(const QString& path, const QStringList& keep) {
    if (path == QLatin1String("-"))
        return {stderr, QStringLiteral("standard error"), {}};
    TraceFile trace{nullptr, path, {}};
    // Without O_NONBLOCK, opening a FIFO waits for a reader; with it, a FIFO
    // without one is refused at once. Nothing is emptied yet. What this
    // makes, at the name or where a link leads, is taken away when refused.
    constexpr int kFlags = O_WRONLY | O_NONBLOCK | O_CLOEXEC;
    constexpr int kCreate = kFlags | O_CREAT | O_EXCL | O_NOFOLLOW;
    SaveTarget made;
    made.entry = nameBytes(path);
    int fd = ::open(made.entry.constData(), kCreate, 0666);
    if (fd < 0 && errno == EEXIST) {
        made.entry.clear();
        fd = ::open(nameBytes(path).constData(), kFlags);
        if (fd < 0 && errno == ENOENT) { // a link that leads to nothing yet
            made = saveTargetOf(path);
            if (!made.refusal.isEmpty()) {
                trace.error = made.refusal;
                return trace;
            }
            fd = ::openat(made.folder.fd(), made.entry.constData(), kCreate, 0666);
        }
    }
    if (fd < 0) {
        trace.error = errno == ENXIO ? QStringLiteral("no process reads it") : systemReason(errno);
        return trace;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || isKept(st, keep)) {
        trace.error = QStringLiteral("it is a file the command reads or writes");
        ::close(fd);
        if (!made.entry.isEmpty())
            ::unlinkat(made.folder.isOpen() ? made.folder.fd() : AT_FDCWD, made.entry.constData(),
                       0);
        return trace;
    }
    // Written as any file is, waiting where a pipe is full.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!(S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0))
        trace.file = ::fdopen(fd, "w");
    if (!trace.file) {
        trace.error = systemReason(errno);
        ::close(fd);
    }
    return trace;
}
