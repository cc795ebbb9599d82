#include "core/operations/scriptaccess.h"

#include "core/operations/chipcontrols.h"
#include "core/operations/readall.h"
#include "core/registers/registermap.h"

namespace {

OperationFailure failed(const Chip& chip, const QString& what, const LinkResult& result) {
    return linkFailure(what + atAddress(chip.address.sevenBit()), result, chip.link.selectedBoard(),
                       chip.link.answerLimitMs());
}

OperationFailure failed(const BoardLink& link, const QString& what, const LinkResult& result) {
    return linkFailure(what, result, link.selectedBoard(), link.answerLimitMs());
}

// A span read, or the failure named `what` (before the chip's address).
Told<std::vector<std::uint8_t>> span(const Chip& chip, std::uint8_t first, int count,
                                     const QString& what) {
    const LinkResult read = readRegisterSpan(chip.link, chip.address.byte(), first, count);
    if (!read.ok())
        return {{}, failed(chip, what, read)};
    return {read.bytes, std::nullopt};
}

} // namespace

std::optional<OperationFailure> connectBoard(BoardLink& link, int board, const QString& demoHint) {
    if (link.selectedBoard() >= 0)
        return std::nullopt;
    if (!link.connectBoards())
        return OperationFailure{
            FailureKind::NoBoard,
            QStringLiteral("no QDM7720A evaluation board found (%1)").arg(demoHint)};
    if (board < 0 || link.selectBoard(board))
        return std::nullopt;
    return OperationFailure{FailureKind::NoBoard,
                            QStringLiteral("there is no board %1: %2 found, numbered from 0")
                                .arg(board)
                                .arg(link.boardCount())};
}

Told<std::vector<std::uint8_t>> readSpan(const Chip& chip, std::uint8_t first, int count) {
    return span(chip, first, count,
                QStringLiteral("read of %1 from %2").arg(registerCount(count), hexValue(first)));
}

QString readCountRefusal(int first, const QString& count) {
    const int most = 256 - first;
    if (most == 1)
        return QStringLiteral("a read from 0xFF, the last register, takes a count of 1, not '%1'.")
            .arg(count);
    return QStringLiteral("a read from %1 takes a count of 1 to %2, not '%3'.")
        .arg(hexValue(first))
        .arg(most)
        .arg(count);
}

QString writeLengthRefusal(int first, int count) {
    return QStringLiteral("a write from %1 takes 1 to %2 bytes, not %3: 0xFF is the last register.")
        .arg(hexValue(first))
        .arg(256 - first)
        .arg(count);
}

Told<std::uint8_t> readRegister(const Chip& chip, std::uint8_t reg) {
    const auto read = span(chip, reg, 1, QStringLiteral("read of register ") + hexValue(reg));
    return {read.ok() ? read.value[0] : std::uint8_t(0), read.failure};
}

Told<std::vector<std::uint8_t>> readEveryRegister(const Chip& chip) {
    return span(chip, 0, 256, QStringLiteral("read of registers 0x00 to 0xFF"));
}

Told<std::vector<std::uint8_t>> readMainRegisters(const Chip& chip) {
    const RangeRead main = readAllRegisters(chip, ReadMode::Burst);
    if (!main.ok())
        return {{}, failed(chip, QStringLiteral("read of the main registers"), main.failure)};
    Told<std::vector<std::uint8_t>> values;
    for (std::uint8_t reg : kMainRegisters)
        values.value.push_back(chip.registers.entry(reg).value);
    return values;
}

std::optional<OperationFailure> writeSpan(const Chip& chip, std::uint8_t first,
                                          std::span<const std::uint8_t> data) {
    int landed = 0;
    const LinkResult written =
        writeRegisterSpan(chip.link, chip.address.byte(), first, data, &landed);
    if (written.ok())
        return std::nullopt;
    const int count = static_cast<int>(data.size());
    // A span cut into transfers may fail after its first ones were taken.
    const QString taken = landed ? QStringLiteral(", the first %1 written").arg(landed) : QString();
    return linkFailure(QStringLiteral("write of %1 byte%2 to %3%4%5")
                           .arg(count)
                           .arg(count == 1 ? "" : "s")
                           .arg(hexValue(first), atAddress(chip.address.sevenBit()), taken),
                       written, chip.link.selectedBoard(), chip.link.answerLimitMs());
}

Told<std::vector<RegisterDifference>> compareWithChip(const Chip& chip,
                                                      const std::map<int, std::uint8_t>& expected,
                                                      const char* reading) {
    Told<std::vector<RegisterDifference>> compared;
    for (auto run = expected.begin(); run != expected.end();) {
        auto end = std::next(run);
        int count = 1;
        while (end != expected.end() && end->first == run->first + count) {
            ++end;
            ++count;
        }
        const auto read =
            span(chip, std::uint8_t(run->first), count,
                 QStringLiteral("%1 of %2 from %3")
                     .arg(QLatin1String(reading), registerCount(count), hexValue(run->first)));
        if (!read.ok()) {
            compared.failure = read.failure;
            return compared;
        }
        for (int i = 0; run != end; ++run, ++i) {
            if (read.value[i] != run->second)
                compared.value.push_back({std::uint8_t(run->first), run->second, read.value[i]});
        }
    }
    return compared;
}

