// The fields of the register selected in the grid, beside it: each field
// with its bits, its name and a control for its value (a check box for one
// bit, a drop-down of its settings, a spin box in its unit), disabled for a
// field the user may not set and while the register's value is not known.
// Changing a field writes its register once with the read-back, as a cell
// edit does; the view follows the register model.
#pragma once

#include "core/operations/celledit.h"

#include <QWidget>
#include <optional>
#include <vector>

class QGridLayout;
class QLabel;
class Session;

class FieldView : public QWidget {
    Q_OBJECT
public:
    explicit FieldView(Session& session, QWidget* parent = nullptr);

    // Shows the fields of `reg`; a register without fields shows none.
    void showRegister(std::uint8_t reg);
    std::optional<std::uint8_t> shownRegister() const { return reg_; }
    // The control of the shown field `name` (a QCheckBox, QComboBox or
    // QSpinBox), else null.
    QWidget* control(QStringView name) const;

signals:
    // A field's change was written, or not acknowledged.
    void fieldWritten(const FieldWrite& write);

private:
    struct Row {
        const RegisterField* field;
        QWidget* control;
    };
    // The rows of the shown register, made anew.
    void build();
    // Every row from the register model.
    void refresh();
    void change(const RegisterField& field, int value);

    Session& session_;
    std::optional<std::uint8_t> reg_;
    std::optional<std::uint8_t> selectedWhileWriting_;
    QLabel* heading_;
    QLabel* state_;
    QWidget* rowsBox_ = nullptr;
    QGridLayout* rowsLayout_ = nullptr;
    std::vector<Row> rows_;
    bool refreshing_ = false;
    bool writing_ = false;
};
