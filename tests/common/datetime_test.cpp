#include <gtest/gtest.h>

#include "common/datetime.h"

using namespace horalog;

namespace {

TEST(DateTime, DayCountSince1899) {
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30).value, 0.0);
    EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1).value, 2.0);
    EXPECT_DOUBLE_EQ(EncodeDate(2004, 6, 26).value, 38164.0);
    EXPECT_DOUBLE_EQ(EncodeTime(18, 0, 0).value, 0.75);
    DateTime t = EncodeDateTime(2004, 6, 26, 18, 24, 6, 400);
    EXPECT_EQ(t.date(), QDate(2004, 6, 26));
    EXPECT_EQ(t.time(), QTime(18, 24, 6, 400));
    EXPECT_EQ(t.datePart(), EncodeDate(2004, 6, 26));
    EXPECT_EQ(t.timePart().msecsOfDay(), QTime(18, 24, 6, 400).msecsSinceStartOfDay());
    EXPECT_EQ(t.dayNumber(), 38164);
}

TEST(DateTime, QDateTimeRoundTripAndDecode) {
    QDateTime q(QDate(2026, 12, 10), QTime(23, 59, 59, 999));
    DateTime t = DateTime::fromQDateTime(q);
    EXPECT_EQ(t.toQDateTime(), q);
    int y, mo, d, h, mi, s, ms;
    DecodeDate(t, y, mo, d);
    DecodeTime(t, h, mi, s, ms);
    EXPECT_EQ(std::tuple(y, mo, d, h, mi, s, ms), std::tuple(2026, 12, 10, 23, 59, 59, 999));
    // a fraction that rounds up to the next midnight belongs to the next day
    DateTime almost(38164.0 + 0.9999999999);
    EXPECT_EQ(almost.date(), QDate(2004, 6, 27));
    EXPECT_EQ(almost.msecsOfDay(), 0);
}

TEST(DateTime, WholeSecondsAndTimeOfDayTolerance) {
    DateTime t = EncodeDateTime(2004, 6, 26, 8, 0, 0, 400);
    EXPECT_EQ(WholeSeconds(t), EncodeDateTime(2004, 6, 26, 8, 0, 0));
    EXPECT_EQ(WholeSeconds(EncodeDateTime(2004, 6, 26, 8, 0, 0, 999)).time(), QTime(8, 0, 0));

    struct Case {
        DateTime a, b;
        int expected;
    };
    const Case cases[] = {
        {EncodeTime(9, 0, 0), EncodeTime(9, 0, 0, 1), 0},
        {EncodeTime(9, 0, 0, 1), EncodeTime(9, 0, 0), 0},
        {EncodeTime(9, 0, 0), EncodeTime(9, 0, 0, 2), -1},
        {EncodeTime(17, 0, 0), EncodeTime(9, 0, 0), 1},
        // the date part does not count
        {EncodeDateTime(2004, 6, 26, 9, 0, 0), EncodeTime(9, 0, 0), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(CompareTimeOfDay(c.a, c.b), c.expected);
    EXPECT_EQ(SecondsBetween(EncodeTime(8, 0, 0), EncodeTime(17, 30, 0)), 9 * 3600 + 1800);
}

}  // namespace
