// The register file: a header line, then one line per register of the main
// set, "0x" with two hexadecimal digits, a tab and the cell text, every line
// ending in CR LF. Plain functions on bytes, so that the format can be
// checked byte for byte without a window.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

inline const QByteArray kRegisterFileHeader = QByteArrayLiteral("//QDM7720A Register File");

// A register file is a few hundred bytes; anything beyond this is not one.
constexpr qsizetype kMaxRegisterFileBytes = 1024 * 1024;

// One line of the file with its CR LF. Files hold single-byte characters: a
// character outside Latin-1 is written as '?'.
QByteArray fileLine(const QString& text);
// The line for one register: its address ("0x05"), a tab and the text its
// cell shows, as it is, except that a line end or comma in a pasted text is
// written as '?': either would split the line, and the loader would take what
// follows for another register's line.
QByteArray registerLine(std::uint8_t reg, const QString& cellText);

// A whole file: the header, then one line for each register of the main set
// with the text `cellText` gives for it.
QByteArray registerFileBytes(const std::function<QString(std::uint8_t)>& cellText);

struct RegisterWrite {
    std::uint8_t reg;
    std::uint8_t value;
    bool operator==(const RegisterWrite&) const = default;
};

// A field starting with exactly "0x" is a register line; every other field is
// skipped.
bool isRegisterLine(QByteArrayView field);
// Characters 3-4 are the address and 6-7 the value (character 5 separates them
// and is not looked at), each one or two hexadecimal digits; a one-digit value
// may be followed by a blank, and anything after character 7 is ignored.
// Nothing when either is not a hexadecimal byte.
std::optional<RegisterWrite> readRegisterLine(QByteArrayView field);

struct RegisterFileCheck {
    enum class Verdict {
        Accepted,        // `writes` holds every register line, in file order
        NotRegisterFile, // the first field is not the header
        BadRegisterLine, // a register line cannot be read; nothing may be written
    };
    Verdict verdict = Verdict::NotRegisterFile;
    std::vector<RegisterWrite> writes;
    std::vector<int> writeLines; // the line of each of `writes`, 1 for the first
    int lineNumber = 0;          // BadRegisterLine: the line holding it, 1 for the first
    QByteArray lineText;         // BadRegisterLine: that line without its line end
};

// Checks a whole file before anything is written to the chip. A field ends at
// a comma or at a line end (CR LF, LF or CR); the first field must be the
// header exactly.
RegisterFileCheck checkRegisterFile(QByteArrayView bytes);
