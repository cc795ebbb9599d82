// The Link Test window: an error count or an equalizer sweep on the chip,
// driven step by step from a timer so that the main window stays live, with
// a chart of the errors per link and the best gain marked. Closing the window
// or ending the program stops the run, which writes back what it changed.
#pragma once

#include "core/operations/linktest.h"

#include <QTimer>
#include <QWidget>
#include <memory>

namespace Ui {
class frmLinkTest;
}
class QLineSeries;
class QValueAxis;
class Session;

class LinkTestWindow : public QWidget {
    Q_OBJECT
public:
    explicit LinkTestWindow(Session& session, QWidget* parent = nullptr);
    ~LinkTestWindow() override;

    Ui::frmLinkTest& ui() { return *ui_; }
    bool running() const { return timer_.isActive(); }
    // The chart's line of link `link` (0 to 2), and the best gain's marker.
    QLineSeries* linkSeries(int link) const { return links_[link]; }
    QLineSeries* bestGainMarker() const { return marker_; }

    // Starts the run the controls describe.
    void start();
    // Takes the next step of the run, as the timer does.
    void step();
    // Stops the run and writes back what it changed; how the run ended, if
    // one was going on.
    std::optional<LinkTestEnd> stop();
    void applyBestGain();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool sweeping() const { return sweep_ != nullptr; }
    bool finished() const;
    int waitMs() const;
    LinkTestEnd finish();
    void showErrors(double x, const LinkErrors& errors);
    void setRunning(bool running);
    void say(const QString& text);

    Session& session_;
    std::unique_ptr<Ui::frmLinkTest> ui_;
    QTimer timer_;
    std::unique_ptr<ErrorCount> count_;
    std::unique_ptr<EqualizerSweep> sweep_;
    std::optional<unsigned> best_; // of the last sweep that ran through
    int bestChannel_ = 0;
    std::array<QLineSeries*, kLinks> links_{};
    QLineSeries* marker_ = nullptr;
    QValueAxis* xAxis_ = nullptr;
};
