#pragma once
// The one place where SQL written for the embedded engine becomes SQL for the database server
// (PostgreSQL): the server driver passes every statement through here, so that the rooms and
// the schema are written once.

#include <QHash>
#include <QString>

namespace horalog {

// The statement in the server's dialect: column types (INTEGER as BIGINT, REAL as DOUBLE
// PRECISION, BLOB as BYTEA, INTEGER PRIMARY KEY as an identity column, TEXT COLLATE NOCASE as
// CITEXT), triggers as trigger functions, a rowid column in tables without an INTEGER
// PRIMARY KEY, INSERT OR IGNORE as ON CONFLICT DO NOTHING, LIKE without regard to letter case,
// IFNULL, the "main." schema prefix; quoted names in lower case, as the server keeps unquoted
// ones.
QString ServerSql(const QString& sql);

// ServerSql with the parameters numbered for the server: "?" takes the next number, "?N" the
// number N, ":name" (also "@name") one number per distinct name, as the embedded engine counts
// them.
struct ServerStatementText {
    QString sql;
    int parameterCount = 0;
    QHash<QString, int> names;  // ":name" -> number
};
ServerStatementText ServerStatementSql(const QString& sql);

}  // namespace horalog
