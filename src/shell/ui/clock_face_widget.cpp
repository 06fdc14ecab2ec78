#include "shell/ui/clock_face_widget.h"

#include <QPainter>

#include "shell/clock_face.h"

namespace horalog {

ClockFaceWidget::ClockFaceWidget(Clock clock, QWidget* parent)
    : QWidget(parent), clock_(std::move(clock)) {
    setAutoFillBackground(false);
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, &ClockFaceWidget::sample);
}

void ClockFaceWidget::start() {
    sample();
    timer_.start();
}

void ClockFaceWidget::stop() {
    timer_.stop();
}

bool ClockFaceWidget::sample() {
    QTime now = clock_().time();
    now = QTime(now.hour(), now.minute(), now.second());
    if (shown_.isValid() && now == shown_) return false;
    shown_ = now;
    ++repaints_;
    update();
    return true;
}

void ClockFaceWidget::paintEvent(QPaintEvent*) {
    if (!shown_.isValid()) return;
    const ClockFace f = ClockFaceGeometry(size(), shown_);
    QPainter p(this);
    p.setPen(QPen(QColor(128, 128, 128), f.markPen));
    p.drawLines(f.marks);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(128, 128, 128));
    for (const ClockHand* h : {&f.hour, &f.minute, &f.second}) p.drawPolygon(h->points);
}

}  // namespace horalog
