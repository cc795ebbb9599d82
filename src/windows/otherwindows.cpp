// The main window's commands that open the other windows and the register
// file commands.
#include "app/aboutwindow.h"
#include "app/desktopsysteminfo.h"
#include "app/mainwindow.h"
#include "regdef/regdefwindow.h"
#include "regfiles/registerfiles.h"

void MainWindow::mnuSaveRegisters_Click() {
    registerFiles_->mnuSaveRegisters_Click();
}

void MainWindow::mnuLoadRegisters_Click() {
    registerFiles_->mnuLoadRegisters_Click();
}

void MainWindow::mnuAbout_Click() {
    if (!about_) {
        SystemInfo& system = platform_.systemInfo ? *platform_.systemInfo : desktopSystemInfo();
        about_ = new AboutWindow(this, *board_, platform_.dialogs, system);
        about_->setAttribute(Qt::WA_DeleteOnClose);
        // Nothing else of the program takes input while it is open.
        about_->setWindowModality(Qt::ApplicationModal);
    }
    about_->show();
}

void MainWindow::mnuRegisterDefinitions_Click() {
    if (!regDef_) {
        // A window of its own: no owner, not modal.
        regDef_ = new RegisterDefinitionsWindow();
        regDef_->setAttribute(Qt::WA_DeleteOnClose);
    }
    regDef_->show();
    regDef_->raise();
    regDef_->activateWindow();
}

void MainWindow::closeOtherWindows() {
    if (about_)
        about_->close();
    if (regDef_)
        regDef_->close();
}

AboutWindow* MainWindow::aboutWindow() const {
    return about_;
}

RegisterDefinitionsWindow* MainWindow::registerDefinitionsWindow() const {
    return regDef_;
}
