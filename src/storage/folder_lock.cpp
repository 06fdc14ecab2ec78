#include "storage/folder_lock.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace horalog {

DataFolderLock::DataFolderLock(const QString& folder)
    : folder_(folder), lock_(QDir(folder).filePath(kFolderLockFile)) {
    lock_.setStaleLockTime(0);
}

bool DataFolderLock::acquire() {
    if (lock_.tryLock(0)) return true;
    // A holder writes its process id right after creating the file. A file without one
    // that is older than a few seconds is what a crash at that moment leaves: take it over,
    // or a restarted service would wait for ever.
    qint64 pid = 0;
    QString host, app;
    const QFileInfo file(QDir(folder_).filePath(kFolderLockFile));
    if (lock_.error() == QLockFile::LockFailedError && !lock_.getLockInfo(&pid, &host, &app) &&
        file.exists() && file.lastModified().secsTo(QDateTime::currentDateTime()) > 5) {
        lock_.removeStaleLockFile();
        return lock_.tryLock(0);
    }
    return false;
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
