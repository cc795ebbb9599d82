#include "windows/mainwindow.h"

#include "core/operations/readall.h"
#include "core/platform/stopsignal.h"
#include "ui_mainwindow.h"
#include "windows/aboutwindow.h"
#include "windows/addresscontrols.h"
#include "windows/boardpanel.h"
#include "windows/chipcontrolspanel.h"
#include "windows/desktopsysteminfo.h"
#include "windows/fieldview.h"
#include "windows/individualpanel.h"
#include "windows/linktestwindow.h"
#include "windows/regdefwindow.h"
#include "windows/registergrid.h"
#include "windows/statusline.h"
#include "windows/testtabs.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QLayout>
#include <QLineEdit>
#include <QTabBar>
#include <algorithm>

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

    status_ = new StatusLine(statusBar(), *session_);
    // Before the grid, which keeps each cell's palette to mark it on.
    makeDisabledBoxesReadable();
    grid_ = new RegisterGrid(this, *session_);
    fields_ = new FieldView(*session_);
    // Beside the tabs, for good: the window keeps its fixed size.
    auto* fieldDock = new QDockWidget(QStringLiteral("Register Fields"), this);
    fieldDock->setObjectName(QStringLiteral("dockRegisterFields"));
    fieldDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    fieldDock->setWidget(fields_);
    addDockWidget(Qt::RightDockWidgetArea, fieldDock);
    connect(grid_, &RegisterGrid::registerSelected, fields_, &FieldView::showRegister);
    auto* board = new BoardPanel(this, *session_);
    auto* address = new AddressControls(this, *session_);
    auto* individual = new IndividualPanel(this, *session_);
    auto* chipControls = new ChipControlsPanel(this, *session_);
    testTabs_ = new TestTabs(ui_->SSTab1, this);

    // Every board operation says what it came to in the status bar.
    connect(grid_, &RegisterGrid::cellEdited, this, [this](std::uint8_t reg, const CellWrite& w) {
        report(statusOf(reg, w, addressByte()));
    });
    connect(fields_, &FieldView::fieldWritten, this,
            [this](const FieldWrite& w) { report(statusOf(w, addressByte())); });
    connect(fields_, &FieldView::registerRead, this, [this](std::uint8_t reg, const RangeRead& r) {
        report(statusOf(reg, r, session_->registers().entry(reg).value, addressByte()));
    });
    connect(individual, &IndividualPanel::done, this,
            [this](const PanelResult& r) { report(statusOf(r, addressByte())); });
    connect(address, &AddressControls::scanned, this,
            [this](const ScanResult& r) { report(statusOf(r)); });
    connect(
        chipControls, &ChipControlsPanel::channelSelected, this,
        [this](int option, const ChannelWrite& w) { report(statusOf(option, w, addressByte())); });
    connect(chipControls, &ChipControlsPanel::recalibrated, this,
            [this](const Recalibration& r) { report(statusOf(r, addressByte())); });
    connect(chipControls, &ChipControlsPanel::multiWritten, this,
            [this](const MultiWrite& r) { report(statusOf(r, addressByte())); });
    connect(board, &BoardPanel::signalsSent, this,
            [this](const BoardSignals& s, bool sent) { report(statusOf(s, sent)); });
    connect(board, &BoardPanel::clockSelected, this,
            [this](int kHz, bool sent) { report(clockStatus(kHz, sent)); });

    connect(ui_->cmdQuit, &QPushButton::clicked, session_, &Session::endProgram);
    connect(ui_->mnuExit, &QAction::triggered, session_, &Session::endProgram);
    connect(ui_->cmdReadAllRegisters, &QPushButton::clicked, this, &MainWindow::readAllRegisters);
    connect(ui_->mnuSaveRegisters, &QAction::triggered, this, &MainWindow::saveRegisters);
    connect(ui_->mnuLoadRegisters, &QAction::triggered, this, &MainWindow::loadRegisters);
    connect(ui_->mnuAbout, &QAction::triggered, this, &MainWindow::showAbout);
    connect(ui_->mnuRegisterDefinitions, &QAction::triggered, this,
            &MainWindow::showRegisterDefinitions);
    connect(ui_->mnuLinkTest, &QAction::triggered, this, &MainWindow::showLinkTest);

    // A fixed window that fits every tab; it can be minimised, not maximised.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // The layout keeps the window at the size its contents need, also after
    // the style and fonts are applied at the first show.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

MainWindow::~MainWindow() {
    // The register definitions and link test windows have no owner to take
    // them along.
    delete regDef_.data();
    delete linkTest_.data();
}

AboutWindow* MainWindow::aboutWindow() const {
    return about_;
}

RegisterDefinitionsWindow* MainWindow::registerDefinitionsWindow() const {
    return regDef_;
}

LinkTestWindow* MainWindow::linkTestWindow() const {
    return linkTest_;
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
    if (linkTest_)
        linkTest_->close();
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
    report(statusOf(::readAllRegisters(session_->chip(), readMode()), addressByte()));
}

void MainWindow::saveRegisters() {
    report(statusOf(registerFiles_.save(session_->chip(), readMode()), true, addressByte()));
}

void MainWindow::loadRegisters() {
    report(statusOf(registerFiles_.load(session_->chip(), readMode()), false, addressByte()));
}

void MainWindow::report(const QString& outcome) {
    QString text = outcome;
    // A write reset the chip, and every register went back to its value
    // after reset: what the grid showed is gone, and is read again.
    if (session_->tracker().takeChipReset() && !session_->hasEnded()) {
        const RegisterModel& model = session_->registers();
        if (std::any_of(kMainRegisters.begin(), kMainRegisters.end(), [&](std::uint8_t reg) {
                return model.entry(reg).origin == RegisterModel::Origin::Unknown;
            })) {
            const QString read =
                statusOf(::readAllRegisters(session_->chip(), readMode()), addressByte());
            text += QStringLiteral("; the chip was reset: ") + read.left(1).toLower() + read.mid(1);
        }
    }
    status_->say(text);
}

void MainWindow::makeDisabledBoxesReadable() {
    for (QLineEdit* box : findChildren<QLineEdit*>()) {
        QPalette p = box->palette();
        // A grey a fifth of the way from the background to the text: light
        // grey on a light style, dark grey on a dark one.
        const QColor base = p.color(QPalette::Active, QPalette::Base);
        const QColor text = p.color(QPalette::Active, QPalette::Text);
        const auto mix = [](int b, int t) {
            return (4 * b + t) / 5;
        };
        p.setColor(QPalette::Disabled, QPalette::Base,
                   QColor(mix(base.red(), text.red()), mix(base.green(), text.green()),
                          mix(base.blue(), text.blue())));
        p.setColor(QPalette::Disabled, QPalette::Text, text);
        box->setPalette(p);
    }
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

void MainWindow::endOnStopSignal(int signal) {
    if (session_->hasEnded())
        return;
    if (const std::optional<LinkTestEnd> end = linkTest_ ? linkTest_->stop() : std::nullopt;
        end && errors_)
        errors_(QStringLiteral("%1: the link test stopped; %2")
                    .arg(stopSignalName(signal), restoreSummary(*end)));
    session_->endProgramWithStatus(stopStatus(signal));
}

void MainWindow::showLinkTest() {
    if (!linkTest_) {
        // A window of its own, like the register definitions: the main window
        // stays usable while a run goes on.
        linkTest_ = new LinkTestWindow(*session_, platform_.prompt, platform_.files);
        linkTest_->setAttribute(Qt::WA_DeleteOnClose);
    }
    linkTest_->show();
    linkTest_->raise();
    linkTest_->activateWindow();
}
