// The main window: every control of the three tabs and the menu bar, wired
// to the session's operations, and the start and the end of the program.
#pragma once

#include "core/operations/linktest.h"
#include "core/operations/registerfiles.h"
#include "core/operations/session.h"
#include "core/platform/processend.h"
#include "windows/platform.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

namespace Ui {
class frmMain;
}
class AboutWindow;
class FieldView;
class LinkTestWindow;
class RegisterDefinitionsWindow;
class RegisterGrid;
class StatusLine;
class TestTabs;

class MainWindow : public QMainWindow, private ProcessEnd {
    Q_OBJECT
public:
    explicit MainWindow(const Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Finds the boards (which selects the first and reads back its state),
    // sets the device address to 0 and hides the test tabs.
    void start();

    Session& session() { return *session_; }
    Ui::frmMain& ui() { return *ui_; }
    RegisterGrid& grid() { return *grid_; }
    FieldView& fieldView() { return *fields_; }
    TestTabs& testTabs() { return *testTabs_; }
    StatusLine& statusLine() { return *status_; }
    RegisterFileCommands& registerFiles() { return registerFiles_; }
    // The other windows while they are open, else null.
    AboutWindow* aboutWindow() const;
    RegisterDefinitionsWindow* registerDefinitionsWindow() const;
    LinkTestWindow* linkTestWindow() const;

    // Read All with the burst switch of "Tab 2".
    void readAllRegisters();
    void saveRegisters();
    void loadRegisters();
    void showAbout();
    void showRegisterDefinitions();
    void showLinkTest();
    // Ends the program on a stop signal as Quit ends it, with status 128 +
    // the signal; a link test's run going on says on `errors` what it put back
    // and what not, the window being about to go.
    void endOnStopSignal(int signal);
    void setErrorLines(std::function<void(const QString&)> errors) { errors_ = std::move(errors); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The end of the program, once the session has closed the boards: the
    // other windows go, then the process.
    void endProcess(int code) override;
    ReadMode readMode() const;
    // Says what an operation came to; after one that reset the chip, the
    // registers are read again first.
    void report(const QString& outcome);
    std::uint8_t addressByte() const { return session_->address().byte(); }
    // The disabled boxes keep the palette's text on a background from it.
    void makeDisabledBoxesReadable();

    Platform platform_;
    std::unique_ptr<Ui::frmMain> ui_;
    Session* session_ = nullptr;
    RegisterGrid* grid_ = nullptr;
    FieldView* fields_ = nullptr;
    TestTabs* testTabs_ = nullptr;
    StatusLine* status_ = nullptr;
    RegisterFileCommands registerFiles_;
    QPointer<AboutWindow> about_;
    QPointer<RegisterDefinitionsWindow> regDef_;
    QPointer<LinkTestWindow> linkTest_;
    std::function<void(const QString&)> errors_;
};
