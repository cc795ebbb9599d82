// The register definitions window: the description of one main register at
// a time, chosen with a column of options. It only shows text.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmRegDef;
}

class RegisterDefinitionsWindow : public QDialog {
    Q_OBJECT
public:
    // Shows the description of register 0x00 with its option selected.
    explicit RegisterDefinitionsWindow(QWidget* parent = nullptr);
    ~RegisterDefinitionsWindow() override;

    // Shows description `index`, or a request to choose a register when
    // there is none of that index.
    void showDescription(int index);

    Ui::frmRegDef& ui() { return *ui_; }

private:
    std::unique_ptr<Ui::frmRegDef> ui_;
};
