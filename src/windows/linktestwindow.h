// The Link Test window: an error count or an equalizer sweep on the chip,
// driven step by step from a timer so that the main window stays live, with
// a chart of the errors (or, given the bit rate, the BER bounds) per link on
// a log axis, the clean window shaded and the best gain marked, and the
// results saved as CSV or JSON and the chart as PNG. Closing the window or
// ending the program stops the run, which writes back what it changed.
#pragma once

#include "core/operations/linkresults.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>

namespace Ui {
class frmLinkTest;
}
class FileChooser;
class Prompt;
class QAreaSeries;
class QChartView;
class QLineSeries;
class QLogValueAxis;
class QScatterSeries;
class QValueAxis;
class Session;

class LinkTestWindow : public QMainWindow {
    Q_OBJECT
public:
    LinkTestWindow(Session& session, Prompt& prompt, FileChooser& files, QWidget* parent = nullptr);
    ~LinkTestWindow() override;

    Ui::frmLinkTest& ui() { return *ui_; }
    bool running() const { return timer_.isActive(); }
    // The wait before the run's next step.
    int waitMs();
    // The chart's line of link `link` (0 to 2), the "at least" marks of
    // counts that saturated, the best gain's marker and the clean window.
    QLineSeries* linkSeries(int link) const { return links_[link]; }
    QScatterSeries* atLeastMarks() const { return atLeast_; }
    QLineSeries* bestGainMarker() const { return marker_; }
    QAreaSeries* cleanWindowArea() const { return window_; }
    // What the last run (or the one going on) has found.
    const LinkTestResults& results() const { return results_; }

    // Starts the run the controls describe.
    void start();
    // Takes the next step of the run, as the timer does.
    void step();
    // Stops the run and writes back what it changed; how the run ended, if
    // one was going on.
    std::optional<LinkTestEnd> stop();
    void applyBestGain();
    // Ask for a file and write the last run's results (CSV, or JSON for a
    // name ending in .json) or the chart (PNG) to it.
    void saveResults();
    void saveChart();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool sweeping() const { return sweep_ != nullptr; }
    bool sweepChosen() const;
    bool finished() const;
    LinkTestEnd finish();
    // The controls of a sweep shown only for a sweep.
    void showTestControls();
    // A point of the chart: the errors, or with a bit rate the BER bound,
    // of each link at `x`.
    void showErrors(double x, const LinkErrors& errors);
    void fitAxis(double value);
    void showChoice();
    void setRunning(bool running);
    void say(const QString& text);

    Session& session_;
    Prompt& prompt_;
    FileChooser& files_;
    std::unique_ptr<Ui::frmLinkTest> ui_;
    QTimer timer_;
    std::unique_ptr<ErrorCount> count_;
    std::unique_ptr<EqualizerSweep> sweep_;
    LinkTestResults results_;
    std::optional<unsigned> best_; // of the last sweep that ran through
    int bestChannel_ = 0;
    QChartView* view_ = nullptr;
    std::array<QLineSeries*, kLinks> links_{};
    QScatterSeries* atLeast_ = nullptr;
    QLineSeries* marker_ = nullptr;
    QAreaSeries* window_ = nullptr;
    QValueAxis* xAxis_ = nullptr;
    QLogValueAxis* yAxis_ = nullptr;
    double yLeast_ = 0, yMost_ = 0; // the values drawn so far
    QString lastSaved_;
};
