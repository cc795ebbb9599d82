#include "regdef/regdefwindow.h"

#include "app/controlarrays.h"
#include "regdef/registertexts.h"
#include "ui_regdefwindow.h"

#include <QButtonGroup>
#include <QLayout>

RegisterDefinitionsWindow::RegisterDefinitionsWindow(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmRegDef>()) {
    ui_->setupUi(this);
    // A fixed single border: no minimize or maximize button, no resizing.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    regbutton = controlArray<QRadioButton, 14>(this, "regbutton");
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(regbutton.size()); ++i)
        group->addButton(regbutton[static_cast<std::size_t>(i)], i);
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            regbutton_Click(id);
    });
    connect(ui_->OKButton, &QPushButton::clicked, this, &RegisterDefinitionsWindow::OKButton_Click);
    connect(ui_->CancelButton, &QPushButton::clicked, this,
            &RegisterDefinitionsWindow::CancelButton_Click);

    Form_Load();
}

RegisterDefinitionsWindow::~RegisterDefinitionsWindow() = default;

void RegisterDefinitionsWindow::registertext(int Index) {
    // The old description goes at once, before the new one is built.
    ui_->Text1->setText(QString());
    ui_->Text1->viewport()->repaint();
    const std::span<const char* const> lines = registerDescription(Index);
    if (lines.empty()) {
        ui_->Text1->setText(kNoRegisterText);
        return;
    }
    const QString lineEnd = QStringLiteral("\r\n");
    for (const char* line : lines)
        Writeregdef(QString::fromLatin1(line), lineEnd);
    Writeregdef(QString(), lineEnd);
}

void RegisterDefinitionsWindow::Writeregdef(const QString& s, const QString& sep) {
    ui_->Text1->setText(ui_->Text1->text() + s + sep);
}
