// Each measurement turns its runs into rows of the table, next to its floor
// and goal.
#pragma once

#include "results.h"

// The equalizer sweep that both the tool's and the Python module's rows run
// on the full-speed USB model: channel B, each of the 16 gains settled and
// counted with PRBS7; its clean window's middle is gain 0x7.
inline constexpr int kSweepGains = 16;
inline constexpr int kSweepDwellMs = 100;
inline constexpr int kSweepSettleMs = 10;
inline constexpr int kSweepBestGain = 7;

void addLinkRows(const Runs& runs, std::vector<ResultRow>& rows);
void addFieldRows(const Runs& runs, std::vector<ResultRow>& rows);
void addReadAllRows(const Runs& runs, std::vector<ResultRow>& rows);
void addCliRows(const Runs& runs, std::vector<ResultRow>& rows);
void addWaitRows(const Runs& runs, std::vector<ResultRow>& rows);
void addLinkTestRows(const Runs& runs, std::vector<ResultRow>& rows);
void addPythonRows(const Runs& runs, std::vector<ResultRow>& rows);
