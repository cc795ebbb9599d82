// The File menu's register file commands: save the main registers from the
// grid to a file, and load a file into the chip.
#pragma once

#include "app/dialogs.h"

#include <QString>
#include <optional>

class MainWindow;
class QIODevice;

inline const QString kFileExistsText =
    QStringLiteral("File exists.  Press OK to overwrite, Cancel to abort.");
inline const QString kFileExistsTitle = QStringLiteral("File Exists");
inline const QString kNotRegisterFileText =
    QStringLiteral("File selected is not a valid QDM7725A register file");
inline const QString kNotRegisterFileTitle = QStringLiteral("Error");
inline const QString kSaveFilter = QStringLiteral("Text File (*.TXT)|*.txt| All Files (*.*)|*.*|");
inline const QString kLoadFilter =
    QStringLiteral("Text File (*.txt) |*.txt | All Files (*.*)|*.*|");
inline const QString kSaveFileName = QStringLiteral("registers.txt");

// What the window's file dialog keeps between uses.
struct CommonDialogState {
    QString fileName; // the last name chosen or offered
};

class RegisterFiles {
public:
    RegisterFiles(MainWindow& window, Dialogs& dialogs);

    // Read All, then write the header and the fourteen register lines from
    // the cells as they stand. The file is replaced only when it was written
    // whole.
    void mnuSaveRegisters_Click();
    // Check the whole file, write its register lines to the chip in file
    // order, then Read All.
    void mnuLoadRegisters_Click();
    // Appends the register lines of grid indexes startReg to stopReg.
    void writeRegsToFile(int startReg, int stopReg, QIODevice& outFile);

    CommonDialogState CommonDialog1;

private:
    // The file dialog with the name kept from its last use; a chosen name is
    // kept for the next.
    std::optional<QString> chooseFile(FileDialogRequest::Kind kind, const QString& filter);
    void writeToChip(const QString& path);

    MainWindow& window_;
    Dialogs& dialogs_;
};
