#include "storage/folder_lock.h"

#include <QDir>

namespace horalog {

DataFolderLock::DataFolderLock(const QString& folder)
    : folder_(folder), lock_(QDir(folder).filePath(kFolderLockFile)) {
    lock_.setStaleLockTime(0);
}

bool DataFolderLock::acquire() {
    return lock_.tryLock(0);
}

QString DataFolderLock::refusal() const {
    qint64 pid = 0;
    QString host, app;
    if (lock_.error() == QLockFile::LockFailedError && lock_.getLockInfo(&pid, &host, &app))
        return QString("the data folder %1 is served by another process (pid %2)")
            .arg(folder_)
            .arg(pid);
    return QString("cannot lock the data folder %1 (%2)")
        .arg(folder_, QDir(folder_).filePath(kFolderLockFile));
}

}  // namespace horalog
