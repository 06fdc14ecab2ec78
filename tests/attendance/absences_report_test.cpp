// Days off in the printouts: absences and holidays where "No record" would stand, after the
// reads of a day partly off, in the summary, and in the late/early rules.

#include <gtest/gtest.h>

#include "attendance/absence_calendar.h"
#include "report_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

const char* kZero = "0(00:00:00 )";

std::string Totals2(int clocked, int errors, const char* late, const char* early) {
    return " Clocked day=" + std::to_string(clocked) + ", Error day=" + std::to_string(errors) +
           ", Late day=" + late + ", Early Leave day=" + early + ", Overtime day=" + kZero + " ";
}

std::string Totals3(int clocked, int errors, const char* late, const char* early) {
    return " Clocked day=" + std::to_string(clocked) + ", Error Day=" + std::to_string(errors) +
           ", Late=" + late + ", Early Leave=" + early + ", Overtime day=" + kZero + " ";
}

Absence Off(const char* from, const char* to, const char* type, HalfDay half = HalfDay::Full) {
    Absence a;
    a.cardno = 101;
    a.from = QDate::fromString(from, "yyyy-MM-dd");
    a.to = QDate::fromString(to, "yyyy-MM-dd");
    a.type = type;
    a.half = half;
    return a;
}

// 08:00-12:00 and 13:00-17:00: half the day is exactly one session.
WorkGroup EightHourGroup() {
    WorkGroup g = OfficeGroup();
    g.wd_from_1 = Hm(8, 0);
    g.wd_to_1 = Hm(12, 0);
    g.wd_from_2 = Hm(13, 0);
    g.wd_to_2 = Hm(17, 0);
    return g;
}

struct Holiday2 {
    const char* date;
    const char* name;
};

struct Case {
    const char* name;
    ReportKind kind;
    std::vector<Absence> absences;
    std::vector<Holiday2> holidays;
    std::vector<Log> logs;
    std::vector<std::string> details;
    std::vector<std::string> totals;
    bool blankLines = false;
    bool eightHours = false;
};

