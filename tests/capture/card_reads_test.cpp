#include "capture_fixture.h"

#include "capture/mail_record.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

struct Read {
    int port;
    int card;
    int cmode = -1;  // -1: plain card frame; else a stamped live frame with this mode
};

struct Expected {
    int mode;
    int lock;
    std::array<QStringList, 4> sent;  // tilde commands per port 1..4
};

struct OutcomeCase {
    const char* name;
    std::vector<ReaderSetup> readers;
    bool autoInOut;
    bool stateIn;
    std::vector<Read> reads;
    std::vector<Expected> expected;
};

class CardReads : public OnBothEngines<CaptureFixture> {};

TEST_P(CardReads, OutcomesOfLiveReads) {
    const OutcomeCase cases[] = {
        {"card without holder on an IN reader",
         {{.port = 1, .mode = 1, .lock = 1}},
         false, false,
         {{1, 999}},
         {{1, 0, {QStringList{"~N"}}}}},
        {"holder refused on the reading port, OUT reader with a lock",
         {{.port = 1, .mode = 2, .lock = 1, .apb = true}},
         false, false,
         {{1, 200}},
         {{2, 0, {QStringList{"~N"}}}}},
        {"lock on the reading port with LockTime 3",
         {{.port = 2, .mode = 1, .lock = 2, .lockTime = 3}},
         false, false,
         {{2, 100}},
         {{1, 2, {QStringList{}, QStringList{"~Y3"}}}}},
        {"lock on another enabled link",
         {{.port = 1, .mode = 1, .lock = 2, .lockTime = 1}, {.port = 2, .mode = 1, .lockTime = 4}},
         false, false,
         {{1, 100}},
         {{1, 2, {QStringList{"~y"}, QStringList{"~Y4"}}}}},
        {"lock on another link that is not enabled",
         {{.port = 1, .mode = 1, .lock = 2}, {.port = 2, .enable = false}},
         false, false,
         {{1, 100}},
         {{1, 2, {QStringList{}, QStringList{}}}}},
        {"anti-passback IN, IN again, OUT",
         {{.port = 1, .mode = 1, .lock = 1, .apb = true, .lockTime = 2},
          {.port = 2, .mode = 2, .lock = 2, .apb = true, .lockTime = 2}},
         false, false,
         {{1, 100}, {1, 100}, {2, 100}},
         {{1, 1, {QStringList{"~Y2"}}},
          {1, 0, {QStringList{"~N"}}},
          {2, 2, {QStringList{}, QStringList{"~Y2"}}}}},
        {"CLOCK reader, AutoInOut off: logged CLOCK, accepted, never released",
         {{.port = 1, .mode = 0, .lock = 1}},
         false, true,
         {{1, 100}},
         {{0, 0, {QStringList{"~y"}}}}},
        {"CLOCK reader, AutoInOut on: the IN/OUT state decides",
         {{.port = 1, .mode = 0, .lock = 1}},
         true, true,
         {{1, 100}},
         {{1, 0, {QStringList{"~y"}}}}},
        {"stamped live read cmode 2 on a CLOCK reader refused without ~N",
         {{.port = 1, .mode = 0, .lock = 3}},
         false, false,
         {{1, 100, 2}},
         {{2, 0, {QStringList{"~y"}}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        store.att().execute("DELETE FROM recorder");
        store.src().execute("DELETE FROM staffs; DELETE FROM apb");
        store.src().execute("UPDATE reader SET ENABLE = 0, OUTPORT = 0, APB = 0");
        WriteSettingBool("AutoInOut", c.autoInOut);
        capture.autoIO().SetIOState(c.stateIn);
        holder(100, "ANN", {1, 2});
        holder(200, "BOB", {});
        setup(c.readers);
        received(50);
        for (size_t i = 0; i < c.reads.size(); ++i) {
            const Read& r = c.reads[i];
            present(r.port, r.cmode < 0 ? CardFrame(r.card)
                                        : StampedCardFrame(false, r.cmode,
                                                           EncodeStamp(now), r.card));
            auto got = received();
            auto all = rows();
            ASSERT_EQ(all.size(), i + 1);
            EXPECT_EQ(all.back().mode, c.expected[i].mode) << "read " << i;
            EXPECT_EQ(all.back().lock, c.expected[i].lock) << "read " << i;
            EXPECT_EQ(all.back().reader, r.port);
            EXPECT_EQ(all.back().cardno, r.card);
            for (int p = 0; p < 4; ++p)
                EXPECT_EQ(got[p], c.expected[i].sent[p]) << "read " << i << " port " << p + 1;
        }
    }
}

TEST_P(CardReads, AntiPassbackStateAndRefusedHolderLeavesApbUntouched) {
    holder(100, "ANN", {1, 2});
    holder(200, "BOB", {2});
    setup({{.port = 1, .mode = 1, .lock = 1, .apb = true},
           {.port = 2, .mode = 2, .lock = 2, .apb = true}});
    present(1, CardFrame(100));
    present(2, CardFrame(100));
    present(1, CardFrame(200));  // no right on port 1
    auto q = store.src().prepare("SELECT CARDNO, STATE FROM apb ORDER BY CARDNO");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.integer("CARDNO"), 100);
    EXPECT_EQ(q.integer("STATE"), 2);
    EXPECT_FALSE(q.next());
}

TEST_P(CardReads, StoredReadIsLoggedAndAcknowledgedOnly) {
    WriteSettingBool("EmailEnabled", true);
    WriteSettingBool("EmailStaffOnly", false);
    holder(100, "ANN", {1});
    setup({{.port = 1, .mode = 1, .lock = 1}});
    int photos = 0;
    capture.feedback.showHolderPhoto = [&](const QImage&) { ++photos; };
    const DateTime readerTime = EncodeDateTime(2004, 6, 26, 7, 59, 30);
    present(1, StampedCardFrame(true, 2, EncodeStamp(readerTime), 100));
    auto got = received();
    EXPECT_EQ(got[0], QStringList{"~A"});
    auto all = rows();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].systime, readerTime);
    EXPECT_EQ(all[0].mode, 2);
    EXPECT_EQ(all[0].lock, 0);
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(photos, 0);
    auto mails = store.src().prepare("SELECT count(*) FROM emails");
    mails.next();
    EXPECT_EQ(mails.value(0).toInt(), 0);
}

