#include "windows/regdefwindow.h"

#include "core/regtexts/registertexts.h"
#include "ui_regdefwindow.h"
#include "windows/controlarrays.h"

#include <QButtonGroup>
#include <QLayout>
#include <QRadioButton>

RegisterDefinitionsWindow::RegisterDefinitionsWindow(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmRegDef>()) {
    ui_->setupUi(this);
    // A fixed single border: no minimize or maximize button, no resizing.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    const auto regbutton = controlArray<QRadioButton, kDescribedRegisters>(this, "regbutton");
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < kDescribedRegisters; ++i)
        group->addButton(regbutton[static_cast<std::size_t>(i)], i);
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            showDescription(id);
    });
    connect(ui_->OKButton, &QPushButton::clicked, this, &QDialog::close);
    connect(ui_->CancelButton, &QPushButton::clicked, this, &QDialog::close);

    showDescription(0);
}

RegisterDefinitionsWindow::~RegisterDefinitionsWindow() = default;

void RegisterDefinitionsWindow::showDescription(int index) {
    // The old description goes at once, before the new one is shown.
    ui_->Text1->setText(QString());
    ui_->Text1->viewport()->repaint();
    ui_->Text1->setText(descriptionText(index));
}
