#include "windows/linktestwindow.h"

#include "core/operations/registerfiles.h"
#include "core/operations/session.h"
#include "core/platform/filechooser.h"
#include "core/registers/hextext.h"
#include "ui_linktestwindow.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QJsonDocument>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

namespace {

constexpr int kGeneratorAsItIs = 0; // the first item; the settings follow
constexpr unsigned kPrbs7 = 1;
constexpr double kShownSeconds = 10; // the error count's axis grows past it
// Without a bit rate, a count of 0 is drawn on the log axis's bottom edge.
constexpr double kZeroDrawnAt = 0.5;
constexpr double kLeastErrorsShown = 10;

QString failureText(const LinkResult& failure) {
    switch (failure.status) {
    case LinkStatus::NotAcknowledged:
        return QStringLiteral("not acknowledged");
    case LinkStatus::NoAnswer:
        return QStringLiteral("no answer from the board");
    default:
        return QStringLiteral("the board took no request");
    }
}

// A series shown or hidden, its entry in the legend with it.
void showSeries(QAbstractSeries* series, bool shown) {
    series->setVisible(shown);
    for (QLegendMarker* m : series->chart()->legend()->markers(series))
        m->setVisible(shown);
}

} // namespace

LinkTestWindow::LinkTestWindow(Session& session, Prompt& prompt, FileChooser& files,
                               QWidget* parent)
    : QMainWindow(parent), session_(session), prompt_(prompt), files_(files),
      ui_(std::make_unique<Ui::frmLinkTest>()) {
    ui_->setupUi(this);
    ui_->cboGenerator->addItem(QStringLiteral("Generator as it is"));
    for (const FieldSetting& s : patternGeneratorField().settings)
        ui_->cboGenerator->addItem(QStringLiteral("Generator: %1").arg(QLatin1String(s.name)));
    ui_->cboGenerator->setCurrentIndex(kGeneratorAsItIs + 1 + kPrbs7);

    auto* chart = new QChart;
    for (int link = 0; link < kLinks; ++link) {
        links_[link] = new QLineSeries(chart);
        links_[link]->setName(QStringLiteral("Link %1").arg(link));
        links_[link]->setPointsVisible(true);
        chart->addSeries(links_[link]);
    }
    atLeast_ = new QScatterSeries(chart);
    atLeast_->setName(QStringLiteral("At least (a counter saturated)"));
    atLeast_->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    atLeast_->setMarkerSize(11);
    chart->addSeries(atLeast_);
    window_ = new QAreaSeries(new QLineSeries(chart), new QLineSeries(chart));
    window_->setColor(QColor(0, 170, 0, 48));
    window_->setBorderColor(Qt::transparent);
    chart->addSeries(window_);
    marker_ = new QLineSeries(chart);
    QPen dashed(Qt::DashLine);
    dashed.setWidth(2);
    marker_->setPen(dashed);
    chart->addSeries(marker_);
    xAxis_ = new QValueAxis(chart);
    yAxis_ = new QLogValueAxis(chart);
    yAxis_->setBase(10);
    yAxis_->setLabelFormat(QStringLiteral("%g"));
    yAxis_->setMinorTickCount(8);
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(xAxis_);
        s->attachAxis(yAxis_);
    }
    showSeries(window_, false);
    showSeries(marker_, false);
    yAxis_->setRange(kZeroDrawnAt, kLeastErrorsShown);
    yAxis_->setTitleText(QStringLiteral("Errors"));
    view_ = new QChartView(chart, ui_->chartArea);
    view_->setRenderHint(QPainter::Antialiasing);
    auto* layout = new QVBoxLayout(ui_->chartArea);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);

    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &LinkTestWindow::step);
    connect(ui_->cmdStart, &QPushButton::clicked, this, &LinkTestWindow::start);
    connect(ui_->cmdStop, &QPushButton::clicked, this, &LinkTestWindow::stop);
    connect(ui_->cmdApplyBestGain, &QPushButton::clicked, this, &LinkTestWindow::applyBestGain);
    connect(ui_->cmdSaveResults, &QPushButton::clicked, this, &LinkTestWindow::saveResults);
    connect(ui_->cmdSaveChart, &QPushButton::clicked, this, &LinkTestWindow::saveChart);
    connect(ui_->cboTest, &QComboBox::currentIndexChanged, this, &LinkTestWindow::showTestControls);
    // The registers go back while the boards are still open.
    connect(&session_, &Session::ending, this, &LinkTestWindow::stop);
    showTestControls();
    say(QStringLiteral("Ready: the run writes register 0x09 (and 0x02, and 0x07 or 0x08 for a "
                       "sweep) and puts them back when it ends."));
}

LinkTestWindow::~LinkTestWindow() {
    stop();
}

