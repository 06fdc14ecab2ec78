// First in / last out and two-session printouts: log rows and hours in, band texts out.

#include <gtest/gtest.h>

#include "report_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

const std::string kNoOut = " No OUT" + std::string(9, ' ');  // padded to T + 7 = 16

std::string Totals2(int clocked, int errors, const char* late, const char* early, const char* ot) {
    return " Clocked day=" + std::to_string(clocked) + ", Error day=" + std::to_string(errors) +
           ", Late day=" + late + ", Early Leave day=" + early + ", Overtime day=" + ot + " ";
}

std::string Totals3(int clocked, int errors, const char* late, const char* early, const char* ot) {
    return " Clocked day=" + std::to_string(clocked) + ", Error Day=" + std::to_string(errors) +
           ", Late=" + late + ", Early Leave=" + early + ", Overtime day=" + ot + " ";
}

const char* kZero = "0(00:00:00 )";

struct Case {
    const char* name;
    ReportKind kind;
    RecordsOfInterest records;
    std::vector<Log> logs;
    std::vector<std::string> details;
    std::string total;
    int otMulti = 5;
    bool blankLines = false;
    bool satSession1 = false;
    const char* to = "2004-06-27";
};

TEST(FirstInLastOut, GoldenLines) {
    const auto IO = RecordsOfInterest::InOut;
    const Case cases[] = {
        {"overtime below the minimum",
         ReportKind::FirstLast,
         IO,
         {{"2004-06-23 08:55", 1},
          {"2004-06-23 09:10", 1},
          {"2004-06-23 12:00", 2},
          {"2004-06-23 17:40", 2}},
         {"  Jun 23, 2004 Wed - 08:55:00[IN]    17:40:00[OUT]  "},
         Totals2(1, 0, kZero, kZero, kZero)},
        {"overtime cut to a multiple",
         ReportKind::FirstLast,
         IO,
         {{"2004-06-23 08:55", 1},
          {"2004-06-23 09:10", 1},
          {"2004-06-23 12:00", 2},
          {"2004-06-23 17:52", 2}},
         {"  Jun 23, 2004 Wed - 08:55:00[IN]    17:52:00[OUT]   [OT(00:20:00)]"},
         Totals2(1, 0, kZero, kZero, "1(00:20:00 )")},
        {"late and early",
         ReportKind::FirstLast,
         IO,
         {{"2004-06-23 09:07", 1}, {"2004-06-23 17:20", 2}},
         {"  Jun 23, 2004 Wed - 09:07:00[IN]    17:20:00[OUT]   [L(00:07:00),E(00:10:00)]"},
         Totals2(1, 0, "1(00:07:00 )", "1(00:10:00 )", kZero)},
        {"in after the end of the day",
         ReportKind::FirstLast,
         IO,
         {{"2004-06-23 18:10", 1}, {"2004-06-23 18:30", 2}},
         {"  Jun 23, 2004 Wed - 18:10:00[IN]    18:30:00[OUT]   Error"},
         Totals2(1, 1, kZero, kZero, kZero)},
        {"out without in",
         ReportKind::FirstLast,
         IO,
         {{"2004-06-23 17:00", 2}},
         {"  Jun 23, 2004 Wed - No record matched"},
         Totals2(1, 1, kZero, kZero, kZero)},
        {"a single clock record",
         ReportKind::FirstLast,
         RecordsOfInterest::Clock,
         {{"2004-06-23 08:00", 0}, {"2004-06-23 17:00", 1}},
         {"  Jun 23, 2004 Wed - 08:00:00[CLOCK]" + kNoOut + " Incorrect"},
         Totals2(1, 1, kZero, kZero, kZero)},
        {"by position takes first and last record",
         ReportKind::FirstLast,
         RecordsOfInterest::All,
         {{"2004-06-23 08:50", 0}, {"2004-06-23 12:00", 2}, {"2004-06-23 17:35", 1}},
         {"  Jun 23, 2004 Wed - 08:50:00[CLOCK] 17:35:00[IN]   "},
         Totals2(1, 0, kZero, kZero, kZero)},
        {"overtime multiple 0 keeps seconds",
         ReportKind::FirstLast,
         IO,
         {{"2004-06-23 09:00", 1}, {"2004-06-23 17:52:30", 2}},
         {"  Jun 23, 2004 Wed - 09:00:00[IN]    17:52:30[OUT]   [OT(00:22:30)]"},
         Totals2(1, 0, kZero, kZero, "1(00:22:30 )"),
         0},
        {"blank lines Monday to Friday",
         ReportKind::FirstLast,
         IO,
         {{"2004-06-23 09:00", 1}, {"2004-06-23 17:30", 2}},
         {"  Jun 21, 2004 Mon - No record", "  Jun 22, 2004 Tue - No record",
          "  Jun 23, 2004 Wed - 09:00:00[IN]    17:30:00[OUT]  "},
         Totals2(1, 0, kZero, kZero, kZero),
         5,
         true,
         false,
         "2004-06-25"},
        {"second session only",
         ReportKind::TwoSession,
         IO,
         {{"2004-06-23 14:05", 1}, {"2004-06-23 17:30", 2}},
         {"  Jun 23, 2004 Wed - 14:05:00[IN]    17:30:00[OUT]   [L(00:05:00)] Missing"},
         Totals3(1, 1, "1(00:05:00 )", kZero, kZero)},
        {"a complete day with overtime",
         ReportKind::TwoSession,
         IO,
         {{"2004-06-23 09:00", 1},
          {"2004-06-23 13:00", 2},
          {"2004-06-23 14:00", 1},
          {"2004-06-23 17:50", 2}},
         {"  Jun 23, 2004 Wed - 09:00:00[IN]    13:00:00[OUT]  ",
          kCont + " 14:00:00[IN]    17:50:00[OUT]   [OT(00:20:00)]"},
         Totals3(1, 0, kZero, kZero, "1(00:20:00 )")},
        {"first session only",
         ReportKind::TwoSession,
         IO,
         {{"2004-06-23 08:58", 1}, {"2004-06-23 12:40", 2}},
         {"  Jun 23, 2004 Wed - 08:58:00[IN]    12:40:00[OUT]   [E(00:20:00)] Missing"},
         Totals3(1, 1, kZero, "1(00:20:00 )", kZero)},
        {"three pairs",
         ReportKind::TwoSession,
         IO,
         {{"2004-06-23 09:00", 1},
          {"2004-06-23 13:00", 2},
          {"2004-06-23 14:00", 1},
          {"2004-06-23 17:30", 2},
          {"2004-06-23 18:00", 1},
          {"2004-06-23 19:00", 2}},
         {"  Jun 23, 2004 Wed - 09:00:00[IN]    13:00:00[OUT]  ",
          kCont + " 14:00:00[IN]    17:30:00[OUT]  ",
          kCont + " 18:00:00[IN]    19:00:00[OUT]   Excessive"},
         Totals3(1, 1, kZero, kZero, kZero)},
        {"Saturday without Saturday sessions",
         ReportKind::TwoSession,
         IO,
         {{"2004-06-26 09:00", 1},
          {"2004-06-26 13:00", 2},
          {"2004-06-26 14:00", 1},
          {"2004-06-26 17:30", 2}},
         {"  Jun 26, 2004 Sat - 09:00:00[IN]    13:00:00[OUT]  ",
          kCont + " 14:00:00[IN]    17:30:00[OUT]   Excessive"},
         Totals3(1, 0, kZero, kZero, kZero)},
        {"Saturday morning session only",
         ReportKind::TwoSession,
         IO,
         {{"2004-06-26 09:10", 1}, {"2004-06-26 13:00", 2}},
         {"  Jun 26, 2004 Sat - 09:10:00[IN]    13:00:00[OUT]   [L(00:10:00)]"},
         Totals3(1, 0, "1(00:10:00 )", kZero, kZero),
         5,
         false,
         true},
        {"second session starting after its end",
         ReportKind::TwoSession,
         IO,
         {{"2004-06-23 18:00", 1}, {"2004-06-23 18:30", 2}},
         {"  Jun 23, 2004 Wed - 18:00:00[IN]    18:30:00[OUT]   Missing Error"},
         Totals3(1, 1, kZero, kZero, kZero)},
    };
    for (const auto& c : cases) {
        ReportFixture f;
        WorkGroup g = OfficeGroup(2, "SHOP");
        g.ot_multi = c.otMulti;
        g.sat_enable_1 = c.satSession1;
        f.source.AddGroup(g);
        f.source.AddHolder(202, "BOB", 2, false);
        f.Add(202, c.logs);
        auto p = ReportFixture::Params(c.records);
        p.persons = PersonsChoice::Group;
        p.groupName = "SHOP";
        p.blankLines = c.blankLines;
        p.rangeTo = At(c.to);
        const auto doc = f.Build(c.kind, p);
        EXPECT_EQ(Texts(doc, BandKind::Heading), std::vector<std::string>{" [202] BOB (SHOP) "})
            << c.name;
        EXPECT_EQ(Texts(doc, BandKind::Detail), c.details) << c.name;
        EXPECT_EQ(Texts(doc, BandKind::Total), std::vector<std::string>{c.total}) << c.name;
    }
}

