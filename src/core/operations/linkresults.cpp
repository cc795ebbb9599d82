#include "core/operations/linkresults.h"

#include "core/link/boardlink.h"
#include "core/registers/hextext.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QStringList>

namespace {

const char* const kGeneratorNames[] = {"off", "prbs7", "low", "high"};

QString hex(int value) {
    return QStringLiteral("0x") + hexByte(static_cast<std::uint8_t>(value));
}

QString channelName(int channel) {
    return QString(QChar(u'A' + channel));
}

// A number as the files give it: as short as it stays exact to `digits`.
QString number(double value, int digits = 6) {
    return QString::number(value, 'g', digits);
}

QString seconds(double value) {
    return QString::number(value, 'f', 3);
}

// The cells of one row after its first: the counts, the saturation, and with
// a bit rate the bits of each link and their BER bounds.
QStringList errorCells(const LinkTestInfo& info, const LinkErrors& e, bool withSeconds) {
    QStringList cells;
    for (int link = 0; link < kLinks; ++link)
        cells << QString::number(e.counts[link]);
    for (int link = 0; link < kLinks; ++link)
        cells << QString::number(e.saturated(link) ? 1 : 0);
    if (withSeconds)
        cells << seconds(e.seconds);
    if (info.ber.known()) {
        cells << number(info.ber.bitRate * e.seconds);
        for (int link = 0; link < kLinks; ++link)
            cells << berText(berBound(e, link, info.ber).value);
    }
    return cells;
}

QString csvLine(const QStringList& cells) {
    return cells.join(u',') + u'\n';
}

QString commentLine(const QString& key, const QString& value) {
    return QStringLiteral("# ") + key + u',' + value + u'\n';
}

QJsonObject errorsJson(const LinkTestInfo& info, const LinkErrors& e) {
    QJsonArray counts, saturated, atMost, atLeast;
    for (int link = 0; link < kLinks; ++link) {
        counts.append(e.counts[link]);
        saturated.append(e.saturated(link));
        const BerBound bound = berBound(e, link, info.ber);
        atMost.append(bound.lowerOnly ? QJsonValue() : QJsonValue(bound.value));
        atLeast.append(bound.lowerOnly ? QJsonValue(bound.value) : QJsonValue());
    }
    QJsonObject o{{"errors", counts}, {"saturated", saturated}, {"duration", e.seconds}};
    if (info.ber.known()) {
        o.insert(QStringLiteral("bits"), info.ber.bitRate * e.seconds);
        o.insert(QStringLiteral("berAtMost"), atMost);
        o.insert(QStringLiteral("berAtLeast"), atLeast);
    }
    return o;
}

QJsonArray restoresJson(const LinkTestEnd& end) {
    QJsonArray restores;
    for (const RegisterRestore& r : end.restores) {
        QJsonObject restore{{"register", r.reg},
                            {"before", r.before},
                            {"value", r.written},
                            {"done", r.done},
                            {"text", restoreText(r)}};
        if (!r.done) { // why, and what the chip holds as far as known; null: not known
            restore.insert(QStringLiteral("reason"), restoreReason(r));
            restore.insert(QStringLiteral("holds"), r.holds ? QJsonValue(*r.holds) : QJsonValue());
        }
        if (r.notApplied)
            restore.insert(QStringLiteral("bestGainRefused"), *r.bestGainByte);
        restores.append(restore);
    }
    return restores;
}

QString programText() {
    return QCoreApplication::applicationName() + u' ' + QStringLiteral(QDM_VERSION);
}

QString verdictWord(BerVerdict verdict) {
    switch (verdict) {
    case BerVerdict::Met:
        return QStringLiteral("met");
    case BerVerdict::Above:
        return QStringLiteral("missed");
    case BerVerdict::Open:
        break;
    }
    return QStringLiteral("not decided");
}

} // namespace

std::optional<unsigned> generatorSetting(const QString& name) {
    for (unsigned setting = 0; setting < std::size(kGeneratorNames); ++setting) {
        if (name.compare(QLatin1String(kGeneratorNames[setting]), Qt::CaseInsensitive) == 0)
            return setting;
    }
    return std::nullopt;
}

QString generatorName(unsigned setting) {
    return QLatin1String(kGeneratorNames[setting & 3]);
}

QString boardSerial(const BoardLink& link) {
    if (link.selectedBoard() < 0)
        return {};
    return QString::fromStdString(link.boardDevice(link.selectedBoard()).serialNumber);
}

LinkErrors LinkTestResults::total() const {
    LinkErrors sum;
    for (const LinkErrors& e : intervals)
        sum.add(e);
    return sum;
}

