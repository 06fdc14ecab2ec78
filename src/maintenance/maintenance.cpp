#include "maintenance/maintenance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QtDebug>
#include <limits>
#include <optional>
#include <vector>

#include "common/format.h"
#include "common/paths.h"
#include "common/ports.h"
#include "common/texts.h"
#include "storage/audit.h"
#include "storage/log_table.h"
#include "storage/lookups.h"
#include "storage/rows.h"
#include "storage/settings.h"
#include "storage/store.h"

namespace horalog {

namespace {

// Rows deleted per transaction. Window events (card reads among them) run only between
// transactions, so a read is never part of a change that could still be rolled back.
constexpr int kEraseBatch = 500;

void letEventsRun() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

QString lastSettingName(DatabaseKind kind) {
    return kind == DatabaseKind::Log ? "LogDbLast" : "SysDbLast";
}

QString livePath(const Tdsrc& store, DatabaseKind kind) {
    return kind == DatabaseKind::Log ? store.logDbPath() : store.sysDbPath();
}

bool isLiveFile(const Tdsrc& store, const QString& path) {
    return SameFile(path, store.logDbPath()) || SameFile(path, store.sysDbPath());
}

// Runs work between CloseStore and ReopenStore; the store is reopened whatever happened.
template <typename Work>
auto withStoreClosed(Tdsrc& store, Work&& work) {
    store.CloseStore();
    letEventsRun();
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            store.ReopenStore();
        } else {
            auto result = work();
            store.ReopenStore();
            return result;
        }
    } catch (...) {
        store.ReopenStore();
        throw;
    }
}

QString auditAsidePath(const Tdsrc& store) {
    return store.sysDbPath() + ".audit";
}

// Around an operation that puts another system database in place: the audit rows are set
// aside before and carried into the new file after, with the operation's own row. A trail
// that cannot be carried stays aside for the next start.
template <typename Work>
bool withAuditKept(Tdsrc& store, const QString& action, const QString& subject, Work&& work) {
    const QString aside = auditAsidePath(store);
    try {
        SetAuditAside(store.src(), aside);
    } catch (const DbError& e) {
        qWarning().noquote() << "audit trail not set aside:" << e.text();
    }
    const bool ok = work();
    try {
        // The reopening carried the rows already; a refused operation left the file as it was.
        if (!ok) QFile::remove(aside);
        CarryAuditInto(store.src(), aside);
        if (ok) AuditLog(store.src()).write(action, subject);
    } catch (const DbError& e) {
        qWarning().noquote() << "audit trail not carried:" << e.text();
    }
    return ok;
}

QString withDefaultSuffix(const QString& path, const QString& suffix) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + "." + suffix;
}

}  // namespace

QString LastBackupFile(const Tdsrc& store, DatabaseKind kind) {
    const char* def = kind == DatabaseKind::Log ? "backup_attend.mdb" : "backup_sysdat.mdb";
    return ReadSettingText(lastSettingName(kind), QDir(store.folder()).filePath(def));
}

QString BackupTitle(DatabaseKind kind) {
    return kind == DatabaseKind::Log ? "Backup Log Database" : "Backup System Database";
}

QString RestoreTitle(DatabaseKind kind) {
    return kind == DatabaseKind::Log ? "Restore Log Database" : "Restore System Database";
}

namespace {
// The files' commands would copy or replace files the server database does not use and then
// report success.
bool refusedOnServer(const Tdsrc& store, Messages& messages) {
    if (store.serverUrl().isEmpty()) return false;
    messages.error(QString(kDatabaseOnServer).arg(store.serverUrl()));
    return true;
}
}  // namespace

void BackupDatabase(Tdsrc& store, DatabaseKind kind, Messages& messages, FileDialogs& dialogs) {
    if (refusedOnServer(store, messages)) return;
    QString target =
        dialogs.saveFile(BackupTitle(kind), LastBackupFile(store, kind), kDatabaseDialogFilter);
    if (target.isEmpty()) return;
    BackupDatabaseTo(store, kind, withDefaultSuffix(target, "mdb"), messages);
}

bool BackupDatabaseTo(Tdsrc& store, DatabaseKind kind, const QString& target, Messages& messages) {
    if (refusedOnServer(store, messages)) return false;
    if (isLiveFile(store, target)) {
        messages.error(kLiveFileChosen);
        return false;
    }
    bool ok = withStoreClosed(store, [&] {
        try {
            BackupDatabaseFile(livePath(store, kind), kind, target);
        } catch (const DbError&) {
            messages.error(text::kOperationFailed);
            return false;
        }
        WriteSettingText(lastSettingName(kind), target);
        return true;
    });
    if (ok) messages.information(text::kCompleted);
    return ok;
}

