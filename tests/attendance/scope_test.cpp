// The period of each choice, the holder selection and the stored choices of the scope dialogs.

#include <gtest/gtest.h>

#include "common/format.h"
#include "report_fixture.h"
#include "storage/settings.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

std::string Day(DateTime t) {
    return FormatDateTime("yyyy-mm-dd HH:mm", t).toStdString();
}

TEST(ReportPeriod, WeeksRunMondayToSunday) {
    struct Case {
        PeriodChoice choice;
        const char* now;
        const char* from;
        const char* to;
    };
    const Case cases[] = {
        {PeriodChoice::LastWeek, "2004-06-21 10:15", "2004-06-14 00:00",
         "2004-06-20 00:00"},  // Monday
        {PeriodChoice::LastWeek, "2004-06-27 23:59", "2004-06-14 00:00",
         "2004-06-20 00:00"},  // Sunday
        {PeriodChoice::ThisWeek, "2004-06-27 23:59", "2004-06-21 00:00", "2004-06-27 23:59"},
        {PeriodChoice::ThisWeek, "2004-06-21 08:00", "2004-06-21 00:00", "2004-06-21 08:00"},
        {PeriodChoice::LastMonth, "2004-03-01 09:00", "2004-02-01 00:00", "2004-02-29 00:00"},
        {PeriodChoice::LastMonth, "2005-03-01 09:00", "2005-02-01 00:00", "2005-02-28 00:00"},
        {PeriodChoice::LastMonth, "2005-01-15 09:00", "2004-12-01 00:00", "2004-12-31 00:00"},
        {PeriodChoice::ThisMonth, "2004-06-23 14:30", "2004-06-01 00:00", "2004-06-23 14:30"},
    };
    for (const auto& c : cases) {
        ReportParameters p;
        p.period = c.choice;
        const Period r = ReportPeriod(p, At(c.now));
        EXPECT_FALSE(r.allDates);
        EXPECT_EQ(Day(r.from), c.from) << c.now;
        EXPECT_EQ(Day(r.to), c.to) << c.now;
    }
    ReportParameters range;
    range.period = PeriodChoice::Range;
    range.rangeFrom = At("2004-06-25");  // "To" before "From" passes unchanged
    range.rangeTo = At("2004-06-20");
    const Period r = ReportPeriod(range, At("2004-06-30 10:00"));
    EXPECT_EQ(Day(r.from), "2004-06-25 00:00");
    EXPECT_EQ(Day(r.to), "2004-06-20 00:00");
    range.period = PeriodChoice::All;
    EXPECT_TRUE(ReportPeriod(range, At("2004-06-30 10:00")).allDates);
}

TEST(ReportPeriod, AReadAtMidnightBelongsToOneDayOnly) {
    ReportFixture f;
    f.Add(101, {{"2004-06-23 08:00", 1}, {"2004-06-24 00:00", 2}, {"2004-06-28 00:00", 1}});
    auto p = ReportFixture::Params();  // Monday 21 to Sunday 27: the 28th's midnight is out
    EXPECT_EQ(Texts(f.Build(ReportKind::TimeLogs, p), BandKind::Heading),
              std::vector<std::string>{" [101] ALICE (2 record(s))"});
    for (const char* day : {"2004-06-23", "2004-06-24"}) {
        p.dayOfInterest = At(day);
        EXPECT_EQ(Texts(f.Build(ReportKind::DailyIndividual, p), BandKind::Heading),
                  std::vector<std::string>{" [101] ALICE (1 record(s))"})
            << day;
    }
}

TEST(ReportPeriod, AllTakesTheFirstAndLastLogRows) {
    ReportFixture f;
    f.Add(101, {{"2004-05-03 08:00:00", 1}, {"2004-06-29 17:00:00", 2}});
    f.source.AddRecord(DateTime(At("2004-07-02 23:59:59").value + 0.4 / 86400), 999, 0);
    auto p = ReportFixture::Params();
    p.period = PeriodChoice::All;
    const auto doc = f.Build(ReportKind::TimeLogs, p);
    EXPECT_EQ(doc.rangeText, "From: 3/May/2004 To: 2/Jul/2004");
    EXPECT_EQ(Texts(doc, BandKind::Heading),
              std::vector<std::string>{" [101] ALICE (2 record(s))"});
}

TEST(OpenSelectedHolders, AllGroupAndList) {
    MemoryReportSource s;
    s.AddGroup(OfficeGroup(1, "OFFICE"));
    s.AddGroup(OfficeGroup(2, "SHOP"));
    s.AddHolder(1, "ZOE", 1, true);
    s.AddHolder(2, "ADAM", 2, false);
    s.AddHolder(3, "MIA", 1, false);
    s.AddHolder(4, "KIM", 7, true);  // its group was deleted
    s.AddHolder(5, "NIL", 0, false);
    auto names = [&](const ReportParameters& p) {
        std::vector<std::string> out;
        for (const auto& h : OpenSelectedHolders(s, p))
            out.push_back(h.holder.name.toStdString() + "(" + h.groupName.toStdString() + ")");
        return out;
    };
    ReportParameters p;
    EXPECT_EQ(names(p), (std::vector<std::string>{"KIM()", "NIL()", "MIA(OFFICE)", "ZOE(OFFICE)",
                                                  "ADAM(SHOP)"}));
    p.persons = PersonsChoice::Group;
    p.groupName = "OFFICE";
    EXPECT_EQ(names(p), (std::vector<std::string>{"MIA(OFFICE)", "ZOE(OFFICE)"}));
    p.groupName = "GONE";  // not the holders of WORKGRP 0
    EXPECT_TRUE(names(p).empty());
    p.persons = PersonsChoice::List;
    EXPECT_EQ(names(p), (std::vector<std::string>{"KIM()", "ZOE(OFFICE)"}));
}

