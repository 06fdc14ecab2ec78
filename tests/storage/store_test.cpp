#include "storage/store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "common/format.h"
#include "engines.h"
#include "storage/log_table.h"
#include "storage/lookups.h"
#include "storage/rows.h"
#include "storage/staff_table.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using horalog::testing::EngineFixture;
using horalog::testing::RecordingMessages;
using horalog::testing::TempDataFolder;

namespace {

// Cases that go through Connection run on both engines.
class StoreTest : public EngineFixture {};

TEST(StoreFiles, FirstStartCreatesTemplatesDatabasesAndPhotos) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    for (const char* f : {"attend-b.mdb", "sysdat-b.mdb", "attend.mdb", "sysdat.mdb"})
        EXPECT_TRUE(QFile::exists(data.file(f))) << f;
    EXPECT_TRUE(QDir(data.file("photos")).exists());
}

TEST_P(StoreTest, ANewStoreHoldsTheDefaultGroupAndEightReaders) {
    EXPECT_TRUE(ReaderTableOk(src()));
    EXPECT_EQ(GroupName(src(), 1), "DEFAULT");
    auto q = src().prepare("SELECT * FROM gid WHERE ID = 1");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(FormatDateTime("hh:mm", q.dateTime("WD_FROM_1")), "09:00");
    EXPECT_EQ(FormatDateTime("hh:mm", q.dateTime("WD_TO_1")), "13:00");
    EXPECT_EQ(FormatDateTime("hh:mm", q.dateTime("WD_FROM_2")), "14:00");
    EXPECT_EQ(FormatDateTime("hh:mm", q.dateTime("WD_TO_2")), "17:00");
    EXPECT_EQ(q.integer("OT_MIN"), 15);
    EXPECT_EQ(q.integer("OT_MULTI"), 5);
    ReaderNames names = ReaderDescriptions(src());
    EXPECT_EQ(names[0], "COM1");
    EXPECT_EQ(names[7], "COM8");
}

TEST_P(StoreTest, SharedLookups) {
    ReaderNames names = ReaderDescriptions(src());
    EXPECT_EQ(ReaderName(9, names), "ERROR");
    EXPECT_EQ(ReaderName(-1, names), "ERROR");
    EXPECT_EQ(ReaderName(0, names), "DENIED");
    EXPECT_EQ(ReaderName(3, names), "COM3");
    src().execute("UPDATE reader SET \"DESC\" = 'Front door' WHERE PORTNO = 2");
    src().execute("UPDATE reader SET \"DESC\" = '  ' WHERE PORTNO = 4");
    names = ReaderDescriptions(src());
    EXPECT_EQ(ReaderName(2, names), "Front door");
    EXPECT_EQ(ReaderName(4, names), "COM4");

    // A holder of a deleted group: empty name, null group columns in a left join.
    qint64 gid = AppendRow(src(), "gid", {{"DESCX", "OFFICE"}});
    HolderRecord h;
    h.cardno = 123;
    h.name = "John";
    h.workgrp = int(gid);
    StaffTable(src()).append(h);
    EXPECT_EQ(GroupName(src(), int(gid)), "OFFICE");
    EXPECT_EQ(GroupIdOf(src(), "OFFICE"), gid);
    DeleteRow(src(), "gid", "ID", gid);
    EXPECT_EQ(GroupName(src(), int(gid)), "");
    EXPECT_EQ(GroupIdOf(src(), "OFFICE"), 0);
    auto q = src().prepare(
        "SELECT staffs.NAME, gid.DESCX FROM staffs LEFT JOIN gid ON staffs.WORKGRP = gid.ID");
    ASSERT_TRUE(q.next());
    EXPECT_TRUE(q.isNull("DESCX"));

    DateRange r = DateRangeClause(EncodeDateTime(2004, 6, 26, 15, 0, 0), EncodeDate(2004, 6, 26));
    EXPECT_EQ(r.lo, EncodeDate(2004, 6, 26));
    EXPECT_EQ(r.hi, EncodeDate(2004, 6, 27));

    EXPECT_EQ(PicturePath(123, EncodeDateTime(2004, 6, 26, 18, 24, 6)),
              QDir(data.file("photos")).filePath("040626-182406-123.jpg"));
}

