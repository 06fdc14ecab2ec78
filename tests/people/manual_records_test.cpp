#include "people/manual_records.h"

#include <gtest/gtest.h>

using namespace horalog;

namespace {

TEST(ManualRecords, StampedToTheMinute) {
    const DateTime day = EncodeDate(2004, 6, 26);
    const DateTime read = EncodeDateTime(2004, 6, 26, 8, 0, 37, 500);

    // Add: the picked date at the picked hour and minute.
    auto row = NewManualRecord(day, EncodeTime(8, 15, 42, 999), 1234, 1, 2);
    ASSERT_TRUE(row);
    EXPECT_EQ(*row, (AttendanceRecord{EncodeDateTime(2004, 6, 26, 8, 15, 0), 1234, 1, 3, 0}));
    // the time picker's date part and the date picker's time part do not count
    row = NewManualRecord(read, EncodeDateTime(1999, 1, 1, 23, 59, 59), 5, 0, 7);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->systime, EncodeDateTime(2004, 6, 26, 23, 59, 0));
    EXPECT_EQ(row->reader, 8);

    // refused: no holder chosen, or a choice outside the lists
    EXPECT_FALSE(NewManualRecord(day, read, std::nullopt, 0, 0));
    EXPECT_FALSE(NewManualRecord(day, read, 5, 3, 0));
    EXPECT_FALSE(NewManualRecord(day, read, 5, -1, 0));
    EXPECT_FALSE(NewManualRecord(day, read, 5, 0, 8));

    // Edit without changes: 08:00:37 becomes 08:00:00; card, reader and lock stay.
    AttendanceRecord logged{read, 42, 2, 5, 6};
    ASSERT_TRUE(ApplyManualEdit(logged, read, read, logged.mode));
    EXPECT_EQ(logged, (AttendanceRecord{EncodeDateTime(2004, 6, 26, 8, 0, 0), 42, 2, 5, 6}));
    const AttendanceRecord before = logged;
    EXPECT_FALSE(ApplyManualEdit(logged, day, read, 3));
    EXPECT_EQ(logged, before);
}

}  // namespace
