// The command layer against the simulated stand-alone reader on a pseudo-terminal.
#include <QTimer>

#include "offline_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

using OfflineLinkTest = OfflineReaderTest;

TEST_F(OfflineLinkTest, LogRecordsAreReadAtTheirPositions) {
    QStringList log;
    for (int i = 0; i < 300; ++i) log << "log add 2004-06-26T08:00:00 1 in";
    Type(log.join('\n'));
    Type(
        "log add 2004-06-26T18:24:06 1234567 out\nlog invalid 42 in\nlog add "
        "2010-12-31T23:59:59 16777215 clock");
    OfflineLink ol(link(), FixedClock(OfflineNow()));

    struct Case {
        int record;
        RecordRead read;
        int card;
        DateTime stamp;
        int mode;
    } cases[] = {
        {300, RecordRead::Valid, 1234567, EncodeDateTime(2004, 6, 26, 18, 24, 6), 2},
        // stamp bytes 00 00 00 00: invalid, not 2000-01-01
        {301, RecordRead::Invalid, 0, DateTime(), 0},
        {302, RecordRead::Valid, 16777215, EncodeDateTime(2010, 12, 31, 23, 59, 59), 0},
        {0, RecordRead::Valid, 1, EncodeDateTime(2004, 6, 26, 8, 0, 0), 1},
    };
    for (const Case& c : cases) {
        LogRecordAnswer a;
        EXPECT_EQ(ol.ReadLogRecord(quint16(c.record), a), c.read) << c.record;
        if (c.read != RecordRead::Valid) continue;
        EXPECT_EQ(a.card, c.card) << c.record;
        EXPECT_EQ(a.stamp, c.stamp) << c.record;
        EXPECT_EQ(a.mode, c.mode) << c.record;
    }
    const QStringList printed = Printed();
    ASSERT_FALSE(printed.isEmpty());
    EXPECT_EQ(printed.first(), "packet 00 04 00 2C 01");
}

TEST_F(OfflineLinkTest, CapacityAndClock) {
    Type("log generate 7\ncapacity 4000");
    OfflineLink ol(link(), FixedClock(OfflineNow()));
    LogCapacity cap;
    ASSERT_TRUE(ol.GetLogCapacity(cap));
    EXPECT_EQ(cap.capacity, 4000);
    EXPECT_EQ(cap.count, 7);

    // The reader's clock follows what the PC wrote.
    ASSERT_TRUE(ol.WriteClock());
    DateTime clock;
    ASSERT_TRUE(ol.ReadClock(clock));
    EXPECT_LE(std::abs(SecondsBetween(OfflineNow(), clock)), 2);
    EXPECT_EQ(Printed().mid(1, 1), QStringList{"clock 2004-06-26 18:24:06 Sat"});

    // Fields that are no date: the PC's time instead.
    OfflineLink later(link(), FixedClock(EncodeDateTime(2020, 2, 29, 12, 0, 0)));
    Type("clock bad");
    ASSERT_TRUE(later.ReadClock(clock));
    EXPECT_EQ(clock, EncodeDateTime(2020, 2, 29, 12, 0, 0));
}

TEST_F(OfflineLinkTest, ALostOrDamagedAnswerIsRetried) {
    Type("log generate 3");
    struct Case {
        const char* fault;
        const char* mark;
    } cases[] = {{"drop 2", "(answer dropped)"}, {"corrupt 2", "(checksum corrupted)"}};
    for (const Case& c : cases) {
        Type(QString(c.fault) + "\nlog clear\nlog generate 3");
        OfflineLink ol(link());
        ASSERT_TRUE(ol.LockReader()) << c.fault;  // command 1: answered
        LogCapacity cap;
        ASSERT_TRUE(ol.GetLogCapacity(cap)) << c.fault;  // 2: spoilt, 3: answered
        EXPECT_EQ(cap.count, 3) << c.fault;
        EXPECT_EQ(ol.stats().attempts, 3) << c.fault;
        const QStringList printed = Printed();
        EXPECT_EQ(printed.filter("packet 00 03 00").size(), 2) << c.fault;
        EXPECT_EQ(printed.filter(c.mark).size(), 1) << c.fault;
        Type("drop 0\ncorrupt 0");
    }
}

TEST_F(OfflineLinkTest, NoAnswerFailsAfterThreeAttempts) {
    Type("silent-after 1");
    OfflineLink ol(link());
    ASSERT_TRUE(ol.LockReader());
    EXPECT_FALSE(ol.UnlockReader());
    EXPECT_EQ(CountPrinted("packet 00 00 00"), 3);
}

TEST_F(OfflineLinkTest, ASecondExchangeOnTheSameLinkIsRefusedWhileOneWaits) {
    Type("silent-after 0\ndrop 1");  // no answers at all
    OfflineLink first(link());
    OfflineLink second(link());
    bool secondResult = true;
    bool busySeen = false;
    QTimer::singleShot(100, [&] {
        busySeen = OfflineLink::Busy(link());
        secondResult = second.LockReader();
    });
    EXPECT_FALSE(first.LockReader());
    EXPECT_TRUE(busySeen);
    EXPECT_FALSE(secondResult);
    EXPECT_FALSE(OfflineLink::Busy(link()));
    // Only the first exchange's three attempts went out.
    EXPECT_EQ(CountPrinted("packet 00 00 01"), 3);
}

TEST_F(OfflineLinkTest, AccessTableTildeCommands) {
    OfflineLink ol(link());
    EXPECT_TRUE(ol.CheckReader());
    EXPECT_TRUE(ol.ClearAccessTable());
    EXPECT_TRUE(ol.AddAccessCard(1234567));
    Type("refuse-add on");
    EXPECT_FALSE(ol.AddAccessCard(7654321));
    EXPECT_EQ(CountPrinted("~A card 7654321"), 5);
    Type("model 1");
    EXPECT_FALSE(ol.CheckReader());  // answers, but an RB01 is no PX900
    EXPECT_EQ(link().ModelString(), "RB01");
}

}  // namespace
