// Moving a data folder's files onto a database server: every table with its ids and bytes,
// the same report text afterwards, and the refusals that leave the server as it was.
#include "cli/migrate_command.h"
#include "maintenance/migrate.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include "storage/engines.h"
#include "cli/report_command.h"
#include "attendance/store_report_source.h"
#include "storage/folder_lock.h"
#include "storage/postgres_driver.h"
#include "storage/read_journal.h"
#include "storage/settings.h"
#include "storage/stations.h"
#include "support/free_port.h"

using namespace horalog;
using horalog::testing::FreeLoopbackPort;
using horalog::testing::TempDataFolder;

namespace {

struct Outcome {
    int status;
    QString out, err;
};

Outcome Migrate(const QString& folder, const QStringList& words) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = RunMigrateCommand(QStringList{"migrate"} + words, folder, o, e);
    return {status, out, err};
}

DateTime At(const QString& text) {
    return DateTime::fromQDateTime(QDateTime::fromString(text, "yyyy-MM-dd HH:mm"));
}

// A photo's bytes: a JPEG start, every byte value, NULs inside, different per holder.
QByteArray Photo(int seed) {
    QByteArray b("\xff\xd8\xff\xe0", 4);
    for (int i = 0; i < 2000; ++i) b.append(char((i * seed) % 256));
    return b;
}

QByteArray Checksum(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// A data folder in use: a week of reads with gaps in the ids, holders with photos (the newest
// one deleted, so the embedded engine's last id is past the largest), a second group with
// its timetable, a time profile, a holiday, passage states, audit rows, a mail and a named
// reader.
void FillFolder(Tdsrc& store) {
    Connection& att = store.att();
    Connection& src = store.src();
    src.execute(
        "INSERT INTO gid (ID, DESCX, OT_MIN) VALUES (2, 'SHOP', 30);"
        "INSERT INTO timetbl (gid, timein, timeout) VALUES (2, 0.375, 0.5), (2, 0.5417, 0.7);"
        "INSERT INTO iotime (tfrom, tto) VALUES (0.25, 0.5), (0.5, 0.99);"
        "INSERT INTO timeprofile (ID, NAME, P1START, P1END, DAYS) VALUES (1, 'Office', 420, "
        "1080, 31);"
        "INSERT INTO holiday (DAY, NAME) VALUES (38168, 'Midsummer');"
        "INSERT INTO apb (CARDNO, STATE) VALUES (101, 1), (102, 2);"
        "INSERT INTO emails (TITLE, MSG) VALUES ('[101] ALICE', 'IN at COM1');"
        "UPDATE reader SET \"DESC\" = 'Front gate', ENABLE = 1, APB = 1 WHERE PORTNO = 1;"
        "INSERT INTO audit (STAMP, STATION, ACTION, SUBJECT, OLDTEXT, NEWTEXT) VALUES "
        "(38160.5, 'desk', 'holder added', '[101] ALICE', '', 'ALICE'), "
        "(38161.25, 'desk', 'group changed', 'SHOP', '15', '30');");
    auto holder = src.prepare(
        "INSERT INTO staffs (CARDNO, NAME, WORKGRP, ACCESSGRP, PHOTO, COM1, MEMO) VALUES "
        "(?, ?, ?, ?, ?, 1, ?)");
    const struct {
        int card;
        const char* name;
        int group, profile;
    } holders[] = {
        {101, "ALICE", 1, 0}, {102, "Bruno", 2, 1}, {103, "CLARA", 2, 0}, {104, "GONE", 1, 0}};
    for (const auto& h : holders) {
        holder.bindAll(h.card, QString(h.name), h.group, h.profile, Photo(h.card),
                       QString("it's %1").arg(h.name));
        holder.exec();
        holder.reset();
    }
    src.execute("DELETE FROM staffs WHERE CARDNO = 104");

    Transaction t(att);
    auto read =
        att.prepare("INSERT INTO recorder (SYSTIME, CARDNO, MODE, READER) VALUES (?, ?, ?, ?)");
    for (int day = 21; day <= 25; ++day)
        for (int card : {101, 102, 103}) {
            const QString d = QString("2004-06-%1 ").arg(day);
            read.bindAll(At(d + QString("08:%1").arg(40 + card - 100)), card, 1, 1);
            read.exec();
            read.reset();
            read.bindAll(At(d + "17:45"), card, 2, 1);
            read.exec();
            read.reset();
        }
    att.execute("DELETE FROM recorder WHERE ID IN (4, 17)");
    t.commit();

    // a read kept in the journal once and merged: the log keeps its unique id
    ReadJournal journal(store.journal().path());
    journal.append({0, At("2004-06-25 18:00"), 103, 2, 1, 0});
    journal.mergeInto(att);
}

// Each table's rows in key order, every column as its value.
std::vector<QVariantList> Rows(Connection& c, const QString& table, const QStringList& columns,
                               const QString& order) {
    QStringList quoted;
    for (const QString& col : columns) quoted << '"' + col + '"';
    auto q = c.prepare("SELECT " + quoted.join(", ") + " FROM " + table + " ORDER BY " + order);
    std::vector<QVariantList> rows;
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < columns.size(); ++i) row << q.value(i);
        rows.push_back(row);
    }
    return rows;
}

