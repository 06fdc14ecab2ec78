#pragma once
// "Import Staff Records": merges the card holders (and their work groups) of another system
// database into the live one.

#include <QString>
#include <optional>

#include "storage/live_log_control.h"
#include "maintenance/log_import.h"

namespace horalog {

class Tdsrc;
class Messages;
class Progress;
class FileDialogs;

// "Group Added = n records" when groups were added, "Staff Added = n records", then
// "Duplicated = ..." and "Error = ..." when there were any; each line ended by LF then CR.
QString StaffImportSummary(const ImportCounts& counts);

// "SysDbLastIn": the last source, by default sys.mdb in the data folder.
QString LastStaffImportFile(const Tdsrc& store);

// Menu command: open dialog "Import Staff Records", then ImportStaffRecordsFrom.
void ImportStaffRecords(Tdsrc& store, Messages& messages, Progress& progress, FileDialogs& dialogs,
                        const LiveLogControl& live);

// Tests the source with the system password ("Invalid Database"), remembers it, then adds
// every source holder whose card has no live holder yet (a holder of that card counts as
// duplicated and stays as it is). The holder joins the live group of the same name, which is
// created with the source group's hours when missing; a holder without a source group joins
// group 1. A holder that the live table refuses (a name already held by another card) counts
// as an error. Shows the summary or "Error in opening the system database: " and the path.
std::optional<ImportCounts> ImportStaffRecordsFrom(Tdsrc& store, const QString& source,
                                                   Messages& messages, Progress& progress,
                                                   const LiveLogControl& live);

}  // namespace horalog