QString csvHead(const LinkTestInfo& info) {
    QString head =
        commentLine(QStringLiteral("program"), programText()) +
        commentLine(QStringLiteral("test"),
                    info.sweep ? QStringLiteral("sweep") : QStringLiteral("prbs")) +
        commentLine(QStringLiteral("start"), info.start.toString(Qt::ISODate)) +
        commentLine(QStringLiteral("board serial"), info.boardSerial) +
        commentLine(QStringLiteral("address"), hex(info.address7)) +
        commentLine(QStringLiteral("address byte"), hex(info.address7 << 1)) +
        commentLine(QStringLiteral("channel"),
                    info.channel ? channelName(*info.channel) : QStringLiteral("as it was")) +
        commentLine(QStringLiteral("generator"),
                    info.generator ? generatorName(*info.generator) : QStringLiteral("as it was"));
    if (info.gain)
        head += commentLine(QStringLiteral("gain"), gainText(*info.gain));
    head += commentLine(info.sweep ? QStringLiteral("dwell ms") : QStringLiteral("interval ms"),
                        QString::number(info.periodMs)) +
            commentLine(QStringLiteral("settle ms"), QString::number(info.settleMs)) +
            commentLine(QStringLiteral("bit rate"),
                        info.ber.known() ? number(info.ber.bitRate, 10) : QString()) +
            commentLine(QStringLiteral("confidence"), number(info.ber.confidence));
    if (info.berTarget)
        head += commentLine(QStringLiteral("ber target"), berText(*info.berTarget));
    QStringList header{info.sweep ? QStringLiteral("gain") : QStringLiteral("seconds"),
                       QStringLiteral("link0"),
                       QStringLiteral("link1"),
                       QStringLiteral("link2"),
                       QStringLiteral("saturated0"),
                       QStringLiteral("saturated1"),
                       QStringLiteral("saturated2")};
    if (info.sweep)
        header << QStringLiteral("seconds");
    if (info.ber.known())
        header << QStringLiteral("bits") << QStringLiteral("ber0") << QStringLiteral("ber1")
               << QStringLiteral("ber2");
    if (info.sweep)
        header << QStringLiteral("best");
    return head + csvLine(header);
}

QString csvIntervalRow(const LinkTestInfo& info, const LinkErrors& errors, double atSeconds) {
    return csvLine(QStringList{seconds(atSeconds)} + errorCells(info, errors, false));
}

QString csvPointRow(const LinkTestInfo& info, const GainPoint& point, bool best) {
    return csvLine(QStringList{QString::number(point.gain)} + errorCells(info, point.errors, true) +
                   QStringList{best ? QStringLiteral("1") : QStringLiteral("0")});
}

QString csvTail(const LinkTestResults& r) {
    const LinkTestInfo& info = r.info;
    QString tail;
    if (!info.sweep && !r.intervals.empty()) {
        const LinkErrors total = r.total();
        tail += QStringLiteral("# total,") +
                csvLine(QStringList{seconds(total.seconds)} + errorCells(info, total, false));
    }
    tail += commentLine(QStringLiteral("complete"),
                        r.complete ? QStringLiteral("yes") : QStringLiteral("no"));
    if (info.berTarget)
        tail += commentLine(QStringLiteral("verdict"), verdictWord(r.verdict));
    if (info.sweep && r.choice.best) {
        tail += commentLine(QStringLiteral("best gain"), gainText(*r.choice.best));
        if (r.choice.window)
            tail += commentLine(QStringLiteral("clean window"), cleanWindowText(r.choice));
    } else if (info.sweep && r.complete) {
        tail += commentLine(QStringLiteral("no best gain"),
                            noBestGainText(r.choice.refusal, info.channel.value_or(0)));
    }
    if (r.end.appliedGain)
        tail += commentLine(QStringLiteral("applied"), gainText(*r.end.appliedGain));
    for (const RegisterRestore& restore : r.end.restores)
        tail += commentLine(QStringLiteral("restore"), restoreText(restore));
    return tail;
}

QString resultsCsv(const LinkTestResults& r) {
    QString csv = csvHead(r.info);
    double at = 0;
    for (const LinkErrors& e : r.intervals)
        csv += csvIntervalRow(r.info, e, at += e.seconds);
    for (const GainPoint& p : r.points)
        csv += csvPointRow(r.info, p, r.choice.best == p.gain);
    return csv + csvTail(r);
}

