#include "shell/shell_hooks.h"

#include "common/format.h"

namespace horalog {

bool TickDue(TickState& state, DateTime now) {
    int hour, minute, second, msec;
    DecodeTime(now, hour, minute, second, msec);
    const int previous = state.lastMinute;
    state.lastMinute = minute;
    if (state.overrideCountdown != 0) {
        --state.overrideCountdown;
        return state.overrideCountdown == 0;
    }
    return minute != previous;
}

QString StatusClockText(DateTime now) {
    return FormatDateTime("dd/mmm/yyyy ddd  AM/PM hh:mm:ss", now);
}

}  // namespace horalog
