// Total Hours, Total Hours Detail, the day results of the exports and the overtime rule.

#include <gtest/gtest.h>

#include "common/format.h"
#include "report_fixture.h"
#include "attendance/day_results.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

const std::vector<Log> kLunchDay = {{"2004-06-23 08:00", 1},
                                    {"2004-06-23 12:00", 2},
                                    {"2004-06-23 13:00", 1},
                                    {"2004-06-23 17:00", 2}};

TEST(TotalHours, SpanOfTheDayWithoutBreaks) {
    struct Case {
        const char* name;
        RecordsOfInterest records;
        std::vector<Log> logs;
        std::vector<std::string> details;
        std::string total;
    };
    const Case cases[] = {
        {"lunch break not subtracted",
         RecordsOfInterest::InOut,
         kLunchDay,
         {"  Jun 23, 2004 Wed - 08:00:00[IN]    17:00:00[OUT]   (09:00:00)"},
         " No of day(s) = 1   Total Time=09:00:00 "},
        {"a single record",
         RecordsOfInterest::All,
         {{"2004-06-23 08:00", 1}},
         {"  Jun 23, 2004 Wed - 08:00:00[IN]    No OUT         "},
         " No of day(s) = 1   Total Time=00:00:00 "},
        {"only OUT by mode",
         RecordsOfInterest::InOut,
         {{"2004-06-23 17:00", 2}},
         {"  Jun 23, 2004 Wed - No record matched"},
         " No of day(s) = 1   Total Time=00:00:00 "},
        {"days add up past 24 hours",
         RecordsOfInterest::All,
         {{"2004-06-21 06:00", 0},
          {"2004-06-21 20:00", 0},
          {"2004-06-22 06:00", 0},
          {"2004-06-22 18:05", 0}},
         {"  Jun 21, 2004 Mon - 06:00:00[CLOCK] 20:00:00[CLOCK] (14:00:00)",
          "  Jun 22, 2004 Tue - 06:00:00[CLOCK] 18:05:00[CLOCK] (12:05:00)"},
         " No of day(s) = 2   Total Time=26:05:00 "},
    };
    for (const auto& c : cases) {
        ReportFixture f;
        f.Add(101, c.logs);
        const auto doc = f.Build(ReportKind::TotalHours, ReportFixture::Params(c.records));
        EXPECT_EQ(Texts(doc, BandKind::Heading), std::vector<std::string>{" [101] ALICE"})
            << c.name;
        EXPECT_EQ(Texts(doc, BandKind::Detail), c.details) << c.name;
        EXPECT_EQ(Texts(doc, BandKind::Total), std::vector<std::string>{c.total}) << c.name;
    }
}

TEST(TotalHoursDetail, PairsByModeAndByPosition) {
    ReportFixture f;
    f.Add(101, kLunchDay);
    auto doc =
        f.Build(ReportKind::TotalHoursDetail, ReportFixture::Params(RecordsOfInterest::InOut));
    EXPECT_EQ(doc.title, "Total Hours Detail (IN/OUT)");
    EXPECT_EQ(AllTexts(doc),
              (std::vector<std::string>{
                  "H: [101] ALICE (OFFICE) ",
                  "D:  Jun 23, 2004 Wed - 08:00:00[IN]    12:00:00[OUT]   (04:00:00)",
                  "D:" + kCont + " 13:00:00[IN]    17:00:00[OUT]   (04:00:00)",
                  "T: No of day(s) = 1   Total Time=08:00:00 "}));

    ReportFixture g;
    g.Add(101, {{"2004-06-23 08:00", 0}, {"2004-06-23 12:00", 0}, {"2004-06-23 13:00", 0}});
    doc = g.Build(ReportKind::TotalHoursDetail, ReportFixture::Params(RecordsOfInterest::All));
    EXPECT_EQ(
        AllTexts(doc),
        (std::vector<std::string>{
            "H: [101] ALICE (OFFICE)  (3 record(s))",
            "D:  Jun 23, 2004 Wed - 08:00:00 [CLOCK] 12:00:00 [CLOCK]  (04:00:00)",
            "D:" + kCont + " 13:00:00 [CLOCK]", "T: No of day(s) = 1   Total Time=04:00:00 "}));

    // by mode, an IN left without OUT is incorrect and adds nothing
    ReportFixture h;
    h.Add(101, {{"2004-06-23 08:00", 1}, {"2004-06-23 08:00", 2}, {"2004-06-23 13:00", 1}});
    doc = h.Build(ReportKind::TotalHoursDetail, ReportFixture::Params(RecordsOfInterest::InOut));
    EXPECT_EQ(
        Texts(doc, BandKind::Detail),
        (std::vector<std::string>{"  Jun 23, 2004 Wed - 08:00:00[IN]    08:00:00[OUT]   (00:00:00)",
                                  kCont + " 13:00:00[IN]    No OUT          Incorrect"}));
}

std::vector<LogRecord> Rows(const std::vector<Log>& logs) {
    std::vector<LogRecord> rows;
    for (const auto& l : logs) rows.push_back({0, At(l.when), 101, l.mode, 1, 0});
    return rows;
}

