#pragma once
// The printouts launched from the window: the scope dialog of each report, the run with its
// progress, then the preview or the printer, and the dialog again until "Cancel".

#include <QString>
#include <optional>

#include "common/datetime.h"
#include "attendance/attendance_reports.h"
#include "attendance/report_source.h"

class QWidget;

namespace horalog {

class FileDialogs;
class Messages;
class Tdsrc;

struct ReportScreen {
    Messages& messages;
    FileDialogs& files;
    QWidget* parent = nullptr;
};

// The report of one "Confirm": built with a progress window that can stop it (nothing when
// stopped), "Database Error." when the store fails.
std::optional<ReportDocument> BuildReportWithProgress(ReportKind kind, const ReportParameters& p,
                                                      ReportSource& source, DateTime now,
                                                      ReportScreen screen);

// One report action from "No record." to "Cancel". caption: the action's menu caption, which
// the scope dialog takes. A report without holders produces nothing and the dialog comes back.
void RunReportAction(ReportKind kind, const QString& caption, Tdsrc& store, const Clock& clock,
                     ReportScreen screen);

}  // namespace horalog
