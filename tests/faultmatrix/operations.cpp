#include "faultmatrix/operations.h"

#include "app/aboutwindow.h"
#include "board/boardlink.h"
#include "registers/addressselector.h"
#include "registers/registergrid.h"
#include "support/clicks.h"
#include "support/reports.h"
#include "ui_aboutwindow.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

const std::vector<std::pair<Fault, const char*>> kFaults = {
    {Fault::Unplugged, "unplugged"},
    {Fault::BackAfterRetry, "back after Retry"},
    {Fault::NoAnswer, "no answer"},
    {Fault::NoAnswerCancel, "no answer, Cancel"},
    {Fault::Late, "answer after the limit"},
    {Fault::Stale, "stale reports"},
    {Fault::NotAcknowledged, "not acknowledged"},
    {Fault::Status01, "status 0x01"},
    {Fault::Status80, "status 0x80"},
    {Fault::StatusFF, "status 0xFF"},
    {Fault::ShortReport, "short report"},
};

namespace {

// A stale report full of a value no register holds.
Report staleReport(std::uint8_t status) {
    Report r;
    r.fill(kSimJunk);
    r[0] = 0;
    r[1] = status;
    return r;
}

// A register file of three lines, chosen in the load's file dialog.
void chooseRegisterFile(TestRig& rig) {
    static const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registers.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("//QDM7720A Register File\r\n0x04\t44\r\n0x05\t55\r\n0x06\t66\r\n");
    file.close();
    rig.dialogs.chooseFile(path);
}
void loadRegisterFile(TestRig& rig) {
    rig.window().ui().mnuLoadRegisters->trigger();
}

void showTab2(TestRig& rig) {
    rig.window().ShowTestTabs(true);
    rig.window().ui().SSTab1->setCurrentIndex(2);
}

} // namespace

Expectation expectationFor(Path path, Fault fault) {
    const bool unplugged = fault == Fault::Unplugged || fault == Fault::BackAfterRetry;
    const bool noAnswer = fault == Fault::NoAnswer || fault == Fault::NoAnswerCancel ||
                          fault == Fault::Late || fault == Fault::ShortReport;
    if (fault == Fault::Stale)
        return {Outcome::AsClean, {}, true};
    switch (path) {
    case Path::Retrying:
    case Path::Quiet:
        if (fault == Fault::Unplugged)
            return {Outcome::Ends, kWriteFileErrorText, false};
        if (fault == Fault::BackAfterRetry)
            return {Outcome::Repeated, kWriteFileErrorText, false};
        if (fault == Fault::NoAnswerCancel)
            return {Outcome::Ends, kReadFileErrorText, true};
        if (noAnswer)
            return {Outcome::Repeated, kReadFileErrorText, true};
        return {Outcome::Abandoned, path == Path::Quiet ? QString() : kInvalidAddressText, true};
    case Path::SingleAttempt:
        return {Outcome::Silent, {}, !unplugged};
    case Path::BoardQuery:
    case Path::BoardCommand:
        if (fault == Fault::Unplugged)
            return {Outcome::Ends, kCheckGPstatusText, false};
        if (fault == Fault::BackAfterRetry)
            return {Outcome::Reconnects, kCheckGPstatusText, false};
        if (noAnswer && path == Path::BoardQuery)
            return {fault == Fault::NoAnswerCancel ? Outcome::Ends : Outcome::Reconnects,
                    kCheckGPstatusText, true};
        return {Outcome::AsClean, {}, true}; // the status byte of these answers is not judged
    }
    return {Outcome::AsClean, {}, true};
}

void plantRegisters(SimChip& chip) {
    for (int r = 0x01; r <= 0x16; ++r)
        chip.registers[r] = static_cast<std::uint8_t>(0xA0 + r);
    chip.registers[0x02] = 0x0C; // "Hardware Select", as the window starts
    chip.registers[0x03] = 0x12;
    for (int r = 0x0A; r <= 0x0C; ++r)
        chip.registers[r] = 0;
}

void queueStale(SimBoard& board, int which) {
    switch (which % 3) {
    case 0:
        board.queueInput(staleReport(0x00));
        break;
    case 1:
        board.queueInput(staleReport(0x00), 16);
        break;
    default:
        board.queueInput(staleReport(kSimJunk));
        break;
    }
}

std::vector<Report> slice(const std::vector<Report>& v, std::size_t from, std::size_t to) {
    from = std::min(from, v.size());
    to = std::min(to, v.size());
    return {v.begin() + from, v.begin() + std::max(from, to)};
}

