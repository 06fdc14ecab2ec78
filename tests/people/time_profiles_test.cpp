#include "people/time_profiles.h"

#include <gtest/gtest.h>

#include <QTextStream>

#include "cli/schedules_command.h"
#include "storage/audit.h"
#include "storage/staff_table.h"
#include "store_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

// Weekdays 07:00-19:00 and a night shift 22:00-06:00, Monday to Friday, valid in March 2026
// only from the 10th to the 12th in the dated variant. 2026-03-09 is a Monday; the
// Wednesday 11th is a holiday.
TimeProfile Weekdays() {
    TimeProfile p;
    p.id = 7;
    p.name = "Weekdays";
    p.periods = {{7 * 60, 19 * 60}, {22 * 60, 6 * 60}};
    p.days = {true, true, true, true, true, false, false};
    return p;
}

enum class Variant { Plain, Dated, OnHolidays, Always };

TimeProfile Make(Variant v) {
    TimeProfile p = Weekdays();
    if (v == Variant::Dated) {
        p.first = QDate(2026, 3, 10);
        p.last = QDate(2026, 3, 12);
    }
    if (v == Variant::OnHolidays) p.onHolidays = true;
    if (v == Variant::Always) p.id = kAlwaysProfile;
    return p;
}

TEST(ProfileRule, DecidesByPeriodWeekdayDateAndHoliday) {
    using A = ScheduleAnswer;
    struct Case {
        Variant variant;
        int day, hour, minute;
        A expected;
    };
    const Case cases[] = {
        {Variant::Plain, 10, 8, 0, A::InPeriod},         // Tuesday morning
        {Variant::Plain, 10, 7, 0, A::InPeriod},         // the start belongs to the period
        {Variant::Plain, 10, 6, 59, A::OutsidePeriods},  // the night shift ended at 06:00
        {Variant::Plain, 10, 19, 0, A::OutsidePeriods},  // the end does not
        {Variant::Plain, 10, 23, 30, A::InPeriod},       // night shift, before midnight
        {Variant::Plain, 11, 3, 0, A::InPeriod},  // after midnight: started on Tuesday, no holiday
        {Variant::Plain, 11, 8, 0, A::Holiday},
        {Variant::Plain, 11, 23, 0, A::Holiday},        // a night shift starting on the holiday
        {Variant::Plain, 12, 2, 0, A::Holiday},         // ... and its hours after midnight
        {Variant::Plain, 14, 8, 0, A::NotThisWeekday},  // Saturday
        {Variant::Plain, 14, 2, 0, A::InPeriod},        // Friday's night shift
        {Variant::Plain, 14, 23, 0, A::NotThisWeekday},
        {Variant::Plain, 16, 2, 0, A::NotThisWeekday},  // started on Sunday
        {Variant::Plain, 16, 12, 0, A::InPeriod},
        {Variant::Dated, 9, 8, 0, A::BeforeFirstDate},
        {Variant::Dated, 10, 8, 0, A::InPeriod},  // first and last dates are valid days
        {Variant::Dated, 12, 8, 0, A::InPeriod},
        {Variant::Dated, 13, 8, 0, A::AfterLastDate},
        {Variant::OnHolidays, 11, 8, 0, A::InPeriod},
        {Variant::OnHolidays, 12, 2, 0, A::InPeriod},
        {Variant::Always, 14, 3, 0, A::Always},
        {Variant::Always, 11, 20, 0, A::Always},
    };
    const HolidayDays holidays{EncodeDate(2026, 3, 11).dayNumber()};
    for (const Case& c : cases) {
        const A got = ProfileDecision(Make(c.variant), holidays,
                                      EncodeDateTime(2026, 3, c.day, c.hour, c.minute, 0));
        EXPECT_EQ(int(got), int(c.expected))
            << "variant " << int(c.variant) << " on the " << c.day << " at " << c.hour << ":"
            << c.minute << ": " << ScheduleAnswerText(got).toStdString();
    }
}