void LinkTestWindow::closeEvent(QCloseEvent* event) {
    stop();
    event->accept();
}

bool LinkTestWindow::sweepChosen() const {
    return ui_->cboTest->currentIndex() == 1;
}

bool LinkTestWindow::finished() const {
    return sweeping() ? sweep_->finished() : count_->finished();
}

int LinkTestWindow::waitMs() {
    if (!count_ && !sweep_)
        return 0;
    return sweeping() ? sweep_->waitMs() : count_->waitMs();
}

void LinkTestWindow::showTestControls() {
    const bool sweep = sweepChosen();
    for (QWidget* w :
         {static_cast<QWidget*>(ui_->lblRange), static_cast<QWidget*>(ui_->spnFromGain),
          static_cast<QWidget*>(ui_->lblRangeTo), static_cast<QWidget*>(ui_->spnToGain),
          static_cast<QWidget*>(ui_->cmdApplyBestGain)})
        w->setVisible(sweep);
    ui_->lblDwell->setText(sweep ? QStringLiteral("&Dwell (ms)")
                                 : QStringLiteral("&Interval (ms)"));
    const bool chosen = sweep && results_.info.sweep && results_.choice.best;
    showSeries(marker_, chosen);
    showSeries(window_, chosen && results_.choice.window);
}

void LinkTestWindow::start() {
    if (running())
        return;
    const bool sweep = sweepChosen();
    const auto from = static_cast<unsigned>(ui_->spnFromGain->value());
    const auto to = static_cast<unsigned>(ui_->spnToGain->value());
    if (sweep && from > to) {
        say(QStringLiteral("The first gain %1 lies above the last %2: nothing was run.")
                .arg(gainText(from), gainText(to)));
        return;
    }
    BerSettings ber;
    ber.confidence = ui_->spnConfidence->value() / 100;
    if (const QString rate = ui_->txtBitRate->text().trimmed(); !rate.isEmpty()) {
        const std::optional<double> bitRate = parseQuantity(rate);
        if (!bitRate) {
            say(QStringLiteral("The bit rate '%1' is not a rate such as 1.485G or 1.485e9: "
                               "nothing was run.")
                    .arg(rate));
            return;
        }
        ber.bitRate = *bitRate;
    }
    const int channel = ui_->cboChannel->currentIndex();
    const int generator = ui_->cboGenerator->currentIndex();
    std::optional<unsigned> setting;
    if (generator != kGeneratorAsItIs)
        setting = static_cast<unsigned>(generator - 1);

    count_.reset();
    sweep_.reset();
    best_.reset();
    results_ = {};
    LinkTestInfo& info = results_.info;
    info.sweep = sweep;
    info.boardSerial = boardSerial(session_.link());
    info.address7 = session_.address().sevenBit();
    info.channel = channel;
    info.generator = setting;
    info.periodMs = ui_->spnDwell->value();
    info.settleMs = ui_->spnSettle->value();
    info.ber = ber;
    const QDateTime now = QDateTime::currentDateTime();
    info.start = now.toOffsetFromUtc(now.offsetFromUtc());

    for (QLineSeries* s : links_)
        s->clear();
    atLeast_->clear();
    marker_->clear();
    marker_->setName(QStringLiteral("Best gain"));
    showTestControls();
    yLeast_ = yMost_ = 0;
    if (ber.known())
        yAxis_->setTitleText(QStringLiteral("BER at most, %1 confidence (%2: at least)")
                                 .arg(confidenceText(ber.confidence), QChar(0x25B2)));
    else
        yAxis_->setTitleText(
            QStringLiteral("Errors (0 on the bottom edge; %1: at least)").arg(QChar(0x25B2)));
    yAxis_->setRange(ber.known() ? 1e-12 : kZeroDrawnAt, ber.known() ? 1e-6 : kLeastErrorsShown);

    bool started;
    if (sweep) {
        SweepOptions o;
        o.channel = channel;
        o.generator = setting;
        o.dwellMs = info.periodMs;
        o.settleMs = info.settleMs;
        o.from = from;
        o.to = to;
        bestChannel_ = channel;
        // Half a gain beyond each end: a sweep of one gain is a point.
        xAxis_->setRange(from - 0.5, to + 0.5);
        xAxis_->setTickType(QValueAxis::TicksDynamic);
        xAxis_->setTickAnchor(0);
        xAxis_->setTickInterval(1);
        xAxis_->setLabelFormat(QStringLiteral("0x%X"));
        xAxis_->setTitleText(
            QStringLiteral("Equalizer gain, channel %1").arg(QChar(u'A' + channel)));
        sweep_ = std::make_unique<EqualizerSweep>(session_.chip(), o);
        started = sweep_->start();
    } else {
        ErrorCountOptions o;
        o.setup = {channel, setting, info.settleMs};
        o.intervalMs = info.periodMs;
        xAxis_->setRange(0, std::max(kShownSeconds, 10 * o.intervalMs / 1000.0));
        xAxis_->setTickType(QValueAxis::TicksFixed);
        xAxis_->setTickCount(6);
        xAxis_->setLabelFormat(QStringLiteral("%g"));
        xAxis_->setTitleText(
            QStringLiteral("Seconds counted, intervals of %1 ms").arg(o.intervalMs));
        count_ = std::make_unique<ErrorCount>(session_.chip(), o);
        started = count_->start();
    }
    if (!started) {
        finish();
        return;
    }
    setRunning(true);
    timer_.start(waitMs());
}

