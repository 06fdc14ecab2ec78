#pragma once
// Forward upgrades of the database files. Each file keeps the number of the last step applied
// to it in its table schema_version (one row); at open, every later step of that file is
// applied in order, all in one transaction. A new table or column is a new step at the end of
// the list; a step already released is never edited. Templates get every step when made, so a
// formatted file starts at the latest version.

#include <QString>
#include <vector>

#include "storage/database.h"

namespace horalog {

struct SchemaStep {
    const char* file;  // "attend" or "sysdat", as the template sections
    int version;       // 1, 2, ... per file, in order
    const char* sql;   // statements without parameters
};

// Every step of every file, in the order they are applied.
const std::vector<SchemaStep>& SchemaSteps();

// The version the file has; 0 when it has no schema_version table yet.
int SchemaVersion(Connection& c);
// The version every step of that file brings it to.
int LatestSchemaVersion(const QString& file);

// The tables of a template as the schema file makes them ("attend" or "sysdat"), before any
// step.
QString SchemaSection(const QString& which);

// Applies the steps of file after version have, in order, inside the caller's transaction;
// answers the version reached.
int ApplySchemaSteps(Connection& c, const QString& file, int have);

// Applies the steps of file newer than its version, in one transaction (on an error nothing
// of it stays and DbError is thrown). Answers the number of steps applied.
int UpgradeSchema(Connection& c, const QString& file);

}  // namespace horalog
