#pragma once
// The printouts of attendance and of the raw log, each built as a band document.

#include <QString>
#include <functional>

#include "printing/band_document.h"
#include "attendance/report_parameters.h"
#include "attendance/report_source.h"

namespace horalog {

enum class ReportKind {
    FirstLast,           // "First In / Last Out"
    TwoSession,          // "2-session"
    FirstLastOvernight,  // "First In / Last Out (Overnight)"
    TotalHours,          // "Total Hours"
    TotalHoursDetail,    // "Total Hours Detail"
    TimeLogs,            // "Time Logs"
    DailyIndividual,     // "Daily Individual"
    WhosInOut,           // "Who's IN / OUT"
    Timesheet,           // "Monthly Timesheet": a page per holder
};

// The shift of the overnight report: 12 hours, as a day fraction.
inline constexpr double kOvernightShift = 0.5;

// The title printed at the top of every page, records of interest included where it applies.
QString ReportTitle(ReportKind kind, const ReportParameters& p);

// Whether the log holds no record at all: reports then show "No record." and do not run.
bool LogIsEmpty(ReportSource& source);

// What a long run tells while it builds: the number of steps once the holders are known,
// then one step per holder placed (Who's IN / OUT: per holder and category). A step that
// answers false stops the run: BuildReport then throws ReportCancelled.
struct ReportProgress {
    std::function<void(int steps)> start;
    std::function<bool()> step;
};
struct ReportCancelled {};

// Builds a report at the time now (the period's "now" and the footer's "Printed on").
// A report whose holder list is empty has no bands (Who's IN / OUT excepted). Throws
// DbError when the store fails.
ReportDocument BuildReport(ReportKind kind, const ReportParameters& p, ReportSource& source,
                           DateTime now, const ReportProgress* progress = nullptr);

}  // namespace horalog
