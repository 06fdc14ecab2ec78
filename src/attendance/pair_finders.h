#pragma once
// The pair finders shared by every attendance computation, and the overtime rule.

#include <vector>

#include "common/datetime.h"
#include "attendance/report_source.h"

namespace horalog {

// A holder's record query: rows in time order (times already whole seconds) and the current
// position.
class RecordCursor {
public:
    explicit RecordCursor(const std::vector<LogRecord>& rows) : rows_(&rows) {}
    bool AtEnd() const { return pos_ >= rows_->size(); }
    const LogRecord& Current() const { return (*rows_)[pos_]; }
    void Next() { ++pos_; }
    size_t Position() const { return pos_; }
    size_t Size() const { return rows_->size(); }
    // Whether the current row exists and lies on the date of t.
    bool OnDate(DateTime t) const {
        return !AtEnd() && Current().systime.dayNumber() == t.dayNumber();
    }
    // No row left, or the current row lies on another date than t.
    bool DayEnded(DateTime t) const { return !OnDate(t); }
    void SkipDate(DateTime t) {
        while (OnDate(t)) Next();
    }

private:
    const std::vector<LogRecord>* rows_;
    size_t pos_ = 0;
};

// A time of 0 means absent.
struct Pair {
    DateTime in;
    int inMode = 0;
    DateTime out;
    int outMode = 0;
    bool HasIn() const { return in.value != 0; }
    bool HasOut() const { return out.value != 0; }
    bool Complete() const { return HasIn() && HasOut(); }
};

// First IN and last OUT of day's date (byMode), or its first and last record (by position).
// Consumes the whole date.
Pair DaySpan(RecordCursor& rows, DateTime day, bool byMode);
// The next IN->OUT pair of day's date (byMode), or the next two records (by position).
Pair NextPair(RecordCursor& rows, DateTime day, bool byMode);

// Overtime after the group's rule; durations in seconds, the others in minutes.
qint64 OvertimeRule(qint64 rawSeconds, int minimum, int multiple, int noPay);

}  // namespace horalog
