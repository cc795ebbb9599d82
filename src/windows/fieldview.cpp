#include "windows/fieldview.h"

#include "core/operations/session.h"
#include "core/registers/hextext.h"
#include "core/regtexts/registertexts.h"
#include "windows/registergrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kViewWidth = 330;

// A spin box over a field's values that shows each as what it means
// ("10.500 mA", "maximum boost") and takes what parseFieldValue takes; -1
// stands for a value not known.
class FieldSpinBox : public QSpinBox {
public:
    FieldSpinBox(const RegisterField& field, QWidget* parent) : QSpinBox(parent), field_(field) {
        setRange(-1, static_cast<int>(field.maximum()));
        setSpecialValueText(QStringLiteral("unknown"));
        // A value typed is written once, when it is entered.
        setKeyboardTracking(false);
    }

protected:
    QString textFromValue(int value) const override {
        return fieldMeaning(field_, static_cast<unsigned>(value));
    }
    int valueFromText(const QString& text) const override {
        return static_cast<int>(parseFieldValue(field_, text).value_or(value()));
    }
    QValidator::State validate(QString& text, int&) const override {
        return parseFieldValue(field_, text) ? QValidator::Acceptable : QValidator::Intermediate;
    }

private:
    const RegisterField& field_;
};

QString accessWords(FieldAccess access) {
    switch (access) {
    case FieldAccess::ReadOnly:
        return QStringLiteral("read-only");
    case FieldAccess::ReadWrite:
        return QStringLiteral("read-write");
    case FieldAccess::SelfClearing:
        return QStringLiteral("writing 1 starts it, and the chip clears it again");
    case FieldAccess::ClearedByRead:
        return QStringLiteral("read-only, cleared by each read");
    case FieldAccess::Reserved:
        return QStringLiteral("reserved, kept as read");
    }
    return {};
}

QString rowToolTip(const RegisterField& f) {
    QString tip = QStringLiteral("%1: bit%2 %3 of register 0x%4, %5.")
                      .arg(QLatin1String(f.name), f.width() > 1 ? QStringLiteral("s") : QString(),
                           f.bits(), hexByte(f.reg), accessWords(f.access));
    if (f.writable())
        tip += QStringLiteral("\nTakes %1. A change writes the register and reads it back.")
                   .arg(fieldValueHint(f));
    return tip;
}

} // namespace

FieldView::FieldView(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), heading_(new QLabel(this)), state_(new QLabel(this)) {
    setObjectName(QStringLiteral("fieldView"));
    setFixedWidth(kViewWidth);
    auto* layout = new QVBoxLayout(this);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    heading_->setText(QStringLiteral("Register fields"));
    state_->setWordWrap(true);
    state_->setText(QStringLiteral("Click a register's value or name in the grid to see its "
                                   "fields here."));
    layout->addWidget(heading_);
    layout->addWidget(state_);
    layout->addStretch(1);
    connect(&session_.registers(), &RegisterModel::changed, this, [this](std::uint8_t reg) {
        if (reg == reg_ && !writing_)
            refresh();
    });
}

void FieldView::showRegister(std::uint8_t reg) {
    // The rows stay while a change of theirs is being written.
    if (writing_) {
        selectedWhileWriting_ = reg;
        return;
    }
    if (reg == reg_)
        return;
    reg_ = reg;
    build();
    refresh();
}

QWidget* FieldView::control(QStringView name) const {
    const RegisterField* wanted = reg_ ? findField(*reg_, name) : nullptr;
    for (const Row& row : rows_) {
        if (row.field == wanted)
            return row.control;
    }
    return nullptr;
}

