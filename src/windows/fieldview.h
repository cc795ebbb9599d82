// The fields of the register selected in the grid, beside it: every bit of
// it in a field, each with a mark when its value is not its value after reset
// ('*') or breaks the rule of a reserved or unused field ('!'), its bits, its
// name and a control for its value (a check box for one bit, a drop-down of
// its settings, a spin box in its unit), disabled for a field the user may
// not set, while another field makes it read-only and while the register's
// value is not known. A field made read-only by others offers, beside it, to
// change it with them cleared in the same write. Changing a field writes its
// register once with the read-back, as a cell edit does; Read (F5) reads the
// register alone. Below the rows, what the register's description says of
// the field pointed at. The view follows the register model.
#pragma once

#include "core/operations/celledit.h"
#include "core/operations/readall.h"

#include <QWidget>
#include <optional>
#include <vector>

class QGridLayout;
class QLabel;
class QPushButton;
class QToolButton;
class Session;

class FieldView : public QWidget {
    Q_OBJECT
public:
    explicit FieldView(Session& session, QWidget* parent = nullptr);

    // Shows the fields of `reg`; a register without fields shows none.
    void showRegister(std::uint8_t reg);
    std::optional<std::uint8_t> shownRegister() const { return reg_; }
    // The control of the shown field `name` (a QCheckBox, QComboBox or
    // QSpinBox), its mark and the button that offers to change it with the
    // fields that make it read-only (shown while they do); else null.
    QWidget* control(QStringView name) const;
    QLabel* mark(QStringView name) const;
    QToolButton* offer(QStringView name) const;
    QPushButton* readButton() const { return read_; }
    // What the description says of the field last pointed at.
    QString description() const;

signals:
    // A change of fields was written, refused, or not acknowledged.
    void fieldWritten(const FieldWrite& write);
    // Read read the register shown.
    void registerRead(std::uint8_t reg, const RangeRead& read);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        const RegisterField* field;
        QWidget* control;
        QLabel* mark;
        QToolButton* offer; // null for a field no other makes read-only
        QLabel* bits;
        QLabel* name;
    };
    const Row* rowOf(QStringView name) const;
    // The rows of the shown register, made anew.
    void build();
    QToolButton* makeOffer(const RegisterField& field);
    // Every row from the register model.
    void refresh();
    void change(const RegisterField& field, int value);
    void changeFields(const std::vector<FieldChange>& changes);
    void describe(const RegisterField& field);

    Session& session_;
    std::optional<std::uint8_t> reg_;
    std::optional<std::uint8_t> selectedWhileWriting_;
    QLabel* heading_;
    QPushButton* read_;
    QLabel* state_;
    QLabel* words_;
    QWidget* rowsBox_ = nullptr;
    QGridLayout* rowsLayout_ = nullptr;
    std::vector<Row> rows_;
    bool refreshing_ = false;
    bool writing_ = false;
};
