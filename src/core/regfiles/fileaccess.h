// Reading and writing the files a user names: only regular files are read or
// replaced, a link is followed to the file it leads to and says so, opening
// never blocks, and a replaced file keeps its owner, group and mode.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// What a save under a chosen name would write.
struct SaveTarget {
    QString name;        // the name chosen
    QString target;      // the file written: where the links lead, else `name`
    bool isLink = false; // `name` is a symbolic link
    bool exists = false; // `target` is an existing regular file
    QString refusal;     // not empty: nothing may be written there, and why
};

// Follows `name` through its links. A name that is nothing yet, or a link that
// leads to nothing yet, is a new file whose folder must be the user's to write;
// an existing target must be a regular file.
SaveTarget saveTargetOf(const QString& name);

struct FileResult {
    bool ok = false;
    QString reason; // why not, in the system's words where it gave some
};

// Puts `contents` in the place of the regular file `target` (or creates it):
// written whole beside it and renamed over it, or, where its folder takes no
// new file, written over it in place. Never follows a link at `target`.
FileResult replaceRegularFile(const QString& target, const QByteArray& contents);

struct FileContents {
    std::optional<QByteArray> bytes; // nothing when the file was refused
    QString reason;
};

// Reads a regular file (a link to one is fine) of at most `maxBytes`; anything
// else (a FIFO, a device, a folder) is refused without waiting on it.
FileContents readRegularFile(const QString& path, qsizetype maxBytes);

// Reads `path` once, to its end, as a register file's loader does from a
// command line: a regular file, a FIFO or a pipe (/dev/stdin, a process
// substitution), or for "-" standard input, whatever it is. Opening never
// waits: a FIFO that no process writes reads as empty. A device, a folder or
// a socket is refused. At most `maxBytes` + 1 bytes are read, so that the
// caller can tell a file that is too long.
FileContents readFileOrStream(const QString& path, qsizetype maxBytes);
