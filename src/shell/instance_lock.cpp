#include "shell/instance_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace horalog {

QString InstanceLockFolder() {
    QString dir = qEnvironmentVariable("HORALOG_LOCK_DIR");
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    return dir;
}

InstanceLock::InstanceLock()
    : path_(QDir(InstanceLockFolder()).filePath("TimeAttendance.lock")), lock_(path_) {
    // The holder keeps the file for the whole run: never treat a live lock as stale by age.
    lock_.setStaleLockTime(0);
}

bool InstanceLock::acquire() {
    if (held_) return true;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    held_ = lock_.tryLock(0);
    return held_;
}

}  // namespace horalog