TEST_P(CardReads, MailRecords) {
    // The example of the ANN / SALES read.
    ReaderNames names{"Front", "Back", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
    const DateTime stamp = EncodeDateTime(2004, 6, 26, 18, 24, 6);
    MailRecord m = BuildMailRecord("ANN", 123, "SALES", stamp, 1, 1, 0, names);
    EXPECT_EQ(m.title, "[2004/06/26 PM06:24:06] ANN, SALES");
    EXPECT_EQ(m.msg,
              "ANN [123]\r\nSALES\r\nJune 26, 2004 Saturday  PM06:24:06\r\nIN\r\nFront\r\n"
              "DENIED\r\n");
    EXPECT_EQ(m.attach, PicturePath(123, stamp));

    // Through the handler: staff only queues nothing for a card without holder; otherwise
    // the first line carries the card number twice.
    setup({{.port = 1, .mode = 1, .lock = 2}});
    WriteSettingBool("EmailEnabled", true);
    capture.HandleCardRead(false, 1, 1234567, stamp, -1);
    auto count = [&] {
        auto q = store.src().prepare("SELECT count(*) FROM emails");
        q.next();
        return q.value(0).toInt();
    };
    EXPECT_EQ(count(), 0);
    WriteSettingBool("EmailStaffOnly", false);
    capture.HandleCardRead(false, 1, 1234567, stamp, -1);
    ASSERT_EQ(count(), 1);
    auto q = store.src().prepare("SELECT TITLE, MSG FROM emails");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.text("TITLE"), "[2004/06/26 PM06:24:06] 1234567");
    EXPECT_TRUE(q.text("MSG").startsWith("1234567 [1234567]\r\n\r\n"));
    EXPECT_TRUE(q.text("MSG").endsWith("IN\r\nCOM1\r\nCOM2\r\n"));
}