TEST_P(StoreTest, LogRowsAppendLocatePageAndStream) {
    LogTable log(att());
    const DateTime day = EncodeDate(2004, 6, 26);
    for (int i = 0; i < 10; ++i) {
        LogRecord r{0, day.addSecs(3600 * 8 + i * 60), 100 + i % 3, 1, 1, 0};
        log.append(r);
        EXPECT_GT(r.id, 0);
    }
    EXPECT_EQ(log.count(), 10);
    EXPECT_TRUE(log.exists(day.addSecs(3600 * 8 + 60), 101));
    // the same second with milliseconds is the same read
    EXPECT_TRUE(log.exists(day.addSecs(3600 * 8 + 60.4), 101));
    EXPECT_FALSE(log.exists(day.addSecs(3600 * 8 + 61), 101));
    EXPECT_FALSE(log.exists(day.addSecs(3600 * 8 + 60), 100));

    auto newest = log.page(0, 3, LogOrder::NewestFirst);
    ASSERT_EQ(newest.size(), 3u);
    EXPECT_EQ(newest[0].systime, day.addSecs(3600 * 8 + 9 * 60));
    auto oldest = log.page(8, 5, LogOrder::OldestFirst);
    ASSERT_EQ(oldest.size(), 2u);
    EXPECT_EQ(log.positionOf(oldest[1]), 9);

    log.setLock(newest[0].id, 2);
    EXPECT_EQ(log.find(newest[0].id)->lock, 2);

    int seen = 0;
    log.forEachOfCard(101, day, day.addDays(1), [&](const LogRecord& r) {
        EXPECT_EQ(r.cardno, 101);
        ++seen;
        return true;
    });
    EXPECT_EQ(seen, 3);
    seen = 0;
    log.forEach(day, day.addDays(1), [&](const LogRecord&) { return ++seen < 4; });
    EXPECT_EQ(seen, 4);

    EXPECT_TRUE(log.remove(newest[0].id));
    EXPECT_FALSE(log.remove(newest[0].id));
    EXPECT_EQ(log.last()->systime, day.addSecs(3600 * 8 + 8 * 60));
}

TEST_P(StoreTest, HoldersAndGenericRowOperations) {
    StaffTable staff(src());
    HolderRecord h;
    h.cardno = 1234567;
    h.name = "Ann";
    h.com[1] = true;
    h.photo = QByteArray("\xff\xd8jpeg", 6);
    staff.append(h);
    auto found = staff.byCard(1234567, true);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name, "Ann");
    EXPECT_TRUE(found->allowedOn(2));
    EXPECT_FALSE(found->allowedOn(1));
    EXPECT_EQ(found->photo, h.photo);
    EXPECT_TRUE(staff.byName("ANN"));  // names compare without regard to case
    EXPECT_FALSE(staff.byCard(7));

    // The unique indexes refuse a second holder of the same card or name.
    HolderRecord dup = h;
    dup.name = "Other";
    EXPECT_THROW(staff.append(dup), DbError);
    dup.cardno = 99;
    dup.name = "ann";
    EXPECT_THROW(staff.append(dup), DbError);

    EXPECT_EQ(*LocatePrefix(src(), "staffs", "CARDNO", "NAME", "an"), 1234567);
    EXPECT_FALSE(LocatePrefix(src(), "staffs", "CARDNO", "NAME", "Bo"));
    EXPECT_EQ(*LocateRow(src(), "staffs", "SEQ", {{"CARDNO", 1234567}, {"NAME", "Ann"}}), h.seq);
    EXPECT_EQ(CountRows(src(), "staffs"), 1);
    EXPECT_THROW(CountRows(src(), "staffs; DROP TABLE gid"), DbError);
    EXPECT_TRUE(staff.removeByCard(1234567));
    EXPECT_FALSE(staff.removeByCard(1234567));
}