TEST(FirstInLastOut, TitlesRangeAndHolderBands) {
    ReportFixture f;
    f.source.AddHolder(102, "BRUNO", 1, false);
    f.source.AddHolder(103, "ZED", 9, false);  // group deleted: listed first, hours of group 1
    f.Add(101, {{"2004-06-22 09:05", 1}, {"2004-06-22 17:30", 2}});
    f.Add(103, {{"2004-06-22 09:05", 1}, {"2004-06-22 17:30", 2}});
    auto p = ReportFixture::Params(RecordsOfInterest::InOut);
    p.newPage = true;
    p.enhanced = true;
    const auto doc = f.Build(ReportKind::FirstLast, p);
    EXPECT_EQ(doc.title, "First In Last Out (IN/OUT)");
    EXPECT_EQ(doc.rangeText, "From: 21/Jun/2004 To: 27/Jun/2004");
    const auto z = Totals2(1, 0, "1(00:05:00 )", kZero, kZero);
    const std::vector<std::string> expected = {
        "H: [103] ZED () ",
        "D:  Jun 22, 2004 Tue - 09:05:00[IN]    17:30:00[OUT]   [L(00:05:00)]",
        "T:" + z,
        "B:",
        "P:",
        "H: [101] ALICE (OFFICE) ",
        "D:  Jun 22, 2004 Tue - 09:05:00[IN]    17:30:00[OUT]   [L(00:05:00)]",
        "T:" + z,
        "B:",
        "P:",
        "H: [102] BRUNO (OFFICE) ",  // no records: heading and total only
        "T:" + Totals2(0, 0, kZero, kZero, kZero)};
    EXPECT_EQ(AllTexts(doc), expected);
    EXPECT_EQ(doc.bands[0].fill, BandFill::Yellow);
    EXPECT_EQ(doc.bands[1].fill, BandFill::White);

    p.records = RecordsOfInterest::All;
    EXPECT_EQ(f.Build(ReportKind::TwoSession, p).title, "2-Session (All)");
    p.persons = PersonsChoice::List;  // nobody picked: no report at all
    EXPECT_TRUE(f.Build(ReportKind::FirstLast, p).Empty());
}

