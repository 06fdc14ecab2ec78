// The monthly timesheet: a week of three holders with the lines and totals worked out by hand,
// and the worked time against Total Hours on random logs.

#include "attendance/timesheet.h"

#include <gtest/gtest.h>

#include <random>

#include "common/format.h"
#include "report_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

TEST(Timesheet, AWeekWorkedOutByHand) {
    ReportFixture fx = TimesheetWeek();
    const ReportDocument doc = fx.Build(ReportKind::Timesheet, ReportFixture::Params());
    EXPECT_EQ(doc.title, "Monthly Timesheet");
    const auto lines = AllTexts(doc);
    const std::vector<std::string> alice(lines.begin(), lines.begin() + 16);
    EXPECT_EQ(
        alice,
        (std::vector<std::string>{
            "H: [101] ALICE (OFFICE)",
            "D:   Date            In       Out   Worked     Late    Early  Overtime  Day off",
            "D:   Mon 21 Jun   08:55     17:40     8:45",
            "D: * Tue 22 Jun   09:20     17:30     8:10     0:20",
            "D:   Wed 23 Jun                                                         Vacation",
            "D:   Thu 24 Jun                                                         "
            "Holiday: Midsummer",
            "D:   Fri 25 Jun   12:45     17:52     5:07                        0:20  Sick "
            "(first half)",
            "D:   Sat 26 Jun",
            "D:   Sun 27 Jun",
            "T: Days worked 3   Worked 22:02 = 22.03 h   Expected 18:45 = 18.75 h   Balance "
            "+3:17 = 3.28 h",
            "T: Overtime 0:20 = 0.33 h   Late 0:20 = 0.33 h   Early leave 0:00 = 0.00 h",
            "T: Absent: Sick 0.5, Vacation 1, Holiday 1",
            "B:",
            "D: * records of the day changed by hand",
            "D: Employee: __________________ Date: ________   Supervisor: "
            "__________________ Date: ________",
            "D: Period: open",
        }));
    // A page each.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "P:"), 2);
    // Closed: the foot says when and where.
    fx.source.SetClosedPeriod({QDate(2004, 6, 30), At("2004-07-01 09:00"), "FRONTDESK"});
    EXPECT_EQ(AllTexts(fx.Build(ReportKind::Timesheet, ReportFixture::Params())).at(15),
              "D: Period: Closed on 2004-07-01 by FRONTDESK");

    // The context keeps a reference to its parameters: they outlive it.
    const ReportParameters params = ReportFixture::Params();
    const detail::ReportContext ctx(params, fx.source, At("2004-06-30 10:00"), 0);
    const auto holders = OpenSelectedHolders(fx.source, params);
    ASSERT_EQ(holders.size(), 3u);
    struct Want {
        const char* name;
        std::vector<std::string> statuses;
        qint64 worked, expected;
        std::string absent;
    };
    const Want want[] = {
        {"ALICE",
         {"OK", "OK", "Vacation", "Holiday: Midsummer", "OK", "", ""},
         22 * 3600 + 120,
         18 * 3600 + 45 * 60,
         "Absent: Sick 0.5, Vacation 1, Holiday 1"},
        {"BOB",
         {"Incorrect", "Incorrect", "OK", "Holiday: Midsummer", "No record", "", ""},
         8 * 3600 + 30 * 60,
         30 * 3600,
         "Absent: Holiday 1"},
        {"CAROL",
         {"Unpaid leave", "Unpaid leave", "Unpaid leave", "Holiday: Midsummer", "Unpaid leave", "",
          ""},
         0,
         30 * 3600,
         "Absent: Unpaid leave 4, Holiday 1"},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(want[i].name);
        const Timesheet sheet = ComputeTimesheet(ctx, holders[i], LoadHandChanges(ctx));
        EXPECT_EQ(sheet.holder.holder.name.toStdString(), want[i].name);
        std::vector<std::string> statuses;
        for (const TimesheetDay& d : sheet.days) statuses.push_back(d.status.toStdString());
        EXPECT_EQ(statuses, want[i].statuses);
        EXPECT_EQ(sheet.totals.worked, want[i].worked);
        EXPECT_EQ(sheet.totals.expected, want[i].expected);
        EXPECT_EQ(sheet.totals.absent.toStdString(), want[i].absent);
    }
}

TEST(Timesheet, DurationTexts) {
    const std::pair<qint64, const char*> cases[] = {
        {0, "0:00"},     {59, "0:00"},      {606630, "168:30"},
        {-425, "-0:07"}, {-25500, "-7:05"}, {3 * 3600 + 17 * 60 + 59, "3:17"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(HoursMinutes(seconds), text) << seconds;
    EXPECT_EQ(DecimalHours(606600), "168.50");
    EXPECT_EQ(DecimalHours(-27000), "-7.50");
}

// The timesheet's worked time is Total Hours', to the second, whatever the log.
TEST(Timesheet, WorkedTimeAgreesWithTotalHoursOnRandomLogs) {
    std::mt19937 rnd(2026);
    for (int round = 0; round < 20; ++round) {
        ReportFixture fx;
        std::uniform_int_distribution<int> count(0, 40), day(0, 6), second(0, 86399), mode(0, 2);
        const int n = count(rnd);
        for (int k = 0; k < n; ++k)
            fx.source.AddRecord(At("2004-06-21").addDays(day(rnd)).addSecs(second(rnd)), 101,
                                mode(rnd));
        for (const RecordsOfInterest records : {RecordsOfInterest::All, RecordsOfInterest::InOut}) {
            const ReportParameters p = ReportFixture::Params(records);
            const auto totals = Texts(fx.Build(ReportKind::TotalHours, p), BandKind::Total);
            const detail::ReportContext ctx(p, fx.source, At("2004-06-30 10:00"), 0);
            const Timesheet sheet =
                ComputeTimesheet(ctx, OpenSelectedHolders(fx.source, p).at(0), {});
            ASSERT_EQ(totals.size(), 1u);
            EXPECT_NE(
                totals[0].find("Total Time=" + FormatTotal(sheet.totals.worked).toStdString()),
                std::string::npos)
                << totals[0] << " round " << round;
        }
    }
}

}  // namespace
