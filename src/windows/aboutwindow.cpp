#include "windows/aboutwindow.h"

#include "core/operations/session.h"
#include "core/operations/systeminformation.h"
#include "ui_aboutwindow.h"

#include <QLayout>

QPoint centredOver(const QRect& main, const QSize& size) {
    return {main.width() / 2 + main.left() - size.width() / 2,
            main.height() / 2 + main.top() - size.height() / 2};
}

AboutWindow::AboutWindow(QWidget* owner, Session& session, SystemInfo& systemInfo)
    : QDialog(owner), ui_(std::make_unique<Ui::frmAbout>()) {
    ui_->setupUi(this);
    // A fixed dialog border: no minimize or maximize button, no resizing.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont title = ui_->X98->font();
    title.setPointSizeF(9.75);
    ui_->X98->setFont(title);
    // The two separator lines, a darker above a lighter, in the palette's shades.
    for (const auto& [line, role] :
         {std::pair{ui_->Line1_1, QPalette::Mid}, std::pair{ui_->Line1_0, QPalette::Light}}) {
        line->setBackgroundRole(role);
        line->setAutoFillBackground(true);
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // Its final size, with the style's fonts, is needed to centre it.
    ensurePolished();
    layout()->activate();

    connect(ui_->cmdOK, &QPushButton::clicked, this, &QDialog::close);
    connect(ui_->cmdSysInfo, &QPushButton::clicked, this,
            [&session, &systemInfo] { startSystemInformation(systemInfo, session.prompt()); });
    connect(ui_->cmdFirmwareVersion, &QPushButton::clicked, &session,
            &Session::showFirmwareVersion);
    ui_->cmdOK->setFocus();
    centreOverOwner();
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::centreOverOwner() {
    const QWidget* main = parentWidget();
    if (!main)
        return;
    // The window has no frame until it is shown; it will get the same frame
    // as its owner.
    const QSize frame = main->frameGeometry().size() - main->size();
    move(centredOver(main->frameGeometry(), size() + frame));
}