TEST(FirstInLastOut, DetailLinesAlternateFromWhiteAfterEachHeading) {
    ReportFixture f;
    f.Add(101, {{"2004-06-21 09:00", 1}, {"2004-06-22 09:00", 1}, {"2004-06-23 09:00", 1}});
    auto p = ReportFixture::Params(RecordsOfInterest::InOut);
    p.enhanced = true;
    const auto doc = f.Build(ReportKind::FirstLast, p);
    std::vector<BandFill> fills;
    for (const auto& b : doc.bands)
        if (b.kind == BandKind::Detail) fills.push_back(b.fill);
    EXPECT_EQ(fills, (std::vector<BandFill>{BandFill::White, BandFill::Yellow, BandFill::White}));
}

// A night shift is entered as the clock reads it (22:00 to 06:00); the overnight report moves
// those hours back by the same 12 hours as the time stamps, so a night is one day.
TEST(FirstInLastOut, OvernightComparesNightHoursInTheShiftedFrame) {
    ReportFixture f;
    WorkGroup night = OfficeGroup(3, "NIGHT");
    night.wd_from_1 = Hm(22, 0);
    night.wd_to_1 = Hm(2, 0);
    night.wd_from_2 = Hm(3, 0);
    night.wd_to_2 = Hm(6, 0);
    f.source.AddGroup(night);
    f.source.AddHolder(303, "NOCTIS", 3, false);
    f.Add(303, {{"2004-06-22 22:07", 1},
                {"2004-06-23 05:50", 2},  // Tuesday night
                {"2004-06-23 21:55", 1},
                {"2004-06-24 06:30", 2},  // Wednesday night
                {"2004-06-25 07:10", 1},
                {"2004-06-25 08:00", 2}});  // after the shift's end
    auto p = ReportFixture::Params(RecordsOfInterest::InOut);
    p.persons = PersonsChoice::Group;
    p.groupName = "NIGHT";
    p.overnight = true;
    const auto doc = f.Build(ReportKind::FirstLastOvernight, p);
    EXPECT_EQ(doc.title, "First In Last Out (Overnight) (IN/OUT)");
    EXPECT_EQ(Texts(doc, BandKind::Detail),
              (std::vector<std::string>{
                  "  Jun 22, 2004 Tue - 22:07:00[IN]    05:50:00[OUT]   [L(00:07:00),E(00:10:00)]",
                  "  Jun 23, 2004 Wed - 21:55:00[IN]    06:30:00[OUT]   [OT(00:30:00)]",
                  "  Jun 25, 2004 Fri - 07:10:00[IN]    08:00:00[OUT]   Error"}));
    EXPECT_EQ(
        Texts(doc, BandKind::Total),
        std::vector<std::string>{Totals2(3, 1, "1(00:07:00 )", "1(00:10:00 )", "1(00:30:00 )")});

    // "All": the range is the first and last rows' dates as stored.
    p.period = PeriodChoice::All;
    EXPECT_EQ(f.Build(ReportKind::FirstLastOvernight, p).rangeText,
              "From: 22/Jun/2004 To: 25/Jun/2004");
}

