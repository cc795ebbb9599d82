#include "results.h"

#include <algorithm>
#include <iostream>

CollectingReporter::CollectingReporter() {
    SetOutputStream(&std::cerr);
    SetErrorStream(&std::cerr);
}

void CollectingReporter::ReportRuns(const std::vector<Run>& reports) {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
        const std::string& name = run.run_name.function_name;
        if (run.run_type == Run::RT_Aggregate) {
            if (run.aggregate_name == "median")
                runs_[name] = run;
        } else if (run.repetitions <= 1 || runs_.count(name) == 0) {
            runs_[name] = run;
        }
    }
}

std::string withUnit(double value, int digits, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, *unit ? "%.*f %s" : "%.*f", digits, value, unit);
    return text;
}

void printTable(std::FILE* out, const std::vector<ResultRow>& rows) {
    const std::vector<std::string> head{"measured", "figure", "floor", "ratio", "goal", "met"};
    std::vector<std::vector<std::string>> cells;
    for (const ResultRow& r : rows) {
        char ratio[32];
        std::snprintf(ratio, sizeof ratio, r.ratio > 0 ? "%.2f" : "-", r.ratio);
        cells.push_back({r.what, r.figure, r.floor, ratio, r.goal,
                         !r.judged ? "-"
                         : r.met   ? "yes"
                                   : "NO"});
    }
    std::vector<std::size_t> width(head.size());
    for (std::size_t c = 0; c < head.size(); ++c) {
        width[c] = head[c].size();
        for (const auto& row : cells)
            width[c] = std::max(width[c], row[c].size());
    }
    auto line = [&](const std::vector<std::string>& row) {
        for (std::size_t c = 0; c < row.size(); ++c)
            std::fprintf(out, "| %-*s ", static_cast<int>(width[c]), row[c].c_str());
        std::fprintf(out, "|\n");
    };
    line(head);
    std::vector<std::string> rule;
    for (std::size_t w : width)
        rule.push_back(std::string(w, '-'));
    line(rule);
    for (const auto& row : cells)
        line(row);
}

ResultRow missingRow(const std::string& what, const std::string& why) {
    return ResultRow{what, "-", "-", 0, why, false, false};
}

void addModelledRows(const Runs& runs, const std::vector<ModelledBenchmark>& benchmarks,
                     std::vector<ResultRow>& rows) {
    constexpr double kGoalRatio = 1.05;
    for (const ModelledBenchmark& b : benchmarks) {
        const auto run = runs.find(b.name);
        if (run == runs.end())
            continue; // left out by a filter
        if (run->second.error_occurred) {
            rows.push_back(missingRow(b.what, run->second.error_message));
            continue;
        }
        const double ms = run->second.GetAdjustedRealTime();
        std::string floorText = withUnit(b.floorMs, 3, "ms") + " (" + b.floorName + ")";
        const auto alone = runs.find(b.model);
        if (alone != runs.end() && !alone->second.error_occurred) {
            const double aloneMs = alone->second.GetAdjustedRealTime();
            char text[96];
            std::snprintf(text, sizeof text, "; %.3f ms %s (x%.3f)", aloneMs, b.aloneName,
                          ms / aloneMs);
            floorText += text;
        }
        rows.push_back({b.what, withUnit(ms, 3, "ms"), floorText, ms / b.floorMs, "ratio <= 1.05",
                        ms / b.floorMs <= kGoalRatio});
    }
}
