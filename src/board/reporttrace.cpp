#include "board/reporttrace.h"

#include "app/clock.h"
#include "board/linkhelpers.h"

#include <cmath>

ReportTrace::ReportTrace(std::FILE* out, Clock& clock) : out_(out), clock_(clock) {}

void ReportTrace::output(int instance, const Report& report, bool written) {
    put(written ? "out" : "out-refused", instance, report);
}

void ReportTrace::input(int instance, const Report& report) {
    put("in", instance, report);
}

QString ReportTrace::line(double secondsSinceMidnight, const char* direction, int instance,
                          const Report& report) {
    const long ms = std::lround(secondsSinceMidnight * 1000.0);
    QString text = QStringLiteral("%1:%2:%3.%4 %5 %6")
                       .arg(ms / 3600000 % 24, 2, 10, QLatin1Char('0'))
                       .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
                       .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                       .arg(ms % 1000, 3, 10, QLatin1Char('0'))
                       .arg(QLatin1String(direction))
                       .arg(instance);
    for (std::uint8_t b : report)
        text += QLatin1Char(' ') + hexByte(b);
    return text;
}

void ReportTrace::put(const char* direction, int instance, const Report& report) {
    const QByteArray text =
        line(clock_.secondsSinceMidnight(), direction, instance, report).toUtf8();
    std::fprintf(out_, "%s\n", text.constData());
    std::fflush(out_);
}
