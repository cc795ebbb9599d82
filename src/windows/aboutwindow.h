// The About window: the program's name and version, the board's firmware
// version and the desktop's system-information tool. Modal over the main
// window, created afresh for each opening.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>

namespace Ui {
class frmAbout;
}
class BoardPanel;
class Dialogs;
class SystemInfo;

// Where a window of outer size `size` stands so that its centre is on the
// centre of the outer rectangle `main`.
QPoint centredOver(const QRect& main, const QSize& size);

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    AboutWindow(QWidget* owner, BoardPanel& board, Dialogs& dialogs, SystemInfo& systemInfo);
    ~AboutWindow() override;

    void cmdOK_Click() { close(); }
    void cmdSysInfo_Click() { StartSysInfo(); }
    void cmdFirmwareVersion_Click();
    void StartSysInfo();

    Ui::frmAbout& ui() { return *ui_; }

private:
    // Centres the window over its owner.
    void Form_Load();

    std::unique_ptr<Ui::frmAbout> ui_;
    BoardPanel& board_;
    Dialogs& dialogs_;
    SystemInfo& systemInfo_;
};
