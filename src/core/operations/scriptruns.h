// The link test's runs as scripts end them, the command-line tool and the
// Python module alike: what a run that ended says beyond its results.
#pragma once

#include "core/operations/linktest.h"
#include "core/operations/operationfailure.h"

#include <optional>

// How far a run got when it was stopped: "after 3 of 16 gains", and
// "during its only gain" for a run of one; "after 3 intervals" when the
// whole (`whole` <= 0) is not known.
QString progressText(std::size_t done, int whole, const QString& noun);

// Why the run of `command` ("prbs", "sweep") failed, in this order: the
// transfer that stopped it, what interrupted it, a best gain the chip did
// not take, a register not put back, or what it found (`missed`: no best
// gain, a BER target not met). Each ends in what became of the registers
// ("; register 0x09 restored"). None when nothing went wrong.
std::optional<OperationFailure> linkTestEndFailure(const Chip& chip, const LinkTestEnd& end,
                                                   const QString& command,
                                                   const QString& missed = {});
