#pragma once
// "Export to Text File" and "Export to Excel File": the whole attendance log, oldest first,
// with each card's holder name and group.

#include <QHash>
#include <QPair>
#include <QString>

#include "storage/live_log_control.h"
#include "storage/log_table.h"

namespace horalog {

class Tdsrc;
class Connection;
class Messages;
class Progress;
class FileDialogs;

inline constexpr const char* kTextExportFilter = "Text File (*.txt);;All File (*)";
inline constexpr const char* kExcelExportFilter = "Excel File (*.xlsx);;All File (*)";
inline constexpr const char* kFileLocked = "File locked and cannot be used for exporting.";
inline constexpr const char* kNoName = "[NO NAME]";
inline constexpr const char* kNoGroup = "[NO GROUP]";

// Name and group name of every holder by card, read once for a whole export.
class HolderNames {
public:
    explicit HolderNames(Connection& src);
    // The holder's name and group name, or "[NO NAME]" and "[NO GROUP]".
    QPair<QString, QString> of(int card) const;

private:
    QHash<int, QPair<QString, QString>> byCard_;
};

// One line of the text export, without its line end:
// 2004/Jun/26 18:24:06 000000123 "John" "OFFICE" {IN}
QString LogTextLine(const LogRecord& r, const QString& name, const QString& group);

// The save dialog of the exports: opens in "LastDataPath" proposing proposedName, stores the folder
// of the answer in "LastDataPath" (an empty folder after Cancel), adds the default suffix to
// a name without one. Empty when cancelled.
QString AskExportFile(FileDialogs& dialogs, const QString& title, const QString& filter,
                      const QString& suffix, const QString& proposedName = "log");

// Menu commands: "No record." on an empty log, the save dialog, then the export.
void ExportToTextFile(Tdsrc& store, Messages& messages, Progress& progress, FileDialogs& dialogs,
                      const LiveLogControl& live);
void ExportToExcelFile(Tdsrc& store, Messages& messages, Progress& progress, FileDialogs& dialogs,
                       const LiveLogControl& live);

// Writes the text file (UTF-8, CR LF): one line per record. "Completed." or
// "File locked and cannot be used for exporting.".
bool ExportLogToText(Tdsrc& store, const QString& path, Messages& messages, Progress& progress,
                     const LiveLogControl& live);

// Writes an .xlsx workbook with the sheet RECORDS: header DATE, TIME, CARDNO, NAME, GROUP,
// MODE, READER, LOCK, one row per record, DATE and TIME as date and time cells. A row the
// sheet cannot take (past its last row) ends the export with "Fail to update the database
// record. Please retry.", keeping the rows written.
bool ExportLogToExcel(Tdsrc& store, const QString& path, Messages& messages, Progress& progress,
                      const LiveLogControl& live);

}  // namespace horalog
