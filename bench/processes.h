// Measurements of whole processes: the start-up probe run as the program and
// as a bare window, and qdm7720a-cli run next to a bare QCoreApplication,
// several times each.
#pragma once

#include "results.h"

#include <string>

struct ProcessOptions {
    std::string probe; // path of the start-up probe
    int startups = 7;  // start-ups of each kind, alternating
    int idleRuns = 3;  // idle windows of each kind
    double idleSeconds = 5;
    // The idle window opens this long after the first paint, once the
    // start-up's last layout and repaint are over.
    double settleSeconds = 1;
    // qdm7720a-cli, the bare QCoreApplication and the probe that runs either
    // and reports its time and peak memory.
    std::string cli;
    std::string exitProbe;
    std::string runProbe;
    int cliRuns = 7; // runs of each, alternating
    // Python, and the folder of the build's module qdm7720a (empty: none built).
    std::string python;
    std::string pythonModules;
};

void addProcessRows(const ProcessOptions& options, std::vector<ResultRow>& rows);
void addCliProcessRows(const ProcessOptions& options, std::vector<ResultRow>& rows);
// python3 importing qdm7720a next to python3 alone, as many runs as the tool's.
void addPythonImportRow(const ProcessOptions& options, std::vector<ResultRow>& rows);
