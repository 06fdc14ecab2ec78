#include "maintenance/maintenance.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <algorithm>

#include "common/paths.h"
#include "common/texts.h"
#include "maintenance_fixture.h"
#include "storage/settings.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class Maintenance : public MaintenanceFixture {};

const DateTime kToday = EncodeDate(2024, 3, 15);

TEST_F(Maintenance, EraseLogKeepsWhatLiesFromTheChosenDay) {
    struct Case {
        const char* name;
        bool empty;  // the log has no records at all
        bool all;
        double dayOffset;  // "Before the date": kToday plus this many days
        int remaining;     // of the five records below
        int shownCard;     // card on the displays afterwards, 0 none
    };
    // Records: two days ago 08:00 (card 1), yesterday 23:59:59 (card 2), today 00:00:00
    // (card 3), today 12:00 (card 4), tomorrow 07:00 (card 5).
    const Case cases[] = {
        {"before today keeps all of today", false, false, 0, 3, 3},
        {"before a date earlier than the oldest deletes nothing", false, false, -10, 5, 1},
        {"all records", false, true, 0, 0, 0},
        {"empty log", true, true, 0, 0, 0},
        {"empty log, before a date", true, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.att().execute("DELETE FROM recorder");
        QDir(PhotosFolder()).removeRecursively();
        QDir().mkpath(PhotosFolder());
        liveCalls.clear();
        shown.reset();
        progress.runs.clear();
        const DateTime times[] = {kToday.addDays(-2).addSecs(8 * 3600), kToday.addSecs(-1), kToday,
                                  kToday.addSecs(12 * 3600), kToday.addDays(1).addSecs(7 * 3600)};
        if (!c.empty) {
            for (int i = 0; i < 5; ++i) {
                addLog(times[i], i + 1);
                writeFile(PicturePath(i + 1, times[i]));
            }
        }
        EraseLogChoice choice{c.all, kToday.addDays(c.dayOffset).addSecs(9 * 3600)};
        qint64 erased = EraseLogDatabase(store, choice, messages, progress, live);

        LogTable log(store.att());
        EXPECT_EQ(log.count(), c.remaining);
        EXPECT_EQ(erased, c.empty ? 0 : 5 - c.remaining);
        for (int i = 0; i < 5 && !c.empty; ++i)  // pictures go with their rows only
            EXPECT_EQ(QFile::exists(PicturePath(i + 1, times[i])), i >= 5 - c.remaining) << i;
        EXPECT_EQ(shown ? shown->cardno : 0, c.shownCard);
        EXPECT_EQ(liveCalls, (QStringList{"hide", "reopen"}));
        ASSERT_EQ(progress.runs.size(), 1);
        EXPECT_EQ(progress.runs[0].caption, "Erasing Attendance Record");
        EXPECT_EQ(progress.runs[0].maximum, c.empty ? 0 : 5);
        EXPECT_EQ(progress.runs[0].position, c.empty ? 0 : 5 - c.remaining);
        EXPECT_TRUE(progress.runs[0].closed);
    }
    EXPECT_EQ(messages.texts().count(kEraseLogQuestion), int(std::size(cases)));
}

TEST_F(Maintenance, EraseAnswersNoAndLargeLogsGoInBatches) {
    {
        Transaction t(store.att());
        for (int i = 0; i < 1200; ++i) addLog(kToday.addSecs(i), 7);
        t.commit();
    }
    messages.answerNext(false);
    EXPECT_EQ(EraseLogDatabase(store, {true, kToday}, messages, progress, live), -1);
    EXPECT_EQ(LogTable(store.att()).count(), 1200);
    EXPECT_TRUE(liveCalls.isEmpty());
    EXPECT_EQ(EraseLogDatabase(store, {true, kToday}, messages, progress, live), 1200);
    EXPECT_EQ(LogTable(store.att()).count(), 0);
    EXPECT_EQ(progress.runs.last().position, 1200);
}

TEST_F(Maintenance, EraseStaffRecordsKeepsGroupsAndLog) {
    qint64 office = AppendRow(store.src(), "gid", {{"DESCX", "OFFICE"}});
    for (int i = 1; i <= 3; ++i) addHolder(store.src(), i, QString("H%1").arg(i), int(office));
    addLog(kToday, 1);
    messages.answerNext(false);
    EXPECT_EQ(EraseStaffRecords(store, messages, progress, live), -1);
    EXPECT_EQ(StaffTable(store.src()).count(), 3);
    EXPECT_EQ(EraseStaffRecords(store, messages, progress, live), 3);
    EXPECT_EQ(StaffTable(store.src()).count(), 0);
    EXPECT_EQ(GroupName(store.src(), int(office)), "OFFICE");
    EXPECT_EQ(LogTable(store.att()).count(), 1);
    EXPECT_EQ(messages.texts(), (QStringList{kEraseStaffQuestion, kEraseStaffQuestion}));
    EXPECT_EQ(progress.runs.last().caption, "Erasing Database");
    EXPECT_EQ(progress.runs.last().position, 3);
    EXPECT_EQ(liveCalls, (QStringList{"hide", "reopen"}));
}

// A backup taken while another connection reads the live file (the web reporter) holds every
// committed row and needs no side file.
TEST_F(Maintenance, BackupIsCompleteWhileOthersRead) {
    for (int i = 0; i < 50; ++i) addLog(kToday.addSecs(i), i);
    auto reader = OpenDatabase(store.logDbPath(), kLogDbPassword, OpenMode::ReadOnly);
    reader->prepare("SELECT count(*) FROM recorder").exec();
    QStringList events;
    store.addCloseHook([&] { events << "close"; });
    store.addReopenHook([&] { events << "reopen"; });

    const QString target = QDir(other.path()).filePath("copy.mdb");
    dialogs.answers.push_back(target);
    const QString proposed = LastBackupFile(store, DatabaseKind::Log);
    BackupDatabase(store, DatabaseKind::Log, messages, dialogs);
    EXPECT_EQ(dialogs.asked.value(0),
              "Backup Log Database|" + proposed + "|" + kDatabaseDialogFilter);
    EXPECT_EQ(messages.texts(), QStringList{text::kCompleted});
    EXPECT_EQ(events, (QStringList{"close", "reopen"}));
    EXPECT_TRUE(store.isOpen());
    EXPECT_EQ(ReadSettingText("LogDbLast", ""), target);
    EXPECT_FALSE(QFile::exists(target + "-wal"));
    EXPECT_FALSE(QFile::exists(target + ".new"));
    {
        auto copy = OpenDatabase(target, kLogDbPassword, OpenMode::ReadOnly);
        EXPECT_EQ(LogTable(*copy).count(), 50);
        auto q = copy->prepare("SELECT count(*) FROM recorder");
        q.next();
        EXPECT_EQ(q.value(0).toInt(), 50);
    }

    // The system database the same way, to its own remembered file.
    messages.clear();
    addHolder(store.src(), 5, "Eve");
    ASSERT_TRUE(
        BackupDatabaseTo(store, DatabaseKind::System, data.file("backup_sysdat.mdb"), messages));
    auto sys = OpenDatabase(data.file("backup_sysdat.mdb"), kSysDbPassword, OpenMode::ReadOnly);
    EXPECT_TRUE(StaffTable(*sys).byCard(5));
    EXPECT_EQ(ReadSettingText("SysDbLast", ""), data.file("backup_sysdat.mdb"));
}

TEST_F(Maintenance, LiveFilesAreRefusedAsBackupTargetAndRestoreSource) {
    addLog(kToday, 1);
    store.CloseStore();
    const QByteArray logBytes = readFile(store.logDbPath());
    const QByteArray sysBytes = readFile(store.sysDbPath());
    store.OpenStore();
    struct Case {
        bool backup;
        DatabaseKind kind;
        QString path;
    };
    const Case cases[] = {
        {true, DatabaseKind::Log, store.logDbPath()},
        {true, DatabaseKind::Log, store.sysDbPath()},
        {true, DatabaseKind::System, data.path() + "/./sysdat.mdb"},
        {false, DatabaseKind::Log, store.logDbPath()},
        {false, DatabaseKind::System, store.sysDbPath()},
    };
    for (const Case& c : cases) {
        messages.clear();
        bool ok = c.backup ? BackupDatabaseTo(store, c.kind, c.path, messages)
                           : RestoreDatabaseFrom(store, c.kind, c.path, messages);
        EXPECT_FALSE(ok) << c.path.toStdString();
        EXPECT_EQ(messages.texts(), QStringList{kLiveFileChosen});
        EXPECT_TRUE(store.isOpen());
    }
    store.CloseStore();
    EXPECT_EQ(readFile(store.logDbPath()), logBytes);
    EXPECT_EQ(readFile(store.sysDbPath()), sysBytes);
}

TEST_F(Maintenance, RestoreTakesOnlyAGoodFileOfItsKind) {
    const QString folder = otherFolder();
    {
        auto att =
            OpenDatabase(QDir(folder).filePath("attend.mdb"), kLogDbPassword, OpenMode::ReadWrite);
        for (int i = 0; i < 7; ++i) addLog(*att, kToday.addSecs(i), 40 + i);
        auto src =
            OpenDatabase(QDir(folder).filePath("sysdat.mdb"), kSysDbPassword, OpenMode::ReadWrite);
        addHolder(*src, 77, "Zoe");
    }
    // A system file with a reader row missing, and a file with the log password but no log.
    QFile::copy(QDir(folder).filePath("sysdat.mdb"), QDir(folder).filePath("seven.mdb"));
    OpenDatabase(QDir(folder).filePath("seven.mdb"), kSysDbPassword, OpenMode::ReadWrite)
        ->execute("DELETE FROM reader WHERE PORTNO = 8");
    OpenDatabase(QDir(folder).filePath("nolog.mdb"), kLogDbPassword, OpenMode::ReadWrite, true)
        ->execute("CREATE TABLE other (A INTEGER)");
    writeFile(QDir(folder).filePath("text.mdb"), "no database here");

    struct Case {
        const char* name;
        DatabaseKind kind;
        const char* file;
        QString message;
    };
    const Case cases[] = {
        {"the other database's password", DatabaseKind::Log, "sysdat.mdb", kInvalidDatabase},
        {"the other database's password", DatabaseKind::System, "attend.mdb", kInvalidDatabase},
        {"no database at all", DatabaseKind::Log, "text.mdb", kInvalidDatabase},
        {"a missing file", DatabaseKind::Log, "missing.mdb", kInvalidDatabase},
        {"the log password without a log", DatabaseKind::Log, "nolog.mdb", kInvalidDatabase},
        {"seven reader rows", DatabaseKind::System, "seven.mdb", kInvalidDatabase},
        {"a good log", DatabaseKind::Log, "attend.mdb", text::kCompleted},
        {"a good system file", DatabaseKind::System, "sysdat.mdb", text::kCompleted},
    };
    addLog(kToday, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool isLog = c.kind == DatabaseKind::Log;
        dialogs.asked.clear();
        const QString lastBefore = LastBackupFile(store, c.kind);
        const QString live = c.kind == DatabaseKind::Log ? store.logDbPath() : store.sysDbPath();
        store.CloseStore();
        const QByteArray before = readFile(live);
        store.OpenStore();
        messages.clear();
        const QString source = QDir(folder).filePath(c.file);
        dialogs.answers.push_back(source);
        RestoreDatabase(store, c.kind, messages, dialogs);
        const bool good = c.message == text::kCompleted;
        if (good) {  // asked first
            ASSERT_EQ(messages.shown.size(), 2);
            EXPECT_EQ(messages.shown[0].kind, "confirm");
            EXPECT_EQ(messages.shown[1].text, c.message);
        } else {
            EXPECT_EQ(messages.texts(), QStringList{c.message});
        }
        EXPECT_TRUE(store.isOpen());
        if (!good) {
            store.CloseStore();
            EXPECT_EQ(readFile(live), before);  // byte for byte
            store.OpenStore();
        }
        EXPECT_EQ(dialogs.asked.value(0),
                  (isLog ? "Restore Log Database|" : "Restore System Database|") + lastBefore +
                      "|" + kDatabaseDialogFilter);
        EXPECT_EQ(LastBackupFile(store, c.kind), good ? source : lastBefore);
    }
    EXPECT_EQ(LogTable(store.att()).count(), 7);
    EXPECT_TRUE(StaffTable(store.src()).byCard(77));
}

// The question names what goes and what comes; Cancel leaves the live file byte for byte,
// OK replaces it.
TEST_F(Maintenance, RestoreAsksFirstAndCancelChangesNothing) {
    const QString folder = otherFolder();
    {
        auto att =
            OpenDatabase(QDir(folder).filePath("attend.mdb"), kLogDbPassword, OpenMode::ReadWrite);
        for (int i = 0; i < 6; ++i) addLog(*att, kToday.addDays(i), 40 + i);
        auto src =
            OpenDatabase(QDir(folder).filePath("sysdat.mdb"), kSysDbPassword, OpenMode::ReadWrite);
        addHolder(*src, 77, "Zoe");
    }
    {
        Transaction t(store.att());
        for (int i = 0; i < 1234; ++i) addLog(EncodeDate(2024, 1, 2).addDays(i % 1000), i);
        t.commit();
    }
    addHolder(store.src(), 5, "Ann");
    addHolder(store.src(), 6, "Bob");
    AppendRow(store.src(), "gid", {{"DESCX", "OFFICE"}});

    struct Case {
        DatabaseKind kind;
        bool ok;
        QString question;
    };
    const QString logQuestion =
        "The log of 1,234 records (first 2024-01-02, last 2026-09-27) will be replaced by the "
        "backup's 6 records (first 2024-03-15, last 2024-03-20). Continue?";
    const QString sysQuestion =
        "The system database of 2 card holders and 2 groups will be replaced by the backup's "
        "1 card holder and 1 group. Continue?";
    const Case cases[] = {
        {DatabaseKind::Log, false, logQuestion},
        {DatabaseKind::Log, true, logQuestion},
        {DatabaseKind::System, false, sysQuestion},
        {DatabaseKind::System, true, sysQuestion},
    };
    auto checksum = [&](const QString& path) {
        store.CloseStore();  // every committed row in the file itself
        const QByteArray sum = QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha256);
        store.OpenStore();
        return sum;
    };
    int closings = 0;
    store.addCloseHook([&] { ++closings; });
    for (const Case& c : cases) {
        const bool isLog = c.kind == DatabaseKind::Log;
        SCOPED_TRACE(std::string(isLog ? "log" : "system") + (c.ok ? ", OK" : ", Cancel"));
        const QString live = isLog ? store.logDbPath() : store.sysDbPath();
        const QString source = QDir(folder).filePath(isLog ? "attend.mdb" : "sysdat.mdb");
        const QByteArray before = checksum(live);
        const QString lastBefore = LastBackupFile(store, c.kind);
        closings = 0;
        messages.clear();
        messages.answerNext(c.ok);
        EXPECT_EQ(RestoreDatabaseFrom(store, c.kind, source, messages), c.ok);
        ASSERT_FALSE(messages.shown.isEmpty());
        EXPECT_EQ(messages.shown[0].kind, "confirm");
        EXPECT_EQ(messages.shown[0].text, c.question);
        EXPECT_EQ(messages.texts().size(), c.ok ? 2 : 1);
        EXPECT_TRUE(store.isOpen());
        // Cancel: the store was never closed and the readers never stopped.
        EXPECT_EQ(closings, c.ok ? 1 : 0);
        EXPECT_EQ(LastBackupFile(store, c.kind), c.ok ? source : lastBefore);
        EXPECT_EQ(checksum(live) == before, !c.ok);
        if (isLog) {
            EXPECT_EQ(LogTable(store.att()).count(), c.ok ? 6 : 1234);
        } else {
            EXPECT_EQ(StaffTable(store.src()).count(), c.ok ? 1 : 2);
        }
    }
}