DatabaseSummary SummarizeDatabase(Connection& c, DatabaseKind kind) {
    DatabaseSummary s;
    s.kind = kind;
    if (kind == DatabaseKind::Log) {
        s.records = LogTable(c).count();
        // min and max walk the SYSTIME index.
        auto q = c.prepare("SELECT min(SYSTIME), max(SYSTIME) FROM recorder");
        if (s.records > 0 && q.next()) {
            s.first = DateTime(q.value(0).toDouble());
            s.last = DateTime(q.value(1).toDouble());
        }
    } else {
        s.holders = CountRows(c, "staffs");
        s.groups = CountRows(c, "gid");
    }
    return s;
}

QString RestoreQuestion(const std::optional<DatabaseSummary>& live, const DatabaseSummary& backup) {
    const QLocale locale;
    auto count = [&](qint64 n, const char* one, const char* many) -> QString {
        return locale.toString(n) + " " + (n == 1 ? one : many);
    };
    auto contents = [&](const DatabaseSummary& s) -> QString {
        if (s.kind == DatabaseKind::System)
            return count(s.holders, "card holder", "card holders") + " and " +
                   count(s.groups, "group", "groups");
        QString text = count(s.records, "record", "records");
        if (s.records > 0)
            text += QString(" (first %1, last %2)")
                        .arg(FormatDateTime("yyyy-mm-dd", s.first, locale),
                             FormatDateTime("yyyy-mm-dd", s.last, locale));
        return text;
    };
    const QString what = backup.kind == DatabaseKind::Log ? "The log" : "The system database";
    const QString replaced = live ? what + " of " + contents(*live) : what;
    return replaced + " will be replaced by the backup's " + contents(backup) + ". Continue?";
}

void RestoreDatabase(Tdsrc& store, DatabaseKind kind, Messages& messages, FileDialogs& dialogs) {
    if (refusedOnServer(store, messages)) return;
    QString source =
        dialogs.openFile(RestoreTitle(kind), LastBackupFile(store, kind), kDatabaseDialogFilter);
    if (source.isEmpty()) return;
    RestoreDatabaseFrom(store, kind, source, messages);
}

bool RestoreDatabaseFrom(Tdsrc& store, DatabaseKind kind, const QString& source,
                         Messages& messages) {
    if (refusedOnServer(store, messages)) return false;
    if (isLiveFile(store, source)) {
        messages.error(kLiveFileChosen);
        return false;
    }
    // Asked while the store is open: the readers are served as long as the question is up.
    std::optional<DatabaseSummary> backup;
    try {
        auto c = OpenDatabase(source, DatabasePassword(kind), OpenMode::ReadOnly);
        CheckDatabaseTables(*c, kind);
        backup = SummarizeDatabase(*c, kind);
    } catch (const DbError&) {
    }
    if (!backup) {
        messages.error(kInvalidDatabase);
        return false;
    }
    std::optional<DatabaseSummary> live;
    try {
        if (store.isOpen())
            live = SummarizeDatabase(kind == DatabaseKind::Log ? store.att() : store.src(), kind);
        else
            live = SummarizeDatabase(
                *OpenDatabase(livePath(store, kind), DatabasePassword(kind), OpenMode::ReadOnly),
                kind);
    } catch (const DbError&) {
        // a live file that cannot be read is what a restore is for
    }
    if (!messages.confirm(RestoreQuestion(live, *backup))) return false;

    // The copy is checked again before it replaces the live file.
    const QString subject = QFileInfo(livePath(store, kind)).fileName() + " from " + source;
    bool ok = withAuditKept(store, audit::kRestored, subject, [&] {
        return withStoreClosed(store, [&] {
            switch (InstallDatabaseFile(source, livePath(store, kind), kind)) {
                case InstallResult::Installed:
                    WriteSettingText(lastSettingName(kind), source);
                    return true;
                case InstallResult::Invalid:
                    messages.error(kInvalidDatabase);
                    return false;
                case InstallResult::Failed:
                    messages.error(text::kOperationFailed);
                    return false;
            }
            return false;
        });
    });
    if (ok) messages.information(text::kCompleted);
    return ok;
}

void FormatDatabase(Tdsrc& store, Messages& messages) {
    if (refusedOnServer(store, messages)) return;
    if (!messages.warningYesNo(kFormatQuestion)) return;
    FormatDatabaseNow(store, messages);
}

