#include "app/aboutwindow.h"

#include "app/systeminfo.h"
#include "board/boardpanel.h"
#include "ui_aboutwindow.h"

#include <QLayout>

QPoint centredOver(const QRect& main, const QSize& size) {
    return {main.width() / 2 + main.left() - size.width() / 2,
            main.height() / 2 + main.top() - size.height() / 2};
}

AboutWindow::AboutWindow(QWidget* owner, BoardPanel& board, Dialogs& dialogs,
                         SystemInfo& systemInfo)
    : QDialog(owner), ui_(std::make_unique<Ui::frmAbout>()), board_(board), dialogs_(dialogs),
      systemInfo_(systemInfo) {
    ui_->setupUi(this);
    // A fixed dialog border: no minimize or maximize button, no resizing.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont title = ui_->X98->font();
    title.setPointSizeF(9.75);
    ui_->X98->setFont(title);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // Its final size, with the style's fonts, is needed to centre it.
    ensurePolished();
    layout()->activate();

    connect(ui_->cmdOK, &QPushButton::clicked, this, &AboutWindow::cmdOK_Click);
    connect(ui_->cmdSysInfo, &QPushButton::clicked, this, &AboutWindow::cmdSysInfo_Click);
    connect(ui_->cmdFirmwareVersion, &QPushButton::clicked, this,
            &AboutWindow::cmdFirmwareVersion_Click);
    ui_->cmdOK->setFocus();
    Form_Load();
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::Form_Load() {
    const QWidget* main = parentWidget();
    if (!main)
        return;
    // The window has no frame until it is shown; it will get the same frame
    // as its owner.
    const QSize frame = main->frameGeometry().size() - main->size();
    move(centredOver(main->frameGeometry(), size() + frame));
}

void AboutWindow::cmdFirmwareVersion_Click() {
    board_.showFirmwareVersion();
}

void AboutWindow::StartSysInfo() {
    ::StartSysInfo(systemInfo_, dialogs_);
}