TEST(RestoreQuestion, NamesCountsAndDays) {
    const DatabaseSummary big{
        .records = 12345, .first = EncodeDate(2024, 1, 2), .last = EncodeDate(2026, 12, 10)};
    const DatabaseSummary one{
        .records = 1, .first = EncodeDate(2025, 5, 6), .last = EncodeDate(2025, 5, 6)};
    const DatabaseSummary none;
    DatabaseSummary system;
    system.kind = DatabaseKind::System;
    system.holders = 1;
    system.groups = 3;
    struct Case {
        std::optional<DatabaseSummary> live;
        DatabaseSummary backup;
        const char* question;
    };
    const Case cases[] = {
        {big, one,
         "The log of 12,345 records (first 2024-01-02, last 2026-12-10) will be replaced by the "
         "backup's 1 record (first 2025-05-06, last 2025-05-06). Continue?"},
        {none, big,
         "The log of 0 records will be replaced by the backup's 12,345 records (first "
         "2024-01-02, last 2026-12-10). Continue?"},
        {std::nullopt, none, "The log will be replaced by the backup's 0 records. Continue?"},
        {std::nullopt, system,
         "The system database will be replaced by the backup's 1 card holder and 3 groups. "
         "Continue?"},
    };
    for (const Case& c : cases) EXPECT_EQ(RestoreQuestion(c.live, c.backup), c.question);
}

