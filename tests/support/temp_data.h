#pragma once
// A private data folder for one test, made the process-wide data folder while it lives.

#include <QString>
#include <QTemporaryDir>

#include "common/paths.h"

namespace horalog::testing {

class TempDataFolder {
public:
    TempDataFolder() { SetDataFolder(dir_.path()); }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// Paths of the built programs (set by CTest), for tests that start them.
QString BinaryPath(const QString& name);
QString SourcePath(const QString& relative);

}  // namespace horalog::testing
