#include "windows/statusline.h"

#include "core/registers/hextext.h"

#include <QLabel>
#include <QStatusBar>

namespace {

QString hex(int value) {
    return QStringLiteral("0x") + hexByte(static_cast<std::uint8_t>(value));
}

QString written(std::uint8_t reg, std::uint8_t value, std::optional<std::uint8_t> readBack) {
    return QStringLiteral("%1 \u2190 %2, %3")
        .arg(hex(reg), hex(value),
             readBack ? QStringLiteral("read back ") + hex(*readBack)
                      : QStringLiteral("no read-back"));
}

QString notTakenText() {
    return QStringLiteral("The board did not take the command");
}

const char* const kChannelNames[kChannelOptions] = {
    "Channel A", "Channel B", "Channel C", "Channel D", "Channel auto-select", "Hardware select"};

} // namespace

QString notAcknowledgedText(std::uint8_t chip7) {
    return QStringLiteral("No acknowledge from %1: set the address or scan").arg(hex(chip7));
}

QString statusOf(const RangeRead& read, std::uint8_t chip7) {
    if (!read.ok())
        return notAcknowledgedText(chip7);
    return QStringLiteral("Read %1 registers from %2").arg(read.registersRead).arg(hex(chip7));
}

QString statusOf(std::uint8_t reg, const CellWrite& write, std::uint8_t chip7) {
    switch (write.outcome) {
    case CellWrite::Outcome::NotAByte:
        return QStringLiteral("%1: the cell holds no byte; nothing written").arg(hex(reg));
    case CellWrite::Outcome::NotAcknowledged:
        return notAcknowledgedText(chip7);
    default:
        return written(reg, write.value, write.readBack);
    }
}

QString statusOf(const FieldWrite& w, std::uint8_t chip7) {
    const RegisterField& f = *w.field;
    switch (w.write.outcome) {
    case CellWrite::Outcome::Written:
        return QStringLiteral("%1 %2 \u2190 %3 (%4), %5")
            .arg(hex(f.reg), QLatin1String(f.name), fieldMeaning(f, w.value), hex(w.write.value),
                 w.write.readBack ? QStringLiteral("read back ") + hex(*w.write.readBack)
                                  : QStringLiteral("no read-back"));
    case CellWrite::Outcome::NotAcknowledged:
        return notAcknowledgedText(chip7);
    default:
        return QStringLiteral("%1 %2: the register is not known; nothing written")
            .arg(hex(f.reg), QLatin1String(f.name));
    }
}

QString statusOf(const PanelResult& result, std::uint8_t chip7) {
    switch (result.outcome) {
    case PanelResult::Outcome::NotARegister:
        return QStringLiteral("The register box holds no register number; nothing read");
    case PanelResult::Outcome::NotAValue:
        return QStringLiteral("A value box holds no byte; nothing written");
    case PanelResult::Outcome::NotAcknowledged:
        return notAcknowledgedText(chip7);
    case PanelResult::Outcome::Read:
        return QStringLiteral("Read %1: %2").arg(hex(result.reg), hex(result.value));
    case PanelResult::Outcome::Written:
        break;
    }
    return written(result.reg, result.value, result.readBack);
}

QString statusOf(const ScanResult& scan) {
    if (scan.found)
        return QStringLiteral("Found the QDM7720A at %1").arg(hex(*scan.found >> 1));
    return QStringLiteral("No QDM7720A answered at any of the %1 addresses probed")
        .arg(scan.probes);
}

QString statusOf(int option, const ChannelWrite& write, std::uint8_t chip7) {
    if (!write.written)
        return notAcknowledgedText(chip7);
    return QStringLiteral("%1 selected (0x02 \u2190 %2, %3)")
        .arg(QLatin1String(kChannelNames[option]), hex(write.value),
             write.readBack ? QStringLiteral("read back ") + hex(*write.readBack)
                            : QStringLiteral("no read-back"));
}

QString statusOf(const Recalibration& recal, std::uint8_t chip7) {
    if (!recal.done)
        return notAcknowledgedText(chip7);
    return QStringLiteral("Termination re-calibrated: 0x03 pulsed %1, then %2")
        .arg(hex(recal.value | 0x80), hex(recal.value));
}

