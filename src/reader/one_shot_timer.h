#pragma once
// The link's two timers behind a small interface, so tests can drive the inter-byte and answer
// timers by hand while the program uses Qt timers on the main loop.

#include <QTimer>
#include <functional>
#include <memory>

namespace horalog {

class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    // (Re)starts the timer; a running one starts over.
    virtual void Start(int ms) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    // Called once when the time runs out.
    std::function<void()> OnTimeout;
};

class QtOneShotTimer final : public OneShotTimer {
public:
    QtOneShotTimer();
    void Start(int ms) override;
    void Stop() override;
    bool IsActive() const override;

private:
    QTimer timer_;
};

using TimerFactory = std::function<std::unique_ptr<OneShotTimer>()>;
TimerFactory QtTimerFactory();

}  // namespace horalog
