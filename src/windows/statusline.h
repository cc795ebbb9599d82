// The main window's status bar: the board and the chip address the window
// works on, and what the last board operation came to, in plain words.
#pragma once

#include "core/operations/celledit.h"
#include "core/operations/chipcontrols.h"
#include "core/operations/individual.h"
#include "core/operations/readall.h"
#include "core/operations/registerfiles.h"
#include "core/operations/session.h"

#include <QObject>
#include <array>
#include <optional>

class QLabel;
class QStatusBar;

// What an operation came to, as the status bar says it; `addressByte` is the
// chip's address byte the operation went to, named as "0x48 (address byte 0x90)".
QString notAcknowledgedText(std::uint8_t addressByte);
QString statusOf(const RangeRead& read, std::uint8_t addressByte);
// One register read into the model, which holds `value`: "Read 0x02: 0x0C from ..."
QString statusOf(std::uint8_t reg, const RangeRead& read, std::uint8_t value,
                 std::uint8_t addressByte);
QString statusOf(std::uint8_t reg, const CellWrite& write, std::uint8_t addressByte);
// "0x02 Channel Select ← B (0x0D), read back 0x0D"
QString statusOf(const FieldWrite& write, std::uint8_t addressByte);
QString statusOf(const PanelResult& result, std::uint8_t addressByte);
QString statusOf(const ScanResult& scan);
QString statusOf(int option, const ChannelWrite& write, std::uint8_t addressByte);
QString statusOf(const Recalibration& recal, std::uint8_t addressByte);
QString statusOf(const MultiWrite& multi, std::uint8_t addressByte);
QString statusOf(const RegisterFileResult& file, bool save, std::uint8_t addressByte);
// A board command: `sent` is false when the board did not take it.
QString statusOf(const BoardSignals& signals_, bool sent);
QString clockStatus(int kHz, bool sent);

class StatusLine : public QObject {
    Q_OBJECT
public:
    StatusLine(QStatusBar* bar, Session& session);

    void say(const QString& outcome);
    QString outcome() const; // whole, as its tool tip has it when the bar cuts it
    QString where() const;   // the board and the chip address

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showOutcome();
    void showBoard();
    void showAddress(std::uint8_t byte);

    Session& session_;
    QString text_;
    // Counts that reads of the error counters took for the link test's run
    // since the last outcome said, per link; none while none did.
    std::optional<std::array<int, kLinks>> handedOver_;
    QLabel* outcome_;
    QLabel* board_;
    QLabel* address_;
};