TEST(ProfileRule, EditorChecks) {
    struct Case {
        const char* what;
        std::vector<AccessPeriod> periods;
        QDate first, last;
        QString name;
        QString expected;  // empty: accepted
    };
    const Case cases[] = {
        {"fine", {{420, 720}, {720, 780}}, {}, {}, "Night", ""},  // touching periods
        {"past midnight", {{1320, 360}, {420, 1140}}, {}, {}, "Night", ""},
        {"zero length", {{420, 420}}, {}, {}, "Night", "Period 1 (07:00-07:00) has no length."},
        {"overlap",
         {{420, 720}, {660, 780}},
         {},
         {},
         "Night",
         "Periods 1 (07:00-12:00) and 2 (11:00-13:00) overlap."},
        {"overlap after midnight",
         {{1320, 360}, {300, 420}},
         {},
         {},
         "Night",
         "Periods 1 (22:00-06:00) and 2 (05:00-07:00) overlap."},
        {"dates",
         {{420, 720}},
         QDate(2026, 3, 10),
         QDate(2026, 3, 9),
         "Night",
         "The last valid date is before the first."},
        {"no name", {{420, 720}}, {}, {}, " ", "Enter a name for the profile."},
        {"taken", {{420, 720}}, {}, {}, "weekdays", "A profile named \"Weekdays\" exists already."},
        {"four periods",
         {{0, 60}, {60, 120}, {120, 180}, {180, 240}},
         {},
         {},
         "Night",
         "A profile has at most three periods."},
    };
    for (const Case& c : cases) {
        TimeProfile p = Weekdays();
        p.id = -1;
        p.name = c.name;
        p.periods = c.periods;
        p.first = c.first;
        p.last = c.last;
        EXPECT_EQ(CheckProfile(p, {Weekdays()}), c.expected) << c.what;
    }
}

class ScheduleStoreTest : public PeopleStoreTest {};

// Profiles reach the book at the door after a change without a new book; deleting a profile
// in use moves its holders to "Always" with the audit row in the same transaction.
TEST_F(ScheduleStoreTest, ChangesReachTheBookAndDeleteMovesHolders) {
    ScheduleStore schedules(src());
    ScheduleBook book;
    book.refresh(src());
    TimeProfile p = Weekdays();
    p.id = -1;
    const int id = schedules.saveProfile(p);
    EXPECT_GT(id, 0);
    for (int card : {1, 2}) {
        HolderRecord h;
        h.cardno = card;
        h.name = QString("H%1").arg(card);
        h.workgrp = 1;
        h.accessgrp = id;
        StaffTable(src()).append(h);
    }
    const DateTime saturday = EncodeDateTime(2026, 3, 14, 8, 0, 0);
    const DateTime wednesday = EncodeDateTime(2026, 3, 11, 8, 0, 0);
    EXPECT_EQ(int(book.decide(id, saturday)), int(ScheduleAnswer::UnknownProfile));
    book.refresh(src());
    EXPECT_EQ(int(book.decide(id, saturday)), int(ScheduleAnswer::NotThisWeekday));
    EXPECT_EQ(int(book.decide(id, wednesday)), int(ScheduleAnswer::InPeriod));
    schedules.saveHoliday({QDate(2026, 3, 11), "Founders"});
    book.refresh(src());
    EXPECT_EQ(int(book.decide(id, wednesday)), int(ScheduleAnswer::Holiday));

    EXPECT_THROW(schedules.deleteProfile(kAlwaysProfile), DbError);
    p.id = kAlwaysProfile;
    EXPECT_THROW(schedules.saveProfile(p), DbError);

    EXPECT_EQ(schedules.holdersOn(id), 2);
    // The audit row cannot be written: the holders stay on the profile.
    src().execute(
        "CREATE TRIGGER refuse BEFORE INSERT ON audit BEGIN SELECT RAISE(ABORT, 'no'); END");
    EXPECT_THROW(schedules.deleteProfile(id), DbError);
    EXPECT_EQ(schedules.holdersOn(id), 2);
    src().execute("DROP TRIGGER refuse");
    EXPECT_EQ(schedules.deleteProfile(id), 2);
    EXPECT_EQ(schedules.holdersOn(kAlwaysProfile), 2);
    EXPECT_EQ(schedules.profiles().size(), 1u);

    std::vector<QString> actions;
    AuditLog(src()).forEach({}, [&](const AuditRecord& r) {
        actions.push_back(r.action);
        return true;
    });
    EXPECT_EQ(actions, (std::vector<QString>{audit::kProfileAdded, audit::kHolidayAdded,
                                             audit::kProfileDeleted}));
}

}  // namespace