Told<std::vector<RegisterDifference>> writeSpanWithReadBack(const Chip& chip, std::uint8_t first,
                                                            std::span<const std::uint8_t> data) {
    if (std::optional<OperationFailure> failure = writeSpan(chip, first, data))
        return {{}, failure};
    std::map<int, std::uint8_t> expected;
    for (std::size_t i = 0; i < data.size(); ++i)
        expected[first + int(i)] = data[i];
    auto compared = compareWithChip(chip, expected, "read-back");
    const int differ = static_cast<int>(compared.value.size());
    if (compared.ok() && differ)
        compared.failure = {FailureKind::Differs, QStringLiteral("%1 written %2 from the chip")
                                                      .arg(registersOf(differ, int(data.size())),
                                                           differ == 1 ? QStringLiteral("differs")
                                                                       : QStringLiteral("differ"))};
    return compared;
}

Told<std::uint8_t> readChannel(const Chip& chip) {
    return readRegister(chip, kChannelSelectRegister);
}

Told<std::uint8_t> setChannel(const Chip& chip, int option) {
    const ChannelWrite written = selectChannel(chip, option);
    if (!written.written)
        return {0, failed(chip, QStringLiteral("write of register 0x02"), written.failure)};
    if (!written.readBack)
        return {0, failed(chip, QStringLiteral("read-back of register 0x02"), written.failure)};
    return {*written.readBack, std::nullopt};
}

Told<std::uint8_t> recalibrate(const Chip& chip) {
    const Recalibration done = recalibrateTermination(chip);
    if (!done.done)
        return {0, failed(chip, QStringLiteral("read of register 0x03"), done.failure)};
    if (!done.failure.ok()) { // either write of the pulse
        return {done.value,
                linkFailure(QStringLiteral("re-calibration: a write of register 0x03%1 (its bit 7 "
                                           "may be left set)")
                                .arg(atAddress(chip.address.sevenBit())),
                            done.failure, chip.link.selectedBoard(), chip.link.answerLimitMs())};
    }
    return {done.value, std::nullopt};
}

Told<I2CClock> boardClock(BoardLink& link, std::optional<std::uint8_t> divider) {
    if (divider) {
        if (const LinkResult set = setClockDivider(link, *divider); !set.ok())
            return {{}, failed(link, QStringLiteral("I2C clock set"), set)};
    }
    const BoardAnswer<I2CClock> clock = readI2CClock(link);
    if (!clock)
        return {{}, failed(link, QStringLiteral("I2C clock query"), clock.failure)};
    return {*clock, std::nullopt};
}

Told<bool> boardLed(BoardLink& link, std::optional<bool> on) {
    if (on) {
        BoardSignals state;
        state.led = *on;
        if (const LinkResult set = sendBoardSignals(link, state); !set.ok())
            return {false, failed(link, QStringLiteral("board signals set"), set)};
    }
    const BoardAnswer<bool> led = readLedState(link);
    if (!led)
        return {false, failed(link, QStringLiteral("LED query"), led.failure)};
    return {*led, std::nullopt};
}

QString firmwareText(const FirmwareVersion& fw) {
    return QStringLiteral("%1.%2 %3-%4-%5")
        .arg(fw.major)
        .arg(fw.minor)
        .arg(fw.year, 4, 10, QLatin1Char('0'))
        .arg(fw.month, 2, 10, QLatin1Char('0'))
        .arg(fw.day, 2, 10, QLatin1Char('0'));
}

std::vector<BoardEntry> listBoards(BoardLink& link) {
    std::vector<BoardEntry> list;
    for (int i = 0; i < link.boardCount(); ++i) {
        link.selectBoard(i);
        BoardEntry entry{i, link.boardDevice(i), std::nullopt, std::nullopt};
        if (const BoardAnswer<FirmwareVersion> fw = readFirmwareVersion(link))
            entry.firmware = *fw;
        else
            entry.failure =
                failed(link, QStringLiteral("firmware query of board %1").arg(i), fw.failure);
        list.push_back(entry);
    }
    return list;
}

Told<ScanAnswers> scanAddresses(BoardLink& link, int first, int last) {
    Told<ScanAnswers> scan;
    for (int a = first; a <= last; ++a) {
        const LinkResult probe = link.readRegistersOnce(std::uint8_t(a << 1), 0x00, 1);
        if (probe.ok()) {
            scan.value[a] = probe.bytes[0];
        } else if (probe.status != LinkStatus::NotAcknowledged) {
            scan.failure = failed(link, QStringLiteral("probe of ") + hexValue(a), probe);
            return scan;
        }
    }
    return scan;
}
