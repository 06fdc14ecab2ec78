#pragma once
// The automatic IN/OUT state of CLOCK-mode readers: IN inside the day's IN periods of table
// iotime, OUT outside; the operator may flip it for the next read.

#include <functional>

#include "common/datetime.h"

namespace horalog {

class Tdsrc;

class AutoIO {
public:
    static constexpr int kOverrideTicks = 5;

    // The state for t by the periods (start inclusive, end exclusive), when the system
    // database is open, answers and AutoInOut is on; otherwise the state stays as it is.
    void EvaluateAutoIO(Tdsrc& store, DateTime t);
    void SetIOState(bool in);
    // The panel click: flips the state for five ticks when AutoOverride allows it.
    bool Override();
    // The IN/OUT part of the one-second tick: the countdown, else a minute change,
    // re-evaluates.
    void Tick(Tdsrc& store, DateTime now);

    bool state() const { return in_; }
    int countdown() const { return countdown_; }

    // Told every time the state is set (panel caption and colour).
    std::function<void(bool in)> onStateChanged;

private:
    bool in_ = false;
    int countdown_ = 0;
    int lastMinute_ = -1;
};

// Whether t (time of day) lies in one of the periods read from iotime.
bool InPeriods(Tdsrc& store, DateTime t);

}  // namespace horalog
