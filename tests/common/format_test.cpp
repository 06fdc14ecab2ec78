#include <gtest/gtest.h>

#include "common/datetime.h"
#include "common/format.h"

using namespace horalog;

namespace {

struct FormatCase {
    const char* format;
    DateTime when;
    const char* expected;
};

const DateTime kRead = EncodeDateTime(2004, 6, 26, 18, 24, 6);
const DateTime kMorning = EncodeDateTime(2004, 6, 7, 0, 5, 9);

TEST(FormatDateTime, FormatsOfTheSystem) {
    const FormatCase cases[] = {
        {"mmm d, yyyy (ddd) - AM/PM hh:mm:ss", kRead, "Jun 26, 2004 (Sat) - PM 06:24:06"},
        {"MMMM d, yyyy dddd  AM/PMhh:mm:ss", kRead, "June 26, 2004 Saturday  PM06:24:06"},
        {"yyyy/mm/dd AM/PMHH:mm:ss", kRead, "2004/06/26 PM06:24:06"},
        {"yyMMdd-hhmmss", kRead, "040626-182406"},
        {"dd/mmm/yyyy ddd  AM/PM hh:mm:ss", kRead, "26/Jun/2004 Sat  PM 06:24:06"},
        {"MMM dd, yyyy ddd -", kRead, "Jun 26, 2004 Sat -"},
        {" AM/PMhh:mm:ss", kRead, " PM06:24:06"},
        {" HH:mm", kRead, " 18:24"},
        {" HH:mm:ss", kRead, " 18:24:06"},
        {" AM/PMhh:mm", kRead, " PM06:24"},
        // midnight in a 12-hour clock is 12, single letters drop the leading zero
        {"AM/PM h:m:s d/m/yy", kMorning, "AM 12:5:9 7/6/04"},
        {"hh:mm AM/PM", kRead, "06:24 PM"},
        {"yyyy-mm-dd \"hh\" 'mm'", kRead, "2004-06-26 hh mm"},
        {"mmmm", kRead, "June"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.format, c.when).toStdString(), c.expected) << c.format;
}

TEST(FormatDateTime, ModesAndDurations) {
    EXPECT_EQ(ModeName(0), "CLOCK");
    EXPECT_EQ(ModeName(1), "IN");
    EXPECT_EQ(ModeName(2), "OUT");
    EXPECT_EQ(ModeName(3), "N/A");
    EXPECT_EQ(ModeName(-1), "N/A");
    EXPECT_EQ(ModeTag(0), "[CLOCK]");
    EXPECT_EQ(ModeTag(1), "[IN]   ");
    EXPECT_EQ(ModeTag(2), "[OUT]  ");

    EXPECT_EQ(FormatTotal(26 * 3600 + 5 * 60), "26:05:00 ");
    EXPECT_EQ(FormatDurationParen(3900), "(01:05:00)");
    EXPECT_EQ(FormatDuration(0), "00:00:00");
}

TEST(ParseTimeOfDay, LocaleAndPlainTexts) {
    struct Case {
        const char* text;
        bool ok;
        int h, m, s;
    };
    const Case cases[] = {
        {"9:00:00 AM", true, 9, 0, 0},   {"5:30:15 PM", true, 17, 30, 15},
        {"12:00:00 AM", true, 0, 0, 0},  {"12:00:00 PM", true, 12, 0, 0},
        {"17:00", true, 17, 0, 0},       {"00:00", true, 0, 0, 0},
        {"25:00", false, 0, 0, 0},       {"nine", false, 0, 0, 0},
        {"9", false, 0, 0, 0},           {"13:00 PM", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        DateTime t(-1);
        EXPECT_EQ(ParseTimeOfDay(c.text, t), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(t, EncodeTime(c.h, c.m, c.s)) << c.text;
        }
    }
    // What is written in the long time format reads back.
    DateTime back;
    DateTime t = EncodeTime(17, 30, 5);
    ASSERT_TRUE(ParseTimeOfDay(FormatDateTime(LongTimeFormat(), t), back));
    EXPECT_EQ(back, t);
    EXPECT_EQ(FormatDateTime(LongTimeFormat(), t), "5:30:05 PM");
}

}  // namespace
