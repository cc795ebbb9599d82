// Measurements of whole processes: the start-up probe run as the program and
// as a bare window, several times each.
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
};

void addProcessRows(const ProcessOptions& options, std::vector<ResultRow>& rows);
