#include "maintenance/import_source.h"

#include "common/ports.h"
#include "storage/rows.h"
#include "storage/settings.h"
#include "storage/store.h"

namespace horalog {

std::optional<ImportSource> OpenImportSource(const QString& path, const QString& password,
                                             const QString& lastSetting, const QString& table,
                                             const QString& cannotRead, Messages& messages) {
    if (!TestDatabaseFile(path, password, &messages)) return std::nullopt;
    WriteSettingText(lastSetting, path);
    try {
        ImportSource source;
        source.connection = OpenDatabase(path, password, OpenMode::ReadOnly);
        source.rows = CountRows(*source.connection, table);
        return source;
    } catch (const DbError&) {
        messages.plain(cannotRead + path);
        return std::nullopt;
    }
}

}  // namespace horalog
