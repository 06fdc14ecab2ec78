#include "common/paths.h"

#include <QDir>
#include <QStandardPaths>

namespace horalog {

namespace {
QString g_dataFolder;
QString g_databaseUrl;
}  // namespace

QString ResolveDatabaseUrl(const QStringList& arguments) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == "--database" && i + 1 < arguments.size()) return arguments[i + 1];
        if (a.startsWith("--database=")) return a.mid(11);
    }
    return QString();
}

void SetCommandLineDatabaseUrl(const QString& url) {
    g_databaseUrl = url;
}

QString CommandLineDatabaseUrl() {
    return g_databaseUrl;
}

QString ResolveDataFolder(const QStringList& arguments) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == "--data" && i + 1 < arguments.size()) return QDir(arguments[i + 1]).absolutePath();
        if (a.startsWith("--data=")) return QDir(a.mid(7)).absolutePath();
    }
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

QStringList CommandWords(const QStringList& arguments) {
    QStringList words;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--data" || arguments[i] == "--database") {
            ++i;
            continue;
        }
        if (arguments[i].startsWith("--data=") || arguments[i].startsWith("--database=")) continue;
        words << arguments[i];
    }
    return words;
}

QStringList ArgumentList(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
    return list;
}

}  // namespace horalog
