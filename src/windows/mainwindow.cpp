#include "app/mainwindow.h"

#include "app/aboutwindow.h"
#include "app/controlarrays.h"
#include "app/processexit.h"
#include "board/boardpanel.h"
#include "controls/channelselect.h"
#include "controls/multiwritetest.h"
#include "controls/recalibration.h"
#include "controls/testtabs.h"
#include "regdef/regdefwindow.h"
#include "regfiles/registerfiles.h"
#include "registers/addressselector.h"
#include "registers/celleditor.h"
#include "registers/individualpanel.h"
#include "registers/readall.h"
#include "registers/registergrid.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QLayout>
#include <QSignalBlocker>
#include <QTabBar>

// The images live in the static core library, whose resources are not
// registered unless someone asks for them.
static void initResources() {
    Q_INIT_RESOURCE(app);
}

MainWindow::MainWindow(const Platform& platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform), ui_(std::make_unique<Ui::frmMain>()),
      link_(platform.transport, platform.dialogs) {
    initResources();
    ui_->setupUi(this);
    link_.setHost(this);
    link_.setTrace(platform.trace);

    grid_ = std::make_unique<RegisterGrid>(this);
    // Cells 0x0D to 0x0F exist in the grid but no register lies there.
    for (int i = 13; i <= 15; ++i)
        grid_->cell(i)->hide();

    board_ = new BoardPanel(link_, platform.dialogs,
                            BoardWidgets{ui_->chkLED, ui_->chkDisablePoll, ui_->fraManualHPD_DDC_0,
                                         controlArray<QCheckBox, 6>(this, "chkHPDoff"),
                                         ui_->cboSMBusFrequency},
                            this);
    address_ = new AddressSelector(
        link_, platform.clock, platform.dialogs, deviceAddress,
        AddressWidgets{controlArray<QCheckBox, 7>(this, "chkADDRbit"), ui_->txtI2Caddress,
                       ui_->cmdScanI2Caddress},
        [this] { Form_Unload(); }, this);
    readAll_ = new ReadAll(link_, *grid_, ui_->chkBurstRead, deviceAddress, this);
    cells_ = new CellEditor(link_, *grid_, platform.clock, platform.dialogs, deviceAddress, this);
    individual_ = new IndividualPanel(
        link_, *grid_, platform.dialogs, deviceAddress,
        IndividualWidgets{ui_->txtRegister, ui_->txtReadIndividual,
                          controlArray<QLineEdit, 2>(this, "txtWriteIndividual"),
                          ui_->cmdReadIndividual,
                          controlArray<QPushButton, 2>(this, "cmdWriteIndividual")},
        this);
    testTabs_ = new TestTabs(ui_->SSTab1, this);
    const ChipAccess chip{link_, *grid_, platform.clock, deviceAddress};
    channelSelect_ = new ChannelSelect(
        chip, controlArray<QRadioButton, kChannelOptions>(this, "obChannelSelect"), this);
    new TerminationRecal(chip, ui_->cmdReCal, this);
    new MultiWriteTest(chip, ui_->cmdMultiWriteTest, this);
    registerFiles_ = std::make_unique<RegisterFiles>(*this, platform.dialogs);

    connect(ui_->cmdQuit, &QPushButton::clicked, this, &MainWindow::cmdQuit_Click);
    connect(ui_->mnuExit, &QAction::triggered, this, &MainWindow::mnuExit_Click);
    connect(ui_->mnuSaveRegisters, &QAction::triggered, this, &MainWindow::mnuSaveRegisters_Click);
    connect(ui_->mnuLoadRegisters, &QAction::triggered, this, &MainWindow::mnuLoadRegisters_Click);
    connect(ui_->mnuAbout, &QAction::triggered, this, &MainWindow::mnuAbout_Click);
    connect(ui_->mnuRegisterDefinitions, &QAction::triggered, this,
            &MainWindow::mnuRegisterDefinitions_Click);
    connect(ui_->cmdReconnect, &QPushButton::clicked, this, &MainWindow::cmdReconnect_Click);
    connect(ui_->cmdReadAllRegisters, &QPushButton::clicked, this,
            &MainWindow::cmdReadAllRegisters_Click);
    connect(ui_->cboEVBinstance, &QComboBox::activated, this, &MainWindow::cboEVBinstance_Click);

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

void MainWindow::Form_Load() {
    link_.boardWriteHandles.assign(1, kNoHandle);
    link_.boardReadHandles.assign(1, kNoHandle);
    link_.connectBoards();
    if (unloaded_)
        return;
    deviceAddress = 0;
    ShowTestTabs(false);
    ui_->SSTab1->setCurrentIndex(0);
    ui_->SSTab1->tabBar()->setFocus();
}

void MainWindow::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    link_.shutDown();
    closeOtherWindows();
    hide();
    platform_.exit.endProcess(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void MainWindow::cboEVB_init() {
    QComboBox* combo = ui_->cboEVBinstance;
    {
        const QSignalBlocker block(combo);
        combo->clear();
        for (std::size_t i = 0; i < link_.boardWriteHandles.size(); ++i)
            combo->addItem(QString::number(i), static_cast<int>(i));
        combo->setCurrentIndex(0);
    }
    cboEVBinstance_Click(0);
}

void MainWindow::cboEVBinstance_Click(int k) {
    link_.selectInstance(k);
    board_->readLedState();
    board_->cboSMBusFrequency_init();
    obChannelSelect_init();
}

void MainWindow::cmdReconnect_Click() {
    link_.connectBoards();
}

void MainWindow::obChannelSelect_init() {
    channelSelect_->obChannelSelect_init();
}

void MainWindow::cmdReadAllRegisters_Click() {
    readAll_->cmdReadAllRegisters_Click();
}

void MainWindow::ShowTestTabs(bool value) {
    testTabs_->ShowTestTabs(value);
}
