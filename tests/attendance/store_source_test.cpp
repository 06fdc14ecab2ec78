// The SQL report source against the memory source of the golden tests: the same rows written
// into both, the same printouts out.

#include <gtest/gtest.h>

#include "report_fixture.h"
#include "attendance/store_report_source.h"
#include "storage/engines.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

// The same holders, groups, timetables, readers and records in memory and in a fresh pair of
// databases.
class BothSources {
public:
    BothSources() {
        EnsureDataFolder(data_.path());
        store_.OpenStore();
        sql_ = std::make_unique<StoreReportSource>(store_);
    }

    void AddGroup(const WorkGroup& g) {
        memory_.AddGroup(g);
        auto gone = store_.src().prepare("DELETE FROM gid WHERE ID = ?");
        gone.bindAll(g.id);
        gone.exec();
        auto q = store_.src().prepare(
            "INSERT INTO gid (ID, DESCX, WD_FROM_1, WD_TO_1, WD_FROM_2, WD_TO_2, "
            "SAT_ENABLE_1, SAT_FROM_1, SAT_TO_1, SAT_ENABLE_2, SAT_FROM_2, SAT_TO_2, OT_MIN, "
            "OT_MULTI) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        q.bindAll(g.id, g.descx, g.wd_from_1, g.wd_to_1, g.wd_from_2, g.wd_to_2, g.sat_enable_1,
                  g.sat_from_1, g.sat_to_1, g.sat_enable_2, g.sat_from_2, g.sat_to_2, g.ot_min,
                  g.ot_multi);
        q.exec();
    }
    void AddHolder(int card, const char* name, int group, bool picked = false) {
        memory_.AddHolder(card, name, group, picked);
        HolderRecord h;
        h.cardno = card;
        h.name = name;
        h.workgrp = group;
        h.picked = picked;
        StaffTable(store_.src()).append(h);
    }
    void AddPeriod(int group, DateTime from, DateTime to) {
        memory_.AddPeriod(group, {from, to});
        auto q =
            store_.src().prepare("INSERT INTO timetbl (gid, timein, timeout) VALUES (?, ?, ?)");
        q.bindAll(group, from, to);
        q.exec();
    }
    void SetReaderName(int port, const char* name) {
        memory_.SetReaderName(port, name);
        auto q = store_.src().prepare("UPDATE reader SET \"DESC\" = ? WHERE PORTNO = ?");
        q.bindAll(QString(name), port);
        q.exec();
    }
    void Add(int card, const std::vector<Log>& logs) {
        for (const auto& l : logs) {
            memory_.AddRecord(At(l.when), card, l.mode);
            LogRecord r;
            r.systime = At(l.when);
            r.cardno = card;
            r.mode = l.mode;
            r.reader = 1;
            LogTable(store_.att()).append(r);
        }
    }

    MemoryReportSource& memory() { return memory_; }
    StoreReportSource& sql() { return *sql_; }

private:
    TempDataFolder data_;
    Tdsrc store_{data_.path()};
    MemoryReportSource memory_;
    std::unique_ptr<StoreReportSource> sql_;
};

// Two groups, a holder whose group is gone, names in mixed case, a read at midnight and reads
// outside the week of 21 to 27 June 2004.
void Fill(BothSources& s) {
    s.AddGroup(OfficeGroup(1, "OFFICE"));  // replaces DEFAULT
    s.AddGroup(OfficeGroup(2, "SHOP"));
    s.AddHolder(101, "ALICE", 1);
    s.AddHolder(102, "bruno", 1, true);
    s.AddHolder(103, "ZED", 9);
    s.AddHolder(104, "CAROL", 2, true);
    s.Add(999, {{"2004-05-03 07:00", 0}, {"2004-07-02 18:00", 0}});
    s.Add(101, {{"2004-06-22 09:05", 1},
                {"2004-06-22 17:30", 2},
                {"2004-06-23 08:55", 1},
                {"2004-06-24 00:00", 2},
                {"2004-06-28 00:00", 1}});
    s.Add(102, {{"2004-06-23 08:00", 0}});
    s.Add(103, {{"2004-06-22 09:05", 1}, {"2004-06-22 17:52", 2}});
    s.Add(104, {{"2004-06-23 08:00", 1}, {"2004-06-23 12:00", 2}, {"2004-06-23 13:05", 1}});
}

// Each case on the embedded files and on the server: the reports read the same from both.
class StoreSourceTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override { HORALOG_CHOOSE_ENGINE(GetParam()); }
    EngineChoiceReset engineChoiceReset;
};

