#include "core/link/reporttrace.h"

#include "core/platform/clock.h"
#include "core/platform/outsidetext.h"

#include <QCoreApplication>

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
        write(escapedText(text).toUtf8());
}

// A trace that cannot be written must never end the program or hold it up:
// the first failed write cuts it, with one line on standard error that says why.
void ReportTrace::write(const QByteArray& line) {
    errno = 0;
    if (std::fprintf(out_, "%s\n", line.constData()) >= 0 && std::fflush(out_) == 0)
        return;
    const int error = errno;
    out_ = nullptr;
    failure_ =
        QStringLiteral("the trace to %1 stops here: %2")
            .arg(name_, QString::fromLocal8Bit(error ? std::strerror(error) : "write error"));
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 escapedText(failure_).toUtf8().constData());
    std::fflush(stderr);
}

namespace {

QString hex(int b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString i2cExchange(const Report& request, const Report* answer) {
    const bool read = request[3] & 1;
    const int count = request[2];
    QString text = QStringLiteral("I2C %1 0x%2 reg 0x%3")
                       .arg(read ? QStringLiteral("read") : QStringLiteral("write"),
                            hex(request[3] >> 1), hex(request[4]));
    if (read)
        text += QStringLiteral(" count %1").arg(count);
    text += QLatin1Char(':');
    if (!read) {
        for (int i = 0; i < count && 5 + i < kReportSize; ++i)
            text += QLatin1Char(' ') + hex(request[5 + i]);
        text += QLatin1Char(',');
    }
    if (!answer)
        return text + QStringLiteral(" no answer");
    if ((*answer)[1] != 0)
        return text + QStringLiteral(" not acknowledged (status 0x%1)").arg(hex((*answer)[1]));
    if (read) {
        for (int i = 0; i < count && 2 + i < kReportSize; ++i)
            text += QLatin1Char(' ') + hex((*answer)[2 + i]);
        text += QLatin1Char(',');
    }
    return text + QStringLiteral(" acknowledged");
}

} // namespace

QString describeExchange(const Report& request, const Report* answer) {
    const bool set = request[2] == 0;
    switch (request[1]) {
    case CMD_I2C:
        return i2cExchange(request, answer);
    case CMD_BOARD_SIGNALS: {
        if (!set)
            return answer ? QStringLiteral("board signals query: LED %1")
                                .arg(onOff((*answer)[2] & 0x40))
                          : QStringLiteral("board signals query: no answer");
        QString text = QStringLiteral("board signals set: LED %1, poll %2")
                           .arg(onOff(request[3] & 1), onOff(!(request[3] & 2)));
        const char* const names[] = {"HPD off D", "HPD off C", "HPD off B", "HPD off A",
                                     "",          "",          "DDCSEL1",   "DDCSEL0"};
        for (int bit = 0; bit < 8; ++bit) {
            if (request[4] & (1 << bit))
                text += QStringLiteral(", ") + QLatin1String(names[bit]);
        }
        return text;
    }
    case CMD_I2C_CLOCK:
        if (set)
            return QStringLiteral("I2C clock set: divider %1").arg(request[3]);
        if (!answer)
            return QStringLiteral("I2C clock query: no answer");
        return QStringLiteral("I2C clock query: base %1 MHz, divider %2")
            .arg((*answer)[2])
            .arg((*answer)[3]);
    case CMD_BOARD_INFO:
        if (!answer)
            return QStringLiteral("firmware query: no answer");
        return QStringLiteral("firmware query: version %1.%2, %3-%4-%5")
            .arg((*answer)[2] >> 4)
            .arg((*answer)[2] & 0x0F)
            .arg((*answer)[3] << 8 | (*answer)[4])
            .arg((*answer)[5])
            .arg((*answer)[6]);
    default:
        return QStringLiteral("command %1").arg(request[1]);
    }
}
