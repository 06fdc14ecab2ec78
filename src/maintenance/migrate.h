#pragma once
// Migrating a data folder onto a database server: copies every table of a data folder's embedded
// files into an empty database on a server, keeping the ids, one transaction per table, then
// compares the row counts. The data folder is only read.

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace horalog {

// Whether the server url or connection string carries a password (which belongs in
// ~/.pgpass or a service file, not on a command line).
bool UrlHasPassword(const QString& url);

struct MigrateOptions {
    QString url;      // the server database, without a password
    QString station;  // the log and reader table go under it; empty: this PC's station
};

// Copies the folder's files into the empty server database of options. Exit status: 0 copied
// and every count equal, 1 refused or failed (one line on err saying why).
int MigrateFolder(const QString& folder, const MigrateOptions& options, QTextStream& out,
                  QTextStream& err);

}  // namespace horalog