TEST(ScopeSettings, DefaultsRoundTripAndOutOfRangeValues) {
    ReportParameters d = LoadScopeSettings(ScopeDialog::Scope);
    EXPECT_EQ(d.period, PeriodChoice::ThisWeek);
    EXPECT_EQ(d.recordsPerLine, 4);
    EXPECT_TRUE(d.enhanced);
    EXPECT_TRUE(d.previewOnly);
    EXPECT_FALSE(d.newPage);
    EXPECT_TRUE(LoadScopeSettings(ScopeDialog::WhoScope).newPage);

    ReportParameters p;
    p.period = PeriodChoice::LastMonth;
    p.persons = PersonsChoice::List;
    p.records = RecordsOfInterest::InOut;
    p.recordFormat = 3;
    p.recordsPerLine = 8;
    p.blankLines = true;
    p.enhanced = false;
    StoreScopeSettings(ScopeDialog::LateScope, p);
    EXPECT_EQ(ReadSettingInt("PrintPersons", -1), 2);
    EXPECT_FALSE(SettingExists("PrintRecordsPerLine"));  // the late dialogs have no per-line
    StoreScopeSettings(ScopeDialog::Scope, p);
    EXPECT_EQ(ReadSettingInt("PrintRecordsPerLine", -1), 8);
    const auto back = LoadScopeSettings(ScopeDialog::LateScope);
    EXPECT_EQ(back.period, PeriodChoice::LastMonth);
    EXPECT_EQ(back.persons, PersonsChoice::List);
    EXPECT_EQ(back.records, RecordsOfInterest::InOut);
    EXPECT_EQ(back.recordFormat, 3);
    EXPECT_TRUE(back.blankLines);
    EXPECT_FALSE(back.enhanced);
    // TSetScope never restores the persons choice
    EXPECT_EQ(LoadScopeSettings(ScopeDialog::Scope).persons, PersonsChoice::All);
    EXPECT_EQ(LoadScopeSettings(ScopeDialog::Scope).recordsPerLine, 8);

    WriteSettingInt("PrintDateRange", 9);
    WriteSettingInt("PrintRecordsPerLine", 12);
    WriteSettingInt("PrintPersons", 5);
    const auto odd = LoadScopeSettings(ScopeDialog::LateScope);
    EXPECT_EQ(odd.period, PeriodChoice::ThisWeek);
    EXPECT_EQ(odd.persons, PersonsChoice::All);
    EXPECT_EQ(LoadScopeSettings(ScopeDialog::WhoScope).recordsPerLine, 4);
}

}  // namespace

#include "attendance/scope_hours.h"

namespace {

TEST(ScopeHours, GroupHoursAndTheConfirmChecks) {
    const auto fresh = LoadTwoSessionScopeHours();
    EXPECT_TRUE(SameTimeOfDay(fresh.std2End, Hm(17, 30)));
    EXPECT_EQ(fresh.overtime.minimum, 15);

    WorkGroup g = OfficeGroup();
    g.sat_enable_1 = g.sat_enable_2 = true;
    LateScopeHours late = LateScopeHoursOf(g, LateScopeHours{});
    EXPECT_TRUE(SameTimeOfDay(late.stdEnd, Hm(17, 30)));
    EXPECT_TRUE(SameTimeOfDay(late.satEnd, Hm(15, 30)));  // both Saturday sessions: to the 2nd end
    const DateTime day = At("2004-06-23 10:00");
    EXPECT_EQ(CheckLateScope(day, day, late, false), ScopeField::None);
    EXPECT_EQ(CheckLateScope(day, day.addDays(-1), late, false), ScopeField::From);
    g.wd_to_2 = Hm(8, 0);  // a group whose day ends before it starts
    late = LateScopeHoursOf(g, late);
    EXPECT_EQ(CheckLateScope(day, day, late, false), ScopeField::StdStart);
    EXPECT_EQ(CheckLateScope(day, day.addDays(-1), late, true), ScopeField::None);
    late.overtime.noPay = 7;
    StoreLateScopeHours(late);
    EXPECT_TRUE(SameTimeOfDay(LoadLateScopeHours().stdEnd, Hm(8, 0)));
    EXPECT_EQ(LoadLateScopeHours().overtime.noPay, 7);

    struct Case {
        void (*change)(TwoSessionScopeHours&);
        ScopeField field;
    };
    const Case cases[] = {
        {[](TwoSessionScopeHours&) {}, ScopeField::None},
        {[](TwoSessionScopeHours& h) { h.std1End = h.std1Start; }, ScopeField::Std1Start},
        {[](TwoSessionScopeHours& h) { h.std2Start = Hm(8, 0); }, ScopeField::Std2Start},
        {[](TwoSessionScopeHours& h) { h.std2Start = h.std1Start; }, ScopeField::None},
        {[](TwoSessionScopeHours& h) { h.sat2Enable = true; }, ScopeField::Sat1Enable},
        {[](TwoSessionScopeHours& h) {
             h.sat1Enable = h.sat2Enable = true;
             h.sat2Start = h.sat1End;
         },
         ScopeField::Sat2Start},
        {[](TwoSessionScopeHours& h) {
             h.sat1Enable = true;
             h.sat1End = Hm(8, 0);
         },
         ScopeField::Sat1Start},
    };
    for (const auto& c : cases) {
        TwoSessionScopeHours h;
        c.change(h);
        EXPECT_EQ(CheckTwoSessionScope(day, day, h), c.field);
    }
}

}  // namespace
