#include "core/regfiles/fileaccess.h"

#include "core/platform/outsidetext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The kernel's own limit on links followed in one name.
constexpr int kMaxLinks = 40;

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString notRegularReason(const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("It is a folder, not a file.");
    return QStringLiteral("It is not a regular file (a device, a pipe or a socket).");
}

QByteArray nativeName(const QString& path) {
    return nameBytes(path);
}

bool folderWritable(const QString& file) {
    return ::access(nativeName(QFileInfo(file).absolutePath()).constData(), W_OK) == 0;
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

bool writeAll(int fd, const QByteArray& contents) {
    const char* data = contents.constData();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

// Over the existing regular file itself, for a folder that takes no new file.
FileResult writeInPlace(const QString& target, const QByteArray& contents) {
    const int fd =
        ::open(nativeName(target).constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {false, systemReason(errno)};
    struct stat st {};
    FileResult result{true, {}};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        result = {false, QStringLiteral("It is not a regular file.")};
    else if (::ftruncate(fd, 0) != 0 || !writeAll(fd, contents))
        result = {false, systemReason(errno) +
                             QStringLiteral(" (the file was being written in place and may now "
                                            "be incomplete)")};
    if (::close(fd) != 0 && result.ok)
        result = {false, systemReason(errno)};
    return result;
}

} // namespace

SaveTarget saveTargetOf(const QString& name) {
    SaveTarget t;
    t.name = name;
    QString current = QFileInfo(name).absoluteFilePath();
    struct stat st {};
    for (int links = 0;; ++links) {
        if (::lstat(nativeName(current).constData(), &st) != 0) {
            if (errno != ENOENT) {
                t.refusal = systemReason(errno);
                return t;
            }
            break; // nothing there yet
        }
        if (!S_ISLNK(st.st_mode)) {
            t.exists = true;
            break;
        }
        t.isLink = true;
        if (links == kMaxLinks) {
            t.refusal = systemReason(ELOOP);
            return t;
        }
        QByteArray to(PATH_MAX, '\0');
        const ssize_t n = ::readlink(nativeName(current).constData(), to.data(), to.size());
        if (n < 0) {
            t.refusal = systemReason(errno);
            return t;
        }
        to.truncate(n);
        current = QDir::cleanPath(QFileInfo(current).dir().absoluteFilePath(QFile::decodeName(to)));
    }
    t.target = current;
    if (t.exists && !S_ISREG(st.st_mode))
        t.refusal = notRegularReason(st);
    else if (!t.exists && t.isLink && !folderWritable(current))
        t.refusal = QStringLiteral("It is a link to %1, in a folder you may not write.")
                        .arg(QDir::toNativeSeparators(current));
    return t;
}

FileResult replaceRegularFile(const QString& target, const QByteArray& contents) {
    struct stat old {};
    const bool exists = ::lstat(nativeName(target).constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return {false, notRegularReason(old)};

    // Unbuffered: a buffered save file can commit after its last flush
    // stopped short (a full disk); unbuffered, a short write shows here.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QString failure = file.errorString();
        if (exists && !folderWritable(target))
            return writeInPlace(target, contents);
        return {false, failure};
    }
    if (exists)
        keepOwnerAndMode(file.handle(), old);
    if (file.write(contents) != contents.size())
        return {false, file.errorString()}; // the part written goes with `file`
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

FileContents readRegularFile(const QString& path, qsizetype maxBytes) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer.
    const int fd = ::open(nativeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, systemReason(errno)};
    FileContents result;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.reason = systemReason(errno);
    } else if (!S_ISREG(st.st_mode)) {
        result.reason = notRegularReason(st);
    } else {
        QByteArray bytes(maxBytes + 1, '\0');
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result.reason = systemReason(errno);
                break;
            }
            if (n == 0)
                break;
            done += n;
        }
        if (result.reason.isEmpty()) {
            bytes.truncate(done);
            result.bytes = bytes;
        }
    }
    ::close(fd);
    return result;
}

namespace {

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

} // namespace

FileContents readFileOrStream(const QString& path, qsizetype maxBytes) {
    if (path == QLatin1String("-"))
        return readToEnd(STDIN_FILENO, maxBytes);
    const int fd = ::open(nativeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, systemReason(errno)};
    FileContents result;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.reason = systemReason(errno);
    } else if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) {
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