TEST_P(CardReads, FeedbackOrderAndOverrideForOneReadOnly) {
    store.src().execute(
        "INSERT INTO iotime (tfrom, tto) VALUES (8 / 24.0, 12 / 24.0), (13 / 24.0, 17 / 24.0)");
    WriteSettingBool("AutoInOut", true);
    WriteSettingBool("AutoOverride", true);
    holder(100, "ANN", {1});
    setup({{.port = 1, .mode = 0}});
    QStringList order;
    capture.feedback.showRecordCount = [&] { order << "count"; };
    capture.feedback.showHolderPhoto = [&](const QImage&) { order << "photo"; };
    capture.autoIO().onStateChanged = [&](bool in) { order << (in ? "IN" : "OUT"); };
    capture.feedback.showCapture = [&](const QImage&) { order << "capture"; };
    capture.EvaluateAutoIO(now);  // 10:00: IN
    ASSERT_TRUE(capture.autoIO().state());
    ASSERT_TRUE(capture.autoIO().Override());  // flipped to OUT for the next read
    order.clear();
    present(1, CardFrame(100));
    EXPECT_EQ(rows().back().mode, 2);
    EXPECT_EQ(order, (QStringList{"count", "photo", "IN", "capture"}));
    present(1, CardFrame(100));
    EXPECT_EQ(rows().back().mode, 1);
}

TEST_P(CardReads, AutoInOutSchedule) {
    store.src().execute(
        "INSERT INTO iotime (tfrom, tto) VALUES (8 / 24.0, 12 / 24.0), (13 / 24.0, 17 / 24.0)");
    AutoIO io;
    // switched off: the state stays as it is
    io.SetIOState(true);
    io.EvaluateAutoIO(store, EncodeTime(7, 0, 0));
    EXPECT_TRUE(io.state());
    WriteSettingBool("AutoInOut", true);
    struct Case {
        int h, m, s;
        bool in;
    };
    const Case cases[] = {{7, 59, 59, false}, {8, 0, 0, true},   {12, 0, 0, false},
                          {12, 59, 59, false}, {13, 0, 0, true}, {17, 0, 0, false}};
    for (const auto& c : cases) {
        io.EvaluateAutoIO(store, EncodeDateTime(2004, 6, 26, c.h, c.m, c.s));
        EXPECT_EQ(io.state(), c.in) << c.h << ":" << c.m << ":" << c.s;
    }
    // override: only when allowed; five ticks, minute changes ignored meanwhile
    EXPECT_FALSE(io.Override());
    WriteSettingBool("AutoOverride", true);
    io.EvaluateAutoIO(store, EncodeTime(9, 0, 0));
    ASSERT_TRUE(io.Override());
    EXPECT_FALSE(io.state());
    for (int i = 0; i < 4; ++i) io.Tick(store, EncodeTime(9, 0, 58).addSecs(i));
    EXPECT_FALSE(io.state());
    io.Tick(store, EncodeTime(9, 1, 3));
    EXPECT_TRUE(io.state());
    // without an override a tick re-evaluates when the minute changes, not within the minute
    io.SetIOState(false);
    io.Tick(store, EncodeTime(9, 1, 30));
    EXPECT_FALSE(io.state());
    io.Tick(store, EncodeTime(9, 2, 0));
    EXPECT_TRUE(io.state());
    // with the store closed nothing changes
    io.SetIOState(false);
    store.CloseStore();
    io.EvaluateAutoIO(store, EncodeTime(9, 0, 0));
    EXPECT_FALSE(io.state());
}

INSTANTIATE_TEST_SUITE_P(Engines, CardReads, kBothEngines, EngineName);

}  // namespace
