#include "support/temp_data.h"

#include <QDir>

namespace horalog::testing {

QString BinaryPath(const QString& name) {
    return QDir(qEnvironmentVariable("HORALOG_BIN_DIR", HORALOG_SOURCE_DIR "/build")).filePath(name);
}

QString SourcePath(const QString& relative) {
    return QDir(qEnvironmentVariable("HORALOG_SOURCE_DIR", HORALOG_SOURCE_DIR)).filePath(relative);
}

}  // namespace horalog::testing
