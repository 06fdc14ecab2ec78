#pragma once
// What the report engine reads from the databases: a narrow interface so that the engine runs
// the same over the SQL store (StoreReportSource) and over memory (tests).
// Rows are the store's own: LogRecord, HolderRecord, WorkGroup, and TimePeriod for timetbl.

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "attendance/absence_calendar.h"
#include "common/datetime.h"
#include "people/groups.h"
#include "people/period_close.h"
#include "storage/log_table.h"
#include "storage/lookups.h"
#include "storage/staff_table.h"

namespace horalog {

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

// Bounds on SYSTIME covering every stored time stamp, in the half-open form of
// DateRangeClause (SYSTIME >= lo AND SYSTIME < hi).
inline DateRange WholeLog() {
    return {DateTime(-1e7), DateTime(1e7)};
}

// Failures of the store come out as DbError; callers report "Database Error.".
class ReportSource {
public:
    virtual ~ReportSource() = default;

    // Holders in NAME order (names compare without regard to letter case): all, those with
    // WORKGRP = groupId, or those with PICKED set. Photos are not read.
    virtual std::vector<HolderRecord> Holders(HolderSet set, int groupId) = 0;
    // Every work group, in ID order.
    virtual std::vector<WorkGroup> Groups() = 0;
    // `GroupIdOf`: the ID of the group of that name, or 0.
    virtual int GroupId(const QString& name) = 0;
    // The time attendance table of a group (`timetbl`), in `timein` order.
    virtual std::vector<TimePeriod> Timetable(int groupId) = 0;
    // The records of one card with bounds.lo <= SYSTIME < bounds.hi that match the records of
    // interest, in SYSTIME order (an indexed query on CARDNO, SYSTIME).
    virtual std::vector<LogRecord> CardRecords(int card, RecordsOfInterest records,
                                               DateRange bounds) = 0;
    // Every record within the bounds in the log's order, streamed; the callback answers false
    // to stop early.
    virtual void ForEachRecord(DateRange bounds,
                               const std::function<bool(const LogRecord&)>& visit) = 0;
    // SYSTIME of the first and the last row of the log; nothing when the log is empty.
    virtual std::optional<std::pair<DateTime, DateTime>> LogSpan() = 0;
    // `ReaderName` of a READER value: 1..8 the reader's DESC, 0 "DENIED", else "ERROR".
    virtual QString ReaderName(int port) = 0;
    // The absence types, and the holidays and absences that touch the days first..last.
    virtual AbsenceBook Absences(const QDate& first, const QDate& last) = 0;
    // The cards and days whose records were changed by hand within first..last.
    virtual std::vector<std::pair<int, QDate>> HandChangedDays(const QDate& first,
                                                               const QDate& last) = 0;
    // The closed period.
    virtual PeriodState ClosedPeriod() = 0;
};

}  // namespace horalog
