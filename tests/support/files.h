// Files in tests: whole contents in and out, and the register file a save of
// the simulated chip's power-up registers writes.
#pragma once

#include <QByteArray>
#include <QFile>

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline const QByteArray kDefaultsFile =
    "//QDM7720A Register File\r\n0x00\t31\r\n0x01\t00\r\n0x02\t0C\r\n0x03\t12\r\n0x04\t00\r\n"
    "0x05\t00\r\n0x06\t00\r\n0x07\tCC\r\n0x08\tCC\r\n0x09\t00\r\n0x0A\t00\r\n0x0B\t00\r\n"
    "0x0C\t00\r\n0x10\t10\r\n";
