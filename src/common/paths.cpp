#include "common/paths.h"

#include <QDir>
#include <QStandardPaths>

namespace horalog {

namespace {
QString g_dataFolder;
QString g_databaseUrl;
}  // namespace

void SetCommandLineDatabaseUrl(const QString& url) {
    g_databaseUrl = url;
}

QString CommandLineDatabaseUrl() {
    return g_databaseUrl;
}

QString ResolveDataFolder(const QString& dataOption) {
    if (!dataOption.isEmpty()) return QDir(dataOption).absolutePath();
    QString env = qEnvironmentVariable("HORALOG_DATA");
    if (!env.isEmpty()) return QDir(env).absolutePath();
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath("Horalog");
}

void SetDataFolder(const QString& folder) {
    g_dataFolder = QDir(folder).absolutePath();
}

QString DataFolder() {
    if (g_dataFolder.isEmpty()) g_dataFolder = ResolveDataFolder({});
    return g_dataFolder;
}

QString DataFile(const QString& name) {
    return QDir(DataFolder()).filePath(name);
}

QString PhotosFolder() {
    return DataFile("photos");
}

}  // namespace horalog