namespace {

// "horalog schedules": the list, and the check an administrator runs for "why was my badge
// refused?" (the verdict line names the reason), with the exit status of each.
TEST_F(ScheduleStoreTest, CommandListsAndExplains) {
    src().execute("UPDATE reader SET \"DESC\" = 'Front door', OUTPORT = 1 WHERE PORTNO = 1");
    TimeProfile p = Weekdays();
    p.id = -1;
    p.periods = {{7 * 60, 19 * 60}};
    const int id = ScheduleStore(src()).saveProfile(p);
    ScheduleStore(src()).saveHoliday({QDate(2026, 3, 11), "Founders"});
    HolderRecord h;
    h.cardno = 100;
    h.name = "ANN";
    h.workgrp = 1;
    h.accessgrp = id;
    h.com[0] = true;
    StaffTable(src()).append(h);

    struct Case {
        QStringList words;
        int status;
        QString outHas, err;
    };
    const Case cases[] = {
        {{"schedules"},
         0,
         "   1  Weekdays: 07:00-19:00, Mon Tue Wed Thu Fri, not on holidays (1 "
         "holder(s))\nHolidays:\n  2026-03-11 Wed  Founders\n",
         ""},
        {{"schedules", "check", "100", "COM1", "--at", "2026-03-10 08:00"},
         0,
         "Card 100 (ANN) at COM1 (Front door), Tuesday 2026-03-10 08:00\n",
         ""},
        {{"schedules", "check", "100", "COM1", "--at", "2026-03-10 08:00"},
         0,
         "Verdict: admitted\n",
         ""},
        {{"schedules", "check", "100", "com1", "--at", "2026-03-14 08:00"},
         0,
         "Verdict: refused: outside schedule (the profile does not apply on this weekday)\n",
         ""},
        {{"schedules", "check", "100", "COM1", "--at", "2026-03-11 08:00"},
         0,
         "Holiday: Founders\n",
         ""},
        {{"schedules", "check", "100", "COM2", "--at", "2026-03-10 08:00"},
         0,
         "Verdict: refused: no right for this reader\n",
         ""},
        {{"schedules", "check", "9", "COM1"}, 1, "", "No holder with card 9.\n"},
        {{"schedules", "check", "100", "COM9"},
         2,
         "",
         "horalog schedules: bad word \"COM9\" (see --help)\n"},
        {{"schedules", "check", "100", "COM1", "--at", "2026-03-10"},
         2,
         "",
         "horalog schedules: bad word \"2026-03-10\" (see --help)\n"},
        {{"schedules", "list"}, 2, "", "horalog schedules: bad word \"list\" (see --help)\n"},
        {{"schedules", "holiday", "2026-12-25", "Christmas"},
         0,
         "Added 2026-12-25 Fri  Christmas\n",
         ""},
        {{"schedules", "holiday", "2026-12-25", "Christmas Day"},
         0,
         "Renamed 2026-12-25 Fri  Christmas Day\n",
         ""},
        {{"schedules"}, 0, "  2026-03-11 Wed  Founders\n  2026-12-25 Fri  Christmas Day\n", ""},
        {{"schedules", "holiday-remove", "2026-12-25"}, 0, "Removed 2026-12-25 Fri\n", ""},
        {{"schedules", "holiday-remove", "2026-12-25"},
         1,
         "",
         "horalog schedules: No holiday on 2026-12-25.\n"},
        {{"schedules", "holiday", "2026-12-32", "X"},
         2,
         "",
         "horalog schedules: bad word \"2026-12-32\" (see --help)\n"},
        {{"schedules", "holiday", "2026-12-31"},
         2,
         "",
         "horalog schedules: bad word \"(no NAME)\" (see --help)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        QString out, err;
        QTextStream o(&out), e(&err);
        EXPECT_EQ(
            RunSchedulesCommand(c.words, data.path(), o, e, EncodeDateTime(2026, 3, 10, 8, 0, 0)),
            c.status);
        o.flush();
        e.flush();
        EXPECT_TRUE(out.contains(c.outHas)) << out.toStdString();
        EXPECT_EQ(err, c.err);
    }
}

}  // namespace
