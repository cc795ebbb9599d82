// The register definitions window: the description of one main register at
// a time, chosen with a column of options. It only shows text.
#pragma once

#include <QDialog>
#include <array>
#include <memory>

namespace Ui {
class frmRegDef;
}
class QRadioButton;

class RegisterDefinitionsWindow : public QDialog {
    Q_OBJECT
public:
    // Shows the description of register 0x00 with its option selected.
    explicit RegisterDefinitionsWindow(QWidget* parent = nullptr);
    ~RegisterDefinitionsWindow() override;

    // Shows description `Index`, or a request to choose a register when
    // there is none of that index.
    void registertext(int Index);
    // Appends `s` and then `sep` to the text of Text1.
    void Writeregdef(const QString& s, const QString& sep);

    void regbutton_Click(int Index) { registertext(Index); }
    void OKButton_Click() { close(); }
    void CancelButton_Click() { close(); }

    Ui::frmRegDef& ui() { return *ui_; }
    std::array<QRadioButton*, 14> regbutton;

private:
    void Form_Load() { registertext(0); }

    std::unique_ptr<Ui::frmRegDef> ui_;
};