// A source still in write-ahead mode (copied from a running installation) brings its logged
// rows along.
TEST_F(Maintenance, RestoreTakesTheSourcesWriteAheadLog) {
    const QString folder = otherFolder();
    const QString source = QDir(folder).filePath("attend.mdb");
    auto writer = OpenDatabase(source, kLogDbPassword, OpenMode::ReadWrite);
    writer->execute("PRAGMA wal_autocheckpoint=0");
    for (int i = 0; i < 20; ++i) addLog(*writer, kToday.addSecs(i), 9);
    ASSERT_GT(QFileInfo(source + "-wal").size(), 0);
    ASSERT_TRUE(RestoreDatabaseFrom(store, DatabaseKind::Log, source, messages));
    EXPECT_EQ(LogTable(store.att()).count(), 20);
}

TEST_F(Maintenance, FormatDeletesPicturesEvenWhenACopyFails) {
    struct Case {
        const char* name;
        bool logTemplateMissing;
        QStringList messages;
    };
    const Case cases[] = {
        {"both copies succeed", false, {kDatabaseFormatted}},
        {"the log copy fails", true, {kLogDbLocked, kDatabaseFormatted}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EnsureDataFolder(data.path());  // templates back
        addLog(kToday, 3);
        addHolder(store.src(), 3, "Ann");
        store.src().execute("UPDATE reader SET \"DESC\" = 'Gate' WHERE PORTNO = 1");
        writeFile(QDir(PhotosFolder()).filePath("240315-000000-3.jpg"));
        writeFile(QDir(PhotosFolder()).filePath("other.jpg"));
        if (c.logTemplateMissing) QFile::remove(data.file("attend-b.mdb"));
        messages.clear();
        FormatDatabase(store, messages);
        EXPECT_EQ(messages.texts(), QStringList{kFormatQuestion} + c.messages);
        EXPECT_TRUE(store.isOpen());
        EXPECT_TRUE(QDir(PhotosFolder()).entryList({"*.jpg"}, QDir::Files).isEmpty());
        EXPECT_EQ(StaffTable(store.src()).count(), 0);
        EXPECT_EQ(ReaderDescriptions(store.src())[0], "COM1");
        EXPECT_TRUE(ReaderTableOk(store.src()));
        EXPECT_EQ(LogTable(store.att()).count(), c.logTemplateMissing ? 1 : 0);
        store.att().execute("DELETE FROM recorder");
    }
    messages.clear();
    messages.answerNext(false);
    addHolder(store.src(), 4, "Bob");
    FormatDatabase(store, messages);
    EXPECT_EQ(StaffTable(store.src()).count(), 1);
}

// A restore killed at any moment leaves a live file that opens, holding either the old or
// the new log, never a half-written one.
TEST(MaintenanceFiles, RestoreKilledAnywhereLeavesAWorkingFile) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    QTemporaryDir sources;
    const int sizes[] = {20000, 30000};
    QStringList paths;
    for (int n : sizes) {
        QString p = sources.filePath(QString("log%1.mdb").arg(n));
        QFile::copy(data.file("attend-b.mdb"), p);
        auto c = OpenDatabase(p, kLogDbPassword, OpenMode::ReadWrite);
        Transaction t(*c);
        for (int i = 0; i < n; ++i) {
            LogRecord r{0, EncodeDate(2024, 1, 1).addSecs(i), i % 500, 1, 1, 0};
            LogTable(*c).append(r);
        }
        t.commit();
        paths << p;
    }
    // The kill moments are spread over one restore's length on this build and machine (a
    // sanitizer build is several times slower), measured in a folder of its own.
    qint64 restoreUs = 0;
    {
        TempDataFolder scratch;
        EnsureDataFolder(scratch.path());
        Tdsrc store(scratch.path());
        RecordingMessages m;
        QElapsedTimer timer;
        timer.start();
        RestoreDatabaseFrom(store, DatabaseKind::Log, paths[1], m);
        restoreUs = std::max<qint64>(timer.nsecsElapsed() / 1000, 1000);
    }
    bool restored = false;  // the child got through at least one restore
    for (double share : {0.03, 0.15, 0.3, 0.5, 0.7, 0.9, 1.2, 3.0}) {
        const auto delayUs = useconds_t(share * double(restoreUs));
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Tdsrc store(data.path());
            RecordingMessages m;
            for (int i = 0;; ++i) RestoreDatabaseFrom(store, DatabaseKind::Log, paths[i % 2], m);
            _exit(0);
        }
        usleep(delayUs);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        auto c = OpenDatabase(data.file("attend.mdb"), kLogDbPassword, OpenMode::ReadWrite);
        qint64 n = LogTable(*c).count();
        auto q = c->prepare("SELECT count(*) FROM recorder");
        q.next();
        EXPECT_EQ(q.value(0).toLongLong(), n) << delayUs;
        EXPECT_TRUE(n == 0 || n == sizes[0] || n == sizes[1]) << n << " after " << delayUs;
        restored = restored || n > 0;
    }
    EXPECT_TRUE(restored);
}

}  // namespace

#include <QDateEdit>
#include <QRadioButton>

#include "maintenance/ui/erase_log_dialog.h"

namespace {

TEST(EraseLogDialog, OffersAllByDefaultAndTheDateWhenTouched) {
    TEraseLogDialog dialog(FixedClock(EncodeDateTime(2024, 3, 15, 10, 30, 0)));
    EXPECT_EQ(dialog.windowTitle(), "Erase Attendance Records");
    EXPECT_TRUE(dialog.choice().all);
    EXPECT_EQ(dialog.datePicker()->text(), "March 15, 2024 Friday");
    EXPECT_EQ(dialog.allButton()->toolTip(), "Erase all attendance records.");
    dialog.datePicker()->setDate(QDate(2024, 2, 1));
    EXPECT_TRUE(dialog.beforeButton()->isChecked());
    EraseLogChoice c = dialog.choice();
    EXPECT_FALSE(c.all);
    EXPECT_EQ(c.date, EncodeDate(2024, 2, 1));
}

}  // namespace
