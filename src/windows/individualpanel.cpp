#include "windows/individualpanel.h"

#include "core/operations/session.h"
#include "core/platform/prompt.h"
#include "windows/controlarrays.h"
#include "windows/hexkeys.h"

#include <QLineEdit>
#include <QPushButton>

IndividualPanel::IndividualPanel(QWidget* window, Session& session)
    : QObject(window), session_(session),
      txtRegister_(window->findChild<QLineEdit*>(QStringLiteral("txtRegister"))),
      txtReadIndividual_(window->findChild<QLineEdit*>(QStringLiteral("txtReadIndividual"))),
      txtWriteIndividual_(controlArray<QLineEdit, 2>(window, "txtWriteIndividual")) {
    // Typing is filtered like the grid cells, but never writes.
    new HexKeyFilter(txtRegister_);
    for (QLineEdit* box : txtWriteIndividual_)
        new HexKeyFilter(box);
    connect(window->findChild<QPushButton*>(QStringLiteral("cmdReadIndividual")),
            &QPushButton::clicked, this, &IndividualPanel::read);
    const auto writeButtons = controlArray<QPushButton, 2>(window, "cmdWriteIndividual");
    for (int i = 0; i < 2; ++i)
        connect(writeButtons[i], &QPushButton::clicked, this, [this, i] { toggle(i); });
}

PanelTexts IndividualPanel::texts() const {
    return {txtRegister_->text(),
            txtReadIndividual_->text(),
            {txtWriteIndividual_[0]->text(), txtWriteIndividual_[1]->text()}};
}

void IndividualPanel::show(const PanelTexts& t, const PanelResult& result) {
    txtRegister_->setText(t.reg);
    txtReadIndividual_->setText(t.read);
    for (int i = 0; i < 2; ++i)
        txtWriteIndividual_[i]->setText(t.values[i]);
    if (result.outcome == PanelResult::Outcome::NotARegister ||
        result.outcome == PanelResult::Outcome::NotAValue)
        session_.prompt().beep(); // pasted text that is no byte: left to the user
    emit done(result);
}

void IndividualPanel::read() {
    PanelTexts t = texts();
    const PanelResult result = readIndividualRegister(session_.chip(), t);
    show(t, result);
}

void IndividualPanel::toggle(int button) {
    PanelTexts t = texts();
    const PanelResult result = toggleIndividualRegister(session_.chip(), t, button);
    show(t, result);
}
