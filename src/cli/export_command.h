#pragma once
// `horalog export KIND [options]`: the spreadsheet exports of attendance results for cron jobs
// and payroll scripts, to an .xlsx workbook or a CSV file.

#include <QStringList>
#include <QTextStream>
#include <functional>

#include "attendance/report_source.h"
#include "common/datetime.h"

namespace horalog {

// args are the words after the program name; a leading "export" is skipped. The store is
// opened only once the options are accepted; open answers nullptr after writing its own
// one-line error. Exit status: 0 done, 1 "No record." or a store or file failure, 2 a bad
// option (one line on err).
int RunExportCommand(const QStringList& args, const std::function<ReportSource*()>& open,
                     QTextStream& out, QTextStream& err, const Clock& clock = SystemClock());

QString ExportCommandUsage();

}  // namespace horalog
