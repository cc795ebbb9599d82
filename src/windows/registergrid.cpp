#include "windows/registergrid.h"

#include "core/operations/session.h"
#include "core/platform/prompt.h"
#include "core/registers/hextext.h"
#include "core/registers/registerfields.h"
#include "windows/controlarrays.h"
#include "windows/hexkeys.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

using Origin = RegisterModel::Origin;

// The register each label names: 0x00 to 0x0C, then the test registers in
// the order of their labels, and 0x10.
constexpr std::uint8_t kLabelRegisters[RegisterGrid::kLabels] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
    0x0A, 0x0B, 0x0C, 0x13, 0x11, 0x12, 0x10, 0x14, 0x15};

// The background that marks where a value came from: the palette's own base
// blended with a hue of the mark's (the highlight for a typed value), so that
// the mark reads on a light palette and a dark one alike. None for a value
// read from the chip or an empty cell.
QColor markColour(Origin origin, const QPalette& palette, QPalette::ColorGroup group) {
    QColor hue;
    switch (origin) {
    case Origin::Written:
        hue = QColor(230, 150, 0);
        break;
    case Origin::Typed:
        hue = palette.color(group, QPalette::Highlight);
        break;
    case Origin::ReadFailed:
        hue = QColor(220, 30, 30);
        break;
    default:
        return {};
    }
    const QColor base = palette.color(group, QPalette::Base);
    const auto blend = [](int b, int h) {
        return (3 * b + 2 * h) / 5;
    };
    return QColor(blend(base.red(), hue.red()), blend(base.green(), hue.green()),
                  blend(base.blue(), hue.blue()));
}

// What the register holds, field by field, as far as it is known.
QString decodedText(std::uint8_t reg, const RegisterModel::Entry& entry) {
    if (entry.origin != Origin::Read && entry.origin != Origin::Written) {
        QString words = originWords(entry.origin);
        words[0] = words[0].toUpper();
        return words + QLatin1Char('.');
    }
    QString text =
        QStringLiteral("<b>0x%1</b>, %2").arg(hexByte(entry.value), originWords(entry.origin));
    for (const FieldValue& f : decodeFields(reg, entry.value))
        text += QStringLiteral("<br>%1: %2")
                    .arg(QLatin1String(f.field->name), f.meaning.toHtmlEscaped());
    return text;
}

// The legend of the marks, each beside its colour.
QString legend(const QPalette& palette) {
    QString text = QStringLiteral("Background:");
    for (Origin origin : {Origin::Read, Origin::Written, Origin::Typed, Origin::ReadFailed}) {
        QColor colour = markColour(origin, palette, QPalette::Active);
        if (!colour.isValid())
            colour = palette.color(QPalette::Active, QPalette::Base);
        text += QStringLiteral("<br><span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;"
                               "</span> %2")
                    .arg(colour.name(), originWords(origin));
    }
    return text;
}

} // namespace

QString originWords(Origin origin) {
    switch (origin) {
    case Origin::Unknown:
        return QStringLiteral("not read yet");
    case Origin::Read:
        return QStringLiteral("read from the chip");
    case Origin::Written:
        return QStringLiteral("written, not read back");
    case Origin::Typed:
        return QStringLiteral("typed, not written yet");
    case Origin::ReadFailed:
        return QStringLiteral("read-back failed: not the chip's value");
    }
    return {};
}

RegisterGrid::RegisterGrid(QWidget* window, Session& session)
    : QObject(window), session_(session),
      cells_(controlArray<QLineEdit, kCells>(window, "txtRegVal")),
      labels_(controlArray<QLabel, kLabels>(window, "lblRegAdd")) {
    for (int reg = 0; reg < kCells; ++reg) {
        const auto r = static_cast<std::uint8_t>(reg);
        QLineEdit* cell = cells_[reg];
        // Cells 0x0D to 0x0F exist in the grid but no register lies there.
        if (reg >= 0x0D && reg <= 0x0F)
            cell->hide();
        new HexKeyFilter(cell,
                         [this, r](int key, int modifiers) { keyReleased(r, key, modifiers); });
        connect(cell, &QLineEdit::textChanged, this, [this, r](const QString& text) {
            if (!showing_)
                session_.registers().setTyped(r, text);
        });
        toolTips_[reg] = cell->toolTip();
        palettes_[reg] = cell->palette();
        cell->installEventFilter(this);
        mark(r);
    }
    for (QLabel* label : labels_)
        label->installEventFilter(this);
    connect(&session_.registers(), &RegisterModel::changed, this, &RegisterGrid::show);
}

bool RegisterGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress) {
        for (int reg = 0; reg < kCells; ++reg) {
            // A disabled cell takes no focus, but a click on it selects it too.
            if (watched == cells_[reg] &&
                (event->type() == QEvent::FocusIn || !cells_[reg]->isEnabled()))
                emit registerSelected(static_cast<std::uint8_t>(reg));
        }
        for (int i = 0; i < kLabels; ++i) {
            if (watched == labels_[i] && event->type() == QEvent::MouseButtonPress) {
                QLineEdit* cell = cells_[kLabelRegisters[i]];
                if (cell->isEnabled())
                    cell->setFocus(Qt::MouseFocusReason);
                emit registerSelected(kLabelRegisters[i]);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void RegisterGrid::show(std::uint8_t reg) {
    if (reg >= kCells)
        return;
    mark(reg);
    const QString text = session_.registers().text(reg);
    // Setting the same text again would only lose the user's selection.
    if (cells_[reg]->text() == text)
        return;
    showing_ = true;
    cells_[reg]->setText(text);
    showing_ = false;
}

void RegisterGrid::mark(std::uint8_t reg) {
    QLineEdit* cell = cells_[reg];
    const RegisterModel::Entry& entry = session_.registers().entry(reg);
    QPalette palette = palettes_[reg];
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor colour = markColour(entry.origin, palettes_[reg], group);
        if (colour.isValid())
            palette.setColor(group, QPalette::Base, colour);
    }
    cell->setPalette(palette);
    QFont font = cell->font();
    font.setItalic(entry.origin == Origin::Typed);
    font.setStrikeOut(entry.origin == Origin::ReadFailed);
    cell->setFont(font);
    cell->setAccessibleDescription(originWords(entry.origin));
    cell->setToolTip(QStringLiteral("<p>%1</p><p>%2</p><p>%3</p>")
                         .arg(toolTips_[reg].toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")),
                              decodedText(reg, entry), legend(palettes_[reg])));
}

void RegisterGrid::keyReleased(std::uint8_t reg, int key, int modifiers) {
    const CellWrite write = releaseKeyInCell(session_.chip(), reg, key, modifiers);
    if (write.outcome == CellWrite::Outcome::NotAByte)
        session_.prompt().beep(); // pasted text that is no byte: left to the user
    if (write.outcome != CellWrite::Outcome::Skipped)
        emit cellEdited(reg, write);
}