// Dates print as stored: a night whose first record is a morning read is headed with that
// morning's date, inside the printed range, and gap days keep the dates of the period.
TEST(FirstInLastOut, OvernightHeadsEachNightWithItsStoredDate) {
    ReportFixture f;
    f.Add(101, {{"2004-06-22 06:00", 1},  // a morning read starts the first night
                {"2004-06-22 07:00", 2},
                {"2004-06-24 22:00", 1},  // Thursday night
                {"2004-06-25 06:00", 2}});
    auto p = ReportFixture::Params(RecordsOfInterest::InOut);
    p.rangeFrom = At("2004-06-22");
    p.rangeTo = At("2004-06-25");
    p.blankLines = true;
    p.overnight = true;
    const auto doc = f.Build(ReportKind::FirstLastOvernight, p);
    EXPECT_EQ(doc.rangeText, "From: 22/Jun/2004 To: 25/Jun/2004");
    std::vector<std::string> headings;
    for (const auto& line : Texts(doc, BandKind::Detail)) headings.push_back(line.substr(0, 20));
    EXPECT_EQ(headings, (std::vector<std::string>{"  Jun 22, 2004 Tue -", "  Jun 23, 2004 Wed -",
                                                  "  Jun 24, 2004 Thu -"}));
    EXPECT_EQ(Texts(doc, BandKind::Detail)[1], "  Jun 23, 2004 Wed - No record");
}

}  // namespace

namespace {

// A long run tells its steps (Who's IN / OUT walks the holders once per category) and stops
// at the first step that answers false.
TEST(ReportProgress, CountsHolderStepsAndCancels) {
    ReportFixture f;
    f.source.AddHolder(102, "BRUNO", 1, false);
    f.source.AddHolder(103, "CAROL", 1, false);
    struct Case {
        ReportKind kind;
        int steps;
    };
    for (const Case c : {Case{ReportKind::FirstLast, 3}, Case{ReportKind::TimeLogs, 3},
                         Case{ReportKind::WhosInOut, 12}}) {
        int announced = 0, taken = 0;
        ReportProgress progress{[&](int n) { announced = n; }, [&] { return ++taken > 0; }};
        BuildReport(c.kind, ReportFixture::Params(), f.source, At("2004-06-30 10:00"), &progress);
        EXPECT_EQ(announced, c.steps);
        EXPECT_EQ(taken, c.steps);

        taken = 0;
        ReportProgress stop{nullptr, [&] { return ++taken < 2; }};
        EXPECT_THROW(
            BuildReport(c.kind, ReportFixture::Params(), f.source, At("2004-06-30 10:00"), &stop),
            ReportCancelled);
        EXPECT_EQ(taken, 2);
    }
}

}  // namespace
