// The results of a link test run as files to keep: CSV and JSON, the same
// from the tool and the window. Besides the counts they say what was run on
// what (the board's serial, the chip's address, the channel, the pattern,
// the times, the bit rate and confidence, the start, the program), the
// saturation of every count and total, the verdict, and what became of each
// register the run changed.
//
// CSV: lines starting with "#" before the header say what was run, and
// after the rows what came of it; each row holds one interval or one gain.
#pragma once

#include "core/operations/linktest.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

class BoardLink;

// The pattern generator's settings by the names a command line gives them:
// "off", "prbs7", "low", "high".
std::optional<unsigned> generatorSetting(const QString& name);
QString generatorName(unsigned setting);

// What a results file says of the run besides its counts.
struct LinkTestInfo {
    bool sweep = false;
    QString boardSerial;
    std::uint8_t address7 = 0;
    std::optional<int> channel;        // selected for the run; none: as it was
    std::optional<unsigned> generator; // none: as it was
    int periodMs = 0;                  // the interval, or the dwell at each gain
    int settleMs = 0;
    std::optional<unsigned> gain;    // an error count's gain for the run
    std::optional<double> berTarget; // an error count run to a BER target
    BerSettings ber;
    QDateTime start;
};

// The serial number of the board the link works with; empty when it gives none.
QString boardSerial(const BoardLink& link);

// What the results say of a run on `link`'s board with the chip at
// `address7`, begun now.
LinkTestInfo linkTestInfo(const BoardLink& link, std::uint8_t address7, bool sweep,
                          std::optional<int> channel, std::optional<unsigned> generator,
                          int periodMs, int settleMs, const BerSettings& ber);

struct LinkTestResults {
    LinkTestInfo info;
    std::vector<LinkErrors> intervals; // an error count's
    std::vector<GainPoint> points;     // a sweep's
    bool complete = false;
    GainChoice choice;    // a sweep's
    BerVerdict verdict{}; // with a BER target
    LinkTestEnd end;
    // The errors of every interval, added up.
    LinkErrors total() const;
};

// The CSV lines before the rows: what was run, and the header.
QString csvHead(const LinkTestInfo& info);
// The row of an error count's interval, `atSeconds` the time counted by its
// end.
QString csvIntervalRow(const LinkTestInfo& info, const LinkErrors& errors, double atSeconds);
// The row of a sweep's gain.
QString csvPointRow(const LinkTestInfo& info, const GainPoint& point, bool best);
// The lines after the rows: the total, the verdict or the best gain with its
// window, and the registers put back.
QString csvTail(const LinkTestResults& results);
QString resultsCsv(const LinkTestResults& results);

QJsonObject resultsJson(const LinkTestResults& results);

// What a run to a BER target came to: "BER at most 1e-09 on every link at
// 95 % confidence: met after 2.018 s", "... missed: link 1 is above it",
// "... not decided in 10.000 s".
QString verdictText(const LinkTestResults& results);
