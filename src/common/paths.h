#pragma once
// The data folder: every database, template, backup, picture and the photos folder live there.

#include <QString>

namespace horalog {

// Resolves the data folder: the folder of --data (dataOption) when given, else HORALOG_DATA,
// else the user's data directory (~/.local/share/Horalog). Does not create it.
QString ResolveDataFolder(const QString& dataOption);

// The database server the command line named (--database URL), for the whole run (set once
// at start); empty when none (the setting DatabaseUrl decides then).
void SetCommandLineDatabaseUrl(const QString& url);
QString CommandLineDatabaseUrl();

// The process-wide data folder, set once at start (and by tests).
void SetDataFolder(const QString& folder);
QString DataFolder();

// A file in the data folder.
QString DataFile(const QString& name);
QString PhotosFolder();

}  // namespace horalog