void FormatDatabaseNow(Tdsrc& store, Messages& messages) {
    if (refusedOnServer(store, messages)) return;
    QDir folder(store.folder());
    withAuditKept(store, audit::kFormatted, QString(), [&] {
        withStoreClosed(store, [&] {
            if (InstallDatabaseFile(folder.filePath(kLogTemplateFile), store.logDbPath(),
                                    DatabaseKind::Log) != InstallResult::Installed)
                messages.error(kLogDbLocked);
            letEventsRun();
            if (InstallDatabaseFile(folder.filePath(kSysTemplateFile), store.sysDbPath(),
                                    DatabaseKind::System) != InstallResult::Installed)
                messages.error(kSysDbLocked);
            letEventsRun();
            QDir photos(PhotosFolder());
            for (const QString& name : photos.entryList({"*.jpg"}, QDir::Files)) {
                photos.remove(name);
                letEventsRun();
            }
        });
        return true;
    });
    messages.information(kDatabaseFormatted);
}

qint64 EraseLogDatabase(Tdsrc& store, const EraseLogChoice& choice, Messages& messages,
                        Progress& progress, const LiveLogControl& live) {
    if (!messages.warningYesNo(kEraseLogQuestion)) return -1;
    try {
        return EraseLogRecords(store, choice, progress, live);
    } catch (const DbError&) {
        messages.error(text::kDatabaseError);
        return 0;
    }
}

qint64 EraseLogRecords(Tdsrc& store, const EraseLogChoice& choice, Progress& progress,
                       const LiveLogControl& live) {
    Connection& att = store.att();
    LogTable log(att);
    LiveLogHidden hidden(live);
    const qint64 total = log.count();
    qint64 erased = 0;
    {
        auto window = progress.open("Erasing Attendance Record", int(total));
        // Records of the chosen day and later stay.
        const double bound =
            choice.all ? std::numeric_limits<double>::max() : choice.date.datePart().value;
        auto next = att.prepare(
            "SELECT ID, SYSTIME, CARDNO FROM recorder WHERE SYSTIME < ? "
            "ORDER BY SYSTIME, CARDNO, ID LIMIT ?");
        auto del = att.prepare("DELETE FROM recorder WHERE ID = ?");
        // The audit row goes with the first batch: it exists exactly when records went.
        std::optional<AttachedSystemDb> attached;
        attached.emplace(att, store.sysDbPath());
        while (true) {
            struct Row {
                qint64 id;
                DateTime t;
                int card;
            };
            std::vector<Row> rows;
            next.bindAll(bound, kEraseBatch);
            while (next.next())
                rows.push_back({next.value(0).toLongLong(), DateTime(next.value(1).toDouble()),
                                next.value(2).toInt()});
            next.reset();
            if (rows.empty()) break;
            {
                Transaction t(att);
                for (const Row& r : rows) {
                    del.bindAll(r.id);
                    del.exec();
                    del.reset();
                }
                if (attached) {
                    AuditLog(att, attached->schema())
                        .write(audit::kLogErased,
                               choice.all ? QString("all records")
                                          : "records before " +
                                                AuditTimeText(choice.date.datePart()).left(10),
                               QString("%1 records").arg(total), QString());
                }
                t.commit();
            }
            attached.reset();
            // Pictures go once their rows are gone for good; a missing file is fine.
            for (const Row& r : rows) QFile::remove(PicturePath(r.card, r.t));
            erased += qint64(rows.size());
            window->step(int(rows.size()));
        }
    }
    if (!choice.all && live.showRecord) {
        if (auto oldest = log.first()) live.showRecord(*oldest);
    }
    return erased;
}

qint64 EraseStaffRecords(Tdsrc& store, Messages& messages, Progress& progress,
                         const LiveLogControl& live) {
    if (!messages.warningYesNo(kEraseStaffQuestion)) return -1;
    Connection& src = store.src();
    LiveLogHidden hidden(live);
    qint64 erased = 0;
    try {
        auto window = progress.open("Erasing Database", int(CountRows(src, "staffs")));
        auto next = src.prepare("SELECT SEQ FROM staffs ORDER BY NAME LIMIT ?");
        auto del = src.prepare("DELETE FROM staffs WHERE SEQ = ?");
        while (true) {
            std::vector<qint64> seqs;
            next.bindAll(kEraseBatch);
            while (next.next()) seqs.push_back(next.value(0).toLongLong());
            next.reset();
            if (seqs.empty()) break;
            Transaction t(src);
            for (qint64 seq : seqs) {
                del.bindAll(seq);
                del.exec();
                del.reset();
            }
            if (erased == 0)  // with the first batch: the row exists exactly when holders went
                AuditLog(src).write(
                    audit::kHoldersErased, "all holders",
                    QString("%1 holders").arg(CountRows(src, "staffs") + qint64(seqs.size())),
                    QString());
            t.commit();
            erased += qint64(seqs.size());
            window->step(int(seqs.size()));
        }
    } catch (const DbError&) {
        messages.error(text::kDatabaseError);
    }
    return erased;
}

}  // namespace horalog
