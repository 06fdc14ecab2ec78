#pragma once
// The database server engine (PostgreSQL through libpq) behind Connection and Statement. The
// log and the system tables live in one server database; its schema is the embedded one,
// translated by ServerSql (server_dialect.h).

#include <QString>
#include <memory>

#include "storage/database.h"

namespace horalog {

// Connects to the server at url ("postgresql://user@host:port/db" or a libpq connection
// string; the password from ~/.pgpass or a service file, never from the settings). An
// unreachable server fails within timeoutMs (connect_timeout in the url wins). A link whose
// server stops answering fails within a quarter second (tcp_user_timeout in the url wins).
// Fails with DbError whose text begins with the plain words of ServerProblem when it knows
// them, followed by the server's own text.
inline constexpr int kServerConnectTimeoutMs = 3000;
std::unique_ptr<Connection> OpenServerDatabase(const QString& url, OpenMode mode,
                                               int timeoutMs = kServerConnectTimeoutMs);

// Whether the link of a server connection is gone: every statement then fails at once until
// RelinkServer succeeds. False for an embedded file.
bool ServerLinkLost(const Connection& c);
// Links a server connection again to the same server within timeoutMs, with its session's
// settings; throws DbError when it cannot. Nothing for an embedded file.
void RelinkServer(Connection& c, int timeoutMs);
// The url a server connection was opened with (password included: never shown); empty for
// an embedded file.
QString ServerLinkUrl(const Connection& c);

// What went wrong, in the words a user understands, for the failures users meet when
// connecting: "Database server unreachable", "Authentication failed", "Database does not
// exist". Empty for anything else.
QString ServerProblem(const QString& serverText);

// The url as it may be shown or logged: without a password.
QString UrlWithoutPassword(const QString& url);

// Creates the tables of both sections (log and system) in an empty server database, or
// applies the steps it lacks, in one transaction; two stations starting together do it once.
// Answers the number of steps applied (a new database counts its sections as steps).
int UpgradeServerSchema(Connection& c);

// The schema version of one section in a server database; 0 when it has none.
int ServerSchemaVersion(Connection& c, const QString& file);

}  // namespace horalog
