#pragma once
// "Import Log Records": merges the attendance log of another log database into the live one.

#include <QString>
#include <optional>

#include "storage/live_log_control.h"

namespace horalog {

class Tdsrc;
class Messages;
class Progress;
class FileDialogs;

struct ImportCounts {
    qint64 added = 0;
    qint64 duplicated = 0;
    qint64 errors = 0;
    qint64 groupsAdded = 0;  // staff import only
};

// The after-text of an import's audit row: what it added, and whether it stopped early.
QString ImportAuditText(const ImportCounts& c, bool stopped);

// The summary lines, each ended by LF then CR: "Added = n records", then "Duplicated = ..."
// and "Error = ..." when there were any.
QString LogImportSummary(const ImportCounts& counts);

// "LogDbLastIn": the last source, by default backup_attend.mdb in the data folder.
QString LastLogImportFile(const Tdsrc& store);

// Menu command: open dialog "Import Transaction Logs", then ImportLogRecordsFrom.
void ImportLogRecords(Tdsrc& store, Messages& messages, Progress& progress, FileDialogs& dialogs,
                      const LiveLogControl& live);

// Tests the source with the log password ("Invalid Database"), remembers it, then appends
// every source record whose SYSTIME (to the whole second) and CARDNO are not in the live log
// yet, in transactions of a few hundred rows. Shows the summary (plain box) or "Error in
// opening the log database: " and the path. No answer when the source was refused or could
// not be read.
std::optional<ImportCounts> ImportLogRecordsFrom(Tdsrc& store, const QString& source,
                                                 Messages& messages, Progress& progress,
                                                 const LiveLogControl& live);

}  // namespace horalog
