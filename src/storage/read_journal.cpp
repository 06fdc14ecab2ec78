#include "storage/read_journal.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include "storage/store.h"

namespace horalog {

namespace {
// The ids of merged reads live in the log itself, next to the rows they became.
constexpr const char* kMergedTable =
    "CREATE TABLE IF NOT EXISTS journal_merged (UID TEXT PRIMARY KEY, ROWID_IN_LOG INTEGER)";
}  // namespace

ReadJournal::ReadJournal(QString path) : path_(std::move(path)) {}
ReadJournal::~ReadJournal() = default;

Connection& ReadJournal::open(bool create) {
    if (c_) return *c_;
    const bool fresh = !QFileInfo::exists(path_);
    if (fresh && !create) throw DbError("no journal");
    c_ = OpenDatabase(path_, kLogDbPassword, OpenMode::ReadWrite, create);
    // Every read kept here was answered: it must be on disk before the answer goes out.
    c_->setDurable(true);
    c_->execute(
        "CREATE TABLE IF NOT EXISTS journal (UID TEXT PRIMARY KEY, SYSTIME REAL NOT NULL, "
        "CARDNO INTEGER NOT NULL, MODE INTEGER NOT NULL, READER INTEGER NOT NULL, "
        "LOCK INTEGER NOT NULL, STATION TEXT NOT NULL DEFAULT '', TAKENAFTER INTEGER)");
    // A journal kept by an earlier version lacks the later columns: its reads are this PC's,
    // and the log surely did not take them.
    for (const char* column :
         {"STATION TEXT NOT NULL DEFAULT ''", "TAKENAFTER INTEGER"}) {
        const QString name = QString(column).section(' ', 0, 0);
        try {
            c_->prepare("SELECT " + name + " FROM journal LIMIT 0").exec();
        } catch (const DbError&) {
            c_->execute(QString("ALTER TABLE journal ADD COLUMN ") + column);
        }
    }
    return *c_;
}

QString ReadJournal::append(const LogRecord& r, std::optional<qint64> takenAfter) {
    Connection& c = open(true);
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    auto q = c.prepare(
        "INSERT INTO journal (UID, SYSTIME, CARDNO, MODE, READER, LOCK, STATION, TAKENAFTER) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    q.bindAll(id, r.systime, r.cardno, r.mode, r.reader, r.lock, r.station,
              takenAfter ? QVariant(*takenAfter) : QVariant());
    q.exec();
    return id;
}

void ReadJournal::setLock(const QString& id, int lock) {
    auto q = open(true).prepare("UPDATE journal SET LOCK = ? WHERE UID = ?");
    q.bindAll(lock, id);
    q.exec();
}

qint64 ReadJournal::count() {
    if (!c_ && !QFileInfo::exists(path_)) return 0;
    auto q = open(false).prepare("SELECT count(*) FROM journal");
    q.next();
    return q.value(0).toLongLong();
}

JournalMerge ReadJournal::mergeInto(Connection& log) {
    JournalMerge result;
    if (count() == 0) return result;
    Connection& j = *c_;
    log.execute(kMergedTable);
    {
        Transaction t(log);
        LogTable table(log);
        auto seen = log.prepare("SELECT 1 FROM journal_merged WHERE UID = ?");
        auto mark = log.prepare("INSERT INTO journal_merged (UID, ROWID_IN_LOG) VALUES (?, ?)");
        // The station's first row after the last one it knew was written, if it is this read:
        // an identical row before it is an earlier read of the same second.
        auto taken = log.prepare(
            "SELECT ID FROM recorder WHERE SYSTIME = ? AND CARDNO = ? AND MODE = ? AND "
            "READER = ? AND STATION = ? AND ID > ? ORDER BY ID LIMIT 1");
        auto rows = j.prepare(
            "SELECT UID, SYSTIME, CARDNO, MODE, READER, LOCK, STATION, TAKENAFTER FROM journal "
            "ORDER BY SYSTIME, rowid");
        while (rows.next()) {
            const QString id = rows.text("UID");
            seen.reset();
            seen.bindAll(id);
            if (seen.next()) {
                ++result.skipped;
                continue;
            }
            LogRecord r{0,
                        rows.dateTime("SYSTIME"),
                        rows.integer("CARDNO"),
                        rows.integer("MODE"),
                        rows.integer("READER"),
                        rows.integer("LOCK"),
                        rows.text("STATION")};
            if (r.station.isEmpty()) r.station = log.station();
            if (const QVariant after = rows.value(7); !after.isNull()) {
                taken.reset();
                taken.bindAll(r.systime, r.cardno, r.mode, r.reader, r.station, after.toLongLong());
                if (taken.next()) {
                    r.id = taken.int64("ID");
                    taken.reset();
                    if (r.lock != 0) table.setLock(r.id, r.lock);
                    mark.reset();
                    mark.bindAll(id, r.id);
                    mark.exec();
                    ++result.skipped;
                    continue;
                }
            }
            table.append(r);
            mark.reset();
            mark.bindAll(id, r.id);
            mark.exec();
            ++result.merged;
        }
        seen.reset();
        taken.reset();
        t.commit();
    }
    // Only once the log holds them: a cut here leaves ids the next merge skips.
    j.execute("DELETE FROM journal");
    return result;
}

void ReadJournal::close() {
    c_.reset();
}

}  // namespace horalog
