#pragma once
// The data folder: every database, template, backup, picture and the photos folder live there.

#include <QString>
#include <QStringList>

namespace horalog {

// Resolves the data folder: "--data DIR" among the arguments, else HORALOG_DATA, else the
// user's data directory (~/.local/share/Horalog). Does not create it.
QString ResolveDataFolder(const QStringList& arguments);

// The database server named by "--database URL" among the arguments; empty when none (the
// setting DatabaseUrl decides then).
QString ResolveDatabaseUrl(const QStringList& arguments);
// The one the command line named, for the whole run (set once at start).
void SetCommandLineDatabaseUrl(const QString& url);
QString CommandLineDatabaseUrl();

// The words of a command line after the program name, without the data folder and database
// options.
QStringList CommandWords(const QStringList& arguments);
QStringList ArgumentList(int argc, char** argv);

// The process-wide data folder, set once at start (and by tests).
void SetDataFolder(const QString& folder);
QString DataFolder();

// A file in the data folder.
QString DataFile(const QString& name);
QString PhotosFolder();

}  // namespace horalog
