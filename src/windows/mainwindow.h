// The main window: every control of the three tabs and the menu bar, the
// start-up and the end of the program, and the glue between the subsystems.
#pragma once

#include "app/platform.h"
#include "board/boardlink.h"

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>

namespace Ui {
class frmMain;
}
class AboutWindow;
class AddressSelector;
class BoardPanel;
class CellEditor;
class ChannelSelect;
class IndividualPanel;
class ReadAll;
class RegisterDefinitionsWindow;
class RegisterFiles;
class RegisterGrid;
class TestTabs;

class MainWindow : public QMainWindow, private LinkHost {
    Q_OBJECT
public:
    explicit MainWindow(const Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: find the boards (which selects instance 0 and runs its
    // read-backs), then the device address and the hidden test tabs.
    void Form_Load();
    // Closes every board and ends the program.
    void Form_Unload();
    bool isUnloaded() const { return unloaded_; }

    void cmdQuit_Click() { Form_Unload(); }
    void mnuExit_Click() { Form_Unload(); }

    // Board instances.
    void cboEVB_init() override;
    void cboEVBinstance_Click(int k);
    void cmdReconnect_Click();
    // The channel read-back that ends every instance selection.
    void obChannelSelect_init();

    void ShowTestTabs(bool value);

    // Reads the main set into the grid (also run by the register file save and load).
    void cmdReadAllRegisters_Click();

    // The File menu's register files, and the two other windows.
    void mnuSaveRegisters_Click();
    void mnuLoadRegisters_Click();
    void mnuAbout_Click();
    void mnuRegisterDefinitions_Click();
    RegisterFiles& registerFiles() { return *registerFiles_; }
    // The other windows while they are open, else null.
    AboutWindow* aboutWindow() const;
    RegisterDefinitionsWindow* registerDefinitionsWindow() const;

    Ui::frmMain& ui() { return *ui_; }
    BoardLink& link() { return link_; }
    BoardPanel& board() { return *board_; }
    RegisterGrid& grid() { return *grid_; }
    AddressSelector& address() { return *address_; }
    CellEditor& cells() { return *cells_; }
    IndividualPanel& individual() { return *individual_; }

    // The device address byte every register operation uses.
    std::uint8_t deviceAddress = 0;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void unloadMainWindow() override { Form_Unload(); }
    void closeOtherWindows();

    Platform platform_;
    std::unique_ptr<Ui::frmMain> ui_;
    BoardLink link_;
    std::unique_ptr<RegisterGrid> grid_;
    BoardPanel* board_ = nullptr;
    AddressSelector* address_ = nullptr;
    ReadAll* readAll_ = nullptr;
    CellEditor* cells_ = nullptr;
    IndividualPanel* individual_ = nullptr;
    TestTabs* testTabs_ = nullptr;
    ChannelSelect* channelSelect_ = nullptr;
    std::unique_ptr<RegisterFiles> registerFiles_;
    QPointer<AboutWindow> about_;
    QPointer<RegisterDefinitionsWindow> regDef_;
    bool unloaded_ = false;
};