// The tables of an embedded file with their columns and the key to order by.
struct TableShape {
    QString name;
    QStringList columns;
    QString key;
};
std::vector<TableShape> Shapes(Connection& c) {
    std::vector<TableShape> shapes;
    auto t = c.prepare(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' AND "
        "name <> 'schema_version'");
    while (t.next()) shapes.push_back({t.text("name"), {}, "rowid"});
    for (TableShape& s : shapes) {
        auto q = c.prepare("PRAGMA table_info(\"" + s.name + "\")");
        while (q.next()) {
            s.columns << q.text("name");
            if (q.int64("pk") == 1 && q.text("type") == "INTEGER") s.key = q.text("name");
        }
    }
    return shapes;
}

QString ReportText(Tdsrc& store, const QStringList& args) {
    StoreReportSource source(store);
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = RunReportCommand(args, source, o, e, FixedClock(At("2004-06-30 10:00")));
    EXPECT_EQ(status, 0) << err.toStdString();
    return out;
}

TEST(Migrate, EveryTableRowIdAndPhotoArrivesAndReportsReadTheSame) {
    HORALOG_NEW_SERVER_DATABASE(url);
    TempDataFolder data;
    EnsureDataFolder(data.path());
    {
        Tdsrc folder(data.path(), QString());
        folder.OpenStore();
        FillFolder(folder);
        folder.CloseStore();
    }
    // a PC that connected once made the schema with its own first rows: still empty
    {
        auto server = OpenServerDatabase(url, OpenMode::ReadWrite);
        UpgradeServerSchema(*server);
        // its station's eight default readers too
        server->setStation("Warehouse");
        EnsureStationReaders(*server);
    }
    const QStringList files = QDir(data.path()).entryList(QDir::Files | QDir::Dirs);
    const QByteArray att = Checksum(data.file(kLogDbFile)), sys = Checksum(data.file(kSysDbFile));

    const Outcome r = Migrate(data.path(), {"--to", url, "--station", "Front gate"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    for (const char* line :
         {"recorder: 29 of 29 rows\n", "journal_merged: 1 of 1 rows\n", "staffs: 3 of 3 rows\n",
          "audit: 2 of 2 rows\n", "reader: 8 of 8 rows\n", "Verified: the row counts of all "})
        EXPECT_TRUE(r.out.contains(line)) << line << "\n" << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Station Front gate: the log and the reader table are recorded"))
        << r.out.toStdString();

    // the folder is only read
    EXPECT_EQ(Checksum(data.file(kLogDbFile)), att);
    EXPECT_EQ(Checksum(data.file(kSysDbFile)), sys);
    EXPECT_EQ(QDir(data.path()).entryList(QDir::Files | QDir::Dirs), files);

    Tdsrc folder(data.path(), QString());
    folder.OpenStore();
    // the PC goes on under the station it migrated as: its readers are the folder's
    WriteSettingText("Station", "Front gate");
    Tdsrc server(data.path(), url);
    server.OpenStore();
    WriteSettingText("Station", "");
    for (const char* table : {"recorder", "reader"}) {
        auto q = server.att().prepare(
            QString("SELECT STATION, count(*) FROM %1 GROUP BY STATION").arg(table));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.text("STATION"), "Front gate") << table;
        EXPECT_FALSE(q.next()) << table;
    }
    int compared = 0;
    for (Connection* file : {&folder.att(), &folder.src()}) {
        Connection& there = file == &folder.att() ? server.att() : server.src();
        for (TableShape s : Shapes(*file)) {
            if (s.name == "recorder" || s.name == "reader") s.columns.removeAll("STATION");
            const auto want = Rows(*file, s.name, s.columns, s.key);
            EXPECT_EQ(Rows(there, s.name, s.columns, s.key), want) << s.name.toStdString();
            compared += int(want.size());
        }
    }
    EXPECT_GT(compared, 50);
    {
        auto q = server.src().prepare("SELECT PHOTO FROM staffs WHERE CARDNO = 102");
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.blob("PHOTO"), Photo(102));
    }

    const QStringList reports[] = {
        {"time-logs", "--from", "2004-06-21", "--to", "2004-06-27"},
        {"first-last", "--from", "2004-06-21", "--to", "2004-06-27", "--records", "inout"},
    };
    for (const QStringList& args : reports) {
        const QString before = ReportText(folder, args);
        EXPECT_TRUE(before.contains("Bruno")) << before.toStdString();
        EXPECT_EQ(ReportText(server, args).toStdString(), before.toStdString())
            << args.join(' ').toStdString();
    }

    // new rows take ids past the copied ones: the deleted newest holder's id is not reused
    auto holder = server.src().prepare("INSERT INTO staffs (CARDNO, NAME) VALUES (105, 'DORA')");
    holder.exec();
    EXPECT_EQ(server.src().lastInsertId(), 5);
    auto read = server.att().prepare("INSERT INTO recorder (SYSTIME, CARDNO) VALUES (?, 101)");
    read.bindAll(At("2004-06-28 08:00"));
    read.exec();
    EXPECT_EQ(server.att().lastInsertId(), 32);
    // the log's triggers work again after the copy
    auto n = server.att().prepare("SELECT N FROM recorder_count");
    ASSERT_TRUE(n.next());
    EXPECT_EQ(n.int64("N"), 30);
    server.att().execute("DELETE FROM recorder WHERE ID = 32");
    EXPECT_THROW(server.src().execute("DELETE FROM audit"), DbError);
}