QJsonObject resultsJson(const LinkTestResults& r) {
    const LinkTestInfo& info = r.info;
    QJsonObject json{
        {"test", info.sweep ? "sweep" : "prbs"},
        {"program", programText()},
        {"start", info.start.toString(Qt::ISODate)},
        {"serial", info.boardSerial},
        {"address", info.address7},
        {"addressByte", info.address7 << 1},
        {"channel", info.channel ? QJsonValue(channelName(*info.channel)) : QJsonValue()},
        {"generator", info.generator ? QJsonValue(generatorName(*info.generator)) : QJsonValue()},
        {info.sweep ? "dwellMs" : "intervalMs", info.periodMs},
        {"settleMs", info.settleMs},
        {"bitRate", info.ber.known() ? QJsonValue(info.ber.bitRate) : QJsonValue()},
        {"confidence", info.ber.confidence},
        {"complete", r.complete},
        {"restores", restoresJson(r.end)},
    };
    if (info.gain)
        json.insert(QStringLiteral("gain"), static_cast<int>(*info.gain));
    if (info.sweep) {
        QJsonArray points;
        for (const GainPoint& p : r.points) {
            QJsonObject point = errorsJson(info, p.errors);
            point.insert(QStringLiteral("gain"), static_cast<int>(p.gain));
            points.append(point);
        }
        json.insert(QStringLiteral("points"), points);
        const GainChoice& c = r.choice;
        json.insert(QStringLiteral("bestGain"),
                    c.best ? QJsonValue(static_cast<int>(*c.best)) : QJsonValue());
        QJsonValue window;
        if (c.window)
            window = QJsonObject{{"first", static_cast<int>(c.window->first)},
                                 {"last", static_cast<int>(c.window->last)},
                                 {"width", static_cast<int>(c.window->width())},
                                 {"margin", static_cast<int>(c.margin())},
                                 {"cut", c.window->cut()}};
        json.insert(QStringLiteral("cleanWindow"), window);
        if (r.complete && !c.best)
            json.insert(QStringLiteral("noBestGain"),
                        noBestGainText(c.refusal, info.channel.value_or(0)));
        json.insert(QStringLiteral("applied"), r.end.appliedGain.has_value());
        return json;
    }
    QJsonArray intervals;
    double at = 0;
    for (const LinkErrors& e : r.intervals) {
        QJsonObject interval = errorsJson(info, e);
        interval.insert(QStringLiteral("seconds"), at += e.seconds);
        intervals.append(interval);
    }
    const LinkErrors total = r.total();
    QJsonArray totals; // the errors of "total", as scripts have read them
    for (int sum : total.counts)
        totals.append(sum);
    json.insert(QStringLiteral("intervals"), intervals);
    json.insert(QStringLiteral("total"), errorsJson(info, total));
    json.insert(QStringLiteral("totals"), totals);
    if (info.berTarget) {
        json.insert(QStringLiteral("berTarget"), *info.berTarget);
        json.insert(QStringLiteral("verdict"), verdictWord(r.verdict));
    }
    return json;
}

QString verdictText(const LinkTestResults& r) {
    const LinkTestInfo& info = r.info;
    if (!info.berTarget)
        return {};
    const LinkErrors total = r.total();
    QString text = QStringLiteral("BER at most %1 on every link at %2 confidence: %3")
                       .arg(berText(*info.berTarget), confidenceText(info.ber.confidence),
                            verdictWord(r.verdict));
    if (r.verdict == BerVerdict::Above) {
        for (int link = 0; link < kLinks; ++link) {
            const double bits = info.ber.bitRate * total.seconds;
            const double least = berLowerBound(total.counts[link], bits, info.ber.confidence);
            if (least > *info.berTarget)
                return text + QStringLiteral(", link %1 is above it (at least %2)")
                                  .arg(link)
                                  .arg(berText(least));
        }
    }
    return text + QStringLiteral(" after %1 s").arg(seconds(total.seconds));
}

LinkTestInfo linkTestInfo(const BoardLink& link, std::uint8_t address7, bool sweep,
                          std::optional<int> channel, std::optional<unsigned> generator,
                          int periodMs, int settleMs, const BerSettings& ber) {
    LinkTestInfo info;
    info.sweep = sweep;
    info.boardSerial = boardSerial(link);
    info.address7 = address7;
    info.channel = channel;
    info.generator = generator;
    info.periodMs = periodMs;
    info.settleMs = settleMs;
    info.ber = ber;
    const QDateTime now = QDateTime::currentDateTime();
    info.start = now.toOffsetFromUtc(now.offsetFromUtc()); // with its offset in the text
    return info;
}