void LinkTestWindow::step() {
    if (!count_ && !sweep_)
        return;
    if (sweeping()) {
        if (const std::optional<GainPoint> p = sweep_->step()) {
            results_.points.push_back(*p);
            showErrors(p->gain, p->errors);
            say(QStringLiteral("Sweeping: gain %1 done").arg(gainText(p->gain)));
        }
    } else if (const std::optional<LinkErrors> e = count_->step()) {
        results_.intervals.push_back(*e);
        const double at = results_.total().seconds;
        if (at > xAxis_->max())
            xAxis_->setMax(2 * at);
        showErrors(at, *e);
        say(QStringLiteral("Counting: %1 s, errors %2, %3, %4")
                .arg(QString::number(at, 'f', 3))
                .arg(e->counts[0])
                .arg(e->counts[1])
                .arg(e->counts[2]));
    }
    if (finished())
        finish();
    else
        timer_.start(waitMs());
}

std::optional<LinkTestEnd> LinkTestWindow::stop() {
    if (count_ || sweep_)
        return finish();
    return std::nullopt;
}

LinkTestEnd LinkTestWindow::finish() {
    timer_.stop();
    if (sweeping()) {
        results_.complete = sweep_->complete();
        results_.choice = sweep_->choice();
    } else {
        results_.complete = count_->complete();
        results_.verdict = count_->verdict();
    }
    const bool whole = sweeping() && !sweep_->failed() && sweep_->complete();
    const LinkTestEnd end = sweeping() ? sweep_->stop() : count_->stop();
    results_.end = end;
    if (whole)
        best_ = results_.choice.best;
    count_.reset();
    sweep_.reset();
    setRunning(false);

    QString text;
    if (!end.interruption.isEmpty())
        text = QStringLiteral("Stopped: %1.").arg(end.interruption);
    else if (!end.ok())
        text = QStringLiteral("Stopped: %1 at 0x%2, %3.")
                   .arg(transferName(end.failedAt), hexByte(session_.address().sevenBit()),
                        failureText(end.failure));
    else if (best_)
        text = QStringLiteral("Best gain %1%2.")
                   .arg(gainText(*best_),
                        results_.choice.window
                            ? QStringLiteral(" (%1)").arg(cleanWindowText(results_.choice))
                            : QString());
    else if (whole)
        text = QStringLiteral("No best gain: %1.")
                   .arg(noBestGainText(results_.choice.refusal, bestChannel_));
    else
        text = QStringLiteral("Stopped.");
    if (whole)
        showChoice();
    const QString restored = restoreSummary(end);
    say(text + QStringLiteral(" ") + restored.left(1).toUpper() + restored.mid(1) +
        QStringLiteral("."));
    return end;
}

void LinkTestWindow::showChoice() {
    const GainChoice& c = results_.choice;
    if (c.best) {
        marker_->append(*c.best, yAxis_->min());
        marker_->append(*c.best, yAxis_->max());
        marker_->setName(QStringLiteral("Best gain %1").arg(gainText(*c.best)));
    }
    if (c.window) {
        const double left = c.window->first - 0.5, right = c.window->last + 0.5;
        window_->upperSeries()->replace({{left, yAxis_->max()}, {right, yAxis_->max()}});
        window_->lowerSeries()->replace({{left, yAxis_->min()}, {right, yAxis_->min()}});
        window_->setName(QStringLiteral("Clean window %1 to %2: %3 gain%4")
                             .arg(gainText(c.window->first), gainText(c.window->last))
                             .arg(c.window->width())
                             .arg(c.window->width() == 1 ? "" : "s"));
    }
    showTestControls();
}

