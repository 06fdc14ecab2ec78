#include "storage/schema_upgrade.h"

#include <QFile>
#include <optional>

static void initStorageResources() {
    Q_INIT_RESOURCE(storage);
}

namespace horalog {

QString SchemaSection(const QString& which) {
    initStorageResources();
    QFile f(":/storage/schema.sql");
    if (!f.open(QIODevice::ReadOnly)) throw DbError("schema resource missing");
    QString all = QString::fromUtf8(f.readAll());
    const QString marker = "-- @file " + which + "\n";
    int start = all.indexOf(marker);
    if (start < 0) throw DbError("no schema section " + which);
    start += marker.size();
    int end = all.indexOf("-- @file ", start);
    return all.mid(start, end < 0 ? -1 : end - start);
}

const std::vector<SchemaStep>& SchemaSteps() {
    static const std::vector<SchemaStep> steps = {
        // The audit trail: who changed what, never changed once written. Erasing holders or
        // the log leaves it alone.
        {"sysdat", 1,
         "CREATE TABLE audit ("
         "  ID      INTEGER PRIMARY KEY AUTOINCREMENT,"
         "  STAMP   REAL    NOT NULL,"
         "  STATION TEXT    NOT NULL DEFAULT '',"
         "  ACTION  TEXT    NOT NULL,"
         "  SUBJECT TEXT    NOT NULL DEFAULT '',"
         "  OLDTEXT TEXT    NOT NULL DEFAULT '',"
         "  NEWTEXT TEXT    NOT NULL DEFAULT '');"
         "CREATE INDEX audit_stamp ON audit (STAMP);"
         "CREATE TRIGGER audit_no_update BEFORE UPDATE ON audit "
         "BEGIN SELECT RAISE(ABORT, 'audit rows are never changed'); END;"
         "CREATE TRIGGER audit_no_delete BEFORE DELETE ON audit "
         "BEGIN SELECT RAISE(ABORT, 'audit rows are never deleted'); END;"},
        // The Door Access grid reads holders in name order with their rights from this index
        // alone, never walking past the photos in the rows.
        {"sysdat", 2,
         "CREATE INDEX staffs_doors ON staffs (NAME, CARDNO, WORKGRP, COM1, COM2, COM3, COM4, "
         "COM5, COM6, COM7, COM8);"},
        // Time profiles (a holder's ACCESSGRP) and holidays. Profile 0 "Always" is fixed; the
        // column was unused before, so every holder starts on it. Periods are minutes since
        // midnight (-1: unused), DAYS a bit per weekday from Monday, dates day numbers (0: none).
        {"sysdat", 3,
         "CREATE TABLE timeprofile ("
         "  ID       INTEGER PRIMARY KEY,"
         "  NAME     TEXT    NOT NULL UNIQUE COLLATE NOCASE,"
         "  P1START  INTEGER NOT NULL DEFAULT -1, P1END INTEGER NOT NULL DEFAULT -1,"
         "  P2START  INTEGER NOT NULL DEFAULT -1, P2END INTEGER NOT NULL DEFAULT -1,"
         "  P3START  INTEGER NOT NULL DEFAULT -1, P3END INTEGER NOT NULL DEFAULT -1,"
         "  DAYS     INTEGER NOT NULL DEFAULT 127,"
         "  FIRSTDAY INTEGER NOT NULL DEFAULT 0,"
         "  LASTDAY  INTEGER NOT NULL DEFAULT 0,"
         "  HOLIDAYS INTEGER NOT NULL DEFAULT 1);"
         "INSERT INTO timeprofile (ID, NAME, P1START, P1END) VALUES (0, 'Always', 0, 1440);"
         "CREATE TRIGGER timeprofile_always_fixed BEFORE UPDATE ON timeprofile WHEN OLD.ID = 0 "
         "BEGIN SELECT RAISE(ABORT, 'the profile Always is fixed'); END;"
         "CREATE TRIGGER timeprofile_always_kept BEFORE DELETE ON timeprofile WHEN OLD.ID = 0 "
         "BEGIN SELECT RAISE(ABORT, 'the profile Always is fixed'); END;"
         "CREATE TABLE holiday (DAY INTEGER PRIMARY KEY, NAME TEXT NOT NULL);"
         "UPDATE staffs SET ACCESSGRP = 0;"
         "CREATE INDEX staffs_profile ON staffs (ACCESSGRP);"
         // the Door Access grid shows the profile too, still from the index alone
         "DROP INDEX staffs_doors;"
         "CREATE INDEX staffs_doors ON staffs (NAME, CARDNO, WORKGRP, COM1, COM2, COM3, COM4, "
         "COM5, COM6, COM7, COM8, ACCESSGRP);"},
        // Stations: several PCs share one server database, each with its own readers, so a
        // log row and a reader row say whose they are. '' is this PC on the embedded files
        // (every row there stays ''); on a server each PC writes under its station name. The
        // log's two indexes stay as they are: reports select by SYSTIME and CARDNO only.
        {"attend", 1, "ALTER TABLE recorder ADD COLUMN STATION TEXT NOT NULL DEFAULT '';"},
        // The reader table is keyed by station and port: the embedded engine cannot change a
        // key in place, so the table is made anew and its rows carried over.
        {"sysdat", 4,
         "CREATE TABLE reader_of_station ("
         "  STATION  TEXT    NOT NULL DEFAULT '',"
         "  PORTNO   INTEGER NOT NULL,"
         "  ENABLE   INTEGER NOT NULL DEFAULT 0,"
         "  \"DESC\"   TEXT    NOT NULL DEFAULT '',"
         "  MODE     INTEGER NOT NULL DEFAULT 0,"
         "  OUTPORT  INTEGER NOT NULL DEFAULT 0,"
         "  BPPORT   INTEGER NOT NULL DEFAULT 0,"
         "  LOCKTIME INTEGER NOT NULL DEFAULT 3,"
         "  MODEL    INTEGER NOT NULL DEFAULT 0,"
         "  APB      INTEGER NOT NULL DEFAULT 0,"
         "  CAPTURE  INTEGER NOT NULL DEFAULT 0,"
         "  MOTION   INTEGER NOT NULL DEFAULT 0,"
         "  PRIMARY KEY (STATION, PORTNO));"
         "INSERT INTO reader_of_station (STATION, PORTNO, ENABLE, \"DESC\", MODE, OUTPORT, "
         "BPPORT, LOCKTIME, MODEL, APB, CAPTURE, MOTION) SELECT '', PORTNO, ENABLE, \"DESC\", "
         "MODE, OUTPORT, BPPORT, LOCKTIME, MODEL, APB, CAPTURE, MOTION FROM reader;"
         "DROP TABLE reader;"
         "ALTER TABLE reader_of_station RENAME TO reader;"},
        // Absences of holders and their types. A type is a one-letter code; HOURS is the paid
        // time of a day of it, -1 for the holder's group hours of that weekday. An absence runs
        // over whole days (day numbers, both inclusive); HALF 1 or 2 is the first or second
        // half of a single day.
        {"sysdat", 5,
         "CREATE TABLE absencetype ("
         "  CODE   TEXT    NOT NULL PRIMARY KEY,"
         "  NAME   TEXT    NOT NULL,"
         "  PAID   INTEGER NOT NULL DEFAULT 0,"
         "  HOURS  REAL    NOT NULL DEFAULT -1,"
         "  COLOUR TEXT    NOT NULL DEFAULT '#a0a0a0');"
         "INSERT INTO absencetype (CODE, NAME, PAID, COLOUR) VALUES "
         "('V', 'Vacation', 1, '#6aa84f'), ('S', 'Sick', 1, '#e06666'), "
         "('U', 'Unpaid leave', 0, '#b7b7b7'), ('B', 'Business trip', 1, '#6fa8dc'), "
         "('O', 'Other', 0, '#f6b26b');"
         "CREATE TABLE absence ("
         "  ID       INTEGER PRIMARY KEY AUTOINCREMENT,"
         "  CARDNO   INTEGER NOT NULL,"
         "  FIRSTDAY INTEGER NOT NULL,"
         "  LASTDAY  INTEGER NOT NULL,"
         "  HALF     INTEGER NOT NULL DEFAULT 0,"
         "  TYPE     TEXT    NOT NULL,"
         "  NOTE     TEXT    NOT NULL DEFAULT '');"
         "CREATE INDEX absence_card ON absence (CARDNO, FIRSTDAY);"
         "CREATE INDEX absence_day ON absence (FIRSTDAY, LASTDAY);"},
        // The closed period: a row per close and reopen, the newest holds. CLOSEDTO is the
        // last closed day (a day number), -1 when every day is open again.
        {"sysdat", 6,
         "CREATE TABLE periodclose ("
         "  ID       INTEGER PRIMARY KEY AUTOINCREMENT,"
         "  CLOSEDTO INTEGER NOT NULL,"
         "  STAMP    REAL    NOT NULL,"
         "  STATION  TEXT    NOT NULL DEFAULT '');"},
    };
    return steps;
}

namespace {
bool HasVersionTable(Connection& c) {
    return c.hasTable("schema_version");
}
}  // namespace

int SchemaVersion(Connection& c) {
    if (!HasVersionTable(c)) return 0;
    auto q = c.prepare("SELECT max(VERSION) FROM schema_version");
    return q.next() ? q.value(0).toInt() : 0;
}

int LatestSchemaVersion(const QString& file) {
    int latest = 0;
    for (const SchemaStep& s : SchemaSteps())
        if (file == QLatin1String(s.file)) latest = std::max(latest, s.version);
    return latest;
}

int ApplySchemaSteps(Connection& c, const QString& file, int have) {
    int version = have;
    for (const SchemaStep& s : SchemaSteps()) {
        if (file != QLatin1String(s.file) || s.version <= version) continue;
        if (s.version != version + 1)
            throw DbError(QString("schema step %1 of %2 out of order").arg(s.version).arg(file));
        c.execute(QString::fromUtf8(s.sql));
        version = s.version;
    }
    return version;
}

int UpgradeSchema(Connection& c, const QString& file) {
    const bool versioned = HasVersionTable(c);
    const int have = SchemaVersion(c);
    if (versioned && have >= LatestSchemaVersion(file)) return 0;
    const bool outer = c.inTransaction();
    std::optional<Transaction> t;
    if (!outer) t.emplace(c);
    if (!versioned)
        c.execute(
            "CREATE TABLE schema_version (VERSION INTEGER NOT NULL);"
            "INSERT INTO schema_version (VERSION) VALUES (0)");
    const int version = ApplySchemaSteps(c, file, have);
    const int applied = version - have;
    auto u = c.prepare("UPDATE schema_version SET VERSION = ?");
    u.bindAll(version);
    u.exec();
    if (t) t->commit();
    return applied;
}

}  // namespace horalog
