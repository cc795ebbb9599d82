// Reading and writing the files a user names: only regular files are read or
// replaced, a link is followed to the file it leads to and says so, opening
// never blocks, and a replaced file keeps its owner, group and mode.
//
// A save resolves the name once, by the system, and holds the folder the file
// lies in open; every later step names one entry of that folder and follows
// no link there, so that nothing renamed meanwhile can lead the write to
// another file.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <optional>
#include <sys/types.h>
#include <utility>

// An open file descriptor, closed with its owner.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    ~Descriptor();
    int fd() const { return fd_; }
    int release() { return std::exchange(fd_, -1); } // the caller closes it
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Which file it is, whatever its name: its device and inode.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// What a save under a chosen name would write.
struct SaveTarget {
    QString name;        // the name chosen
    QString target;      // the file written as the system names it: where the links lead
    bool isLink = false; // `name` is a symbolic link
    bool exists = false; // `target` is an existing regular file
    QString refusal;     // not empty: nothing may be written there, and why

    Descriptor folder;                // the folder `target` lies in, held open
    QByteArray entry;                 // the name of `target` in that folder
    FileIdentity folderIdentity;      // that folder
    std::optional<FileIdentity> file; // the file there; nothing when there is none
};

// Follows `name` through its links, each resolved by the system from the
// folder the link lies in. A name that is nothing yet, or a link that leads
// to nothing yet, is a new file whose folder must be the user's to write; an
// existing target must be a regular file the user may write, as for any
// program that writes files (a file's write protection keeps it).
SaveTarget saveTargetOf(const QString& name);
// The same file (or still none) in the same folder, and may be written.
bool sameTarget(const SaveTarget& a, const SaveTarget& b);

struct FileResult {
    bool ok = false;
    QString reason;   // why not, in the system's words where it gave some
    bool kept = true; // a failure left the file as it was (else the reason says what is in it)
};

// Puts `contents` in the place of the file `target` found (or creates it),
// provided it is still that file and the user may still write it: written
// whole beside it in its folder and renamed over it, or, where the folder
// takes no new file, written over it in place. What is at its name when the
// write is put there and is not that file is left as it is, and the save
// fails. A write in place is refused where the size limit or the free space
// would stop it; one that fails all the same puts the old contents back
// where it could read them, and the reason says what the file now holds.
FileResult replaceRegularFile(const SaveTarget& target, const QByteArray& contents);

// Called between the steps of a save with the step's name ("create" before
// the new file is made, "rename" before it takes the name, "in place" before
// the file is opened to be written over, "write" before it is written over),
// so that tests can change the files there. Nothing is called when it is not
// set.
void setSaveStepHook(std::function<void(const char* step)> hook);

struct FileContents {
    std::optional<QByteArray> bytes; // nothing when the file was refused
    QString reason;
};

// Reads a regular file (a link to one is fine) of at most `maxBytes`; anything
// else (a FIFO, a device, a folder) is refused without waiting on it.
FileContents readRegularFile(const QString& path, qsizetype maxBytes);

// Reads `path` once, to its end, as a register file's loader does from a
// command line: a regular file, a FIFO or a pipe (/dev/stdin, a process
// substitution), or for "-" standard input, whatever it is (but not one that
// was closed when the program started, which reads as empty). Opening never
// waits: a FIFO that no process writes reads as empty. A device, a folder or
// a socket is refused. At most `maxBytes` + 1 bytes are read, so that the
// caller can tell a file that is too long.
FileContents readFileOrStream(const QString& path, qsizetype maxBytes);

// The file a trace goes to: `path` opened for writing, or standard error for
// "-"; without a file, why not. Opening never waits: a FIFO that no process
// reads is refused at once. A link that leads to nothing yet makes its
// target, as a save does. A trace is never one of the files in `keep`,
// those a command reads or writes (the same device and inode, whatever the
// names): such a file is refused and left as it was, for a file is emptied
// only once it is accepted.
struct TraceFile {
    std::FILE* file = nullptr;
    QString name; // as a message names it
    QString error;
};
TraceFile openTraceFile(const QString& path, const QStringList& keep = {});
