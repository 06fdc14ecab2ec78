#pragma once
// "Reports" > "Spreadsheet": attendance results per holder and day written to a workbook or a
// CSV file: first IN / last OUT, IN/OUT pairs, the raw time log, and pairs with late arrival
// and early leave against the group's time attendance table.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "common/datetime.h"
#include "attendance/report_parameters.h"
#include "attendance/report_source.h"
#include "exports/sheet_writer.h"

namespace horalog {

class Messages;
class Progress;
class FileDialogs;

enum class ExportKind { FirstLast, Pairs, TimeLogs, LateEarly, Payroll };

// Scope dialog controls an export does not use.
enum HiddenControl : unsigned {
    kHideEnhanced = 1,
    kHidePreviewOnly = 2,
    kHideRecordsPerLine = 4,
    kHideRecordFormat = 8,
    kHideRecordsOfInterest = 16,
    kHideBlankLines = 32,
    kHideNewPage = 64,
};

struct ExportTraits {
    const char* caption;      // the menu action's caption, also the scope dialog's
    const char* defaultFile;  // proposed by the save dialog, without extension
    unsigned hidden;          // HiddenControl bits
    bool forcesInOut;         // records of interest forced to "IN/OUT"
    bool blanksAfterLast;     // "Print blank lines" also fills the days after the last record
};

const ExportTraits& TraitsOf(ExportKind kind);

inline constexpr const char* kAllRecordsSheet = "all_records";
inline constexpr const char* kFileInUse = "File is in use by other application: ";
inline constexpr const char* kWorkbookFilter = "Excel File (*.xlsx);;All File (*)";

// The parameters an export runs with: the dialog's, with its forced records of interest.
ReportParameters ExportParameters(ExportKind kind, ReportParameters p);

inline constexpr const char* kAbsenceColumn = "ABSENCE";

// The columns of a sheet, in order; NAME and GROUP only on the single sheet, ABSENCE last when
// any holder of the run has a day off (a holiday or an absence) within the period.
QStringList ExportColumns(ExportKind kind, const ReportParameters& p, bool singleSheet,
                          bool daysOff = false);

// Sheet names a workbook can hold, made from holder names: blanks and the characters [ ] : * ?
// / \ become "_", at most 31 characters, never starting or ending with an apostrophe, and a
// number added ("BOB_2") where a name (in any letter case) is taken already.
class SheetNames {
public:
    QString Make(const QString& holderName);

private:
    QStringList taken_;  // lower case
};

// Opens the file's writer for a number of sheets; throws SheetError.
using OpenWriter = std::function<std::unique_ptr<SheetWriter>(int sheets)>;

// Writes the export for the chosen holders (one sheet each with p.newPage, else the sheet
// "all_records") through the writer that open gives, and completes the file. now is the time of the
// run. The progress window reads "Exporting (n members)" then "Exporting: NAME" per holder.
// Failures are shown through messages and answered false: the holder query ("Database Error." then
// "Fail to update the database record. Please retry."), a record query ("Database Error."), the
// writer (its text; the unfinished file is removed). A group table that cannot be read shows "Fail
// to update the database record. Please retry." and the holder gets no rows; the export goes on.
bool WriteResultExport(ExportKind kind, const ReportParameters& p, ReportSource& source,
                       const OpenWriter& open, Messages& messages, Progress& progress,
                       DateTime now);

// Removes the file at path when one exists; false (with "File is in use by other application: "
// and the path shown) when it is still there afterwards.
bool RemoveExistingFile(const QString& path, Messages& messages);

// The scope dialog, shown once with the export's caption and hidden controls; it answers the
// confirmed parameters (its settings stored) or nothing when cancelled.
using AskScope = std::function<std::optional<ReportParameters>(ExportKind kind)>;

// The menu action: "No record." on an empty log, the scope dialog, the save dialog shared with
// the log's export (in "LastDataPath", the action's default file name), the old file removed,
// the workbook written, "Completed.". Answers the path written, or empty.
QString RunExportAction(ExportKind kind, ReportSource& source, const AskScope& askScope,
                        FileDialogs& dialogs, Messages& messages, Progress& progress,
                        const Clock& clock = SystemClock());

}  // namespace horalog
