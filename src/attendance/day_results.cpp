#include "attendance/day_results.h"

#include <algorithm>

#include "common/format.h"

namespace horalog {

namespace {
QString Hms(DateTime t) {
    return FormatDateTime("HH:mm:ss", t);
}
qint64 SecondsOfDay(DateTime t) {
    return (t.msecsOfDay() + 500) / 1000;
}
}  // namespace

FirstLastResult FirstLastDay(RecordCursor& rows, bool byMode, const QString& inColumn,
                             const QString& outColumn) {
    FirstLastResult r;
    if (rows.AtEnd()) return r;
    const Pair p = DaySpan(rows, rows.Current().systime, byMode);
    if (!p.HasIn() && !p.HasOut()) {
        r.status = "No matched";
        return r;
    }
    r.inText = p.HasIn() ? Hms(p.in) : "No " + inColumn;
    r.outText = p.HasOut() ? Hms(p.out) : "No " + outColumn;
    if (p.Complete()) r.status = p.in < p.out ? "OK" : "Incorrect";
    return r;
}

PairsResult PairsDay(RecordCursor& rows, int n) {
    PairsResult r;
    if (rows.AtEnd()) return r;
    const DateTime day = rows.Current().systime;
    for (int k = 1; k <= n; ++k) {
        const Pair p = NextPair(rows, day, true);
        r.ins << (p.HasIn() ? Hms(p.in) : QString());
        r.outs << (p.HasOut() ? Hms(p.out) : QString());
        if (!p.Complete()) {
            r.status = "Incomplete";
            return r;
        }
        if (k < n && rows.DayEnded(day)) {
            r.status = "Incomplete";
            return r;
        }
    }
    if (rows.DayEnded(day)) {
        r.status = "OK";
    } else {
        r.status = "Too much";
        rows.SkipDate(day);
    }
    return r;
}

TimetableResult TimetableDay(RecordCursor& rows, int n, const std::vector<TimePeriod>& table) {
    TimetableResult r;
    r.ins = r.lates = r.outs = r.earlies = QStringList(std::max(n, 0), QString());
    if (rows.AtEnd()) return r;
    const DateTime day = rows.Current().systime;
    int highest = 0;
    bool written = false;
    for (int i = 0; i < n; ++i) {
        const Pair p = NextPair(rows, day, true);
        if (!p.Complete()) break;
        int k = 0;
        for (size_t s = 0; s < table.size(); ++s)
            if (CompareTimeOfDay(table[s].to, p.in) > 0) {
                k = int(s) + 1;
                break;
            }
        if (k == 0) {
            rows.SkipDate(day);
            break;
        }
        if (k > highest) {
            highest = k;
            if (k <= n) {
                const TimePeriod& slot = table[k - 1];
                const qint64 late = CompareTimeOfDay(p.in, slot.from) > 0
                                        ? SecondsOfDay(p.in) - SecondsOfDay(slot.from)
                                        : 0;
                const qint64 early = CompareTimeOfDay(p.out, slot.to) < 0
                                         ? SecondsOfDay(slot.to) - SecondsOfDay(p.out)
                                         : 0;
                r.ins[k - 1] = Hms(p.in);
                r.outs[k - 1] = Hms(p.out);
                r.lates[k - 1] = FormatDuration(late);
                r.earlies[k - 1] = FormatDuration(early);
                written = true;
            }
        }
        if (rows.DayEnded(day)) break;
    }
    if (written) rows.SkipDate(day);
    return r;
}

}  // namespace horalog