TEST_P(StoreTest, UncommittedChangeLeavesNothing) {
    LogTable log(att());
    try {
        Transaction t(att());
        LogRecord r{0, EncodeDate(2004, 6, 26), 5, 1, 1, 0};
        log.append(r);
        throw DbError("simulated failure");
    } catch (const DbError&) {
    }
    EXPECT_EQ(log.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, StoreTest, horalog::testing::kBothEngines,
                         horalog::testing::EngineName);

TEST(StoreFiles, PasswordsAndInvalidFiles) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    RecordingMessages messages;
    struct Case {
        const char* file;
        const char* password;
        bool ok;
    };
    const Case cases[] = {
        {"attend.mdb", kLogDbPassword, true},
        {"sysdat.mdb", kSysDbPassword, true},
        {"attend.mdb", kSysDbPassword, false},
        {"sysdat.mdb", kLogDbPassword, false},
        {"attend.mdb", "", false},
        {"missing.mdb", kLogDbPassword, false},
    };
    for (const auto& c : cases) {
        messages.clear();
        EXPECT_EQ(TestDatabaseFile(data.file(c.file), c.password, &messages), c.ok) << c.file;
        EXPECT_EQ(messages.texts(), c.ok ? QStringList() : QStringList{kInvalidDatabase});
    }
    // a plain text file is no database either
    QFile f(data.file("text.mdb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("hello, this is no database at all");
    f.close();
    EXPECT_FALSE(TestDatabaseFile(data.file("text.mdb"), kLogDbPassword, nullptr));
}

TEST(StoreFiles, StartupFailuresNameTheFile) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    // sysdat opened with the log password fails as sysdat
    QFile::remove(data.file("sysdat.mdb"));
    QFile::copy(data.file("attend-b.mdb"), data.file("sysdat.mdb"));
    Tdsrc store(data.path());
    try {
        store.OpenStore();
        FAIL() << "opened";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), kCannotOpenSysDb);
    }
    EXPECT_FALSE(store.isOpen());
    QFile::remove(data.file("attend.mdb"));
    try {
        store.OpenStore();
        FAIL() << "opened";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), kCannotOpenLogDb);
    }
}

TEST(StoreFiles, ReaderTableMustHaveEightRows) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    Tdsrc store(data.path());
    store.OpenStore();
    EXPECT_TRUE(ReaderTableOk(store.src()));
    store.src().execute("DELETE FROM reader WHERE PORTNO = 8");
    EXPECT_FALSE(ReaderTableOk(store.src()));
    store.src().execute("INSERT INTO reader (PORTNO) VALUES (9)");
    EXPECT_FALSE(ReaderTableOk(store.src()));  // eight rows, but not ports 1 to 8
    QString report;
    store.CloseStore();
    EXPECT_FALSE(CheckDatabases(data.path(), report));
    EXPECT_TRUE(report.contains(kReaderTableError));
}

TEST(StoreFiles, CloseAndReopenRunHooksInOrder) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    Tdsrc store(data.path());
    store.OpenStore();
    QStringList calls;
    store.addCloseHook([&] { calls << QString("close open=%1").arg(store.isOpen()); });
    store.addReopenHook([&] { calls << QString("reopen open=%1").arg(store.isOpen()); });
    store.CloseStore();
    EXPECT_THROW(store.att(), DbError);
    store.ReopenStore();
    EXPECT_EQ(calls, (QStringList{"close open=1", "reopen open=1"}));
}

// A process killed in the middle of a multi-row change leaves the file as before the change.
TEST(StoreFiles, KilledWriterLeavesNoHalfChange) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    const QString path = data.file("attend.mdb");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto c = OpenDatabase(path, kLogDbPassword, OpenMode::ReadWrite);
        LogTable log(*c);
        LogRecord before{0, EncodeDate(2004, 6, 25), 1, 1, 1, 0};
        log.append(before);  // committed on its own
        c->begin();
        for (int i = 0;; ++i) {
            LogRecord r{0, EncodeDate(2004, 6, 26).addSecs(i), 2, 1, 1, 0};
            log.append(r);
            if (i == 5000) {
                char b = 1;
                (void)!write(ready[1], &b, 1);
            }
        }
    }
    char b;
    ASSERT_EQ(read(ready[0], &b, 1), 1);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    auto c = OpenDatabase(path, kLogDbPassword, OpenMode::ReadWrite);
    auto q = c->prepare("PRAGMA integrity_check");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), "ok");
    EXPECT_EQ(LogTable(*c).count(), 1);
}

}  // namespace
