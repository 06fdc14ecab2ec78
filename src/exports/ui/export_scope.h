#pragma once
// The scope dialog of a spreadsheet export and the export commands of the "Spreadsheet" menu
// with the Qt screen ports.

#include <optional>

#include "common/datetime.h"
#include "attendance/report_parameters.h"
#include "exports/result_export.h"
#include "storage/database.h"

class QWidget;

namespace horalog {

class Messages;

// TSetScope shown once, captioned with the export's action, without the controls the export
// does not use; a forced "IN/OUT" is ticked before it shows so that "Confirm" stores it.
// Nothing when cancelled.
std::optional<ReportParameters> AskExportScope(ExportKind kind, Connection& src, Messages& messages,
                                               DateTime now, QWidget* parent = nullptr);

// The menu action with the Qt message boxes, progress window and save dialog.
void RunSpreadsheetExport(ExportKind kind, Connection& att, Connection& src, QWidget* parent);

}  // namespace horalog