TEST(DayResults, PairsDayStatuses) {
    struct Case {
        const char* name;
        std::vector<Log> logs;
        int n;
        QStringList ins, outs;
        const char* status;
        size_t nextRow;  // where the cursor stands afterwards
    };
    const Case cases[] = {
        {"two complete pairs",
         {{"2004-06-23 08:00", 1},
          {"2004-06-23 12:00", 2},
          {"2004-06-23 13:00", 1},
          {"2004-06-23 17:00", 2},
          {"2004-06-24 08:00", 1}},
         2,
         {"08:00:00", "13:00:00"},
         {"12:00:00", "17:00:00"},
         "OK",
         4},
        {"one complete pair",
         {{"2004-06-23 08:00", 1}, {"2004-06-23 12:00", 2}, {"2004-06-24 08:00", 1}},
         2,
         {"08:00:00"},
         {"12:00:00"},
         "Incomplete",
         2},
        {"three pairs",
         {{"2004-06-23 08:00", 1},
          {"2004-06-23 12:00", 2},
          {"2004-06-23 13:00", 1},
          {"2004-06-23 17:00", 2},
          {"2004-06-23 18:00", 1},
          {"2004-06-23 19:00", 2},
          {"2004-06-24 08:00", 1}},
         2,
         {"08:00:00", "13:00:00"},
         {"12:00:00", "17:00:00"},
         "Too much",
         6},
        {"second IN ignored",
         {{"2004-06-23 08:00", 1}, {"2004-06-23 08:05", 1}, {"2004-06-23 12:00", 2}},
         1,
         {"08:00:00"},
         {"12:00:00"},
         "OK",
         3},
        {"IN without OUT", {{"2004-06-23 08:00", 1}}, 2, {"08:00:00"}, {""}, "Incomplete", 1},
    };
    for (const auto& c : cases) {
        const auto rows = Rows(c.logs);
        RecordCursor cursor(rows);
        const auto r = PairsDay(cursor, c.n);
        EXPECT_EQ(r.ins, c.ins) << c.name;
        EXPECT_EQ(r.outs, c.outs) << c.name;
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(cursor.Position(), c.nextRow) << c.name;
    }
}

TEST(DayResults, TimetableLateAndEarlyPerSlot) {
    const std::vector<TimePeriod> table = {{Hm(8, 0), Hm(12, 0)}, {Hm(13, 0), Hm(17, 0)}};
    auto rows = Rows({{"2004-06-23 08:10", 1},
                      {"2004-06-23 11:50", 2},
                      {"2004-06-23 13:00", 1},
                      {"2004-06-23 17:05", 2},
                      {"2004-06-24 08:00", 1}});
    RecordCursor cursor(rows);
    auto r = TimetableDay(cursor, 2, table);
    EXPECT_EQ(r.ins, (QStringList{"08:10:00", "13:00:00"}));
    EXPECT_EQ(r.outs, (QStringList{"11:50:00", "17:05:00"}));
    EXPECT_EQ(r.lates, (QStringList{"00:10:00", "00:00:00"}));
    EXPECT_EQ(r.earlies, (QStringList{"00:10:00", "00:00:00"}));
    EXPECT_EQ(cursor.Position(), 4u);

    // a pair between the slots takes slot 2; a later pair of slot 2 is left out
    rows = Rows({{"2004-06-23 12:30", 1},
                 {"2004-06-23 12:45", 2},
                 {"2004-06-23 13:00", 1},
                 {"2004-06-23 17:00", 2},
                 {"2004-06-23 17:10", 1},
                 {"2004-06-24 08:00", 1}});
    RecordCursor between(rows);
    r = TimetableDay(between, 2, table);
    EXPECT_EQ(r.ins, (QStringList{"", "12:30:00"}));
    EXPECT_EQ(r.lates, (QStringList{"", "00:00:00"}));
    EXPECT_EQ(r.earlies, (QStringList{"", "04:15:00"}));
    EXPECT_EQ(between.Position(), 5u);  // the rest of the date skipped

    // no slot at all: only the date
    RecordCursor none(rows);
    r = TimetableDay(none, 2, {});
    EXPECT_EQ(r.ins, (QStringList{"", ""}));
    EXPECT_EQ(none.Position(), 5u);
}

TEST(DayResults, FirstLastDayStatus) {
    struct Case {
        std::vector<Log> logs;
        bool byMode;
        const char *in, *out, *status;
    };
    const Case cases[] = {
        {{{"2004-06-23 17:00", 2}, {"2004-06-23 18:00", 2}}, true, "", "", "No matched"},
        {{{"2004-06-23 08:00", 1}, {"2004-06-23 17:00", 2}}, true, "08:00:00", "17:00:00", "OK"},
        {{{"2004-06-23 08:00", 1}}, true, "08:00:00", "No OUT", ""},
        {{{"2004-06-23 08:00", 2}, {"2004-06-23 17:00", 1}}, false, "08:00:00", "17:00:00", "OK"},
    };
    for (const auto& c : cases) {
        const auto rows = Rows(c.logs);
        RecordCursor cursor(rows);
        const auto r = FirstLastDay(cursor, c.byMode);
        EXPECT_EQ(r.inText, c.in);
        EXPECT_EQ(r.outText, c.out);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(cursor.AtEnd());
    }
}

TEST(OvertimeRule, MinimumMultipleAndNoPay) {
    struct Case {
        qint64 raw;
        int minimum, multiple, noPay;
        qint64 expected;
    };
    const Case cases[] = {
        {10 * 60, 15, 5, 0, 0},                  // below the minimum
        {22 * 60, 15, 5, 0, 20 * 60},            // 15 + (7 div 5) * 5
        {22 * 60 + 40, 15, 5, 0, 20 * 60},       // seconds dropped
        {22 * 60 + 30, 15, 0, 0, 22 * 60 + 30},  // multiple 0 keeps the raw time
        {40 * 60, 15, 5, 10, 30 * 60},           // no-pay minutes deducted
        {20 * 60, 15, 5, 25, 0},                 // no-pay above the overtime
        {0, 0, 5, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OvertimeRule(c.raw, c.minimum, c.multiple, c.noPay), c.expected)
            << c.raw << " " << c.minimum << " " << c.multiple << " " << c.noPay;
}

}  // namespace
