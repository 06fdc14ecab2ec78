#pragma once
// What the report engine reads from the databases: a narrow interface so that the engine runs
// the same over the SQL store and over memory (tests, benchmarks).

#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include "common/datetime.h"

namespace horalog {

// One row of the log (`recorder`).
struct LogRecord {
    DateTime time;   // SYSTIME
    int card = 0;    // CARDNO
    int mode = 0;    // MODE: 0 CLOCK, 1 IN, 2 OUT
    int reader = 0;  // READER
    int lock = 0;    // LOCK
};

// One card holder (`staffs`) as reports need it.
struct HolderRow {
    int card = 0;
    QString name;
    int groupId = 0;  // WORKGRP
    bool picked = false;
};

// One work group (`gid`) with its hours. Times of day have a zero date part.
struct WorkGroup {
    int id = 0;
    QString name;  // DESCX
    DateTime wdFrom1, wdTo1, wdFrom2, wdTo2;
    bool satEnable1 = false;
    DateTime satFrom1, satTo1;
    bool satEnable2 = false;
    DateTime satFrom2, satTo2;
    int otMin = 0;    // minutes
    int otMulti = 0;  // minutes
};

// One row of a group's time attendance table (`timetbl`).
struct TimeSlot {
    DateTime timeIn;
    DateTime timeOut;
};

// Records of interest: the condition on MODE of every record query.
enum class RecordsOfInterest { All = 0, Clock = 1, InOut = 2 };

inline bool RecordMatches(RecordsOfInterest r, int mode) {
    switch (r) {
        case RecordsOfInterest::Clock:
            return mode == 0;
        case RecordsOfInterest::InOut:
            return mode > 0;
        default:
            return true;
    }
}

// Which holders a query selects.
enum class HolderSet { All, Group, Picked };

// Inclusive bounds on SYSTIME (stored time stamps), as "SYSTIME between a and b".
struct TimeBounds {
    DateTime from;
    DateTime to;
    static TimeBounds Everything() { return {DateTime(-1e7), DateTime(1e7)}; }
};

// Raised by an implementation when the store cannot answer; callers report "Database Error.".
class ReportSourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ReportSource {
public:
    virtual ~ReportSource() = default;

    // Holders in NAME order: all, those with WORKGRP = groupId, or those with PICKED set.
    virtual std::vector<HolderRow> Holders(HolderSet set, int groupId) = 0;
    // Every work group, in ID order.
    virtual std::vector<WorkGroup> Groups() = 0;
    // The time attendance table of a group, in `timein` order.
    virtual std::vector<TimeSlot> Timetable(int groupId) = 0;
    // The records of one card within the bounds that match the records of interest, in
    // SYSTIME order (an indexed query on CARDNO, SYSTIME).
    virtual std::vector<LogRecord> CardRecords(int card, RecordsOfInterest records,
                                               TimeBounds bounds) = 0;
    // Every record within the bounds in SYSTIME order, streamed; the callback answers false
    // to stop early.
    virtual void ForEachRecord(TimeBounds bounds,
                               const std::function<bool(const LogRecord&)>& visit) = 0;
    // SYSTIME of the first and the last row of the log; nothing when the log is empty.
    virtual std::optional<std::pair<DateTime, DateTime>> LogSpan() = 0;
    // The reader name of a port (`ReaderName`): 1..8 the reader's DESC, 0 "DENIED", else "ERROR".
    virtual QString ReaderName(int port) = 0;
};

}  // namespace horalog
