#include "maintenance/log_repair.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "storage/read_journal.h"
#include "storage/store.h"

namespace horalog {

namespace {

// Copies the rows of recorder in ID order. A damaged page stops a scan; the scan then looks
// further on (1, 2, 4, ... ids ahead) for the next row it can reach and goes on from there.
qint64 copyRows(Connection& from, Connection& to) {
    auto insert = to.prepare(
        "INSERT INTO recorder (ID, SYSTIME, CARDNO, MODE, READER, LOCK) VALUES (?, ?, ?, ?, ?, ?)");
    qint64 copied = 0;
    qint64 after = 0;
    for (;;) {
        try {
            auto q = from.prepare(
                "SELECT ID, SYSTIME, CARDNO, MODE, READER, LOCK FROM recorder WHERE ID > ? "
                "ORDER BY ID");
            q.bindAll(after);
            while (q.next()) {
                insert.reset();
                for (int i = 0; i < 6; ++i) insert.bind(i + 1, q.value(i));
                insert.exec();
                after = q.value(0).toLongLong();
                ++copied;
            }
            return copied;
        } catch (const DbError&) {
        }
        bool found = false;
        for (qint64 gap = 1; gap < (qint64(1) << 40) && !found; gap *= 2) {
            try {
                auto probe =
                    from.prepare("SELECT ID FROM recorder WHERE ID > ? ORDER BY ID LIMIT 1");
                probe.bindAll(after + gap);
                if (!probe.next()) return copied;  // nothing further on
                after = probe.value(0).toLongLong() - 1;
                found = true;
            } catch (const DbError&) {
            }
        }
        if (!found) return copied;
    }
}

// The ids of merged journal reads go along, so that a journal merged once is not merged twice.
void copyMergedIds(Connection& from, Connection& to) {
    try {
        auto q = from.prepare("SELECT UID, ROWID_IN_LOG FROM journal_merged");
        to.execute(
            "CREATE TABLE IF NOT EXISTS journal_merged (UID TEXT PRIMARY KEY, ROWID_IN_LOG "
            "INTEGER)");
        auto insert = to.prepare("INSERT OR IGNORE INTO journal_merged VALUES (?, ?)");
        while (q.next()) {
            insert.reset();
            insert.bindAll(q.text("UID"), q.int64("ROWID_IN_LOG"));
            insert.exec();
        }
    } catch (const DbError&) {
        // no such table, or it is unreadable: the rows themselves are what matters
    }
}

bool moveWithSideFiles(const QString& from, const QString& to) {
    if (!QFile::rename(from, to)) return false;
    for (const char* side : {"-wal", "-shm"})
        if (QFileInfo::exists(from + side)) QFile::rename(from + side, to + side);
    return true;
}

}  // namespace

LogRepair RepairLog(const QString& folder, bool swap) {
    LogRepair r;
    const QDir dir(folder);
    const QString damaged = dir.filePath(kLogDbFile);
    r.repairedPath = dir.filePath(kRepairedLogFile);
    std::unique_ptr<Connection> from;
    try {
        from = OpenDatabase(damaged, kLogDbPassword, OpenMode::ReadOnly);
    } catch (const DbError& e) {
        r.lines << QString("%1: cannot open: %2").arg(damaged, e.text());
        return r;
    }
    try {
        auto q = from->prepare("SELECT N FROM recorder_count");
        if (q.next()) r.expected = q.value(0).toLongLong();
    } catch (const DbError&) {
    }

    const QString blank = dir.filePath(kLogTemplateFile);
    try {
        if (!QFileInfo::exists(blank)) CreateTemplate(blank, "attend", kLogDbPassword);
        QFile::remove(r.repairedPath);
        for (const char* side : {"-wal", "-shm"}) QFile::remove(r.repairedPath + side);
        if (!QFile::copy(blank, r.repairedPath)) throw DbError("cannot create " + r.repairedPath);
        QFile(r.repairedPath).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        auto to = OpenDatabase(r.repairedPath, kLogDbPassword, OpenMode::ReadWrite);
        {
            Transaction t(*to);
            r.copied = copyRows(*from, *to);
            copyMergedIds(*from, *to);
            t.commit();
        }
        to->checkpoint();
        const QStringList damage = to->quickCheck().value_or(QStringList());
        if (!damage.isEmpty()) throw DbError("the new file fails its check: " + damage.first());
    } catch (const DbError& e) {
        r.lines << QString("%1: %2").arg(kRepairedLogFile, e.text());
        return r;
    }
    from.reset();
    r.ok = true;
    r.lines << QString("%1: %2 of %3 log records copied, file checked: ok")
                   .arg(kRepairedLogFile)
                   .arg(r.copied)
                   .arg(r.expected < 0 ? QString("?") : QString::number(r.expected));
    if (!swap) {
        r.lines << QString(
                       "%1 is unchanged; run again with --swap to put the new file in its "
                       "place")
                       .arg(kLogDbFile);
        return r;
    }

    r.keptPath = dir.filePath(QString("attend-damaged-%1.mdb")
                                  .arg(QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss")));
    if (!moveWithSideFiles(damaged, r.keptPath)) {
        r.ok = false;
        r.lines << QString("%1: cannot be renamed to %2").arg(damaged, r.keptPath);
        return r;
    }
    if (!QFile::rename(r.repairedPath, damaged)) {
        moveWithSideFiles(r.keptPath, damaged);
        r.ok = false;
        r.lines << QString("%1: cannot be put in place").arg(r.repairedPath);
        return r;
    }
    r.lines << QString("%1 replaced; the damaged file is kept as %2")
                   .arg(kLogDbFile, QFileInfo(r.keptPath).fileName());
    try {
        ReadJournal journal(dir.filePath(kJournalFile));
        if (journal.count() > 0) {
            auto log = OpenDatabase(damaged, kLogDbPassword, OpenMode::ReadWrite);
            r.journalMerged = journal.mergeInto(*log).merged;
            r.lines << QString("%1: %2 read(s) merged into the log")
                           .arg(kJournalFile)
                           .arg(r.journalMerged);
        }
    } catch (const DbError& e) {
        r.lines << QString("%1: reads not merged yet (%2); the next start merges them")
                       .arg(kJournalFile, e.text());
    }
    return r;
}

}  // namespace horalog
