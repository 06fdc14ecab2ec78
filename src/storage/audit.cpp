#include "storage/audit.h"

#include <QFile>

#include "common/csv.h"
#include "storage/stations.h"
#include "storage/store.h"

namespace horalog {

namespace {
Clock& AuditClock() {
    static Clock clock = SystemClock();
    return clock;
}

const char* const kAuditColumns = "ID, STAMP, STATION, ACTION, SUBJECT, OLDTEXT, NEWTEXT";

AuditRecord FromRow(const Statement& q) {
    return {q.int64("ID"),     q.dateTime("STAMP"), q.text("STATION"), q.text("ACTION"),
            q.text("SUBJECT"), q.text("OLDTEXT"),   q.text("NEWTEXT")};
}

// The WHERE clause of a filter, its values bound from index 1 on.
struct Where {
    QString sql;
    QVariantList values;
};

Where FilterClause(const AuditFilter& f) {
    Where w;
    QStringList parts;
    if (f.from) {
        parts << "STAMP >= ?";
        w.values << DateTime::fromDate(*f.from).value;
    }
    if (f.to) {
        parts << "STAMP < ?";
        w.values << DateTime::fromDate(f.to->addDays(1)).value;
    }
    const QString text = f.text.trimmed();
    if (!text.isEmpty()) {
        QString pattern = text;
        pattern.replace("\\", "\\\\").replace("%", "\\%").replace("_", "\\_");
        parts << "(SUBJECT LIKE ? ESCAPE '\\' OR ACTION LIKE ? ESCAPE '\\' OR OLDTEXT LIKE ? "
                 "ESCAPE '\\' OR NEWTEXT LIKE ? ESCAPE '\\' OR STATION LIKE ? ESCAPE '\\')";
        for (int i = 0; i < 5; ++i) w.values << "%" + pattern + "%";
    }
    w.sql = parts.join(" AND ");
    return w;
}
}  // namespace

QString AuditLog::station() {
    return StationName();  // the same name the PC's log rows carry
}

void AuditLog::setClock(Clock clock) {
    AuditClock() = std::move(clock);
}

void AuditLog::write(const QString& action, const QString& subject, const QString& oldText,
                     const QString& newText) {
    auto q = c_.prepare(QString("INSERT INTO %1.audit (STAMP, STATION, ACTION, SUBJECT, OLDTEXT, "
                                "NEWTEXT) VALUES (?, ?, ?, ?, ?, ?)")
                            .arg(schema_));
    q.bindAll(WholeSeconds(AuditClock()()), station(), action, subject, oldText, newText);
    q.exec();
}

std::vector<AuditRecord> AuditLog::page(const AuditFilter& filter,
                                        const std::optional<AuditRecord>& after, int limit) {
    Where w = FilterClause(filter);
    QString where = w.sql;
    if (after) {
        if (!where.isEmpty()) where += " AND ";
        where += "(STAMP < ? OR (STAMP = ? AND ID < ?))";
        w.values << after->stamp.value << after->stamp.value << after->id;
    }
    auto q = c_.prepare(
        QString("SELECT %1 FROM %2.audit %3 ORDER BY STAMP DESC, ID DESC LIMIT ?")
            .arg(kAuditColumns, schema_, where.isEmpty() ? QString() : "WHERE " + where));
    int i = 0;
    for (const QVariant& v : w.values) q.bind(++i, v);
    q.bind(++i, limit);
    std::vector<AuditRecord> out;
    while (q.next()) out.push_back(FromRow(q));
    return out;
}

void AuditLog::forEach(const AuditFilter& filter,
                       const std::function<bool(const AuditRecord&)>& f) {
    const Where w = FilterClause(filter);
    auto q = c_.prepare(
        QString("SELECT %1 FROM %2.audit %3 ORDER BY STAMP, ID")
            .arg(kAuditColumns, schema_, w.sql.isEmpty() ? QString() : "WHERE " + w.sql));
    int i = 0;
    for (const QVariant& v : w.values) q.bind(++i, v);
    while (q.next())
        if (!f(FromRow(q))) return;
}

qint64 AuditLog::count() {
    auto q = c_.prepare(QString("SELECT count(*) FROM %1.audit").arg(schema_));
    q.next();
    return q.value(0).toLongLong();
}

AttachedSystemDb::AttachedSystemDb(Connection& att, const QString& sysDbPath) : att_(att) {
    if (att_.hasTable("audit")) return;
    auto q = att_.prepare(QString("ATTACH DATABASE ? AS %1 KEY ?").arg(kSchema));
    q.bindAll(sysDbPath, QString(kSysDbPassword));
    q.exec();
    attached_ = true;
}

AttachedSystemDb::~AttachedSystemDb() {
    if (!attached_) return;
    try {
        att_.execute(QString("DETACH DATABASE %1").arg(kSchema));
    } catch (const DbError&) {
        // closing the connection detaches it as well
    }
}

void SetAuditAside(Connection& src, const QString& asidePath) {
    QFile::remove(asidePath);
    // ATTACH opens with the flags of src, which does not create files: made here first.
    OpenDatabase(asidePath, kSysDbPassword, OpenMode::ReadWrite, true);
    auto a = src.prepare("ATTACH DATABASE ? AS aside KEY ?");
    a.bindAll(asidePath, QString(kSysDbPassword));
    a.exec();
    try {
        src.execute("CREATE TABLE aside.audit AS SELECT * FROM main.audit");
    } catch (const DbError&) {
        src.execute("DETACH DATABASE aside");
        QFile::remove(asidePath);
        throw;
    }
    src.execute("DETACH DATABASE aside");
}

void CarryAuditInto(Connection& src, const QString& asidePath) {
    if (!QFile::exists(asidePath)) return;
    auto a = src.prepare("ATTACH DATABASE ? AS aside KEY ?");
    a.bindAll(asidePath, QString(kSysDbPassword));
    a.exec();
    const QString missing =
        "FROM aside.audit o WHERE NOT EXISTS (SELECT 1 FROM main.audit n "
        "WHERE n.STAMP = o.STAMP AND n.ACTION = o.ACTION AND n.SUBJECT = o.SUBJECT "
        "AND n.STATION = o.STATION AND n.OLDTEXT = o.OLDTEXT AND n.NEWTEXT = o.NEWTEXT)";
    try {
        // Written only when rows are missing: a file that has them all stays as it is.
        bool any = false;
        {
            auto q = src.prepare("SELECT 1 " + missing + " LIMIT 1");
            any = q.next();
        }
        if (any) {
            Transaction t(src);
            src.execute(
                "INSERT INTO main.audit (STAMP, STATION, ACTION, SUBJECT, OLDTEXT, NEWTEXT) "
                "SELECT o.STAMP, o.STATION, o.ACTION, o.SUBJECT, o.OLDTEXT, o.NEWTEXT " +
                missing + " ORDER BY o.STAMP, o.ID");
            t.commit();
        }
    } catch (const DbError&) {
        src.execute("DETACH DATABASE aside");
        throw;  // the file stays for another try
    }
    src.execute("DETACH DATABASE aside");
    QFile::remove(asidePath);
}

QString AuditTimeText(DateTime t) {
    return t.toQDateTime().toString("yyyy-MM-dd HH:mm:ss");
}

QString AuditCsvHeader() {
    return "TIME,STATION,ACTION,SUBJECT,BEFORE,AFTER";
}

QString AuditCsvLine(const AuditRecord& r) {
    return CsvLine({AuditTimeText(r.stamp), r.station, r.action, r.subject, r.oldText, r.newText});
}

}  // namespace horalog
