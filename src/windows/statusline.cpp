#include "windows/statusline.h"

#include "core/platform/outsidetext.h"
#include "core/registers/hextext.h"
#include "core/registers/registermap.h"

#include <QEvent>
#include <QLabel>
#include <QStatusBar>
#include <QStringList>

namespace {

QString hex(int value) {
    return QStringLiteral("0x") + hexByte(static_cast<std::uint8_t>(value));
}

// The chip as the permanent label names it: "0x48 (address byte 0x90)".
QString chipText(std::uint8_t addressByte) {
    return QStringLiteral("%1 (address byte %2)").arg(hex(addressByte >> 1), hex(addressByte));
}

// Why a transfer failed, in a few words.
QString failureText(const LinkResult& failure) {
    const QString reason =
        failure.reason.isEmpty() ? QString() : QStringLiteral(": ") + failure.reason;
    switch (failure.status) {
    case LinkStatus::NotAcknowledged:
        return QStringLiteral("not acknowledged");
    case LinkStatus::NoAnswer:
        return QStringLiteral("no answer") + reason;
    case LinkStatus::WriteFailed:
        return QStringLiteral("not sent") + reason;
    default:
        return QStringLiteral("the answer could not be read") + reason;
    }
}

QString readBackText(std::optional<std::uint8_t> readBack, const LinkResult& failure) {
    return readBack ? QStringLiteral("read back ") + hex(*readBack)
                    : QStringLiteral("no read-back: ") + failureText(failure);
}

QString written(std::uint8_t reg, std::uint8_t value, std::optional<std::uint8_t> readBack,
                const LinkResult& failure) {
    return QStringLiteral("%1 \u2190 %2, %3")
        .arg(hex(reg), hex(value), readBackText(readBack, failure));
}

QString notTakenText() {
    return QStringLiteral("The board did not take the command");
}

const char* const kChannelNames[kChannelOptions] = {
    "Channel A", "Channel B", "Channel C", "Channel D", "Channel auto-select", "Hardware select"};

const int kMainSet = static_cast<int>(kMainRegisters.size());

QString registersText(int n) {
    return n == 1 ? QStringLiteral("1 register") : QStringLiteral("%1 registers").arg(n);
}

} // namespace

QString notAcknowledgedText(std::uint8_t addressByte) {
    return QStringLiteral("No acknowledge from %1: set the address or scan")
        .arg(chipText(addressByte));
}

QString statusOf(const RangeRead& read, std::uint8_t addressByte) {
    if (read.ok())
        return QStringLiteral("Read %1 from %2")
            .arg(registersText(read.registersRead), chipText(addressByte));
    if (read.registersRead == 0)
        return notAcknowledgedText(addressByte);
    return QStringLiteral("Read %1 of %2 registers, then no acknowledge from %3: set the "
                          "address or scan")
        .arg(QString::number(read.registersRead), QString::number(kMainSet), chipText(addressByte));
}

QString statusOf(std::uint8_t reg, const RangeRead& read, std::uint8_t value,
                 std::uint8_t addressByte) {
    if (!read.ok())
        return notAcknowledgedText(addressByte);
    return QStringLiteral("Read %1: %2 from %3").arg(hex(reg), hex(value), chipText(addressByte));
}

QString statusOf(std::uint8_t reg, const CellWrite& write, std::uint8_t addressByte) {
    switch (write.outcome) {
    case CellWrite::Outcome::NotAByte:
        return QStringLiteral("%1: the cell holds no byte; nothing written").arg(hex(reg));
    case CellWrite::Outcome::NotAcknowledged:
        return notAcknowledgedText(addressByte);
    default:
        return written(reg, write.value, write.readBack, write.failure);
    }
}

