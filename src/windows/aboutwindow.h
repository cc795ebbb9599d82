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
class Prompt;
class Session;
class SystemInfo;

// Where a window of outer size `size` stands so that its centre is on the
// centre of the outer rectangle `main`.
QPoint centredOver(const QRect& main, const QSize& size);

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    // "Firmware Version" asks `session`'s board; "System Info..." starts
    // the tool `systemInfo` finds.
    AboutWindow(QWidget* owner, Session& session, SystemInfo& systemInfo);
    ~AboutWindow() override;

    Ui::frmAbout& ui() { return *ui_; }

private:
    // Centres the window over its owner.
    void centreOverOwner();

    std::unique_ptr<Ui::frmAbout> ui_;
};
