#include "core/operations/scriptfiles.h"

#include "core/operations/readall.h"
#include "core/operations/registerfiles.h"
#include "core/platform/outsidetext.h"
#include "core/regfiles/fileaccess.h"
#include "core/registers/registermap.h"

namespace {

OperationFailure fileFailure(const QString& shown, const QString& why) {
    return {FailureKind::File, QStringLiteral("%1: %2").arg(shown, why)};
}

} // namespace

Told<RegisterFileCheck> checkedRegisterFile(const QString& path, const QString& shown,
                                            bool streams) {
    const RegisterFileRead file = readRegisterFile(path, streams);
    if (!file.error.isEmpty())
        return {{}, fileFailure(shown, file.error)};
    if (file.check.verdict == RegisterFileCheck::Verdict::NotRegisterFile)
        return {{},
                fileFailure(shown, QStringLiteral("not a register file (its first line must be %1)")
                                       .arg(QString::fromLatin1(kRegisterFileHeader)))};
    if (file.check.verdict == RegisterFileCheck::Verdict::BadRegisterLine)
        return {{},
                fileFailure(shown, QStringLiteral("line %1 is not a register line (%2): %3")
                                       .arg(file.check.lineNumber)
                                       .arg(lineFaultText(file.check.fault),
                                            nameFromBytes(file.check.lineText)))};
    return {file.check, std::nullopt};
}

std::map<int, std::uint8_t> registerFileValues(const RegisterFileCheck& file, bool loaded) {
    std::map<int, std::uint8_t> values;
    for (const RegisterWrite& w : file.writes) {
        if (!loaded || !(w.reg <= 0x01 ||
                         (w.reg >= kFirstErrorCounter && w.reg < kFirstErrorCounter + kLinks)))
            values[w.reg] = w.value;
    }
    return values;
}

Told<int> saveRegisterFile(const Chip& chip, const QString& path) {
    const SaveTarget target = saveTargetOf(path);
    if (!target.refusal.isEmpty())
        return {0, fileFailure(path, target.refusal)};
    const RangeRead main = readAllRegisters(chip, ReadMode::Burst);
    if (!main.ok())
        return {0, linkFailure(QStringLiteral("read of the main registers") +
                                   atAddress(chip.address.sevenBit()),
                               main.failure, chip.link.selectedBoard(), chip.link.answerLimitMs())};
    const QByteArray file =
        registerFileBytes([&](std::uint8_t reg) { return chip.registers.text(reg); });
    const FileResult saved = replaceRegularFile(target, file);
    if (!saved.ok)
        return {0, fileFailure(path, saved.reason)};
    return {int(kMainRegisters.size()), std::nullopt};
}

Told<RegisterFileLoad> loadRegisterFile(const Chip& chip, const RegisterFileCheck& file,
                                        const QString& shown, bool verify) {
    Told<RegisterFileLoad> told;
    RegisterFileLoad& done = told.value;
    done.skipped = static_cast<int>(file.skippedLines.size());
    chip.link.flushInput();
    done.load = writeRegisterLines(chip, file.writes);
    if (!done.load.failure.ok()) {
        const std::uint8_t stoppedAt = file.writes[done.load.written].reg;
        told.failure =
            linkFailure(QStringLiteral("%1: line %2: write of register %3%4")
                            .arg(shown)
                            .arg(file.writeLines[done.load.written])
                            .arg(hexValue(stoppedAt), atAddress(chip.address.sevenBit())),
                        done.load.failure, chip.link.selectedBoard(), chip.link.answerLimitMs());
        told.failure->message += QStringLiteral("; ") + stayWrittenText(done.load, stoppedAt);
        return told;
    }
    if (!verify)
        return told;
    const auto compared = compareWithChip(chip, registerFileValues(file, true), "read-back");
    done.differences = compared.value;
    told.failure = compared.failure;
    if (const int differ = static_cast<int>(done.differences.size()); differ && !told.failure)
        told.failure = {FailureKind::Differs, QStringLiteral("%1 of %2 differ%3 from the chip")
                                                  .arg(registerCount(differ), shown)
                                                  .arg(differ == 1 ? "s" : "")};
    return told;
}
