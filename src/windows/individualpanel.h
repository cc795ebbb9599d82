// The individual register read/write panel: its boxes, filtered like the
// grid's cells but never written from the keyboard, and its three buttons.
#pragma once

#include "core/operations/individual.h"

#include <QObject>
#include <array>

class QLineEdit;
class QPushButton;
class QWidget;
class Session;

class IndividualPanel : public QObject {
    Q_OBJECT
public:
    IndividualPanel(QWidget* window, Session& session);

    void read();
    // The toggle write of button `button` (0 or 1).
    void toggle(int button);

signals:
    void done(const PanelResult& result);

private:
    PanelTexts texts() const;
    void show(const PanelTexts& texts, const PanelResult& result);

    Session& session_;
    QLineEdit* txtRegister_;
    QLineEdit* txtReadIndividual_;
    std::array<QLineEdit*, 2> txtWriteIndividual_;
};
