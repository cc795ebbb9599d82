#include "windows/fieldview.h"

#include "core/operations/session.h"
#include "core/registers/hextext.h"
#include "core/regtexts/registertexts.h"
#include "windows/registergrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
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
    // "unknown" is no value to step down to.
    StepEnabled stepEnabled() const override {
        const StepEnabled steps = QSpinBox::stepEnabled();
        return value() <= 0 ? steps & ~StepDownEnabled : steps;
    }
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

// The names of fields: "Hardware Channel Select and Auto Channel Select".
QString namesOf(const std::vector<const RegisterField*>& fields) {
    QStringList names;
    for (const RegisterField* f : fields)
        names << QLatin1String(f->name);
    return names.join(QStringLiteral(" and "));
}

// What a row's tooltip says of its field, with its register holding `byte`
// when that is known.
QString rowToolTip(const RegisterField& f, std::optional<std::uint8_t> byte) {
    QString tip = QStringLiteral("<b>%1</b>: bit%2 %3 of register 0x%4, %5. After reset: %6.")
                      .arg(QLatin1String(f.name), f.width() > 1 ? QStringLiteral("s") : QString(),
                           f.bits(), hexByte(f.reg), accessText(f).toHtmlEscaped(),
                           fieldMeaning(f, f.reset).toHtmlEscaped());
    const QString because = byte ? lockedBecause(f, *byte) : QString();
    if (!because.isEmpty())
        tip += QStringLiteral("<br>Read-only now: %1. The button beside it changes it with "
                              "them cleared in the same write.")
                   .arg(because);
    else if (f.writable())
        tip += QStringLiteral("<br>Takes %1. A change writes the register and reads it back.")
                   .arg(fieldValueHint(f).toHtmlEscaped());
    return tip + QStringLiteral("<br><br>") +
           descriptionLines(f.reg, f.description)
               .join(QLatin1Char('\n'))
               .toHtmlEscaped()
               .replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

} // namespace