QString statusOf(const FieldWrite& w, std::uint8_t addressByte) {
    if (w.refusal)
        return w.refusal.text.chopped(1) + QStringLiteral("; nothing written");
    if (w.write.outcome == CellWrite::Outcome::NotAcknowledged)
        return notAcknowledgedText(addressByte);
    if (w.pulse) {
        const QString pulse = statusOf(*w.pulse, addressByte);
        return w.pulse->pulsed()
                   ? pulse + QStringLiteral(", ") + readBackText(w.write.readBack, w.write.failure)
                   : pulse;
    }
    QStringList changes;
    for (const FieldChange& c : w.changes)
        changes << QStringLiteral("%1 \u2190 %2")
                       .arg(QLatin1String(c.field->name), fieldMeaning(*c.field, c.value));
    return QStringLiteral("%1 %2 (%3), %4")
        .arg(hex(w.reg), changes.join(QStringLiteral(", ")), hex(w.write.value),
             readBackText(w.write.readBack, w.write.failure));
}

QString statusOf(const PanelResult& result, std::uint8_t addressByte) {
    switch (result.outcome) {
    case PanelResult::Outcome::NotARegister:
        return QStringLiteral("The register box holds no register number; nothing read");
    case PanelResult::Outcome::NotAValue:
        return QStringLiteral("A value box holds no byte; nothing written");
    case PanelResult::Outcome::NotAcknowledged:
        return notAcknowledgedText(addressByte);
    case PanelResult::Outcome::Read:
        return QStringLiteral("Read %1: %2").arg(hex(result.reg), hex(result.value));
    case PanelResult::Outcome::Toggled:
        break;
    }
    if (result.written)
        return written(result.reg, result.value, result.readBack, result.failure);
    // After Retry in the address box the toggle goes on to the read-back.
    return QStringLiteral("%1 \u2190 %2 not acknowledged by %3; %4")
        .arg(hex(result.reg), hex(result.value), chipText(addressByte),
             result.readBack ? QStringLiteral("read back ") + hex(*result.readBack)
                             : QStringLiteral("no read-back"));
}

QString statusOf(const ScanResult& scan) {
    if (scan.found)
        return QStringLiteral("Found the QDM7720A at %1").arg(chipText(*scan.found));
    return QStringLiteral("No QDM7720A answered at any of the %1 addresses probed")
        .arg(scan.probes);
}

QString statusOf(int option, const ChannelWrite& write, std::uint8_t addressByte) {
    if (!write.written)
        return notAcknowledgedText(addressByte);
    return QStringLiteral("%1 selected (0x02 \u2190 %2, %3)")
        .arg(QLatin1String(kChannelNames[option]), hex(write.value),
             readBackText(write.readBack, write.failure));
}

QString statusOf(const Recalibration& recal, std::uint8_t addressByte) {
    if (!recal.done)
        return notAcknowledgedText(addressByte);
    const std::uint8_t high = recal.value | 0x80;
    if (recal.pulsed())
        return QStringLiteral("Termination re-calibrated: 0x03 pulsed %1, then %2")
            .arg(hex(high), hex(recal.value));
    const auto outcome = [](const LinkResult& w) {
        return w.ok() ? QStringLiteral("written") : failureText(w);
    };
    // A failed second write comes first: the bar may not show the whole text.
    return QStringLiteral("Re-Cal failed%1: 0x03 \u2190 %2 %3, 0x03 \u2190 %4 %5")
        .arg(recal.low.ok() ? QString() : QStringLiteral(", bit 7 of 0x03 may be left high"),
             hex(high), outcome(recal.high), hex(recal.value), outcome(recal.low));
}

QString statusOf(const MultiWrite& multi, std::uint8_t addressByte) {
    if (!multi.written)
        return notAcknowledgedText(addressByte);
    return multi.readBack ? QStringLiteral("Multi-write: 0x06 to 0x08 \u2190 01 01 01, read back")
                          : QStringLiteral("Multi-write: 0x06 to 0x08 \u2190 01 01 01, no "
                                           "read-back: ") +
                                failureText(multi.failure);
}