// A file of an older version is upgraded on a private copy: the folder stays as it was. A
// folder a capture service is serving, or with reads still in its journal, is not copied.
TEST(Migrate, AnOlderFileIsReadAsItIsAndAServedFolderIsRefused) {
    HORALOG_NEW_SERVER_DATABASE(url);
    TempDataFolder data;
    EnsureDataFolder(data.path());
    {
        auto sys = OpenDatabase(data.file(kSysDbFile), kSysDbPassword, OpenMode::ReadWrite);
        auto holder =
            sys->prepare("INSERT INTO staffs (CARDNO, NAME, PHOTO) VALUES (101, 'ALICE', ?)");
        holder.bindAll(Photo(101));
        holder.exec();
        // as a file from before the audit trail and the time profiles
        sys->execute(
            "DROP TABLE audit; DROP TABLE schema_version; DROP INDEX staffs_doors; "
            "DROP TABLE timeprofile; DROP TABLE holiday; DROP INDEX staffs_profile; "
            "DROP TABLE absencetype; DROP TABLE absence; DROP TABLE periodclose");
        sys->checkpoint();
    }
    const QByteArray before = Checksum(data.file(kSysDbFile));

    {
        ReadJournal journal(data.file(kJournalFile));
        journal.append({0, At("2004-06-25 18:00"), 101, 1, 1, 0});
        journal.close();
        const Outcome r = Migrate(data.path(), {"--to", url});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains("1 reads wait in attend-journal.mdb")) << r.err.toStdString();
        ASSERT_TRUE(QFile::remove(data.file(kJournalFile)));
    }
    {
        DataFolderLock capture(data.path());
        ASSERT_TRUE(capture.acquire());
        const Outcome r = Migrate(data.path(), {"--to", url});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains("a capture service serves")) << r.err.toStdString();
        auto server = OpenServerDatabase(url, OpenMode::ReadOnly);
        EXPECT_FALSE(server->hasTable("recorder"));
    }

    const Outcome r = Migrate(data.path(), {"--to", url});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("timeprofile: 1 of 1 rows")) << r.out.toStdString();
    EXPECT_EQ(Checksum(data.file(kSysDbFile)), before);
    auto sys = OpenDatabase(data.file(kSysDbFile), kSysDbPassword, OpenMode::ReadOnly);
    EXPECT_FALSE(sys->hasTable("audit"));

    auto server = OpenServerDatabase(url, OpenMode::ReadOnly);
    auto q = server->prepare(
        "SELECT s.PHOTO, s.ACCESSGRP, p.NAME FROM staffs s JOIN timeprofile p ON p.ID = "
        "s.ACCESSGRP");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.blob("PHOTO"), Photo(101));
    EXPECT_EQ(q.text("NAME"), "Always");
    EXPECT_FALSE(q.next());
}

