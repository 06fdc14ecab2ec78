// A server that goes away: its links fail at once and link again in place, and the journal of
// reads kept meanwhile reaches the log once, however often it is forwarded.
#include "storage/server_outage.h"

#include <gtest/gtest.h>

#include <QFile>

#include "people/door_rights.h"
#include "people/time_profiles.h"
#include "storage/engines.h"
#include "storage/local_copy.h"
#include "storage/log_table.h"
#include "storage/read_journal.h"
#include "storage/staff_table.h"
#include "support/pty.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

// Starts the private server again however the test ends, for the tests after it.
struct ServerStopped {
    explicit ServerStopped(PrivatePostgres& s) : server(s) { server.stopServer(); }
    ~ServerStopped() { server.startServer(); }
    PrivatePostgres& server;
};

TEST(ServerLink, LostServerFailsAtOnceAndLinksAgainInPlace) {
    HORALOG_NEW_SERVER_DATABASE(url);
    PrivatePostgres& server = *PrivatePostgres::Get(nullptr);
    auto writer = OpenServerDatabase(url, OpenMode::ReadWrite);
    auto reader = OpenServerDatabase(url, OpenMode::ReadOnly);
    writer->execute("CREATE TABLE t (x INTEGER)");
    {
        ServerStopped stopped(server);
        EXPECT_THROW(writer->execute("INSERT INTO t VALUES (1)"), DbError);
        EXPECT_TRUE(ServerLinkLost(*writer));
        EXPECT_FALSE(ServerLinkLost(*reader));  // not used since: nothing told it yet
        for (auto attempt :
             {std::function<void()>([&] { RelinkServer(*writer, 250); }),
              std::function<void()>([&] { OpenServerDatabase(url, OpenMode::ReadWrite, 250); })}) {
            try {
                attempt();
                ADD_FAILURE() << "linked to a stopped server";
            } catch (const DbError& e) {
                EXPECT_TRUE(e.text().startsWith("Database server unreachable")) << e.what();
            }
        }
        EXPECT_TRUE(ServerLinkLost(*writer));
        EXPECT_THROW(writer->execute("SELECT 1"), DbError);
    }
    RelinkServer(*writer, 2000);
    RelinkServer(*reader, 2000);
    EXPECT_FALSE(ServerLinkLost(*writer));
    writer->execute("INSERT INTO t VALUES (1)");
    // The session's settings came back with the link: the reader still refuses to write.
    EXPECT_THROW(reader->execute("INSERT INTO t VALUES (2)"), DbError);
    auto q = reader->prepare("SELECT count(*) FROM t");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
}

// The copy holds what a door decides from (holders without photos, profiles, holidays,
// passage states), is not copied again while nothing changed, and follows an edit of rights.
TEST(LocalCopy, HoldsWhatDoorsDecideFromAndFollowsEdits) {
    HORALOG_NEW_SERVER_DATABASE(url);
    TempDataFolder folder;
    Tdsrc store(folder.path(), url);
    store.OpenStore();
    TimeProfile day;
    day.name = "Day";
    day.periods = {{8 * 60, 17 * 60}};
    day.days = {true, true, true, true, true, false, false};
    const int dayId = ScheduleStore(store.src()).saveProfile(day);
    ScheduleStore(store.src()).saveHoliday({QDate(2024, 3, 5), "Feast"});
    HolderRecord ann;
    ann.cardno = 100;
    ann.name = "ANN";
    ann.accessgrp = dayId;
    ann.com[0] = true;
    ann.photo = QByteArray("\xFF\xD8 not a real picture");
    StaffTable(store.src()).append(ann);
    store.src().execute("INSERT INTO apb (CARDNO, STATE) VALUES (100, 1)");

    LocalCopy copy(folder.file(kLocalCopyFile));
    EXPECT_TRUE(copy.refresh(store.src()));
    Connection& local = copy.connection();
    auto held = StaffTable(local).byCard(100, true);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->name, "ANN");
    EXPECT_TRUE(held->allowedOn(1));
    EXPECT_EQ(held->accessgrp, dayId);
    EXPECT_TRUE(held->photo.isEmpty());
    ScheduleBook book;
    book.refresh(local);
    EXPECT_EQ(book.decide(dayId, EncodeDateTime(2024, 3, 4, 10, 0, 0)), ScheduleAnswer::InPeriod);
    EXPECT_EQ(book.decide(dayId, EncodeDateTime(2024, 3, 5, 10, 0, 0)), ScheduleAnswer::Holiday);
    auto state = [&](int card) {
        auto q = local.prepare("SELECT STATE FROM apb WHERE CARDNO = ?");
        q.bindAll(card);
        return q.next() ? q.integer("STATE") : -1;
    };
    EXPECT_EQ(state(100), 1);
    copy.notePassage(100, 2);
    copy.notePassage(200, 1);
    EXPECT_EQ(state(100), 2);
    EXPECT_EQ(state(200), 1);

    EXPECT_FALSE(copy.refresh(store.src()));
    ASSERT_EQ(SetDoorRight(store.src(), {100}, 1, false), 1);
    EXPECT_TRUE(copy.refresh(store.src()));
    EXPECT_FALSE(StaffTable(local).byCard(100)->allowedOn(1));
}

