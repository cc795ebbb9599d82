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

// What a register line comes to: "0x", the address as two hexadecimal
// digits, a blank or tab, and the value as one or two hexadecimal digits
// followed by nothing but blanks. A line with nothing but blanks after its
// address has no value: a save writes it for a cell that was never read, and
// a load skips it.
enum class LineVerdict {
    Write,        // a register and its value
    NoValue,      // skipped
    BadAddress,   // not two hexadecimal digits after "0x"
    BadSeparator, // no blank or tab after the address
    BadValue,     // not one or two hexadecimal digits followed by blanks only
    CutOff,       // the file ends in the line before its value's second digit
};
struct RegisterLine {
    LineVerdict verdict = LineVerdict::BadAddress;
    RegisterWrite write{0, 0}; // Write: what the line asks for
};
// `atEnd`: the file ends with this field, with no line end after it, where it
// may have been cut off while being written: there the value needs both digits.
RegisterLine readRegisterLine(QByteArrayView field, bool atEnd = false);
// Why a line of the verdict is refused, as a clause ("its value is ...").
QString lineFaultText(LineVerdict verdict);

struct RegisterFileCheck {
    enum class Verdict {
        Accepted,        // `writes` holds every register line, in file order
        NotRegisterFile, // the first field is not the header
        BadRegisterLine, // a register line cannot be read; nothing may be written
    };
    Verdict verdict = Verdict::NotRegisterFile;
    std::vector<RegisterWrite> writes;
    std::vector<int> skippedLines;          // Accepted: the lines of register lines with no value
    int lineNumber = 0;                     // BadRegisterLine: the line holding it, 1 for the first
    QByteArray lineText;                    // BadRegisterLine: that line without its line end
    LineVerdict fault = LineVerdict::Write; // BadRegisterLine: what is wrong with it
};

// Checks a whole file before anything is written to the chip. A field ends at
// a comma or at a line end (CR LF, LF or CR); the first field must be the
// header exactly.
RegisterFileCheck checkRegisterFile(QByteArrayView bytes);
