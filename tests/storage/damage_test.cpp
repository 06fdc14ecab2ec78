// A damaged log is found, refused and repaired; reads kept in the journal reach the log once.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "maintenance/log_repair.h"
#include "storage/log_table.h"
#include "storage/read_journal.h"
#include "storage/store.h"
#include "support/temp_data.h"

using namespace horalog;
using horalog::testing::BinaryPath;
using horalog::testing::TempDataFolder;

namespace {

constexpr int kRows = 3000;

QByteArray checksum(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// A log of kRows rows whose file lost the end of its last page, as after a cut copy.
class DamagedLog : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDataFolder(data.path());
        {
            Tdsrc store(data.path());
            store.OpenStore();
            Transaction t(store.att());
            LogTable log(store.att());
            for (int i = 0; i < kRows; ++i) {
                LogRecord r{0, EncodeDate(2004, 6, 26).addSecs(i), 1000 + i % 50, 1, 1, 0};
                log.append(r);
            }
            t.commit();
            store.att().checkpoint();
            store.CloseStore();
        }
        QFile f(data.file(kLogDbFile));
        ASSERT_TRUE(f.resize(f.size() - 512));
    }
    TempDataFolder data;
};

TEST_F(DamagedLog, CheckNamesTheDamageAndStartRefusesIt) {
    QString report;
    EXPECT_FALSE(CheckDatabases(data.path(), report));
    EXPECT_TRUE(report.startsWith("attend.mdb: damaged: ")) << report.toStdString();

    const QByteArray before = checksum(data.file(kLogDbFile));
    Tdsrc store(data.path());
    try {
        store.OpenStore();
        FAIL() << "a damaged log was opened";
    } catch (const StoreError& e) {
        EXPECT_TRUE(QString(e.what()).startsWith("System Error: attend.mdb is damaged ("))
            << e.what();
    }
    EXPECT_FALSE(store.isOpen());
    EXPECT_EQ(checksum(data.file(kLogDbFile)), before);

    // The operator commands tell the same, with exit status 1.
    QProcess check;
    check.start(BinaryPath("horalog"), {"--check-db", "--data", data.path()});
    ASSERT_TRUE(check.waitForFinished(20000));
    EXPECT_EQ(check.exitCode(), 1);
    EXPECT_TRUE(check.readAllStandardOutput().startsWith("attend.mdb: damaged: "));
    QProcess capture;
    capture.start(BinaryPath("horalog"), {"--capture-only", "--data", data.path()});
    ASSERT_TRUE(capture.waitForFinished(20000));
    EXPECT_EQ(capture.exitCode(), 1);
    EXPECT_TRUE(capture.readAllStandardError().contains("attend.mdb is damaged"));
}

TEST_F(DamagedLog, RepairCopiesReadableRowsAndSwapsOnlyOnRequest) {
    // A read that waited in the journal while the log was damaged.
    {
        ReadJournal journal(data.file(kJournalFile));
        journal.append({0, EncodeDate(2004, 6, 27), 4242, 1, 2, 0});
    }
    const QByteArray before = checksum(data.file(kLogDbFile));
    LogRepair dry = RepairLog(data.path(), false);
    ASSERT_TRUE(dry.ok) << dry.lines.join("\n").toStdString();
    EXPECT_EQ(dry.expected, kRows);
    // At most the rows of the lost page are missing.
    EXPECT_LE(dry.copied, kRows);
    EXPECT_GT(dry.copied, kRows - 100);
    EXPECT_EQ(checksum(data.file(kLogDbFile)), before);
    EXPECT_TRUE(QFile::exists(data.file(kRepairedLogFile)));

    LogRepair swapped = RepairLog(data.path(), true);
    ASSERT_TRUE(swapped.ok) << swapped.lines.join("\n").toStdString();
    EXPECT_EQ(checksum(swapped.keptPath), before);
    EXPECT_EQ(swapped.journalMerged, 1);
    Tdsrc store(data.path());
    store.OpenStore();
    LogTable log(store.att());
    EXPECT_EQ(log.count(), dry.copied + 1);
    EXPECT_EQ(log.last()->cardno, 4242);
    EXPECT_EQ(store.journal().count(), 0);
}

// A merge cut short after the log committed (the journal still holds the read) adds nothing
// the second time; reads of a repaired log are not merged twice either.
TEST(ReadJournal, MergeAddsEachReadOnce) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    const QString path = data.file(kJournalFile);
    {
        ReadJournal journal(path);
        const QString id = journal.append({0, EncodeDate(2004, 6, 26), 7, 1, 1, 0});
        journal.setLock(id, 3);
        journal.append({0, EncodeDate(2004, 6, 26).addSecs(5), 8, 2, 1, 0});
        EXPECT_EQ(journal.count(), 2);
    }
    ASSERT_TRUE(QFile::copy(path, path + ".copy"));

    Tdsrc store(data.path());
    store.OpenStore();  // merges
    LogTable log(store.att());
    ASSERT_EQ(log.count(), 2);
    EXPECT_EQ(log.first()->lock, 3);
    EXPECT_EQ(log.last()->mode, 2);
    EXPECT_EQ(store.journal().count(), 0);
    store.CloseStore();

    QFile::remove(path);
    ASSERT_TRUE(QFile::rename(path + ".copy", path));
    ReadJournal again(path);
    auto c = OpenDatabase(data.file(kLogDbFile), kLogDbPassword, OpenMode::ReadWrite);
    JournalMerge m = again.mergeInto(*c);
    EXPECT_EQ(m.merged, 0);
    EXPECT_EQ(m.skipped, 2);
    EXPECT_EQ(LogTable(*c).count(), 2);
    EXPECT_EQ(again.count(), 0);
}

}  // namespace