void LinkTestWindow::applyBestGain() {
    if (!best_ || running())
        return;
    const GainApplied applied = applyEqualizerGain(session_.chip(), bestChannel_, *best_);
    if (applied.value)
        say(QStringLiteral("Channel %1 at gain %2: register 0x%3 reads 0x%4.")
                .arg(QChar(u'A' + bestChannel_))
                .arg(gainText(*best_), hexByte(equalizerGainField(bestChannel_).reg),
                     hexByte(*applied.value)));
    else if (applied.holds)
        say(QStringLiteral("Gain %1 %2: %3; register 0x%4 holds 0x%5 as far as known.")
                .arg(gainText(*best_),
                     applied.written ? QStringLiteral("written, not read back")
                                     : QStringLiteral("not applied"),
                     failureText(applied.failure), hexByte(equalizerGainField(bestChannel_).reg),
                     hexByte(*applied.holds)));
    else
        say(QStringLiteral("Gain %1 not applied: %2; what register 0x%3 holds is not known.")
                .arg(gainText(*best_), failureText(applied.failure),
                     hexByte(equalizerGainField(bestChannel_).reg)));
}

void LinkTestWindow::showErrors(double x, const LinkErrors& errors) {
    const BerSettings& ber = results_.info.ber;
    for (int link = 0; link < kLinks; ++link) {
        const double y = ber.known() ? berBound(errors, link, ber).value
                                     : std::max<double>(errors.counts[link], kZeroDrawnAt);
        // A saturated count is a floor, not a point of the curve.
        if (errors.saturated(link))
            atLeast_->append(x, y);
        else
            links_[link]->append(x, y);
        fitAxis(y);
    }
}

void LinkTestWindow::fitAxis(double value) {
    if (!(value > 0) || !std::isfinite(value))
        return;
    yLeast_ = yLeast_ > 0 ? std::min(yLeast_, value) : value;
    yMost_ = std::max(yMost_, value);
    // Whole decades, a hair wider so that their ends keep their labels.
    const double least = std::pow(10, std::floor(std::log10(yLeast_))) * 0.999;
    const double most = std::pow(10, std::ceil(std::log10(yMost_) + 1e-9)) * 1.001;
    if (results_.info.ber.known())
        yAxis_->setRange(least, most);
    else
        yAxis_->setRange(kZeroDrawnAt, std::max(most, kLeastErrorsShown));
}

void LinkTestWindow::saveResults() {
    if (running() || !results_.info.start.isValid())
        return;
    const FileRequest request{
        FileRequest::Kind::Save, lastSaved_.isEmpty() ? QStringLiteral("linktest.csv") : lastSaved_,
        QStringLiteral("csv"), QStringLiteral("CSV (*.csv)|*.csv|JSON (*.json)|*.json|")};
    const std::optional<QString> chosen = files_.choose(request);
    if (!chosen)
        return;
    lastSaved_ = *chosen;
    const bool json = chosen->endsWith(QStringLiteral(".json"), Qt::CaseInsensitive);
    const auto outcome = saveChosenFile(prompt_, *chosen, [&] {
        return json ? QJsonDocument(resultsJson(results_)).toJson() : resultsCsv(results_).toUtf8();
    });
    if (outcome == RegisterFileResult::Outcome::Done)
        say(QStringLiteral("Results saved to %1.").arg(*chosen));
}

void LinkTestWindow::saveChart() {
    if (running() || !results_.info.start.isValid())
        return;
    const std::optional<QString> chosen =
        files_.choose({FileRequest::Kind::Save, QStringLiteral("linktest.png"),
                       QStringLiteral("png"), QStringLiteral("PNG (*.png)|*.png|")});
    if (!chosen)
        return;
    const auto outcome = saveChosenFile(prompt_, *chosen, [&] {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        view_->grab().save(&buffer, "PNG");
        return png;
    });
    if (outcome == RegisterFileResult::Outcome::Done)
        say(QStringLiteral("Chart saved to %1.").arg(*chosen));
}

void LinkTestWindow::setRunning(bool running) {
    ui_->cmdStart->setEnabled(!running);
    ui_->cmdStop->setEnabled(running);
    ui_->cmdApplyBestGain->setEnabled(!running && best_.has_value());
    ui_->cmdSaveResults->setEnabled(!running && results_.info.start.isValid());
    ui_->cmdSaveChart->setEnabled(!running && results_.info.start.isValid());
    for (QWidget* w :
         {static_cast<QWidget*>(ui_->cboTest), static_cast<QWidget*>(ui_->cboChannel),
          static_cast<QWidget*>(ui_->cboGenerator), static_cast<QWidget*>(ui_->spnDwell),
          static_cast<QWidget*>(ui_->spnSettle), static_cast<QWidget*>(ui_->spnFromGain),
          static_cast<QWidget*>(ui_->spnToGain), static_cast<QWidget*>(ui_->txtBitRate),
          static_cast<QWidget*>(ui_->spnConfidence)})
        w->setEnabled(!running);
}

void LinkTestWindow::say(const QString& text) {
    ui_->lblLinkTestStatus->setText(text);
}
