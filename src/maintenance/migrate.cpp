// The copy reads each file inside one read transaction, so a window still writing to the
// folder cannot leave the tables of one file out of step with each other. Rows go over in
// multi-row inserts (a round trip per row would make a large log take minutes); the target's
// triggers are off while a table is filled, because the copied rows already carry what the
// triggers would add (the log's row count) and would be refused by others (the fixed
// profile, the audit rows that may never be deleted).
#include "maintenance/migrate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <memory>
#include <optional>
#include <vector>

#include "maintenance/data_files.h"
#include "storage/folder_lock.h"
#include "storage/postgres_driver.h"
#include "storage/read_journal.h"
#include "storage/schema_upgrade.h"
#include "storage/stations.h"
#include "storage/store.h"

namespace horalog {

namespace {

// Rows per insert: enough to hide the round trips, few enough for the server's limit of
// parameters per statement; tables with photos go in smaller steps.
constexpr int kMaxParameters = 30000;
constexpr int kMaxRowsPerInsert = 1000;
constexpr int kMaxRowsWithBlobs = 50;
// A progress line every this many rows, or every tenth of a larger table.
constexpr qint64 kProgressStep = 10000;

struct Failure {
    QString text;
};

QString Quoted(const QString& name) {
    return '"' + QString(name).replace('"', "\"\"") + '"';
}

// One table of an embedded file, with the columns to copy.
struct SourceTable {
    QString name;
    QString create;  // the table's statement in the file, for a table the server lacks
    Connection* file = nullptr;
    QString fileName;
    QStringList columns;
    bool hasBlob = false;
    bool copyRowid = false;  // the server keeps the row id as a column of its own
    qint64 rows = 0;
    qint64 sequence = 0;  // the embedded engine's last AUTOINCREMENT id, when it keeps one
};

qint64 Count(Connection& c, const QString& table) {
    auto q = c.prepare("SELECT count(*) FROM " + Quoted(table));
    return q.next() ? q.value(0).toLongLong() : 0;
}

// The file, upgraded to this program's tables: the file itself when it is current, else an
// upgraded copy in scratch (the data folder is never written).
std::unique_ptr<Connection> OpenSource(const QString& folder, DatabaseKind kind,
                                       const QString& section, const QTemporaryDir& scratch) {
    const QString path = QDir(folder).filePath(DatabaseFileName(kind));
    if (!QFileInfo::exists(path)) throw Failure{"no " + DatabaseFileName(kind) + " in " + folder};
    auto c = OpenDatabase(path, DatabasePassword(kind), OpenMode::ReadOnly);
    if (SchemaVersion(*c) >= LatestSchemaVersion(section)) return c;
    c.reset();
    const QString copy = scratch.filePath(DatabaseFileName(kind));
    BackupDatabaseFile(path, kind, copy);
    c = OpenDatabase(copy, DatabasePassword(kind), OpenMode::ReadWrite);
    UpgradeSchema(*c, section);
    return c;
}

// The process id of a capture service serving the folder now, else 0. Its lock file is only
// read: taking the lock would write into the folder.
qint64 CaptureServing(const QString& folder) {
    QLockFile lock(QDir(folder).filePath(kFolderLockFile));
    qint64 pid = 0;
    QString host, app;
    if (!lock.getLockInfo(&pid, &host, &app) || pid <= 0) return 0;
    if (!host.isEmpty() && host != QSysInfo::machineHostName()) return 0;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM ? pid : 0;
}

// Reads the journal keeps that are not in the log yet (read without opening it for writing).
qint64 WaitingReads(const QString& folder) {
    const QString path = QDir(folder).filePath(kJournalFile);
    if (!QFileInfo::exists(path)) return 0;
    auto c = OpenDatabase(path, kLogDbPassword, OpenMode::ReadOnly);
    auto has = c->prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'journal'");
    if (!has.next()) return 0;
    return Count(*c, "journal");
}

std::vector<SourceTable> ListTables(Connection& file, const QString& fileName) {
    std::vector<SourceTable> tables;
    {
        auto q = file.prepare(
            "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
            "'sqlite%' AND name <> 'schema_version' ORDER BY rowid");
        while (q.next()) {
            SourceTable t;
            t.name = q.text("name");
            t.create = q.text("sql");
            t.file = &file;
            t.fileName = fileName;
            tables.push_back(t);
        }
    }
    QHash<QString, qint64> sequences;
    {
        auto q = file.prepare(
            "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'sqlite_sequence'");
        if (q.next()) {
            auto s = file.prepare("SELECT name, seq FROM sqlite_sequence");
            while (s.next()) sequences.insert(s.text("name").toLower(), s.int64("seq"));
        }
    }
    for (SourceTable& t : tables) {
        bool integerKey = false;
        auto q = file.prepare("PRAGMA table_info(" + Quoted(t.name) + ")");
        while (q.next()) {
            t.columns << q.text("name");
            const QString type = q.text("type").toUpper();
            if (type == "BLOB") t.hasBlob = true;
            if (type == "INTEGER" && q.int64("pk") == 1) integerKey = true;
        }
        t.copyRowid = !integerKey && !t.columns.contains("rowid", Qt::CaseInsensitive);
        t.rows = Count(file, t.name);
        t.sequence = sequences.value(t.name.toLower());
    }
    return tables;
}

// The rows of each table that a new schema holds before any use (the default group, the
// eight readers, ...), in fresh templates: a server database with only these counts as empty,
// and a copy that fails puts them back.
class NewSchemaRows {
public:
    NewSchemaRows() {
        if (!dir_.isValid()) throw Failure{"cannot make a temporary folder"};
        for (const char* section : {"attend", "sysdat"}) {
            const QString path = dir_.filePath(QString(section) + ".mdb");
            CreateTemplate(path, section, "seed");
            files_.push_back(OpenDatabase(path, "seed", OpenMode::ReadOnly));
            for (SourceTable& t : ListTables(*files_.back(), section))
                tables_.push_back(std::move(t));
        }
    }
    const SourceTable* table(const QString& name) const {
        for (const SourceTable& t : tables_)
            if (t.name.compare(name, Qt::CaseInsensitive) == 0) return &t;
        return nullptr;
    }
    qint64 rows(const QString& name) const {
        const SourceTable* t = table(name);
        return t ? t->rows : 0;
    }

private:
    QTemporaryDir dir_;
    std::vector<std::unique_ptr<Connection>> files_;
    std::vector<SourceTable> tables_;
};

// Whether the server's rows of a table are a new schema's own, value for value (day fractions
// within rounding: the server computes the first group's times in decimals).
bool SameAsNew(Connection& server, const SourceTable& seed, const QString& where) {
    QStringList columns;
    for (const QString& c : seed.columns) columns << Quoted(c);
    // the first column is the key, or the station before the port (reader)
    const QString select = "SELECT " + columns.join(", ") + " FROM %1%2 ORDER BY " +
                           (columns.size() > 1 ? "1, 2" : "1");
    try {
        auto mine = seed.file->prepare(select.arg(Quoted(seed.name), QString()));
        auto theirs = server.prepare(select.arg(Quoted(seed.name.toLower()), where));
        while (mine.next()) {
            if (!theirs.next()) return false;
            for (int i = 0; i < columns.size(); ++i) {
                const QVariant a = mine.value(i), b = theirs.value(i);
                const bool reals = a.metaType().id() == QMetaType::Double ||
                                   b.metaType().id() == QMetaType::Double;
                if (reals ? std::abs(a.toDouble() - b.toDouble()) > 1e-9 : a != b) return false;
            }
        }
        return !theirs.next();
    } catch (const DbError&) {
        return true;  // an older schema on the server: its counts decide
    }
}

// A station that started on the new database made its eight readers as EnsureStationReaders
// does; untouched, they are a new schema's rows too (the copy replaces them).
const char* const kBesidesDefaultStationReaders =
    " WHERE NOT (STATION <> '' AND ENABLE = 0 AND \"DESC\" = 'COM' || PORTNO AND MODE = 0 AND "
    "OUTPORT = 0 AND BPPORT = 0 AND LOCKTIME = 3 AND MODEL = 0 AND APB = 0 AND CAPTURE = 0 AND "
    "MOTION = 0)";

// The tables of the server database that hold rows a new schema would not: "recorder (5
// rows)".
QStringList TablesInUse(Connection& server, const NewSchemaRows& seeds) {
    QStringList names;
    {
        auto q = server.prepare(
            "SELECT c.relname AS name FROM pg_class c JOIN pg_namespace n ON n.oid = "
            "c.relnamespace WHERE c.relkind IN ('r', 'p') AND n.nspname = current_schema() "
            "ORDER BY c.relname");
        while (q.next()) names << q.text("name");
    }
    QStringList used;
    for (const QString& name : names) {
        if (name == "schema_version") continue;
        QString where;
        qint64 n = Count(server, name);
        if (name == "reader") {
            try {
                auto q = server.prepare("SELECT count(*) FROM reader" +
                                        QString(kBesidesDefaultStationReaders));
                if (q.next()) n = q.value(0).toLongLong();
                where = kBesidesDefaultStationReaders;
            } catch (const DbError&) {
                // an older schema without stations: every row counts
            }
        }
        const SourceTable* seed = seeds.table(name);
        const bool asNew =
            seed ? n == seed->rows && (n == 0 || SameAsNew(server, *seed, where)) : n == 0;
        if (!asNew) used << QString("%1 (%2 rows)").arg(name).arg(n);
    }
    return used;
}

QStringList ServerColumns(Connection& server, const QString& table) {
    auto q = server.prepare(
        "SELECT column_name FROM information_schema.columns WHERE table_schema = "
        "current_schema() AND table_name = ? ORDER BY ordinal_position");
    q.bind(1, table.toLower());
    QStringList columns;
    while (q.next()) columns << q.text("column_name");
    return columns;
}

QString InsertSql(const QString& table, const QStringList& columns, int rows) {
    QStringList quoted;
    for (const QString& c : columns) quoted << Quoted(c.toLower());
    const QString row = '(' + QStringList(columns.size(), "?").join(", ") + ')';
    return "INSERT INTO " + Quoted(table.toLower()) + " (" + quoted.join(", ") + ") VALUES " +
           QStringList(rows, row).join(", ");
}

// Sets every identity of the table past its largest id (and past the last id the embedded
// engine handed out, so a deleted newest row's id is not given again).
void MoveIdentities(Connection& server, const SourceTable& t) {
    QStringList identities;
    {
        auto q = server.prepare(
            "SELECT attname FROM pg_attribute WHERE attrelid = to_regclass(?) AND "
            "attidentity <> '' AND NOT attisdropped");
        q.bind(1, t.name.toLower());
        while (q.next()) identities << q.text("attname");
    }
    for (const QString& column : identities) {
        auto q = server.prepare(
            "SELECT setval(pg_get_serial_sequence(?, ?), greatest(m, 1), m >= 1) FROM "
            "(SELECT greatest(coalesce(max(" +
            Quoted(column) + "), 0), ?) AS m FROM " + Quoted(t.name.toLower()) + ") s");
        q.bind(1, t.name.toLower());
        q.bind(2, column);
        q.bind(3, column == "rowid" ? qint64(0) : t.sequence);
        q.exec();
    }
}

// The tables whose rows belong to one station; the files keep them under '' (stations.h).
bool OfStation(const SourceTable& t) {
    return t.columns.contains("STATION", Qt::CaseInsensitive) &&
           (t.name.compare("recorder", Qt::CaseInsensitive) == 0 ||
            t.name.compare("reader", Qt::CaseInsensitive) == 0);
}

// station: the name the rows of the log and the reader table take on the server (none: as
// they are).
void CopyTable(const SourceTable& t, Connection& server, QTextStream& out,
               const QString& station = QString()) {
    QStringList from, to;
    if (t.copyRowid) {
        from << "rowid";
        to << "rowid";
    }
    for (const QString& c : t.columns) {
        from << Quoted(c);
        to << c;
    }
    const int width = int(to.size());
    const int perInsert = std::max(
        1, std::min(t.hasBlob ? kMaxRowsWithBlobs : kMaxRowsPerInsert, kMaxParameters / width));

    Transaction transaction(server);
    const QString table = Quoted(t.name.toLower());
    server.execute("ALTER TABLE " + table + " DISABLE TRIGGER USER");
    server.execute("DELETE FROM " + table);  // a new schema's own rows, replaced by the copy
    std::optional<Statement> full;
    std::vector<QVariant> values;
    values.reserve(size_t(perInsert * width));
    qint64 copied = 0;
    // photos are slow to send: their tables report each tenth
    const qint64 step = t.hasBlob ? std::max<qint64>(kMaxRowsWithBlobs, t.rows / 10)
                                  : std::max(kProgressStep, t.rows / 10);
    qint64 nextLine = step;
    auto progress = [&] {
        out << t.name << ": " << copied << " of " << t.rows << " rows" << Qt::endl;
    };
    auto send = [&] {
        const int rows = int(values.size()) / width;
        if (rows == 0) return;
        std::optional<Statement> tail;
        Statement* insert = nullptr;
        if (rows == perInsert) {
            if (!full) full.emplace(server.prepare(InsertSql(t.name, to, rows)));
            insert = &*full;
        } else {
            tail.emplace(server.prepare(InsertSql(t.name, to, rows)));
            insert = &*tail;
        }
        for (size_t i = 0; i < values.size(); ++i) insert->bind(int(i) + 1, values[i]);
        insert->exec();
        insert->reset();
        values.clear();
        copied += rows;
        if (copied >= nextLine && copied < t.rows) {
            progress();
            while (nextLine <= copied) nextLine += step;
        }
    };
    auto rows = t.file->prepare("SELECT " + from.join(", ") + " FROM " + Quoted(t.name) +
                                " ORDER BY rowid");
    while (rows.next()) {
        for (int i = 0; i < width; ++i) values.push_back(rows.value(i));
        if (int(values.size()) == perInsert * width) send();
    }
    send();
    if (!station.isEmpty() && OfStation(t)) {
        auto stamp = server.prepare("UPDATE " + table + " SET STATION = ? WHERE STATION = ''");
        stamp.bindAll(station);
        stamp.exec();
    }
    MoveIdentities(server, t);
    server.execute("ALTER TABLE " + table + " ENABLE TRIGGER USER");
    transaction.commit();
    progress();
}

// After a failed copy: the tables copied before hold a new schema's rows again, so that the
// database is empty for the next attempt. False when that fails too.
bool UndoCopies(Connection& server, const std::vector<const SourceTable*>& done,
                const NewSchemaRows& seeds) {
    QString ignored;
    QTextStream quiet(&ignored);
    try {
        for (const SourceTable* t : done) {
            if (const SourceTable* seed = seeds.table(t->name)) {
                SourceTable again = *seed;
                again.copyRowid = t->copyRowid && seed->copyRowid;
                again.sequence = 0;
                CopyTable(again, server, quiet);
            } else {
                Transaction transaction(server);
                const QString table = Quoted(t->name.toLower());
                server.execute("ALTER TABLE " + table + " DISABLE TRIGGER USER");
                server.execute("DELETE FROM " + table);
                server.execute("ALTER TABLE " + table + " ENABLE TRIGGER USER");
                transaction.commit();
            }
        }
        return true;
    } catch (const DbError&) {
        return false;
    }
}

// A read-only connection to a file in WAL mode makes the engine's side files but cannot remove
// them: those this run made (the -wal still empty) go again once its connections are closed.
class SideFiles {
public:
    explicit SideFiles(const QStringList& databases) {
        for (const QString& db : databases)
            for (const char* suffix : {"-wal", "-shm"})
                if (!QFileInfo::exists(db + suffix)) absent_ << db + suffix;
    }
    ~SideFiles() {
        for (const QString& path : absent_) {
            const QString wal = path.endsWith("-shm") ? path.chopped(4) + "-wal" : path;
            if (QFileInfo(wal).size() == 0) QFile::remove(path);
        }
    }
    SideFiles(const SideFiles&) = delete;
    SideFiles& operator=(const SideFiles&) = delete;

private:
    QStringList absent_;
};

}  // namespace

bool UrlHasPassword(const QString& url) {
    const QString u = url.trimmed();
    if (u.startsWith("postgresql://") || u.startsWith("postgres://")) {
        const QUrl parsed(u);
        if (!parsed.password().isEmpty()) return true;
        // the user part may hold an empty password ("user:@host"): still a password field
        const QString authority = u.mid(u.indexOf("//") + 2).section('/', 0, 0);
        if (authority.section('@', 0, -2).contains(':')) return true;
        for (const auto& item : QUrlQuery(parsed).queryItems())
            if (item.first.compare("password", Qt::CaseInsensitive) == 0) return true;
        return false;
    }
    static const QRegularExpression password("(^|\\s)password\\s*=",
                                             QRegularExpression::CaseInsensitiveOption);
    return password.match(u).hasMatch();
}

int MigrateFolder(const QString& folder, const MigrateOptions& options, QTextStream& out,
                  QTextStream& err) {
    if (UrlHasPassword(options.url)) {
        err << "horalog migrate: the url holds a password; give it without and keep the "
               "password in ~/.pgpass or a service file"
            << Qt::endl;
        return 1;
    }

    const QString where = UrlWithoutPassword(options.url);
    try {
        if (const qint64 pid = CaptureServing(folder))
            throw Failure{QString("a capture service serves %1 (pid %2): stop it first, so "
                                  "that no read comes after the copy")
                              .arg(folder)
                              .arg(pid)};
        QTemporaryDir scratch;
        if (!scratch.isValid()) throw Failure{"cannot make a temporary folder"};
        // before the connections, so that it goes after them
        const SideFiles sideFiles({QDir(folder).filePath(kLogDbFile),
                                   QDir(folder).filePath(kSysDbFile),
                                   QDir(folder).filePath(kJournalFile)});
        if (const qint64 waiting = WaitingReads(folder))
            throw Failure{QString("%1 reads wait in %2 to be merged into the log: start horalog "
                                  "on the folder once (or run horalog repair --swap), then "
                                  "migrate")
                              .arg(waiting)
                              .arg(kJournalFile)};
        auto att = OpenSource(folder, DatabaseKind::Log, "attend", scratch);
        auto src = OpenSource(folder, DatabaseKind::System, "sysdat", scratch);
        // one consistent picture of each file for the whole copy
        att->execute("BEGIN");
        src->execute("BEGIN");
        std::vector<SourceTable> tables = ListTables(*att, kLogDbFile);
        for (SourceTable& t : ListTables(*src, kSysDbFile)) tables.push_back(std::move(t));

        std::unique_ptr<Connection> server;
        try {
            server = OpenServerDatabase(options.url, OpenMode::ReadWrite);
        } catch (const DbError& e) {
            throw Failure{e.text()};
        }
        const NewSchemaRows seeds;
        const QStringList used = TablesInUse(*server, seeds);
        if (!used.isEmpty())
            throw Failure{"the database at " + where + " is not empty: " + used.join(", ") +
                          "; nothing was copied. Migrate into a new, empty database."};
        UpgradeServerSchema(*server);
        for (const char* section : {"attend", "sysdat"}) {
            const int have = ServerSchemaVersion(*server, section);
            if (have != LatestSchemaVersion(section))
                throw Failure{QString("the database's %1 tables are at version %2, this "
                                      "program's at %3; nothing was copied")
                                  .arg(section)
                                  .arg(have)
                                  .arg(LatestSchemaVersion(section))};
        }
        for (SourceTable& t : tables) {
            QStringList target = ServerColumns(*server, t.name);
            if (target.isEmpty()) {
                // a table the files make as they need it (the journal's merged ids)
                server->execute(t.create);
                target = ServerColumns(*server, t.name);
            }
            for (const QString& c : t.columns)
                if (!target.contains(c, Qt::CaseInsensitive))
                    throw Failure{"the server's table " + t.name + " has no column " + c +
                                  "; nothing was copied"};
            t.copyRowid = t.copyRowid && target.contains("rowid");
        }

        out << "Copying " << tables.size() << " tables of " << folder << " to " << where
            << Qt::endl;
        const QString station =
            options.station.trimmed().isEmpty() ? StationName() : options.station.trimmed();
        out << "Station " << station << ": the log and the reader table are recorded under it"
            << Qt::endl;
        std::vector<const SourceTable*> done;
        for (const SourceTable& t : tables) {
            try {
                CopyTable(t, *server, out, station);
                done.push_back(&t);
            } catch (const DbError& e) {
                throw Failure{"copying " + t.name + " failed: " + e.text() +
                              (UndoCopies(*server, done, seeds)
                                   ? QString("; the database is empty again")
                                   : QString("; the tables before it are on the server: empty "
                                             "the database before trying again"))};
            }
        }

        QStringList differ;
        for (const SourceTable& t : tables) {
            const qint64 there = Count(*server, t.name);
            if (there != t.rows)
                differ << QString("%1 (%2 in %3, %4 on the server)")
                              .arg(t.name)
                              .arg(t.rows)
                              .arg(t.fileName)
                              .arg(there);
        }
        att->execute("ROLLBACK");
        src->execute("ROLLBACK");
        if (!differ.isEmpty()) {
            err << "horalog migrate: the counts differ: " << differ.join(", ") << Qt::endl;
            return 1;
        }
        out << "Verified: the row counts of all " << tables.size() << " tables are equal."
            << Qt::endl;
        return 0;
    } catch (const Failure& f) {
        err << "horalog migrate: " << f.text << Qt::endl;
    } catch (const DbError& e) {
        err << "horalog migrate: " << e.text() << Qt::endl;
    }
    return 1;
}

}  // namespace horalog