TEST_P(StoreSourceTest, GoldenCasesThroughBothSources) {
    struct Case {
        const char* name;
        ReportKind kind;
        void (*change)(ReportParameters&);
        std::vector<std::string> expected;
    };
    const std::string none =
        " Clocked day=0, Error day=0, Late day=0(00:00:00 ), Early Leave "
        "day=0(00:00:00 ), Overtime day=0(00:00:00 ) ";
    const Case cases[] = {
        {"first-last: a gone group first, then by group and name",
         ReportKind::FirstLast,
         [](ReportParameters& p) { p.records = RecordsOfInterest::InOut; },
         {"H: [103] ZED () ",
          "D:  Jun 22, 2004 Tue - 09:05:00[IN]    17:52:00[OUT]   [L(00:05:00),OT(00:20:00)]",
          "T: Clocked day=1, Error day=0, Late day=1(00:05:00 ), Early Leave day=0(00:00:00 ), "
          "Overtime day=1(00:20:00 ) ",
          "B:", "H: [101] ALICE (OFFICE) ",
          "D:  Jun 22, 2004 Tue - 09:05:00[IN]    17:30:00[OUT]   [L(00:05:00)]",
          "D:  Jun 23, 2004 Wed - 08:55:00[IN]    No OUT          Incorrect",
          "D:  Jun 24, 2004 Thu - No record matched",  // an OUT before any IN
          "T: Clocked day=3, Error day=2, Late day=1(00:05:00 ), Early Leave day=0(00:00:00 ), "
          "Overtime day=0(00:00:00 ) ",
          "B:", "H: [102] bruno (OFFICE) ", "T:" + none, "B:", "H: [104] CAROL (SHOP) ",
          "D:  Jun 23, 2004 Wed - 08:00:00[IN]    12:00:00[OUT]   [E(05:30:00)]",
          "T: Clocked day=1, Error day=0, Late day=0(00:00:00 ), Early Leave day=1(05:30:00 ), "
          "Overtime day=0(00:00:00 ) "}},
        {"time-logs of the pick list, names without regard to case",
         ReportKind::TimeLogs,
         [](ReportParameters& p) {
             p.persons = PersonsChoice::List;
             p.recordFormat = 3;
         },
         {"H: [102] bruno (1 record(s))", "D:  Jun 23, 2004 Wed - 08:00[C]", "T: No of day(s) = 1 ",
          "B:", "H: [104] CAROL (3 record(s))",
          "D:  Jun 23, 2004 Wed - 08:00[I] 12:00[O]  13:05[I]", "T: No of day(s) = 1 ", "B:"}},
        {"time-logs of a group named in lower case over the whole log",
         ReportKind::TimeLogs,
         [](ReportParameters& p) {
             p.persons = PersonsChoice::Group;
             p.groupName = "shop";
             p.period = PeriodChoice::All;
             p.recordFormat = 3;
         },
         {"H: [104] CAROL (3 record(s))", "D:  Jun 23, 2004 Wed - 08:00[I] 12:00[O]  13:05[I]",
          "T: No of day(s) = 1 ", "B:"}},
        {"daily individual: the midnight read is the next day's",
         ReportKind::DailyIndividual,
         [](ReportParameters& p) {
             p.persons = PersonsChoice::Group;
             p.groupName = "OFFICE";
             p.dayOfInterest = At("2004-06-24");
         },
         {"H: [101] ALICE (1 record(s))", "D:  CLOCK  -", "D:  IN     -", "D:  OUT    -  00:00:00",
          "B:", "H: [102] bruno (0 record(s))", "D:  CLOCK  -", "D:  IN     -", "D:  OUT    -"}},
        {"who's in or out on a day",
         ReportKind::WhosInOut,
         [](ReportParameters& p) { p.dayOfInterest = At("2004-06-23"); },
         {"H: Who's CLOCK", "D:  bruno                08:00:00", "T: 1 person", "B:", "H: Who's IN",
          "D:  ALICE                08:55:00",
          "D:  CAROL                13:05:00 - 12:00:00 [OUT]  (01:05:00)", "T: 2 persons",
          "B:", "H: Who's OUT", "T: No person", "B:", "H: No record", "D:  ZED", "T: 1 person"}},
    };
    BothSources s;
    Fill(s);
    for (const auto& c : cases) {
        auto p = ReportFixture::Params();
        c.change(p);
        const DateTime now = At("2004-06-30 10:00");
        EXPECT_EQ(AllTexts(BuildReport(c.kind, p, s.memory(), now)), c.expected) << c.name;
        const auto doc = BuildReport(c.kind, p, s.sql(), now);
        EXPECT_EQ(AllTexts(doc), c.expected) << c.name;
        if (p.period == PeriodChoice::All) {
            EXPECT_EQ(doc.rangeText, "From: 3/May/2004 To: 2/Jul/2004");
        }
    }
}

TEST_P(StoreSourceTest, LookupsAnswerAsTheMemorySource) {
    BothSources s;
    EXPECT_FALSE(s.sql().LogSpan().has_value());  // "No record."
    Fill(s);
    s.AddPeriod(2, Hm(13, 0), Hm(17, 0));
    s.AddPeriod(2, Hm(8, 0), Hm(12, 0));
    s.SetReaderName(2, "Front door");
    for (ReportSource* source :
         {static_cast<ReportSource*>(&s.memory()), static_cast<ReportSource*>(&s.sql())}) {
        const auto table = source->Timetable(2);
        ASSERT_EQ(table.size(), 2u);
        EXPECT_EQ(table[0], (TimePeriod{Hm(8, 0), Hm(12, 0)}));
        EXPECT_TRUE(source->Timetable(1).empty());
        EXPECT_EQ(source->GroupId("Shop"), 2);
        EXPECT_EQ(source->GroupId("GONE"), 0);
        EXPECT_EQ(source->ReaderName(2), "Front door");
        EXPECT_EQ(source->ReaderName(3), "COM3");
        EXPECT_EQ(source->ReaderName(0), "DENIED");
        EXPECT_EQ(source->ReaderName(9), "ERROR");
        // the day's stream: from its midnight, up to the next one, in the log's order
        std::vector<int> cards;
        source->ForEachRecord(DateRangeClause(At("2004-06-23"), At("2004-06-23")),
                              [&](const LogRecord& r) {
                                  cards.push_back(r.cardno);
                                  return cards.size() < 4;  // stops early
                              });
        EXPECT_EQ(cards, (std::vector<int>{102, 104, 101, 104})) << source;
        const auto rows = source->CardRecords(101, RecordsOfInterest::InOut, WholeLog());
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(rows.back().systime, At("2004-06-28 00:00"));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, StoreSourceTest, kBothEngines, EngineName);

}  // namespace
