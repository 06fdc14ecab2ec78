#include "maintenance/data_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

#include "common/ports.h"
#include "common/texts.h"
#include "storage/database.h"
#include "storage/store.h"

namespace horalog {

namespace {

// The hourglass while a file is copied, when there is a screen.
class BusyCursor {
public:
    BusyCursor() : on_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (on_) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor() {
        if (on_) QGuiApplication::restoreOverrideCursor();
    }

private:
    bool on_;
};

void letEventsRun() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

bool syncFile(const QString& path) {
    int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void syncFolderOf(const QString& path) {
    int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                    O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

QString stagingPath(const QString& target) {
    return target + ".new";
}

void discard(const QString& path) {
    QFile::remove(path);
    RemoveSideFiles(path);
}

// Renames a synced temporary file over target in one step, after removing target's side
// files so that no old log is replayed into the new file.
bool renameOver(const QString& temp, const QString& target) {
    if (!syncFile(temp)) return false;
    if (!RemoveSideFiles(target)) return false;
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) !=
        0)
        return false;
    syncFolderOf(target);
    return true;
}

void checkTables(Connection& c, DatabaseKind kind) {
    if (kind == DatabaseKind::Log) {
        c.prepare("SELECT ID, SYSTIME, CARDNO, MODE, READER, LOCK FROM recorder LIMIT 1").exec();
        c.prepare("SELECT N FROM recorder_count").exec();
        return;
    }
    for (const char* table :
         {"staffs", "gid", "timetbl", "reader", "iotime", "apb", "emails", "passwd", "offline"})
        c.prepare(QString("SELECT * FROM %1 LIMIT 1").arg(table)).exec();
    if (!ReaderTableOk(c)) throw DbError(kReaderTableError);
}

// Checks a copy made beside its target and folds it into one self-contained file: every
// logged change written into it, no side file left.
bool settleCopy(const QString& temp, DatabaseKind kind) {
    try {
        auto c = OpenDatabase(temp, DatabasePassword(kind), OpenMode::ReadWrite);
        checkTables(*c, kind);
        c->checkpoint();
        c->execute("PRAGMA journal_mode=DELETE");
    } catch (const DbError&) {
        return false;
    }
    return RemoveSideFiles(temp);
}

}  // namespace

QString DatabaseFileName(DatabaseKind kind) {
    return kind == DatabaseKind::Log ? kLogDbFile : kSysDbFile;
}
QString DatabasePassword(DatabaseKind kind) {
    return kind == DatabaseKind::Log ? kLogDbPassword : kSysDbPassword;
}
QString TemplateFileName(DatabaseKind kind) {
    return kind == DatabaseKind::Log ? kLogTemplateFile : kSysTemplateFile;
}

bool CopyDataFile(const QString& source, const QString& target) {
    BusyCursor busy;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return false;
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QByteArray chunk;
    constexpr qint64 kChunk = 1 << 20;
    while (true) {
        chunk = in.read(kChunk);
        if (chunk.isEmpty()) {
            if (in.error() != QFileDevice::NoError) return false;
            break;
        }
        if (out.write(chunk) != chunk.size()) return false;
        letEventsRun();
    }
    if (!out.flush()) return false;
    out.close();
    letEventsRun();
    return out.error() == QFileDevice::NoError;
}

bool ReplaceDataFile(const QString& source, const QString& target, Messages& messages) {
    QString temp = stagingPath(target);
    bool ok = CopyDataFile(source, temp) && renameOver(temp, target);
    if (!ok) {
        discard(temp);
        messages.error(text::kOperationFailed);
    }
    return ok;
}

bool SameFile(const QString& a, const QString& b) {
    auto norm = [](const QString& p) {
        QFileInfo fi(p);
        QString canonical = fi.canonicalFilePath();
        if (!canonical.isEmpty()) return canonical;
        // A missing file: resolve its folder.
        QString dir = QFileInfo(fi.absolutePath()).canonicalFilePath();
        return QDir(dir.isEmpty() ? fi.absolutePath() : dir).filePath(fi.fileName());
    };
    return norm(a) == norm(b);
}

void CheckDatabaseTables(Connection& c, DatabaseKind kind) {
    checkTables(c, kind);
}

bool DatabaseFileUsable(const QString& path, DatabaseKind kind) {
    try {
        auto c = OpenDatabase(path, DatabasePassword(kind), OpenMode::ReadOnly);
        checkTables(*c, kind);
        return true;
    } catch (const DbError&) {
        return false;
    }
}

InstallResult InstallDatabaseFile(const QString& source, const QString& target, DatabaseKind kind) {
    QString temp = stagingPath(target);
    discard(temp);
    bool copied = CopyDataFile(source, temp);
    // A source still in write-ahead mode may keep committed rows in its log: take it along.
    QFileInfo wal(source + "-wal");
    if (copied && wal.exists() && wal.size() > 0)
        copied = CopyDataFile(wal.filePath(), temp + "-wal");
    if (!copied) {
        discard(temp);
        return InstallResult::Failed;
    }
    if (!settleCopy(temp, kind)) {
        discard(temp);
        return InstallResult::Invalid;
    }
    if (!renameOver(temp, target)) {
        discard(temp);
        return InstallResult::Failed;
    }
    return InstallResult::Installed;
}

void BackupDatabaseFile(const QString& live, DatabaseKind kind, const QString& target) {
    BusyCursor busy;
    QString temp = stagingPath(target);
    discard(temp);
    try {
        // An attached file inherits the connection's open flags, and the live file is opened
        // without "create": the copy starts as an empty file, which the engine takes as an
        // empty database.
        QFile empty(temp);
        if (!empty.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw DbError("cannot write " + temp);
        empty.close();
        auto c = OpenDatabase(live, DatabasePassword(kind), OpenMode::ReadWrite);
        c->backupTo(temp);
    } catch (const DbError&) {
        discard(temp);
        throw;
    }
    letEventsRun();
    if (!settleCopy(temp, kind)) {
        discard(temp);
        throw DbError("the copy of " + live + " cannot be read back");
    }
    if (!renameOver(temp, target)) {
        discard(temp);
        throw DbError("cannot write " + target);
    }
}

bool RemoveSideFiles(const QString& path) {
    bool ok = true;
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        QString side = path + suffix;
        if (QFileInfo::exists(side) && !QFile::remove(side)) ok = false;
    }
    return ok;
}

}  // namespace horalog