// An outage seen from the store: it begins on a lost link, decisions move to the copy, and
// when the server answers again the kept reads, a LOCK the server missed and the passages made
// meanwhile reach it before the outage ends.
TEST(Outage, EndsWithKeptReadsLocksAndPassagesOnTheServer) {
    HORALOG_NEW_SERVER_DATABASE(url);
    PrivatePostgres& server = *PrivatePostgres::Get(nullptr);
    TempDataFolder folder;
    Tdsrc store(folder.path(), url);
    store.OpenStore();
    store.src().execute("INSERT INTO apb (CARDNO, STATE) VALUES (100, 2)");
    const DateTime t0 = EncodeDateTime(2024, 3, 4, 9, 0, 0);
    LogRecord taken{0, t0, 100, 1, 1, 0};
    LogTable(store.att()).append(taken);
    std::vector<bool> changes;
    ServerOutage outage(store, [&] { changes.push_back(outage.down()); });
    outage.setRetryInterval(50);
    outage.refreshCopy(true);
    EXPECT_EQ(&outage.decisions(), &store.src());
    {
        ServerStopped stopped(server);
        EXPECT_FALSE(outage.noteFailure("duplicate key value"));
        try {
            LogTable(store.att()).setLock(taken.id, 1);
            FAIL() << "wrote to a stopped server";
        } catch (const DbError& e) {
            EXPECT_TRUE(outage.noteFailure(e.text()));
        }
        EXPECT_TRUE(outage.down());
        EXPECT_EQ(&outage.decisions(), &outage.copy().connection());
        outage.keepLock(taken, 1);
        outage.notePassage(100, 1);
        for (int card : {200, 300}) store.journal().append(LogRecord{0, t0, card, 1, 1, 0});
        RunEventsFor(300);  // tries meet a stopped server
        EXPECT_TRUE(outage.down());
    }
    ASSERT_TRUE(WaitUntil([&] { return !outage.down(); }, 10000));
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_EQ(outage.forwarded(), 2);
    EXPECT_EQ(store.journal().count(), 0);
    auto log = store.att().prepare("SELECT CARDNO, LOCK FROM recorder ORDER BY ID");
    std::vector<std::pair<int, int>> rows;
    while (log.next()) rows.emplace_back(log.integer("CARDNO"), log.integer("LOCK"));
    EXPECT_EQ(rows, (std::vector<std::pair<int, int>>{{100, 1}, {200, 0}, {300, 0}}));
    auto state = store.src().prepare("SELECT STATE FROM apb WHERE CARDNO = 100");
    ASSERT_TRUE(state.next());
    EXPECT_EQ(state.integer("STATE"), 1);
}

class JournalForward : public EngineFixture {};