std::vector<Operation> operations() {
    auto click = [](const char* name) {
        return [name](TestRig& rig) {
            clickButton(rig.widget<QAbstractButton>(QString::fromLatin1(name)));
        };
    };
    auto load = [](TestRig& rig) {
        rig.load();
    };
    auto panel = [](TestRig& rig) {
        rig.window().ui().txtRegister->setText(QStringLiteral("05"));
        rig.window().ui().txtWriteIndividual_0->setText(QStringLiteral("5A"));
    };
    auto cell = [](TestRig& rig) {
        rig.window().grid().setText(0x05, QStringLiteral("B"));
    };
    auto typeInCell = [](TestRig& rig) {
        QTest::keyClick(rig.window().grid().cell(0x05), '5');
    };
    using P = Path;
    return {
        {.name = "start-up: LED query", .path = P::BoardQuery, .trigger = load, .startUp = true},
        {.name = "start-up: clock query",
         .path = P::BoardQuery,
         .answersBefore = 1,
         .reportsBefore = 1,
         .skippedAfterFailure = 1, // the clock set
         .trigger = load,
         .startUp = true},
        {.name = "start-up: channel read-back",
         .path = P::Retrying,
         .answersBefore = 2,
         .reportsBefore = 3,
         .trigger = load,
         .startUp = true},
        {.name = "Read All, burst", .path = P::Retrying, .trigger = click("cmdReadAllRegisters")},
        {.name = "Read All, single, register 0x05",
         .path = P::Retrying,
         .answersBefore = 5,
         .reportsBefore = 5,
         .setUp = [](TestRig& rig) { rig.window().ui().chkBurstRead->setChecked(false); },
         .trigger = click("cmdReadAllRegisters")},
        {.name = "cell write", .path = P::Retrying, .setUp = cell, .trigger = typeInCell},
        {.name = "cell read-back",
         .path = P::SingleAttempt,
         .answersBefore = 1,
         .reportsBefore = 1,
         .setUp = cell,
         .trigger = typeInCell},
        {.name = "panel read",
         .path = P::Retrying,
         .setUp = panel,
         .trigger = click("cmdReadIndividual")},
        {.name = "panel toggle: its read",
         .path = P::Retrying,
         .setUp = panel,
         .trigger = click("cmdWriteIndividual_0")},
        {.name = "panel toggle write",
         .path = P::Retrying,
         .answersBefore = 1,
         .reportsBefore = 1,
         .setUp = panel,
         .trigger = click("cmdWriteIndividual_0"),
         // The toggle goes on with its read-back.
         .sentAfterRefusal =
             [](const std::vector<Report>& clean, std::size_t faulted) {
                 return slice(clean, faulted + 1, faulted + 2);
             }},
        {.name = "panel read-back",
         .path = P::SingleAttempt,
         .answersBefore = 2,
         .reportsBefore = 2,
         .setUp = panel,
         .trigger = click("cmdWriteIndividual_0")},
        {.name = "address scan",
         .path = P::Quiet,
         .answersBefore = 1,
         .reportsBefore = 1,
         .setUp =
             [](TestRig& rig) {
                 // The chip at 0x00 is passed over; the one at 0x01 is found.
                 rig.chip().registers[0x00] = 0x30;
                 plantRegisters(rig.board().addChip(0x01));
             },
         .trigger = click("cmdScanI2Caddress"),
         .afterRefusal = {kAddressNotFoundText},
         // The chip is passed over: every address after it is probed.
         .sentAfterRefusal =
             [](const std::vector<Report>&, std::size_t) {
                 std::vector<Report> probes;
                 for (int a = 0x04; a <= 0xFE; a += 2)
                     probes.push_back(i2cRead(a, 0x00, 1));
                 return probes;
             }},
        {.name = "channel selection", .path = P::Retrying, .trigger = click("obChannelSelect_1")},
        {.name = "channel read-back",
         .path = P::SingleAttempt,
         .answersBefore = 1,
         .reportsBefore = 1,
         .trigger = click("obChannelSelect_1")},
        {.name = "recalibration read", .path = P::Retrying, .trigger = click("cmdReCal")},
        {.name = "recalibration writes",
         .path = P::SingleAttempt,
         .answersBefore = 1,
         .reportsBefore = 1,
         .trigger = click("cmdReCal")},
        {.name = "multi-write",
         .path = P::Retrying,
         .setUp = showTab2,
         .trigger = click("cmdMultiWriteTest")},
        {.name = "multi-write read-back",
         .path = P::SingleAttempt,
         .answersBefore = 1,
         .reportsBefore = 1,
         .setUp = showTab2,
         .trigger = click("cmdMultiWriteTest"),
         .zerosWhenReadBackFails = {6, 7, 8}},
        {.name = "LED", .path = P::BoardCommand, .trigger = click("chkLED")},
        {.name = "poll switch",
         .path = P::BoardCommand,
         .setUp = showTab2,
         .trigger = click("chkDisablePoll")},
        {.name = "HPD/DDC box",
         .path = P::BoardCommand,
         .setUp =
             [](TestRig& rig) {
                 showTab2(rig);
                 rig.window().ui().chkDisablePoll->setChecked(true);
             },
         .trigger = click("chkHPDoff_3")},
        {.name = "clock set",
         .path = P::BoardCommand,
         .setUp = showTab2,
         .trigger =
             [](TestRig& rig) {
                 QTest::keyClick(rig.window().ui().cboSMBusFrequency, Qt::Key_Down);
             }},
        {.name = "firmware query",
         .path = P::BoardQuery,
         .setUp = [](TestRig& rig) { rig.window().ui().mnuAbout->trigger(); },
         .trigger =
             [](TestRig& rig) {
                 clickButton(rig.window().aboutWindow()->ui().cmdFirmwareVersion);
             }},
        {.name = "register-file load, first line",
         .path = P::Retrying,
         .setUp = chooseRegisterFile,
         .trigger = loadRegisterFile},
        {.name = "register-file load, second line",
         .path = P::Retrying,
         .answersBefore = 1,
         .reportsBefore = 1,
         .setUp = chooseRegisterFile,
         .trigger = loadRegisterFile},
    };
}

const Operation& operationNamed(const QString& name) {
    static const std::vector<Operation> all = operations();
    for (const Operation& op : all) {
        if (name == QLatin1String(op.name))
            return op;
    }
    qFatal("no operation %s", qPrintable(name));
}
