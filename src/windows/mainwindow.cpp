#include "windows/mainwindow.h"

#include "core/operations/readall.h"
#include "ui_mainwindow.h"
#include "windows/aboutwindow.h"
#include "windows/addresscontrols.h"
#include "windows/boardpanel.h"
#include "windows/chipcontrolspanel.h"
#include "windows/desktopsysteminfo.h"
#include "windows/individualpanel.h"
#include "windows/regdefwindow.h"
#include "windows/registergrid.h"
#include "windows/testtabs.h"

#include <QCloseEvent>
#include <QLayout>
#include <QTabBar>

// The images live in the static library, whose resources are not registered
// unless someone asks for them.
static void initResources() {
    Q_INIT_RESOURCE(app);
}

MainWindow::MainWindow(const Platform& platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform), ui_(std::make_unique<Ui::frmMain>()),
      registerFiles_(platform.prompt, platform.files) {
    initResources();
    ui_->setupUi(this);
    session_ = new Session(platform.transport, platform.prompt, *this, platform.clock, this);
    session_->link().setTrace(platform.trace);

    grid_ = new RegisterGrid(this, *session_);
    new BoardPanel(this, *session_);
    new AddressControls(this, *session_);
    new IndividualPanel(this, *session_);
    new ChipControlsPanel(this, *session_);
    testTabs_ = new TestTabs(ui_->SSTab1, this);

    connect(ui_->cmdQuit, &QPushButton::clicked, session_, &Session::endProgram);
    connect(ui_->mnuExit, &QAction::triggered, session_, &Session::endProgram);
    connect(ui_->cmdReadAllRegisters, &QPushButton::clicked, this, &MainWindow::readAllRegisters);
    connect(ui_->mnuSaveRegisters, &QAction::triggered, this, &MainWindow::saveRegisters);
    connect(ui_->mnuLoadRegisters, &QAction::triggered, this, &MainWindow::loadRegisters);
    connect(ui_->mnuAbout, &QAction::triggered, this, &MainWindow::showAbout);
    connect(ui_->mnuRegisterDefinitions, &QAction::triggered, this,
            &MainWindow::showRegisterDefinitions);

    // A fixed window that fits every tab; it can be minimised, not maximised.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // The layout keeps the window at the size its contents need, also after
    // the style and fonts are applied at the first show.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

MainWindow::~MainWindow() {
    // The register definitions window has no owner to take it along.
    delete regDef_.data();
}

AboutWindow* MainWindow::aboutWindow() const {
    return about_;
}

RegisterDefinitionsWindow* MainWindow::registerDefinitionsWindow() const {
    return regDef_;
}

void MainWindow::start() {
    session_->start();
    if (session_->hasEnded())
        return;
    testTabs_->setShown(false);
    ui_->SSTab1->setCurrentIndex(0);
    ui_->SSTab1->tabBar()->setFocus();
}

void MainWindow::endProcess(int code) {
    if (about_)
        about_->close();
    if (regDef_)
        regDef_->close();
    hide();
    platform_.end.endProcess(code);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    session_->endProgram();
    event->accept();
}

ReadMode MainWindow::readMode() const {
    return ui_->chkBurstRead->isChecked() ? ReadMode::Burst : ReadMode::Single;
}

void MainWindow::readAllRegisters() {
    ::readAllRegisters(session_->chip(), readMode());
}

void MainWindow::saveRegisters() {
    registerFiles_.save(session_->chip(), readMode());
}

void MainWindow::loadRegisters() {
    registerFiles_.load(session_->chip(), readMode());
}

void MainWindow::showAbout() {
    if (!about_) {
        SystemInfo& system = platform_.systemInfo ? *platform_.systemInfo : desktopSystemInfo();
        about_ = new AboutWindow(this, *session_, system);
        about_->setAttribute(Qt::WA_DeleteOnClose);
        // Nothing else of the program takes input while it is open.
        about_->setWindowModality(Qt::ApplicationModal);
    }
    about_->show();
}

void MainWindow::showRegisterDefinitions() {
    if (!regDef_) {
        // A window of its own: no owner, not modal.
        regDef_ = new RegisterDefinitionsWindow();
        regDef_->setAttribute(Qt::WA_DeleteOnClose);
    }
    regDef_->show();
    regDef_->raise();
    regDef_->activateWindow();
}
