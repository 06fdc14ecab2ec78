#include "reader/one_shot_timer.h"

namespace horalog {

QtOneShotTimer::QtOneShotTimer() {
    timer_.setSingleShot(true);
    // A coarse timer may run 5 % late; the 200 ms byte gap is part of the protocol.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (OnTimeout) OnTimeout();
    });
}

void QtOneShotTimer::Start(int ms) {
    timer_.start(ms);
}

void QtOneShotTimer::Stop() {
    timer_.stop();
}

bool QtOneShotTimer::IsActive() const {
    return timer_.isActive();
}

TimerFactory QtTimerFactory() {
    return [] { return std::make_unique<QtOneShotTimer>(); };
}

}  // namespace horalog