TEST(Migrate, ADatabaseInUseIsRefusedAndLeftAsItWas) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    {
        Tdsrc folder(data.path(), QString());
        folder.OpenStore();
        FillFolder(folder);
    }
    const struct {
        const char* name;
        const char* sql;  // what the database holds before
        bool schema;      // whether it has the program's tables
        const char* named;
    } cases[] = {
        {"a log row", "INSERT INTO recorder (SYSTIME, CARDNO) VALUES (38000, 7)", true,
         "recorder (1 rows)"},
        {"a second group", "INSERT INTO gid (DESCX) VALUES ('EXTRA')", true, "gid (2 rows)"},
        {"a renamed reader", "UPDATE reader SET \"DESC\" = 'Back door' WHERE PORTNO = 2", true,
         "reader (8 rows)"},
        {"a station's reader put to use",
         "INSERT INTO reader (STATION, PORTNO, \"DESC\", ENABLE) VALUES ('Warehouse', 1, "
         "'COM1', 1)",
         true, "reader (9 rows)"},
        {"another program's table", "CREATE TABLE notes (T TEXT); INSERT INTO notes VALUES ('x')",
         false, "notes (1 rows)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HORALOG_NEW_SERVER_DATABASE(url);
        auto server = OpenServerDatabase(url, OpenMode::ReadWrite);
        if (c.schema) UpgradeServerSchema(*server);
        server->execute(c.sql);

        const Outcome r = Migrate(data.path(), {"--to", url});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains("is not empty")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.named)) << r.err.toStdString();
        EXPECT_FALSE(r.out.contains(" of ")) << r.out.toStdString();
        EXPECT_EQ(server->hasTable("schema_version"), c.schema);
        if (c.schema) {
            auto q = server->prepare(
                "SELECT (SELECT count(*) FROM staffs) AS s, (SELECT count(*) FROM recorder) AS "
                "r, (SELECT count(*) FROM apb) AS a");
            ASSERT_TRUE(q.next());
            EXPECT_EQ(q.int64("s"), 0);
            EXPECT_EQ(q.int64("a"), 0);
            EXPECT_LE(q.int64("r"), 1);
        }
    }
}

