#pragma once
// The analog clock face: samples the clock every 100 ms and repaints when the second changes.
// It paints over the panel beneath and fills no background of its own.

#include <QTime>
#include <QTimer>
#include <QWidget>

#include "common/datetime.h"

namespace horalog {

class ClockFaceWidget : public QWidget {
    Q_OBJECT
public:
    explicit ClockFaceWidget(Clock clock, QWidget* parent = nullptr);
    void start();
    void stop();
    bool running() const { return timer_.isActive(); }
    // One sample of the clock; true (and a repaint is asked) when the second changed.
    bool sample();
    QTime shown() const { return shown_; }
    int repaintsAsked() const { return repaints_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Clock clock_;
    QTimer timer_;
    QTime shown_;
    int repaints_ = 0;
};

}  // namespace horalog
