// The results of one benchmark run: Google Benchmark's runs by name, and the
// rows of the table that compares each figure with its floor.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// One run per benchmark: the median of the repetitions when there were
// several, else the run itself.
using Runs = std::map<std::string, benchmark::BenchmarkReporter::Run>;

// Shows Google Benchmark's own report (on standard error) and keeps the runs.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    CollectingReporter();
    void ReportRuns(const std::vector<Run>& reports) override;
    const Runs& runs() const { return runs_; }

private:
    Runs runs_;
};

struct ResultRow {
    std::string what;
    std::string figure;
    std::string floor;
    double ratio = 0; // figure / floor
    std::string goal;
    bool met = false;
    bool measured = true; // false: the measurement failed or was not run
    bool judged = true;   // false: shown for the record, without a goal
};

// A figure with its unit, to `digits` decimals.
std::string withUnit(double value, int digits, const char* unit);

// A Markdown table, readable as it stands in a terminal.
void printTable(std::FILE* out, const std::vector<ResultRow>& rows);

// A measurement that failed, as a row that says why.
ResultRow missingRow(const std::string& what, const std::string& why);

// A benchmark against the full-speed USB model: its run's name, the name of
// the run of the model alone (the same exchanges without the program), what
// the row says, and the floor the model puts under it. On another path the
// floor and the run alone say what they are.
struct ModelledBenchmark {
    const char* name;
    const char* model;
    const char* what;
    double floorMs;
    const char* floorName = "model";
    const char* aloneName = "model alone";
};

// A row for each benchmark that ran: its time against its floor, goal within
// 5 %, with the model alone beside it to tell the program's share of any
// excess from the machine's wake-ups.
void addModelledRows(const Runs& runs, const std::vector<ModelledBenchmark>& benchmarks,
                     std::vector<ResultRow>& rows);