// A forward cut short after the log took the reads (the journal not yet emptied) is repeated
// at the next one: each read is in the log once, in the order read, with its lock.
TEST_P(JournalForward, RepeatedForwardAddsEachReadOnce) {
    const DateTime t0 = EncodeDateTime(2024, 3, 1, 8, 0, 0);
    const std::vector<LogRecord> reads = {
        {0, t0, 300, 1, 1, 0},
        {0, t0, 100, 1, 1, 1},  // same second: kept in the order read
        {0, EncodeDateTime(2024, 3, 1, 8, 0, 5), 200, 2, 2, 0},
        {0, EncodeDateTime(2024, 3, 1, 8, 0, 9), -1, 1, 3, 0},
    };
    ReadJournal journal(data.file(kJournalFile));
    for (LogRecord r : reads) {
        const QString id = journal.append(r);
        if (r.cardno == 100) journal.setLock(id, 2);
    }
    journal.close();
    const QString saved = journal.path() + ".saved";
    ASSERT_TRUE(QFile::copy(journal.path(), saved));

    EXPECT_EQ(journal.mergeInto(att()).merged, 4);
    EXPECT_EQ(journal.count(), 0);
    journal.close();
    ASSERT_TRUE(QFile::remove(journal.path()));
    ASSERT_TRUE(QFile::copy(saved, journal.path()));
    ASSERT_EQ(journal.count(), 4);
    const JournalMerge again = journal.mergeInto(att());
    EXPECT_EQ(again.merged, 0);
    EXPECT_EQ(again.skipped, 4);
    EXPECT_EQ(journal.count(), 0);

    // In the order the log took them.
    auto log =
        att().prepare("SELECT SYSTIME, CARDNO, MODE, READER, LOCK FROM recorder ORDER BY ID");
    for (const LogRecord& read : reads) {
        SCOPED_TRACE(read.cardno);
        ASSERT_TRUE(log.next());
        EXPECT_EQ(log.integer("CARDNO"), read.cardno);
        EXPECT_EQ(log.integer("READER"), read.reader);
        EXPECT_EQ(log.integer("MODE"), read.mode);
        EXPECT_EQ(log.dateTime("SYSTIME").value, read.systime.value);
        EXPECT_EQ(log.integer("LOCK"), read.cardno == 100 ? 2 : 0);
    }
    EXPECT_FALSE(log.next());
}

// A write whose answer the broken link never brought back may have reached the log: the merge
// adds it only when the log has no such row after the last one the station knew it took, and
// gives that row the lock decided meanwhile. Live reads are stamped to the second, so an
// identical row before that point is an earlier read and no reason to drop this one.
TEST_P(JournalForward, UnsureWriteIsAddedOnlyWhenTheLogLacksIt) {
    const DateTime t0 = EncodeDateTime(2024, 3, 1, 8, 0, 0);
    LogTable log(att());
    LogRecord first{0, t0, 100, 1, 1, 0};
    log.append(first);                 // a read the station knows was taken
    LogRecord taken{0, t0, 100, 1, 1, 0};
    log.append(taken);                 // the same card again that second: taken, unanswered
    LogRecord lost{0, t0, 300, 1, 1, 0};

    ReadJournal journal(data.file(kJournalFile));
    journal.setLock(journal.append(taken, first.id), 1);
    journal.append(lost, taken.id);    // the link broke before the server took it
    LogRecord again = first;
    journal.append(again, taken.id);   // same second once more, never taken
    const JournalMerge m = journal.mergeInto(att());
    EXPECT_EQ(m.merged, 2);
    EXPECT_EQ(m.skipped, 1);

    auto rows = att().prepare("SELECT CARDNO, LOCK FROM recorder ORDER BY ID");
    std::vector<std::pair<int, int>> got;
    while (rows.next()) got.emplace_back(rows.integer("CARDNO"), rows.integer("LOCK"));
    const std::vector<std::pair<int, int>> expected = {{100, 0}, {100, 1}, {300, 0}, {100, 0}};
    EXPECT_EQ(got, expected);
}

INSTANTIATE_TEST_SUITE_P(Engines, JournalForward, kBothEngines, EngineName);

}  // namespace
