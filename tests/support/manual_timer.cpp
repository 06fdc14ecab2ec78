#include "support/manual_timer.h"

#include <algorithm>

namespace horalog::testing {

namespace {
class ManualTimer;
}

struct ManualTimers::Shared {
    long long now = 0;
    std::vector<ManualTimer*> timers;
};

namespace {
class ManualTimer final : public OneShotTimer {
public:
    explicit ManualTimer(std::shared_ptr<ManualTimers::Shared> shared) : shared_(shared) {
        shared_->timers.push_back(this);
    }
    ~ManualTimer() override { std::erase(shared_->timers, this); }
    void Start(int ms) override {
        active_ = true;
        due_ = shared_->now + ms;
    }
    void Stop() override { active_ = false; }
    bool IsActive() const override { return active_; }
    long long Due() const { return due_; }
    void Fire() {
        active_ = false;
        if (OnTimeout) OnTimeout();
    }

private:
    std::shared_ptr<ManualTimers::Shared> shared_;
    bool active_ = false;
    long long due_ = 0;
};
}  // namespace

ManualTimers::ManualTimers() : shared_(std::make_shared<Shared>()) {}

TimerFactory ManualTimers::Factory() {
    auto shared = shared_;
    return [shared] { return std::make_unique<ManualTimer>(shared); };
}

void ManualTimers::Advance(int ms) {
    long long target = shared_->now + ms;
    for (;;) {
        ManualTimer* next = nullptr;
        for (ManualTimer* t : shared_->timers)
            if (t->IsActive() && t->Due() <= target && (!next || t->Due() < next->Due())) next = t;
        if (!next) break;
        shared_->now = next->Due();
        next->Fire();
    }
    shared_->now = target;
}

long long ManualTimers::Now() const {
    return shared_->now;
}

}  // namespace horalog::testing