QString statusOf(const RegisterFileResult& file, bool save, std::uint8_t addressByte) {
    using Outcome = RegisterFileResult::Outcome;
    switch (file.outcome) {
    case Outcome::Cancelled:
        return save ? QStringLiteral("Save cancelled") : QStringLiteral("Load cancelled");
    case Outcome::Refused:
        return save ? QStringLiteral("Nothing saved") : QStringLiteral("Nothing loaded");
    case Outcome::NotAcknowledged:
        return QStringLiteral("Load of %1 stopped: not acknowledged by %2; %3")
            .arg(file.path, chipText(addressByte), file.stayWritten);
    case Outcome::Done:
        break;
    }
    if (save) {
        if (file.unread == 0)
            return QStringLiteral("Saved %1 to %2").arg(registersText(file.registers), file.path);
        return QStringLiteral("Saved %1, but %2 of its %3 registers were not read, no "
                              "acknowledge from %4: their lines hold the cells as they were")
            .arg(file.path, QString::number(file.unread), QString::number(file.registers),
                 chipText(addressByte));
    }
    QString text =
        QStringLiteral("Loaded %1: %2 written").arg(file.path, registersText(file.registers));
    if (file.skipped > 0)
        text += QStringLiteral(", %1 without a value skipped")
                    .arg(file.skipped == 1 ? QStringLiteral("1 line")
                                           : QStringLiteral("%1 lines").arg(file.skipped));
    if (file.unread == 0)
        return text + QStringLiteral(", all read back");
    return text +
           QStringLiteral(", but %1 of %2 registers not read back: no acknowledge from %3")
               .arg(QString::number(file.unread), QString::number(kMainSet), chipText(addressByte));
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
    return sent ? QStringLiteral("I2C clock set to %1 kHz").arg(kHz)
                : QStringLiteral("I2C clock not set to %1 kHz: ").arg(kHz) +
                      notTakenText().toLower();
}

StatusLine::StatusLine(QStatusBar* bar, Session& session)
    : QObject(bar), session_(session), outcome_(new QLabel(bar)), board_(new QLabel(bar)),
      address_(new QLabel(bar)) {
    bar->setSizeGripEnabled(false);
    // The outcome takes the room the window has, never more.
    outcome_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    outcome_->installEventFilter(this);
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
            [this] { say(notAcknowledgedText(session_.address().byte())); });
    connect(&session_.address(), &DeviceAddress::changed, this, &StatusLine::showAddress);
    connect(&session_.tracker(), &ChipTracker::countsHandedOver, this,
            [this](const CounterReads& counts) {
                std::array<int, kLinks>& sums = handedOver_ ? *handedOver_ : handedOver_.emplace();
                for (int link = 0; link < kLinks; ++link)
                    sums[link] += counts[link].value_or(0);
            });
    connect(&session_, &Session::probing, this, [this](std::uint8_t byte) {
        say(QStringLiteral("Scanning: probing %1 \u2026").arg(chipText(byte)));
    });
    showAddress(session_.address().byte());
}

void StatusLine::say(const QString& outcome) {
    // An operation cut short by the end of the program has nothing to say.
    if (session_.hasEnded())
        return;
    text_ = escapedText(outcome); // a file's name may hold a line end
    if (handedOver_) {
        const auto& n = *handedOver_;
        text_ += QStringLiteral("; the error counts read (%1, %2, %3) went to the link test's "
                                "run as well")
                     .arg(n[0])
                     .arg(n[1])
                     .arg(n[2]);
        handedOver_.reset();
    }
    showOutcome();
}

QString StatusLine::outcome() const {
    return text_;
}

// A text wider than the bar shows its start and "…", and whole in its tool tip.
void StatusLine::showOutcome() {
    const QString shown =
        outcome_->fontMetrics().elidedText(text_, Qt::ElideRight, outcome_->width());
    outcome_->setText(shown);
    outcome_->setToolTip(shown == text_ ? QString() : text_);
}

bool StatusLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched == outcome_ && event->type() == QEvent::Resize)
        showOutcome();
    return false;
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
                        .arg(escapedText(QString::fromStdString(
                            device.serialNumber.empty() ? device.path : device.serialNumber))));
}

void StatusLine::showAddress(std::uint8_t byte) {
    address_->setText(QStringLiteral("Chip ") + chipText(byte));
}
