#include "windows/linktestwindow.h"

#include "core/operations/session.h"
#include "core/registers/hextext.h"
#include "ui_linktestwindow.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

constexpr int kGeneratorAsItIs = 0; // the first item; the settings follow
constexpr unsigned kPrbs7 = 1;
constexpr int kShownIntervals = 20; // the error count's axis grows past it

QString gainText(unsigned gain) {
    return QStringLiteral("0x") + QString::number(gain, 16).toUpper();
}

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

} // namespace

LinkTestWindow::LinkTestWindow(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), ui_(std::make_unique<Ui::frmLinkTest>()) {
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
    marker_ = new QLineSeries(chart);
    marker_->setName(QStringLiteral("Best gain"));
    QPen dashed(Qt::DashLine);
    dashed.setWidth(2);
    marker_->setPen(dashed);
    chart->addSeries(marker_);
    xAxis_ = new QValueAxis(chart);
    auto* yAxis = new QValueAxis(chart);
    yAxis->setRange(0, kCounterSaturated);
    yAxis->setLabelFormat(QStringLiteral("%d"));
    yAxis->setTickCount(6); // 0, 51, ... 255
    yAxis->setTitleText(QStringLiteral("Errors (255: saturated)"));
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(xAxis_);
        s->attachAxis(yAxis);
    }
    auto* view = new QChartView(chart, ui_->chartArea);
    view->setRenderHint(QPainter::Antialiasing);
    auto* layout = new QVBoxLayout(ui_->chartArea);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);

    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &LinkTestWindow::step);
    connect(ui_->cmdStart, &QPushButton::clicked, this, &LinkTestWindow::start);
    connect(ui_->cmdStop, &QPushButton::clicked, this, &LinkTestWindow::stop);
    connect(ui_->cmdApplyBestGain, &QPushButton::clicked, this, &LinkTestWindow::applyBestGain);
    // The registers go back while the boards are still open.
    connect(&session_, &Session::ending, this, &LinkTestWindow::stop);
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

bool LinkTestWindow::finished() const {
    return sweeping() ? sweep_->finished() : count_->finished();
}

int LinkTestWindow::waitMs() const {
    return sweeping() ? sweep_->waitMs() : count_->waitMs();
}

void LinkTestWindow::start() {
    if (running())
        return;
    const int channel = ui_->cboChannel->currentIndex();
    const int generator = ui_->cboGenerator->currentIndex();
    std::optional<unsigned> setting;
    if (generator != kGeneratorAsItIs)
        setting = static_cast<unsigned>(generator - 1);
    count_.reset();
    sweep_.reset();
    best_.reset();
    for (QLineSeries* s : links_)
        s->clear();
    marker_->clear();
    bool started;
    if (ui_->cboTest->currentIndex() == 1) {
        SweepOptions o;
        o.channel = channel;
        o.generator = setting;
        o.dwellMs = ui_->spnDwell->value();
        o.from = static_cast<unsigned>(ui_->spnFromGain->value());
        o.to = static_cast<unsigned>(std::max(ui_->spnFromGain->value(), ui_->spnToGain->value()));
        bestChannel_ = channel;
        xAxis_->setRange(o.from, o.to);
        xAxis_->setTickCount(static_cast<int>(o.to - o.from) + 1);
        xAxis_->setLabelFormat(QStringLiteral("0x%X"));
        xAxis_->setTitleText(
            QStringLiteral("Equalizer gain, channel %1").arg(QChar(u'A' + channel)));
        sweep_ = std::make_unique<EqualizerSweep>(session_.chip(), o);
        started = sweep_->start();
    } else {
        ErrorCountOptions o;
        o.setup = {channel, setting};
        o.intervalMs = ui_->spnDwell->value();
        xAxis_->setRange(1, kShownIntervals);
        xAxis_->setTickCount(5);
        xAxis_->setLabelFormat(QStringLiteral("%d"));
        xAxis_->setTitleText(QStringLiteral("Interval of %1 ms").arg(o.intervalMs));
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
            showErrors(p->gain, p->errors);
            say(QStringLiteral("Sweeping: gain %1 done").arg(gainText(p->gain)));
        }
    } else if (const std::optional<LinkErrors> e = count_->step()) {
        const auto n = static_cast<int>(count_->intervals().size());
        if (n > kShownIntervals)
            xAxis_->setRange(1, n);
        showErrors(n, *e);
        say(QStringLiteral("Counting: interval %1, %2 errors").arg(n).arg(e->total()));
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
    const bool whole = sweeping() && !sweep_->failed() && sweep_->finished();
    const LinkTestEnd end = sweeping() ? sweep_->stop() : count_->stop();
    if (whole)
        best_ = sweep_->best();
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
        text = QStringLiteral("Best gain %1.").arg(gainText(*best_));
    else
        text = QStringLiteral("Stopped.");
    if (best_) {
        marker_->append(*best_, 0);
        marker_->append(*best_, kCounterSaturated);
        marker_->setName(QStringLiteral("Best gain %1").arg(gainText(*best_)));
    }
    const QString restored = restoreSummary(end);
    say(text + QStringLiteral(" ") + restored.left(1).toUpper() + restored.mid(1) +
        QStringLiteral("."));
    return end;
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
    for (int link = 0; link < kLinks; ++link)
        links_[link]->append(x, errors.counts[link]);
}

void LinkTestWindow::setRunning(bool running) {
    ui_->cmdStart->setEnabled(!running);
    ui_->cmdStop->setEnabled(running);
    ui_->cmdApplyBestGain->setEnabled(!running && best_.has_value());
    for (QWidget* w :
         {static_cast<QWidget*>(ui_->cboTest), static_cast<QWidget*>(ui_->cboChannel),
          static_cast<QWidget*>(ui_->cboGenerator), static_cast<QWidget*>(ui_->spnDwell),
          static_cast<QWidget*>(ui_->spnFromGain), static_cast<QWidget*>(ui_->spnToGain)})
        w->setEnabled(!running);
}

void LinkTestWindow::say(const QString& text) {
    ui_->lblLinkTestStatus->setText(text);
}
