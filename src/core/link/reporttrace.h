// One line per report that goes to or comes from a board, for --trace:
// time of day, direction, board instance and the 64 bytes in hex; after each
// exchange a line beginning with '#' that says what it meant.
#pragma once

#include "core/hid/report.h"

#include <QString>
#include <cstdio>

class Clock;

class ReportTrace {
public:
    // Writes to `out`, which must stay open as long as the trace is used;
    // `name` names it in the one message a failing write gives.
    ReportTrace(std::FILE* out, Clock& clock, QString name);

    void output(int instance, const Report& report, bool written);
    void input(int instance, const Report& report);

    // "18:30:07.125 out 0 00 02 01 81 00 ..." (without line end).
    static QString line(double secondsSinceMidnight, const char* direction, int instance,
                        const Report& report);

    // A line of its own, as it is: what went wrong at a board, say.
    void note(const QString& text);

    // False once a write failed: the trace is cut there, and `failure()`
    // says why, as the one line on standard error did (without the
    // program's name, and with the trace's name as it was given, not escaped).
    bool isOpen() const { return out_ != nullptr; }
    const QString& failure() const { return failure_; }

private:
    void put(const char* direction, int instance, const Report& report);
    void write(const QByteArray& line);

    std::FILE* out_;
    Clock& clock_;
    QString name_;
    QString failure_;
};

// What an exchange meant, in words: `request` as sent and its `answer`, or
// none when the command has no answer or none came.
// "I2C read 0x40 reg 0x02 count 1: 0C, acknowledged",
// "board signals set: LED on, poll off".
QString describeExchange(const Report& request, const Report* answer);
