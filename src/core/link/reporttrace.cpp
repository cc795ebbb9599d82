#include "core/link/reporttrace.h"

#include "core/platform/clock.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cmath>
#include <cstring>

ReportTrace::ReportTrace(std::FILE* out, Clock& clock, QString name)
    : out_(out), clock_(clock), name_(std::move(name)) {}

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
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::uint8_t b : report) {
        text += QLatin1Char(' ');
        text += QLatin1Char(kDigits[b >> 4]);
        text += QLatin1Char(kDigits[b & 0x0F]);
    }
    return text;
}

void ReportTrace::put(const char* direction, int instance, const Report& report) {
    if (out_)
        write(line(clock_.secondsSinceMidnight(), direction, instance, report).toUtf8());
}

void ReportTrace::note(const QString& text) {
    if (out_)
        write(text.toUtf8());
}

// A trace that cannot be written must never end the program or hold it up:
// the first failed write cuts it, with one line on standard error that says why.
void ReportTrace::write(const QByteArray& line) {
    errno = 0;
    if (std::fprintf(out_, "%s\n", line.constData()) >= 0 && std::fflush(out_) == 0)
        return;
    const int error = errno;
    out_ = nullptr;
    std::fprintf(stderr, "%s: the trace to %s stops here: %s\n",
                 qPrintable(QCoreApplication::applicationName()), qPrintable(name_),
                 error ? std::strerror(error) : "write error");
    std::fflush(stderr);
}

TraceFile openTraceFile(const QString& path) {
    if (path == QLatin1String("-"))
        return {stderr, QStringLiteral("standard error"), {}};
    errno = 0;
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "w");
    return {file, path, file ? QString() : QString::fromLocal8Bit(std::strerror(errno))};
}
