#include "attendance/pair_finders.h"

namespace horalog {

Pair DaySpan(RecordCursor& rows, DateTime day, bool byMode) {
    Pair p;
    if (byMode) {
        for (; rows.OnDate(day); rows.Next()) {
            const auto& r = rows.Current();
            if (r.mode == 1 && !p.HasIn()) {
                p.in = r.systime;
                p.inMode = r.mode;
            } else if (r.mode == 2 && p.HasIn()) {
                p.out = r.systime;
                p.outMode = r.mode;
            }
        }
        return p;
    }
    if (!rows.OnDate(day)) return p;
    p.in = rows.Current().systime;
    p.inMode = rows.Current().mode;
    rows.Next();
    for (; rows.OnDate(day); rows.Next()) {
        p.out = rows.Current().systime;
        p.outMode = rows.Current().mode;
    }
    return p;
}

Pair NextPair(RecordCursor& rows, DateTime day, bool byMode) {
    Pair p;
    if (byMode) {
        for (; rows.OnDate(day); rows.Next()) {
            const auto& r = rows.Current();
            if (r.mode == 1) {
                if (p.Complete()) break;  // this IN starts the next pair
                if (!p.HasIn()) {
                    p.in = r.systime;
                    p.inMode = r.mode;
                }
            } else if (r.mode == 2 && p.HasIn()) {
                p.out = r.systime;
                p.outMode = r.mode;
            }
        }
        return p;
    }
    if (!rows.OnDate(day)) return p;
    p.in = rows.Current().systime;
    p.inMode = rows.Current().mode;
    rows.Next();
    if (rows.OnDate(day)) {
        p.out = rows.Current().systime;
        p.outMode = rows.Current().mode;
        rows.Next();
    }
    return p;
}

qint64 OvertimeRule(qint64 rawSeconds, int minimum, int multiple, int noPay) {
    // whole minutes of the raw overtime's time of day
    const qint64 tod = ((rawSeconds % 86400) + 86400) % 86400;
    qint64 m = tod / 60;
    if (m < minimum) return 0;
    m -= minimum;
    if (multiple > 0) m = minimum + (m / multiple) * multiple;
    if (m < noPay) return 0;
    if (multiple > 0) return (m - noPay) * 60;
    return rawSeconds - qint64(noPay) * 60;
}

}  // namespace horalog
