#pragma once
// Hand-driven timers on a virtual clock, for logic that depends on time-outs.

#include <memory>
#include <vector>

#include "reader/one_shot_timer.h"

namespace horalog::testing {

class ManualTimers {
public:
    ManualTimers();
    // Hands out timers that run on this virtual clock.
    TimerFactory Factory();
    // Moves the virtual clock forward; every timer whose time has come fires once, in order.
    void Advance(int ms);
    long long Now() const;

    struct Shared;  // the virtual clock and its timers

private:
    std::shared_ptr<Shared> shared_;
};

}  // namespace horalog::testing
