#pragma once
// `horalog report KIND [options]`: the printouts for cron jobs and payroll clerks, as plain text
// on standard output or as a PDF file.

#include <QStringList>
#include <QTextStream>
#include <functional>

#include "attendance/report_source.h"
#include "common/datetime.h"

namespace horalog {

// args are the words after the program name; a leading "report" is skipped. Exit status:
// 0 done, 1 "No record." or a store or file failure, 2 a bad option (one line on err).
int RunReportCommand(const QStringList& args, ReportSource& source, QTextStream& out,
                     QTextStream& err, const Clock& clock = SystemClock());
// The same with the store opened only once the options are accepted, so that a bad option is
// status 2 whatever the data folder holds. open answers nullptr after writing its own one-line
// error (status 1).
int RunReportCommand(const QStringList& args, const std::function<ReportSource*()>& open,
                     QTextStream& out, QTextStream& err, const Clock& clock = SystemClock());

// The usage text of the command.
QString ReportCommandUsage();

}  // namespace horalog
