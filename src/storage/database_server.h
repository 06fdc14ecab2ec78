#pragma once
// The "Database Server" dialog's model: the setting DatabaseUrl (empty: the database files of
// the data folder) and a test of a server address that says plainly what it found.

#include <QString>

namespace horalog {

inline constexpr const char* kEmbeddedDatabaseText =
    "No server: the program uses the database files of its data folder.";
inline constexpr const char* kDatabaseServerNextStart =
    "The program uses this database from its next start.";

// Empty when url may be stored; else why not: a password written into it (it belongs in
// ~/.pgpass or a service file), or a text that is no server address.
QString DatabaseUrlProblem(const QString& url);

struct DatabaseServerTest {
    bool ok = false;
    QString text;  // what was found, or what failed in plain words first
};

// Connects read-only (nothing is written, no table made) and tells the server's version and
// whether the database already holds this program's tables.
DatabaseServerTest TestDatabaseServer(const QString& url);

// --check-db on a server: one line, "URL: ok, N log records" when the database holds this
// program's tables, else what was found or what failed.
bool CheckServerDatabase(const QString& url, QString& report);

QString LoadDatabaseUrl();
// Stores a url that DatabaseUrlProblem accepts, trimmed.
void SaveDatabaseUrl(const QString& url);

}  // namespace horalog
