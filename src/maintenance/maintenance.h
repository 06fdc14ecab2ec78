#pragma once
// The whole-database commands of the Database menu: backup and restore of each file, erasing
// the log or the card holders, formatting both files from their templates.

#include <QString>
#include <optional>

#include "common/datetime.h"
#include "maintenance/data_files.h"
#include "storage/live_log_control.h"

namespace horalog {

class Tdsrc;
class Connection;
class Messages;
class Progress;
class FileDialogs;

// The database files' own filter, then every file: "*.*" would hide names without a dot here.
inline constexpr const char* kDatabaseDialogFilter = "Database File (*.mdb);;All File (*)";
inline constexpr const char* kLiveFileChosen =
    "This file is a database in use. Please choose another file.";
inline constexpr const char* kEraseLogQuestion =
    "This action will erase the attendance records. Are you sure?";
inline constexpr const char* kEraseStaffQuestion =
    "This action will erase all card associated information. Are you sure?";
inline constexpr const char* kFormatQuestion =
    "This action will erase all attendance records. The associated card information and all "
    "readers' settings will also be lost. Are you sure?";
inline constexpr const char* kLogDbLocked = "Attendance database locked. It cannot be formatted.";
inline constexpr const char* kSysDbLocked = "System database locked. It cannot be formatted.";
inline constexpr const char* kDatabaseFormatted = "Database formatted.";
// %1 the server's url. Backup, restore and format work on the data folder's files, which a
// server database does not use.
inline constexpr const char* kDatabaseOnServer =
    "The database is on the server %1. Back it up, restore or empty it there with the server's "
    "own tools (pg_dump, pg_restore).";

// "LogDbLast" / "SysDbLast": the last backup or restore file, by default backup_attend.mdb /
// backup_sysdat.mdb in the data folder.
QString LastBackupFile(const Tdsrc& store, DatabaseKind kind);
// Titles of the commands: "Backup Log Database", "Restore System Database", ...
QString BackupTitle(DatabaseKind kind);
QString RestoreTitle(DatabaseKind kind);

// Menu commands "Backup Log Database" / "Backup System Database": asks for the file, then
// BackupDatabaseTo.
void BackupDatabase(Tdsrc& store, DatabaseKind kind, Messages& messages, FileDialogs& dialogs);
// Copies the live file to target between CloseStore and ReopenStore; the copy is complete and
// consistent, written beside target and renamed over it. Refuses a live database file as
// target. Shows "Completed." and remembers target on success.
bool BackupDatabaseTo(Tdsrc& store, DatabaseKind kind, const QString& target, Messages& messages);

// What a restore replaces and by what: the log's record count with its first and last day,
// the system database's holders and groups.
struct DatabaseSummary {
    DatabaseKind kind = DatabaseKind::Log;
    qint64 records = 0;
    DateTime first, last;  // of the log, when it has records
    qint64 holders = 0;
    qint64 groups = 0;
};
// Throws DbError when the tables cannot be read.
DatabaseSummary SummarizeDatabase(Connection& c, DatabaseKind kind);
// "The log of 12,345 records (first 2024-01-02, last 2026-12-10) will be replaced by the
// backup's 6 records (first ..., last ...). Continue?"; without a live summary (a live file
// that cannot be read) only what comes.
QString RestoreQuestion(const std::optional<DatabaseSummary>& live, const DatabaseSummary& backup);

// Menu commands "Restore Log Database" / "Restore System Database".
void RestoreDatabase(Tdsrc& store, DatabaseKind kind, Messages& messages, FileDialogs& dialogs);
// Replaces the live file with source between CloseStore and ReopenStore: source must open with
// the kind's password and have its tables ("Invalid Database" otherwise), and the operator
// must confirm RestoreQuestion (asked while the store is still open; Cancel changes nothing);
// the live file is replaced in one rename, never deleted or half written. Refuses a live
// database file as source.
bool RestoreDatabaseFrom(Tdsrc& store, DatabaseKind kind, const QString& source,
                         Messages& messages);

// Menu command "Format Database": asks, then FormatDatabaseNow.
void FormatDatabase(Tdsrc& store, Messages& messages);
// Both live files from their templates, every captured picture deleted, "Database formatted.".
void FormatDatabaseNow(Tdsrc& store, Messages& messages);

// The choice of the dialog "Erase Attendance Records".
struct EraseLogChoice {
    bool all = true;  // "All Attendance Records", else "Before the date"
    DateTime date;    // the day of "Before the date": records of earlier days go
};

// After the dialog: asks "This action will erase the attendance records. Are you sure?", then
// EraseLogRecords. Answers the number of records erased, -1 when the operator said No.
qint64 EraseLogDatabase(Tdsrc& store, const EraseLogChoice& choice, Messages& messages,
                        Progress& progress, const LiveLogControl& live);
// Deletes the chosen records in SYSTIME order with their picture files, in transactions of a
// few hundred rows. When records remain, the displays show the oldest one.
qint64 EraseLogRecords(Tdsrc& store, const EraseLogChoice& choice, Progress& progress,
                       const LiveLogControl& live);

// Menu command "Erase Staff Records": asks, then deletes every card holder. Answers the number
// deleted, -1 when the operator said No.
qint64 EraseStaffRecords(Tdsrc& store, Messages& messages, Progress& progress,
                         const LiveLogControl& live);

}  // namespace horalog