FieldView::FieldView(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), heading_(new QLabel(this)),
      read_(new QPushButton(QStringLiteral("Read"), this)), state_(new QLabel(this)),
      words_(new QLabel(this)) {
    setObjectName(QStringLiteral("fieldView"));
    setFixedWidth(kViewWidth);
    auto* layout = new QVBoxLayout(this);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    heading_->setWordWrap(true);
    heading_->setText(QStringLiteral("Register fields"));
    read_->setObjectName(QStringLiteral("cmdReadFields"));
    read_->setShortcut(Qt::Key_F5);
    read_->setEnabled(false);
    auto* top = new QHBoxLayout;
    top->addWidget(heading_, 1);
    top->addWidget(read_);
    state_->setWordWrap(true);
    state_->setText(QStringLiteral("Click a register's value or name in the grid to see its "
                                   "fields here."));
    words_->setObjectName(QStringLiteral("fieldDescription"));
    words_->setWordWrap(true);
    words_->setTextFormat(Qt::PlainText);
    layout->addLayout(top);
    layout->addWidget(state_);
    layout->addWidget(words_);
    layout->addStretch(1);
    connect(&session_.registers(), &RegisterModel::changed, this, [this](std::uint8_t reg) {
        if (reg == reg_ && !writing_)
            refresh();
    });
    connect(read_, &QPushButton::clicked, this, [this] {
        if (reg_ && !writing_)
            emit registerRead(*reg_, readOneRegister(session_.chip(), *reg_));
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
    read_->setEnabled(true);
    read_->setToolTip(QStringLiteral("Reads register 0x%1 from the chip (F5).").arg(hexByte(reg)));
    build();
    refresh();
}

const FieldView::Row* FieldView::rowOf(QStringView name) const {
    const RegisterField* wanted = reg_ ? findField(*reg_, name) : nullptr;
    for (const Row& row : rows_) {
        if (row.field == wanted)
            return &row;
    }
    return nullptr;
}

QWidget* FieldView::control(QStringView name) const {
    const Row* row = rowOf(name);
    return row ? row->control : nullptr;
}

QLabel* FieldView::mark(QStringView name) const {
    const Row* row = rowOf(name);
    return row ? row->mark : nullptr;
}

QToolButton* FieldView::offer(QStringView name) const {
    const Row* row = rowOf(name);
    return row ? row->offer : nullptr;
}

QString FieldView::description() const {
    return words_->text();
}

void FieldView::build() {
    // Later: this may run inside a signal of one of the old rows' controls.
    if (rowsBox_) {
        rowsBox_->hide();
        rowsBox_->deleteLater();
    }
    rows_.clear();
    words_->clear();
    rowsBox_ = new QWidget(this);
    rowsLayout_ = new QGridLayout(rowsBox_);
    rowsLayout_->setContentsMargins(0, 0, 0, 0);
    rowsLayout_->setColumnStretch(3, 1);
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
        auto* mark = new QLabel(rowsBox_);
        mark->setFont(heading_->font());
        auto* bits = new QLabel(f.bits(), rowsBox_);
        auto* label = new QLabel(QLatin1String(f.name), rowsBox_);
        label->setWordWrap(true);
        label->setBuddy(control);
        QToolButton* offer = f.readOnlyWhile ? makeOffer(f) : nullptr;
        for (QWidget* w : {static_cast<QWidget*>(bits), static_cast<QWidget*>(label), control})
            w->installEventFilter(this);
        rowsLayout_->addWidget(mark, row, 0);
        rowsLayout_->addWidget(bits, row, 1);
        rowsLayout_->addWidget(label, row, 2);
        rowsLayout_->addWidget(control, row, 3);
        if (offer)
            rowsLayout_->addWidget(offer, row, 4);
        rows_.push_back({&f, control, mark, offer, bits, label});
    }
}

QToolButton* FieldView::makeOffer(const RegisterField& field) {
    auto* offer = new QToolButton(rowsBox_);
    offer->setText(QStringLiteral("\u2026"));
    offer->setObjectName(QLatin1String(field.name) + QStringLiteral(" offer"));
    offer->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(offer);
    offer->setMenu(menu);
    // The values with the fields that make it read-only now cleared, in one write.
    connect(menu, &QMenu::aboutToShow, this, [this, &field, menu] {
        menu->clear();
        const std::uint8_t byte = session_.registers().entry(field.reg).value;
        const std::vector<const RegisterField*> locking = fieldsLocking(field, byte);
        menu->addSection(QStringLiteral("With %1 cleared:").arg(namesOf(locking)));
        for (unsigned value = 0; value <= field.maximum(); ++value) {
            QAction* action = menu->addAction(fieldMeaning(field, value));
            connect(action, &QAction::triggered, this, [this, &field, locking, value] {
                std::vector<FieldChange> changes;
                for (const RegisterField* other : locking)
                    changes.push_back({other, 0});
                changes.push_back({&field, value});
                changeFields(changes);
            });
        }
    });
    return offer;
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
        state_->setText(QStringLiteral("Fields unknown: %1. Read (F5) reads it.")
                            .arg(originWords(entry.origin)));
    refreshing_ = true;
    for (const Row& row : rows_) {
        const RegisterField& f = *row.field;
        const int value = known ? static_cast<int>(f.valueIn(entry.value)) : -1;
        const bool locked = known && !fieldsLocking(f, entry.value).empty();
        row.control->setEnabled(known && f.writable() && !locked);
        if (row.offer)
            row.offer->setVisible(locked);
        const QString tip =
            rowToolTip(f, known ? std::optional<std::uint8_t>(entry.value) : std::nullopt);
        for (QWidget* w : {static_cast<QWidget*>(row.bits), static_cast<QWidget*>(row.name),
                           row.control, static_cast<QWidget*>(row.offer)}) {
            if (w)
                w->setToolTip(tip);
        }
        const bool breaks = known && f.breaksRule(static_cast<unsigned>(value));
        const bool other = known && static_cast<unsigned>(value) != f.reset;
        row.mark->setText(breaks ? QStringLiteral("!") : other ? QStringLiteral("*") : QString());
        row.mark->setToolTip(
            breaks  ? QStringLiteral("Breaks its rule: %1.").arg(fieldRule(f))
            : other ? QStringLiteral("Not its value after reset, %1.").arg(fieldMeaning(f, f.reset))
                    : QString());
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

bool FieldView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::FocusIn) {
        for (const Row& row : rows_) {
            if (watched == row.control || watched == row.bits || watched == row.name)
                describe(*row.field);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FieldView::describe(const RegisterField& field) {
    words_->setText(descriptionLines(field.reg, field.description).join(QLatin1Char('\n')));
}

void FieldView::change(const RegisterField& field, int value) {
    changeFields({{&field, static_cast<unsigned>(value)}});
}

void FieldView::changeFields(const std::vector<FieldChange>& changes) {
    if (refreshing_ || writing_)
        return;
    writing_ = true;
    const FieldWrite written = writeFields(session_.chip(), changes.front().field->reg, changes);
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