QString statusOf(const MultiWrite& multi, std::uint8_t chip7) {
    if (!multi.written)
        return notAcknowledgedText(chip7);
    return multi.readBack
               ? QStringLiteral("Multi-write: 0x06 to 0x08 \u2190 01 01 01, read back")
               : QStringLiteral("Multi-write: 0x06 to 0x08 \u2190 01 01 01; the read-back failed");
}

QString statusOf(const RegisterFileResult& file, bool save) {
    using Outcome = RegisterFileResult::Outcome;
    switch (file.outcome) {
    case Outcome::Cancelled:
        return save ? QStringLiteral("Save cancelled") : QStringLiteral("Load cancelled");
    case Outcome::Refused:
        return save ? QStringLiteral("Nothing saved") : QStringLiteral("Nothing loaded");
    case Outcome::NotAcknowledged:
        return QStringLiteral("Load of %1 stopped after %2 registers: not acknowledged")
            .arg(file.path)
            .arg(file.registers);
    case Outcome::Done:
        break;
    }
    return save ? QStringLiteral("Saved %1 registers to %2").arg(file.registers).arg(file.path)
                : QStringLiteral("Loaded %1: %2 registers written, all read back")
                      .arg(file.path)
                      .arg(file.registers);
}

QString statusOf(const BoardSignals& s, bool sent) {
    if (!sent)
        return notTakenText();
    QString text = QStringLiteral("Board signals set: LED %1, poll %2")
                       .arg(s.led ? QStringLiteral("on") : QStringLiteral("off"),
                            s.pollDisabled ? QStringLiteral("off") : QStringLiteral("on"));
    const char* const names[] = {"HPD off D", "HPD off C", "HPD off B",
                                 "HPD off A", "DDCSEL1",   "DDCSEL0"};
    for (std::size_t i = 0; i < s.switches.size(); ++i) {
        if (s.switches[i])
            text += QStringLiteral(", ") + QLatin1String(names[i]);
    }
    return text;
}

QString clockStatus(int kHz, bool sent) {
    return sent ? QStringLiteral("I2C clock set to %1 kHz").arg(kHz) : notTakenText();
}

StatusLine::StatusLine(QStatusBar* bar, Session& session)
    : QObject(bar), session_(session), outcome_(new QLabel(bar)), board_(new QLabel(bar)),
      address_(new QLabel(bar)) {
    bar->setSizeGripEnabled(false);
    bar->addWidget(outcome_, 1);
    bar->addPermanentWidget(board_);
    bar->addPermanentWidget(address_);
    for (QLabel* label : {outcome_, board_, address_})
        label->setFocusPolicy(Qt::NoFocus);
    connect(&session_, &Session::boardSelected, this, [this] {
        showBoard();
        say(QStringLiteral("Board %1 selected").arg(session_.link().selectedBoard()));
    });
    connect(&session_, &Session::channelOptionUnread, this,
            [this] { say(notAcknowledgedText(session_.address().byte() >> 1)); });
    connect(&session_.address(), &DeviceAddress::changed, this, &StatusLine::showAddress);
    connect(&session_, &Session::probing, this, [this](std::uint8_t byte) {
        say(QStringLiteral("Scanning: probing %1 \u2026").arg(hex(byte >> 1)));
    });
    showAddress(session_.address().byte());
}

void StatusLine::say(const QString& outcome) {
    outcome_->setText(outcome);
}

QString StatusLine::outcome() const {
    return outcome_->text();
}

QString StatusLine::where() const {
    return board_->text() + QLatin1Char(' ') + address_->text();
}

void StatusLine::showBoard() {
    const int instance = session_.link().selectedBoard();
    if (instance < 0) {
        board_->setText(QStringLiteral("No board"));
        return;
    }
    const HidDevice& device = session_.link().boardDevice(instance);
    board_->setText(QStringLiteral("Board %1 \u00b7 %2")
                        .arg(instance)
                        .arg(QString::fromStdString(
                            device.serialNumber.empty() ? device.path : device.serialNumber)));
}

void StatusLine::showAddress(std::uint8_t byte) {
    address_->setText(QStringLiteral("Chip %1 (address byte %2)").arg(hex(byte >> 1), hex(byte)));
}