void FieldView::build() {
    // Later: this may run inside a signal of one of the old rows' controls.
    if (rowsBox_) {
        rowsBox_->hide();
        rowsBox_->deleteLater();
    }
    rows_.clear();
    rowsBox_ = new QWidget(this);
    rowsLayout_ = new QGridLayout(rowsBox_);
    rowsLayout_->setContentsMargins(0, 0, 0, 0);
    rowsLayout_->setColumnStretch(2, 1);
    static_cast<QVBoxLayout*>(layout())->insertWidget(2, rowsBox_);

    const QString name = registerName(*reg_);
    heading_->setText(QStringLiteral("0x%1 %2").arg(hexByte(*reg_), name));
    for (const RegisterField& f : registerFields(*reg_)) {
        const int row = static_cast<int>(rows_.size());
        QWidget* control = nullptr;
        switch (f.kind()) {
        case FieldKind::Flag: {
            auto* box = new QCheckBox(rowsBox_);
            connect(box, &QCheckBox::clicked, this,
                    [this, &f](bool checked) { change(f, checked ? 1 : 0); });
            control = box;
            break;
        }
        case FieldKind::Choice: {
            auto* list = new QComboBox(rowsBox_);
            for (const FieldSetting& s : f.settings)
                list->addItem(QLatin1String(s.name), s.value);
            list->setPlaceholderText(QStringLiteral("unknown"));
            connect(list, &QComboBox::activated, this,
                    [this, &f, list](int index) { change(f, list->itemData(index).toInt()); });
            control = list;
            break;
        }
        case FieldKind::Number: {
            auto* spin = new FieldSpinBox(f, rowsBox_);
            connect(spin, &QSpinBox::valueChanged, this, [this, &f](int value) {
                if (value >= 0)
                    change(f, value);
            });
            control = spin;
            break;
        }
        }
        control->setObjectName(QLatin1String(f.name));
        control->setAccessibleName(QLatin1String(f.name));
        auto* bits = new QLabel(f.bits(), rowsBox_);
        auto* label = new QLabel(QLatin1String(f.name), rowsBox_);
        label->setWordWrap(true);
        label->setBuddy(control);
        for (QWidget* w : {static_cast<QWidget*>(bits), static_cast<QWidget*>(label), control})
            w->setToolTip(rowToolTip(f));
        rowsLayout_->addWidget(bits, row, 0);
        rowsLayout_->addWidget(label, row, 1);
        rowsLayout_->addWidget(control, row, 2);
        rows_.push_back({&f, control});
    }
}

void FieldView::refresh() {
    if (!reg_)
        return;
    const RegisterModel::Entry& entry = session_.registers().entry(*reg_);
    const bool known = entry.origin == RegisterModel::Origin::Read ||
                       entry.origin == RegisterModel::Origin::Written;
    if (rows_.empty())
        state_->setText(QStringLiteral("No fields are described for this register."));
    else if (known)
        state_->setText(
            QStringLiteral("0x%1, %2").arg(hexByte(entry.value), originWords(entry.origin)));
    else
        state_->setText(QStringLiteral("Fields unknown: %1. Read All Registers reads it.")
                            .arg(originWords(entry.origin)));
    refreshing_ = true;
    for (const Row& row : rows_) {
        const RegisterField& f = *row.field;
        const int value = known ? static_cast<int>(f.valueIn(entry.value)) : -1;
        row.control->setEnabled(known && f.writable());
        if (auto* box = qobject_cast<QCheckBox*>(row.control)) {
            box->setTristate(!known);
            box->setCheckState(!known ? Qt::PartiallyChecked : value ? Qt::Checked : Qt::Unchecked);
            box->setText(known ? fieldMeaning(f, static_cast<unsigned>(value))
                               : QStringLiteral("unknown"));
        } else if (auto* list = qobject_cast<QComboBox*>(row.control)) {
            list->setCurrentIndex(list->findData(value));
        } else if (auto* spin = qobject_cast<QSpinBox*>(row.control)) {
            spin->setValue(value);
        }
    }
    refreshing_ = false;
}

void FieldView::change(const RegisterField& field, int value) {
    if (refreshing_ || writing_)
        return;
    writing_ = true;
    const FieldWrite written = writeField(session_.chip(), field, static_cast<unsigned>(value));
    writing_ = false;
    if (selectedWhileWriting_) {
        const std::uint8_t selected = *selectedWhileWriting_;
        selectedWhileWriting_.reset();
        showRegister(selected);
    }
    // After a write not acknowledged the controls go back to what the model holds.
    refresh();
    emit fieldWritten(written);
}
