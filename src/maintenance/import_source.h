#pragma once
// The other database file an import reads from.

#include <QString>
#include <memory>
#include <optional>

#include "storage/database.h"

namespace horalog {

class Messages;

struct ImportSource {
    std::unique_ptr<Connection> connection;  // read-only
    qint64 rows = 0;                         // rows of the imported table
};

// Tests the file with the password ("Invalid Database"), remembers it under lastSetting,
// opens it read-only and counts the rows of table; when it cannot be read, shows
// cannotRead + the path in the plain box. Nothing when any step fails.
std::optional<ImportSource> OpenImportSource(const QString& path, const QString& password,
                                             const QString& lastSetting, const QString& table,
                                             const QString& cannotRead, Messages& messages);

}  // namespace horalog
