#pragma once
// Whole-file operations on database files: byte copies, safe replacement of a file that a
// program may be using, consistent copies of a live database.
//
// Rules kept by every function here:
// - a file that is replaced is never deleted first and never written in place: the new bytes
//   go to a temporary file beside it, are synced, and are renamed over it in one step;
// - before the rename, the old file's side files (-wal, -shm, -journal) are removed, so the
//   engine never replays the log of the old file into the new one.

#include <QString>

namespace horalog {

class Connection;
class Messages;

enum class DatabaseKind { Log, System };

// attend.mdb / sysdat.mdb, their passwords and the templates of each kind.
QString DatabaseFileName(DatabaseKind kind);
QString DatabasePassword(DatabaseKind kind);
QString TemplateFileName(DatabaseKind kind);

// Copies every byte of source into target (created or truncated), letting window events run
// while it works. False when either file cannot be opened, read or written.
bool CopyDataFile(const QString& source, const QString& target);

// Replaces target with a copy of source through a temporary file beside target and a rename;
// target is left as it was when anything fails, and "Operation failed. Please retry!" is
// shown.
bool ReplaceDataFile(const QString& source, const QString& target, Messages& messages);

// Whether two paths name the same file (links and relative parts resolved; a missing file is
// compared by its absolute path).
bool SameFile(const QString& a, const QString& b);

// Whether the file is a database of that kind: it opens with the kind's password and has the
// tables the program opens (and, for the system database, the eight reader rows).
bool DatabaseFileUsable(const QString& path, DatabaseKind kind);
// The same check on an open connection; throws DbError when a table is missing.
void CheckDatabaseTables(Connection& c, DatabaseKind kind);

enum class InstallResult { Installed, Invalid, Failed };

// Puts a copy of the database source at target: copy to a temporary file beside target
// (with the source's write-ahead log when it has one), check the copy with
// DatabaseFileUsable, fold everything into the one file, rename it over target. Invalid: the
// copy is no usable database of that kind; Failed: a file could not be read or written.
// target is untouched in both cases.
InstallResult InstallDatabaseFile(const QString& source, const QString& target, DatabaseKind kind);

// Writes a complete, consistent copy of the database at live into target (same password),
// through a temporary file and a rename. Reads through a connection of its own inside one
// read transaction, so other readers of live may stay open. Throws DbError on failure;
// target is then untouched.
void BackupDatabaseFile(const QString& live, DatabaseKind kind, const QString& target);

// Removes path's side files (-wal, -shm, -journal); false when one stays.
bool RemoveSideFiles(const QString& path);

}  // namespace horalog
