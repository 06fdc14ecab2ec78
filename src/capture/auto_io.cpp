#include "capture/auto_io.h"

#include "storage/settings.h"
#include "storage/store.h"

namespace horalog {

bool InPeriods(Tdsrc& store, DateTime t) {
    auto q = store.src().prepare("SELECT tfrom, tto FROM iotime ORDER BY tfrom");
    while (q.next()) {
        DateTime from = q.dateTime("tfrom");
        DateTime to = q.dateTime("tto");
        if (CompareTimeOfDay(t, from) < 0) return false;
        if (CompareTimeOfDay(t, to) < 0) return true;
    }
    return false;
}

void AutoIO::EvaluateAutoIO(Tdsrc& store, DateTime t) {
    if (!store.isOpen() || !ReadSettingBool("AutoInOut", false)) return;
    try {
        SetIOState(InPeriods(store, t));
    } catch (const DbError&) {
        // A database server that cannot be reached: the state stays until it answers again.
    }
}

void AutoIO::SetIOState(bool in) {
    in_ = in;
    if (onStateChanged) onStateChanged(in);
}

bool AutoIO::Override() {
    if (!ReadSettingBool("AutoOverride", false)) return false;
    countdown_ = kOverrideTicks;
    SetIOState(!in_);
    return true;
}

void AutoIO::Tick(Tdsrc& store, DateTime now) {
    int previous = lastMinute_;
    lastMinute_ = now.msecsOfDay() / 60000;
    if (countdown_ != 0) {
        if (--countdown_ == 0) EvaluateAutoIO(store, now);
    } else if (lastMinute_ != previous) {
        EvaluateAutoIO(store, now);
    }
}

}  // namespace horalog
