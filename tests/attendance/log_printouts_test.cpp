// Time Logs, Daily Individual and Who's IN / OUT.

#include <gtest/gtest.h>

#include "report_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

TEST(TimeLogs, RecordsPerLineAndContinuation) {
    ReportFixture f;
    f.Add(101, {{"2004-06-26 08:00", 1},
                {"2004-06-26 12:00", 2},
                {"2004-06-26 13:00", 1},
                {"2004-06-26 17:00", 2},
                {"2004-06-26 18:00", 1},
                {"2004-06-26 19:00", 2}});
    auto p = ReportFixture::Params();
    p.recordsPerLine = 4;
    const auto doc = f.Build(ReportKind::TimeLogs, p);
    EXPECT_EQ(doc.title, "Time Logs (All)");
    EXPECT_EQ(AllTexts(doc),
              (std::vector<std::string>{
                  "H: [101] ALICE (6 record(s))",
                  "D:  Jun 26, 2004 Sat - 08:00:00[I] 12:00:00[O]  13:00:00[I] 17:00:00[O] ",
                  "D:" + kCont + " 18:00:00[I] 19:00:00[O] ", "T: No of day(s) = 1 ", "B:"}));
}

TEST(TimeLogs, BlankLinesFillTheGapsButNotTheDayCount) {
    for (bool blank : {true, false}) {
        ReportFixture f;
        f.source.AddHolder(102, "BRUNO", 1, false);
        f.Add(101, {{"2004-06-21 08:00", 0}, {"2004-06-24 08:00", 0}, {"2004-06-24 17:00", 3}});
        auto p = ReportFixture::Params();
        p.recordFormat = 3;  // " HH:mm"
        p.blankLines = blank;
        const auto doc = f.Build(ReportKind::TimeLogs, p);
        std::vector<std::string> expected = {"H: [101] ALICE (3 record(s))",
                                             "D:  Jun 21, 2004 Mon - 08:00[C]"};
        if (blank) {
            expected.push_back("D:  Jun 22, 2004 Tue - No record");
            expected.push_back("D:  Jun 23, 2004 Wed - No record");
        }
        for (const char* s : {"D:  Jun 24, 2004 Thu - 08:00[C] 17:00 ", "T: No of day(s) = 2 ",
                              "B:", "H: [102] BRUNO (0 record(s))", "T: No of day(s) = 0 ", "B:"})
            expected.push_back(s);
        EXPECT_EQ(AllTexts(doc), expected) << blank;
    }
}

TEST(DailyIndividual, GroupsByModeWithContinuations) {
    ReportFixture f;
    f.source.AddHolder(102, "BRUNO", 1, false);
    f.Add(101, {{"2004-06-23 08:00", 1},
                {"2004-06-23 13:00", 1},
                {"2004-06-23 18:00", 1},
                {"2004-06-23 19:00", 7},
                {"2004-06-22 09:00", 2}});
    f.Add(102, {{"2004-06-23 07:00", 2}, {"2004-06-23 06:00", 0}});
    auto p = ReportFixture::Params();
    p.dayOfInterest = At("2004-06-23");
    p.recordsPerLine = 2;
    p.enhanced = true;
    const auto doc = f.Build(ReportKind::DailyIndividual, p);
    EXPECT_EQ(doc.title, "Daily Individual Report");
    EXPECT_EQ(doc.rangeText, "23/Jun/2004");
    EXPECT_EQ(AllTexts(doc),
              (std::vector<std::string>{
                  "H: [101] ALICE (4 record(s))",  // the mode-7 row counts, is not printed
                  "D:  CLOCK  -", "D:  IN     -  08:00:00  13:00:00", "D:         -  18:00:00",
                  "D:  OUT    -", "B:", "H: [102] BRUNO (2 record(s))", "D:  CLOCK  -  06:00:00",
                  "D:  IN     -", "D:  OUT    -  07:00:00"}));
    EXPECT_EQ(doc.bands[0].fill, BandFill::Yellow);
}

TEST(WhosInOut, CategoriesByTheLastRecordOfTheDay) {
    ReportFixture f;
    f.source.AddHolder(102, "BOB", 1, false);
    f.source.AddHolder(103, "CAROL", 1, false);
    f.source.AddHolder(104, "DAN", 1, false);
    f.Add(101, {{"2004-06-23 08:00", 1}, {"2004-06-23 12:00", 2}, {"2004-06-23 13:05", 1}});
    f.Add(102, {{"2004-06-23 08:00", 1}, {"2004-06-22 17:00", 2}});
    f.Add(104, {{"2004-06-23 07:00", 2}, {"2004-06-23 09:00", 0}, {"2004-06-23 09:30", 0}});
    f.Add(103, {{"2004-06-24 08:00", 1}});  // another day
    auto p = ReportFixture::Params();
    p.dayOfInterest = At("2004-06-23");
    p.newPage = true;
    const auto doc = f.Build(ReportKind::WhosInOut, p);
    EXPECT_EQ(doc.title, "Who's IN / OUT");
    EXPECT_EQ(
        AllTexts(doc),
        (std::vector<std::string>{
            "H: Who's CLOCK", "D:  DAN                  09:30:00 - 07:00:00 [OUT]  (02:30:00)",
            "T: 1 person", "B:", "P:", "H: Who's IN",
            "D:  ALICE                13:05:00 - 12:00:00 [OUT]  (01:05:00)",
            "D:  BOB                  08:00:00", "T: 2 persons", "B:", "P:", "H: Who's OUT",
            "T: No person", "B:", "P:", "H: No record", "D:  CAROL", "T: 1 person"}));

    // nobody chosen: the four categories all the same
    p.persons = PersonsChoice::List;
    EXPECT_EQ(Texts(f.Build(ReportKind::WhosInOut, p), BandKind::Total),
              (std::vector<std::string>(4, " No person")));
}

}  // namespace
