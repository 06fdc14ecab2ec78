#pragma once
// "Reports" > "Spreadsheet" > "Payroll": the timesheet's days of every chosen holder, one row
// each and every row complete (card, name and group on each), with typed cells: dates, times
// of day, durations that sum past 24 hours, decimal hours. A workbook also gets the sheet
// "Totals": a row per holder whose figures are formulas over the first sheet, so that a
// clerk's correction there moves the totals.

#include <QStringList>

#include "attendance/report_parameters.h"
#include "attendance/report_source.h"
#include "exports/result_export.h"

namespace horalog {

inline constexpr const char* kPayrollSheet = "Payroll";
inline constexpr const char* kTotalsSheet = "Totals";

QStringList PayrollColumns();
QStringList PayrollTotalsColumns();

// Writes the payroll rows (and, with totals, the sheet "Totals") through the writer that open
// gives, for the period of p. Failures are shown through messages and answered false, as
// WriteResultExport does.
bool WritePayrollExport(const ReportParameters& p, ReportSource& source, const OpenWriter& open,
                        bool totals, Messages& messages, Progress& progress, DateTime now);

}  // namespace horalog
