#pragma once
// The monthly timesheet: a holder's days with first in, last out, worked time, late, early
// leave, overtime and day off, and the totals payroll needs (worked against expected).
//
// A day's worked time is Total Hours': from its first to its last record (first IN to last OUT
// with records IN/OUT), when both are there and in order. Late, early and overtime follow First
// In / Last Out on the days the group works, with the day's hours moved for half a day off; a
// whole day off has none. Expected time is the group's hours of each working day, less paid time
// off (holidays, paid absences: the group's hours of the day, or the type's fixed hours).

#include <QDate>
#include <QString>
#include <set>
#include <vector>

#include "attendance/report_context.h"

namespace horalog {

struct TimesheetDay {
    QDate date;
    DateTime in, out;  // 0: none
    int inMode = 0, outMode = 0;
    qint64 worked = 0;  // seconds
    qint64 expected = 0;
    qint64 late = 0, early = 0, overtime = 0;
    QString dayOff;       // "Vacation", "Holiday: Christmas Day", ...
    bool byHand = false;  // records of the day were added, edited or deleted by hand
    // "OK", "Incorrect" (a side missing or out before in), "Error" (in after the day's end),
    // "No record" (a working day without reads), the day off's name, or empty.
    QString status;
};

struct TimesheetTotals {
    int daysWorked = 0;  // days with worked time
    qint64 worked = 0, expected = 0, late = 0, early = 0, overtime = 0;
    qint64 Balance() const { return worked - expected; }
    QString absent;  // "Absent: Vacation 3, Sick 0.5, Holiday 1", or empty
};

struct Timesheet {
    SelectedHolder holder;
    std::vector<TimesheetDay> days;  // every date of the period
    TimesheetTotals totals;
};

// The cards and day numbers whose records were changed by hand.
using HandChanges = std::set<std::pair<int, int>>;
HandChanges LoadHandChanges(const detail::ReportContext& ctx);

// The timesheet of one holder over the context's period.
Timesheet ComputeTimesheet(const detail::ReportContext& ctx, const SelectedHolder& h,
                           const HandChanges& byHand);

namespace detail {
void BuildTimesheets(const ReportContext& ctx, const std::vector<SelectedHolder>& holders,
                     BandWriter& out);
}  // namespace detail

}  // namespace horalog