// The week of the fixture: Monday 2004-06-21 to Sunday 2004-06-27, group OFFICE working
// 09:00-13:00 and 14:00-17:30 on weekdays (7:30, half a day 3:45), Saturday off.
TEST(DaysOff, DayLinesAndSummary) {
    const auto FL = ReportKind::FirstLast;
    const Case cases[] = {
        {"a full day off without reads prints its name, even without blank lines",
         FL,
         {Off("2004-06-22", "2004-06-22", "V")},
         {},
         {{"2004-06-23 09:00", 1}, {"2004-06-23 17:30", 2}},
         {"  Jun 22, 2004 Tue - Vacation", "  Jun 23, 2004 Wed - 09:00:00[IN]    17:30:00[OUT]  "},
         {Totals2(1, 0, kZero, kZero), " Absent: Vacation 1"}},
        {"an absence across the first and last date counts the working days within",
         FL,
         {Off("2004-06-18", "2004-06-29", "S")},
         {},
         {},
         {"  Jun 21, 2004 Mon - Sick", "  Jun 22, 2004 Tue - Sick", "  Jun 23, 2004 Wed - Sick",
          "  Jun 24, 2004 Thu - Sick", "  Jun 25, 2004 Fri - Sick"},
         {Totals2(0, 0, kZero, kZero), " Absent: Sick 5"}},
        {"a holiday on a working day counts, one on a Sunday does not",
         FL,
         {},
         {{"2004-06-24", "Midsummer"}, {"2004-06-27", "Fair"}},
         {},
         {"  Jun 24, 2004 Thu - Holiday: Midsummer"},
         {Totals2(0, 0, kZero, kZero), " Absent: Holiday 1"}},
        {"a holiday wins over an absence of the same day",
         FL,
         {Off("2004-06-23", "2004-06-24", "V")},
         {{"2004-06-24", "Midsummer"}},
         {},
         {"  Jun 23, 2004 Wed - Vacation", "  Jun 24, 2004 Thu - Holiday: Midsummer"},
         {Totals2(0, 0, kZero, kZero), " Absent: Vacation 1, Holiday 1"}},
        {"reads on a full day off: neither late nor early nor an error",
         FL,
         {Off("2004-06-23", "2004-06-23", "B")},
         {},
         {{"2004-06-23 10:07", 1}, {"2004-06-23 15:20", 2}},
         {"  Jun 23, 2004 Wed - 10:07:00[IN]    15:20:00[OUT]   Business trip"},
         {Totals2(1, 0, kZero, kZero), " Absent: Business trip 1"}},
        {"a paid morning off moves the start: late after 12:45",
         FL,
         {Off("2004-06-23", "2004-06-23", "V", HalfDay::First)},
         {},
         {{"2004-06-23 13:00", 1}, {"2004-06-23 17:30", 2}},
         {"  Jun 23, 2004 Wed - 13:00:00[IN]    17:30:00[OUT]   [L(00:15:00)] Vacation (first "
          "half)"},
         {Totals2(1, 0, "1(00:15:00 )", kZero), " Absent: Vacation 0.5"}},
        {"an afternoon off moves the end over the break: leaving at 12:45 is not early",
         FL,
         {Off("2004-06-23", "2004-06-23", "S", HalfDay::Second)},
         {},
         {{"2004-06-23 09:00", 1}, {"2004-06-23 12:45", 2}},
         {"  Jun 23, 2004 Wed - 09:00:00[IN]    12:45:00[OUT]   Sick (second half)"},
         {Totals2(1, 0, kZero, kZero), " Absent: Sick 0.5"}},
        {"an afternoon off: leaving at 12:30 is 15 minutes early",
         FL,
         {Off("2004-06-23", "2004-06-23", "S", HalfDay::Second)},
         {},
         {{"2004-06-23 09:00", 1}, {"2004-06-23 12:30", 2}},
         {"  Jun 23, 2004 Wed - 09:00:00[IN]    12:30:00[OUT]   [E(00:15:00)] Sick (second half)"},
         {Totals2(1, 0, kZero, "1(00:15:00 )"), " Absent: Sick 0.5"}},
        {"two halves of two types on a day without reads",
         FL,
         {Off("2004-06-22", "2004-06-22", "S", HalfDay::Second),
          Off("2004-06-22", "2004-06-22", "V", HalfDay::First)},
         {},
         {},
         {"  Jun 22, 2004 Tue - Vacation (first half), Sick (second half)"},
         {Totals2(0, 0, kZero, kZero), " Absent: Sick 0.5, Vacation 0.5"}},
        {"blank lines: gap days read No record, days off their names, none after the last",
         FL,
         {Off("2004-06-22", "2004-06-22", "U")},
         {},
         {{"2004-06-24 09:00", 1}, {"2004-06-24 17:30", 2}},
         {"  Jun 21, 2004 Mon - No record", "  Jun 22, 2004 Tue - Unpaid leave",
          "  Jun 23, 2004 Wed - No record", "  Jun 24, 2004 Thu - 09:00:00[IN]    17:30:00[OUT]  "},
         {Totals2(1, 0, kZero, kZero), " Absent: Unpaid leave 1"},
         true},
        {"days off after the last read are printed",
         FL,
         {Off("2004-06-24", "2004-06-25", "V")},
         {},
         {{"2004-06-21 09:00", 1}, {"2004-06-21 17:30", 2}},
         {"  Jun 21, 2004 Mon - 09:00:00[IN]    17:30:00[OUT]  ", "  Jun 24, 2004 Thu - Vacation",
          "  Jun 25, 2004 Fri - Vacation"},
         {Totals2(1, 0, kZero, kZero), " Absent: Vacation 2"}},
        {"the summary of a week: days per type in code order, holidays last",
         FL,
         {Off("2004-06-21", "2004-06-23", "V"),
          Off("2004-06-25", "2004-06-25", "S", HalfDay::First)},
         {{"2004-06-24", "Midsummer"}},
         {{"2004-06-25 12:50", 1}, {"2004-06-25 17:30", 2}},
         {"  Jun 21, 2004 Mon - Vacation", "  Jun 22, 2004 Tue - Vacation",
          "  Jun 23, 2004 Wed - Vacation", "  Jun 24, 2004 Thu - Holiday: Midsummer",
          "  Jun 25, 2004 Fri - 12:50:00[IN]    17:30:00[OUT]   [L(00:05:00)] Sick (first half)"},
         {Totals2(1, 0, "1(00:05:00 )", kZero), " Absent: Sick 0.5, Vacation 3, Holiday 1"}},
        {"two sessions, morning off: the afternoon alone is a complete day",
         ReportKind::TwoSession,
         {Off("2004-06-23", "2004-06-23", "V", HalfDay::First)},
         {},
         {{"2004-06-23 13:05", 1}, {"2004-06-23 17:00", 2}},
         {"  Jun 23, 2004 Wed - 13:05:00[IN]    17:00:00[OUT]   [L(00:05:00)] Vacation (first "
          "half)"},
         {Totals3(1, 0, "1(00:05:00 )", kZero), " Absent: Vacation 0.5"},
         false,
         true},
        {"two sessions, afternoon off: the morning alone is a complete day",
         ReportKind::TwoSession,
         {Off("2004-06-23", "2004-06-23", "S", HalfDay::Second)},
         {},
         {{"2004-06-23 08:00", 1}, {"2004-06-23 12:00", 2}},
         {"  Jun 23, 2004 Wed - 08:00:00[IN]    12:00:00[OUT]   Sick (second half)"},
         {Totals3(1, 0, kZero, kZero), " Absent: Sick 0.5"},
         false,
         true},
        {"total hours: the day off follows the day's span",
         ReportKind::TotalHours,
         {Off("2004-06-23", "2004-06-23", "V", HalfDay::Second),
          Off("2004-06-24", "2004-06-24", "V")},
         {},
         {{"2004-06-23 09:00", 1}, {"2004-06-23 13:00", 2}},
         {"  Jun 23, 2004 Wed - 09:00:00[IN]    13:00:00[OUT]   (04:00:00) Vacation (second half)",
          "  Jun 24, 2004 Thu - Vacation"},
         {" No of day(s) = 1   Total Time=04:00:00 ", " Absent: Vacation 1.5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportFixture fx;
        if (c.eightHours) {
            fx.source = MemoryReportSource();
            fx.source.AddGroup(EightHourGroup());
            fx.source.AddHolder(101, "ALICE", 1, false);
        }
        for (const Absence& a : c.absences) fx.source.AddAbsence(a);
        for (const Holiday2& h : c.holidays)
            fx.source.AddHoliday(QDate::fromString(h.date, "yyyy-MM-dd"), h.name);
        fx.Add(101, c.logs);
        ReportParameters p = ReportFixture::Params(RecordsOfInterest::InOut);
        p.blankLines = c.blankLines;
        const ReportDocument doc = fx.Build(c.kind, p);
        EXPECT_EQ(Texts(doc, BandKind::Detail), c.details);
        EXPECT_EQ(Texts(doc, BandKind::Total), c.totals);
    }
}

TEST(DaysOff, GroupWithoutHoursSaidOnceAtItsFirstHolder) {
    ReportFixture fx;
    WorkGroup bare;
    bare.id = 2;
    bare.descx = "SALES";
    fx.source.AddGroup(bare);
    fx.source.AddHolder(102, "BOB", 2);
    fx.source.AddHolder(103, "CAROL", 2);
    fx.Add(102, {{"2004-06-23 09:00", 1}});
    const auto lines = AllTexts(fx.Build(ReportKind::FirstLast, ReportFixture::Params()));
    const std::string notice =
        "D: Group SALES has no working hours: set them under Setup > Group Definition.";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), notice), 1);
    const auto at = std::find(lines.begin(), lines.end(), notice);
    ASSERT_NE(at, lines.begin());
    EXPECT_EQ(*(at - 1), "H: [102] BOB (SALES) ");
}

}  // namespace

namespace {

// The one-day printouts name the day off of a holder who has no record that day.
TEST(DaysOff, OneDayPrintoutsNameTheDayOff) {
    ReportFixture fx;
    fx.source.AddHolder(102, "BOB", 1);
    fx.source.AddHolder(103, "CAROL", 1);
    fx.Add(101, {{"2004-06-23 08:00", 1}});
    Absence a;
    a.cardno = 102;
    a.from = QDate(2004, 6, 21);
    a.to = QDate(2004, 6, 25);
    a.type = "S";
    fx.source.AddAbsence(a);
    ReportParameters p = ReportFixture::Params();
    p.dayOfInterest = At("2004-06-23");
    const auto who = Texts(fx.Build(ReportKind::WhosInOut, p), BandKind::Detail);
    EXPECT_EQ(who, (std::vector<std::string>{"  ALICE                08:00:00",
                                             "  BOB                  Sick", "  CAROL"}));
    const auto daily = Texts(fx.Build(ReportKind::DailyIndividual, p), BandKind::Detail);
    EXPECT_EQ(std::count(daily.begin(), daily.end(), "  Sick"), 1);
}

}  // namespace