// A row the server cannot take (text in a number column, which the embedded engine keeps)
// stops the copy; the tables copied before are emptied again, so the next try can start.
TEST(Migrate, AFailedCopyLeavesTheDatabaseEmpty) {
    HORALOG_NEW_SERVER_DATABASE(url);
    TempDataFolder data;
    EnsureDataFolder(data.path());
    {
        Tdsrc folder(data.path(), QString());
        folder.OpenStore();
        FillFolder(folder);
        folder.src().execute("UPDATE apb SET STATE = 'half' WHERE CARDNO = 102");
    }
    Outcome r = Migrate(data.path(), {"--to", url});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("copying apb failed")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("the database is empty again")) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("staffs: 3 of 3 rows")) << r.out.toStdString();
    {
        auto server = OpenServerDatabase(url, OpenMode::ReadOnly);
        auto q = server->prepare(
            "SELECT (SELECT count(*) FROM recorder) AS r, (SELECT N FROM recorder_count) AS n, "
            "(SELECT count(*) FROM staffs) AS s, (SELECT count(*) FROM reader) AS readers, "
            "(SELECT \"DESC\" FROM reader WHERE PORTNO = 1) AS d, (SELECT count(*) FROM "
            "journal_merged) AS j");
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.int64("r"), 0);
        EXPECT_EQ(q.int64("n"), 0);
        EXPECT_EQ(q.int64("s"), 0);
        EXPECT_EQ(q.int64("readers"), 8);
        EXPECT_EQ(q.text("d"), "COM1");
        EXPECT_EQ(q.int64("j"), 0);
    }

    {
        auto sys = OpenDatabase(data.file(kSysDbFile), kSysDbPassword, OpenMode::ReadWrite);
        sys->execute("UPDATE apb SET STATE = 2 WHERE CARDNO = 102");
    }
    r = Migrate(data.path(), {"--to", url});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    Tdsrc server(data.path(), url);
    server.OpenStore();
    auto read = server.att().prepare("INSERT INTO recorder (SYSTIME, CARDNO) VALUES (?, 101)");
    read.bindAll(At("2004-06-28 08:00"));
    read.exec();
    EXPECT_EQ(server.att().lastInsertId(), 32);
}

TEST(Migrate, BadUrlsAndCommandLines) {
    TempDataFolder data;
    EnsureDataFolder(data.path());

    for (const char* url :
         {"postgresql://horalog:secret@db/horalog", "postgres://horalog:@db/horalog",
          "postgresql://horalog@db/horalog?password=secret",
          "host=db dbname=horalog password=secret"}) {
        EXPECT_TRUE(UrlHasPassword(url)) << url;
        const Outcome r = Migrate(data.path(), {"--to", url});
        EXPECT_EQ(r.status, 1) << url;
        EXPECT_TRUE(r.err.contains("~/.pgpass")) << r.err.toStdString();
    }
    for (const char* url : {"postgresql://horalog@db:5432/horalog?sslmode=require",
                            "host=db dbname=passwords user=horalog"})
        EXPECT_FALSE(UrlHasPassword(url)) << url;

    const QString nowhere =
        QString("postgresql://postgres@127.0.0.1:%1/horalog").arg(FreeLoopbackPort());
    Outcome r = Migrate(data.path(), {"--to", nowhere});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith("horalog migrate: Database server unreachable"))
        << r.err.toStdString();

    TempDataFolder empty;
    r = Migrate(empty.path(), {"--to", nowhere});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("no attend.mdb")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(empty.file(kLogDbFile)));

    for (const QStringList& words :
         {QStringList{}, QStringList{"--to"}, QStringList{"--to", nowhere, "--bogus"},
          QStringList{"--station", "x"}}) {
        r = Migrate(data.path(), words);
        EXPECT_EQ(r.status, 2) << words.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    }
    r = Migrate(data.path(), {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith("Usage: horalog migrate --to URL"));
}

}  // namespace
