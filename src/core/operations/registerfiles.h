// Saving the main registers to a register file and loading a file into the
// chip: the checks and writes a script uses, and the program's commands with
// their file dialog, questions and messages.
#pragma once

#include "core/operations/chip.h"
#include "core/operations/readall.h"
#include "core/regfiles/registerfile.h"

#include <QString>
#include <functional>

class FileChooser;
class Prompt;

inline const QString kFileExistsText =
    QStringLiteral("File exists.  Press OK to overwrite, Cancel to abort.");
inline const QString kFileExistsTitle = QStringLiteral("File Exists");
inline const QString kFileChangedTitle = QStringLiteral("File Changed");
inline const QString kLinkExistsTitle = QStringLiteral("Link Exists");
inline const QString kNotRegisterFileText =
    QStringLiteral("File selected is not a valid QDM7725A register file");
inline const QString kNotRegisterFileTitle = QStringLiteral("Error");
inline const QString kSaveFilter = QStringLiteral("Text File (*.TXT)|*.txt| All Files (*.*)|*.*|");
inline const QString kLoadFilter =
    QStringLiteral("Text File (*.txt) |*.txt | All Files (*.*)|*.*|");
inline const QString kSaveFileName = QStringLiteral("registers.txt");

// A register file read from disk and checked whole: `error` says why it
// could not be read at all; otherwise `check` holds the verdict.
struct RegisterFileRead {
    QString error;
    RegisterFileCheck check;
};
// With `streams`, as the command-line tool reads one: also a FIFO or a
// pipe, and standard input for "-".
RegisterFileRead readRegisterFile(const QString& path, bool streams = false);

// The messages for a file that could not be read, or that holds a line that
// is not a register line (`fault` says what is wrong with it).
QString readFailedText(const QString& path, const QString& reason);
QString badLineText(const QString& path, int lineNumber, const QByteArray& line, LineVerdict fault);

struct RegisterLoad {
    int written = 0; // register lines written, in file order
    // The register of each line written: they stay written when the load stops.
    std::vector<std::uint8_t> registers;
    LinkResult failure; // the write that stopped the load, when one did
};
// Writes the lines in file order, each with the link's policy; stops at the
// first the chip does not take.
RegisterLoad writeRegisterLines(const Chip& chip, const std::vector<RegisterWrite>& writes);
// What a load that stopped left in the chip: "2 register lines were written
// and stay written (0x05, 0x06)", and whether the write that stopped it, of
// `stoppedAt`, may have reached the chip all the same.
QString stayWrittenText(const RegisterLoad& load, std::uint8_t stoppedAt);

struct RegisterFileResult {
    enum class Outcome {
        Cancelled,       // the file dialog or the overwrite question was cancelled
        Refused,         // a message said why nothing was saved or written
        NotAcknowledged, // a load stopped at a write the chip did not take
        Done,
    };
    Outcome outcome = Outcome::Cancelled;
    QString path;
    int registers = 0;   // saved, or written by a load
    QString stayWritten; // what a load that stopped left written
    int skipped = 0;     // register lines a load skipped, having no value
    // Registers of the main set that the Read All of a save (before it) or of
    // a load (after it) could not read: a save wrote their cells as they were.
    int unread = 0;
};

// Saves what `contents` gives to the chosen file `path`, as every save of the
// program does: only a regular file is replaced, whole; a file or link that
// exists is asked about first (Cancelled), and again when what the name
// leads to has changed meanwhile; a save that fails says why in a message
// (Refused).
RegisterFileResult::Outcome saveChosenFile(Prompt& prompt, const QString& path,
                                           const std::function<QByteArray()>& contents);

// The File menu's two commands; the file dialog offers the name used last.
class RegisterFileCommands {
public:
    RegisterFileCommands(Prompt& prompt, FileChooser& chooser)
        : prompt_(prompt), chooser_(chooser) {}

    // Read All, then the header and the fourteen register lines as the cells
    // show them afterwards. Only a regular file is replaced, whole; a link is
    // followed, and the question names where it leads. What the name leads to
    // is looked at again after the question, and asked about again when it
    // is no longer the file asked about.
    RegisterFileResult save(const Chip& chip, ReadMode mode);
    // Checks the whole file first, writes its register lines to the chip in
    // file order, then Read All.
    RegisterFileResult load(const Chip& chip, ReadMode mode);

    const QString& lastName() const { return lastName_; }

private:
    std::optional<QString> choose(bool save);

    Prompt& prompt_;
    FileChooser& chooser_;
    QString lastName_;
};
