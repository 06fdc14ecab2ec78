// A read the log cannot take is still answered, kept in the journal and merged into the log
// once the log takes rows again.
#include <algorithm>

#include "capture_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class JournalledReads : public CaptureFixture {
protected:
    // Every insert into the log fails at the engine, as on a damaged or full disk.
    void breakLog() {
        store.att().execute(
            "CREATE TEMP TRIGGER broken BEFORE INSERT ON recorder "
            "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    }
    void mendLog() { store.att().execute("DROP TRIGGER temp.broken"); }
};

TEST_F(JournalledReads, FailedWriteIsAnsweredKeptAndMergedOnce) {
    setup({{.port = 1, .mode = 1, .lock = 2}, {.port = 2, .mode = 1, .lockTime = 4}});
    holder(100, "ANN", {1, 2});
    std::vector<std::pair<qint64, QString>> alarms;
    capture.feedback.journalled = [&](qint64 n, const QString& why) { alarms.push_back({n, why}); };
    std::vector<LogRecord> shown;
    capture.feedback.recordLogged = [&](const LogRecord& r) { shown.push_back(r); };

    breakLog();
    for (int card : {100, 999}) {
        const qint64 before = store.journal().count();
        pty[0]->write(CardFrame(card));
        ASSERT_TRUE(WaitUntil([&] { return store.journal().count() > before; }, 3000));
    }
    auto sent = received();
    // The holder's door opens and the stranger is refused, exactly as with a sound log.
    EXPECT_EQ(sent[0], (QStringList{"~y", "~N"}));
    EXPECT_EQ(sent[1], QStringList{"~Y4"});
    EXPECT_EQ(LogTable(store.att()).count(), 0);
    ASSERT_EQ(alarms.size(), 2u);
    EXPECT_EQ(alarms[1].first, 2);
    EXPECT_EQ(alarms[1].second, "disk I/O error");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].lock, 2);

    // The log takes rows again: the next read brings the kept ones along.
    mendLog();
    present(1, CardFrame(101));
    EXPECT_EQ(store.journal().count(), 0);
    // Reads of one second sort by card.
    auto log = rows();
    std::sort(log.begin(), log.end(),
              [](const LogRecord& a, const LogRecord& b) { return a.cardno < b.cardno; });
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].cardno, 100);
    EXPECT_EQ(log[0].lock, 2);
    EXPECT_EQ(log[1].cardno, 101);
    EXPECT_EQ(log[2].cardno, 999);

    // A later start finds nothing more to merge.
    CloseReaderPorts(links);
    store.CloseStore();
    store.OpenStore();
    EXPECT_EQ(LogTable(store.att()).count(), 3);
}

}  // namespace
