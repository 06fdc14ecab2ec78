#include "people/groups.h"

#include <gtest/gtest.h>

#include "support/recording_ports.h"

using namespace horalog;
using horalog::testing::RecordingMessages;

// Left to the store's tests, once it exists: deleting group 1 is refused even with other groups
// (GroupDeleteRefusal gives the text), StoreGroup answers 1 on a failed post, and renaming
// OFFICE to STORE in the editor leaves OFFICE and adds STORE (the name is the identity).

namespace {

DateTime T(int h, int m, int s = 0, int ms = 0) {
    return EncodeTime(h, m, s, ms);
}

TEST(WorkGroup, NewGroupDefaults) {
    const WorkGroup g = NewWorkGroup();
    EXPECT_EQ(g.id, 0);
    EXPECT_TRUE(g.descx.isEmpty());
    EXPECT_EQ(std::tuple(g.wd_from_1, g.wd_to_1, g.wd_from_2, g.wd_to_2),
              std::tuple(T(9, 0), T(13, 0), T(14, 0), T(17, 0)));
    EXPECT_EQ(std::tuple(g.sat_from_1, g.sat_to_1, g.sat_from_2, g.sat_to_2),
              std::tuple(T(9, 0), T(13, 0), T(14, 0), T(17, 0)));
    EXPECT_FALSE(g.sat_enable_1);
    EXPECT_FALSE(g.sat_enable_2);
    EXPECT_EQ(g.ot_min, 15);
    EXPECT_EQ(g.ot_multi, 5);
}

TEST(ConfirmGroupInput, RefusalsInOrderWithTheirFocus) {
    struct Case {
        const char* what;
        std::function<void(WorkGroup&)> edit;
        bool ok;
        GroupField focus;
    };
    const auto F = GroupField::Name;  // ignored when ok
    const Case cases[] = {
        {"defaults", [](WorkGroup&) {}, true, F},
        {"blank name", [](WorkGroup& g) { g.descx = "   "; }, false, GroupField::Name},
        {"name over 20", [](WorkGroup& g) { g.descx = QString(21, 'A'); }, false, GroupField::Name},
        {"name of 20", [](WorkGroup& g) { g.descx = QString(20, 'A'); }, true, F},
        {"blank name first",
         [](WorkGroup& g) {
             g.descx = "";
             g.wd_to_1 = g.wd_from_1;
         },
         false, GroupField::Name},
        {"weekday sessions overlapping",
         [](WorkGroup& g) {
             g.wd_from_2 = T(12, 0);
             g.wd_to_2 = T(17, 0);
         },
         true, F},
        {"Saturday sessions overlapping",
         [](WorkGroup& g) {
             g.sat_enable_1 = g.sat_enable_2 = true;
             g.sat_from_2 = T(12, 0);
             g.sat_to_2 = T(17, 0);
         },
         false, GroupField::SatFrom2},
        {"Saturday sessions touching",
         [](WorkGroup& g) {
             g.sat_enable_1 = g.sat_enable_2 = true;
             g.sat_from_2 = T(13, 0);
         },
         false, GroupField::SatFrom2},
        {"Saturday sessions both ticked",
         [](WorkGroup& g) { g.sat_enable_1 = g.sat_enable_2 = true; }, true, F},
        {"Saturday 2 without 1", [](WorkGroup& g) { g.sat_enable_2 = true; }, false,
         GroupField::SatEnable1},
        {"Saturday 2 without 1, its times wrong too",
         [](WorkGroup& g) {
             g.sat_enable_2 = true;
             g.sat_to_2 = g.sat_from_2;
         },
         false, GroupField::SatEnable1},
        {"session 1 empty", [](WorkGroup& g) { g.wd_to_1 = g.wd_from_1; }, false,
         GroupField::WdFrom1},
        {"session 1 ends within 1 ms", [](WorkGroup& g) { g.wd_to_1 = g.wd_from_1.addSecs(0.001); },
         false, GroupField::WdFrom1},
        {"session 1 across midnight",
         [](WorkGroup& g) {
             g.wd_from_1 = T(22, 0);
             g.wd_to_1 = T(6, 0);
             g.wd_from_2 = T(23, 0);
             g.wd_to_2 = T(23, 30);
         },
         false, GroupField::WdFrom1},
        {"session 2 reversed", [](WorkGroup& g) { g.wd_to_2 = T(13, 59); }, false,
         GroupField::WdFrom2},
        {"session 2 starts before session 1",
         [](WorkGroup& g) {
             g.wd_from_1 = T(10, 0);
             g.wd_from_2 = T(9, 59);
         },
         false, GroupField::WdFrom2},
        {"sessions start together", [](WorkGroup& g) { g.wd_from_2 = g.wd_from_1; }, true, F},
        {"working day before Saturday",
         [](WorkGroup& g) {
             g.wd_to_2 = g.wd_from_2;
             g.sat_enable_2 = true;
         },
         false, GroupField::WdFrom2},
        {"Saturday 1 reversed",
         [](WorkGroup& g) {
             g.sat_enable_1 = true;
             g.sat_to_1 = T(8, 0);
         },
         false, GroupField::SatFrom1},
        {"unticked Saturday is not checked",
         [](WorkGroup& g) {
             g.sat_to_1 = T(8, 0);
             g.sat_to_2 = T(8, 0);
         },
         true, F},
        {"Saturday 2 reversed",
         [](WorkGroup& g) {
             g.sat_enable_1 = g.sat_enable_2 = true;
             g.sat_to_2 = T(14, 0);
         },
         false, GroupField::SatFrom2},
        {"overtime minimum over 120", [](WorkGroup& g) { g.ot_min = 121; }, false,
         GroupField::OtMin},
        {"overtime multiple over 60", [](WorkGroup& g) { g.ot_multi = 61; }, false,
         GroupField::OtMulti},
        {"overtime at the limits",
         [](WorkGroup& g) {
             g.ot_min = 120;
             g.ot_multi = 0;
         },
         true, F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorkGroup g = NewWorkGroup();
        g.descx = "OFFICE";
        c.edit(g);
        RecordingMessages messages;
        const auto result = ConfirmGroupInput(
            g, [](const QString&) { return false; }, messages);
        EXPECT_EQ(result.ok, c.ok);
        if (!c.ok) {
            EXPECT_EQ(result.focus, c.focus);
            EXPECT_EQ(result.message, "Invalid input.");
        }
        EXPECT_TRUE(messages.shown.isEmpty());
    }
}

TEST(ConfirmGroupInput, NameIsTrimmedUpperCasedAndOverwriteIsAsked) {
    WorkGroup g = NewWorkGroup();
    g.descx = "  office ";
    // times loaded with a date part are stored as times of day
    g.wd_to_2 = EncodeDateTime(2004, 6, 26, 17, 0, 0);
    QStringList asked;
    auto exists = [&](const QString& name) {
        asked << name;
        return name == "OFFICE";
    };

    RecordingMessages messages;
    messages.answerNext(false);  // Cancel
    auto result = ConfirmGroupInput(g, exists, messages);
    EXPECT_EQ(result, (InputCheck<GroupField>{false, GroupField::Name, QString()}));
    EXPECT_EQ(asked, QStringList{"OFFICE"});
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, "confirm");
    EXPECT_EQ(messages.shown[0].text, "Are you sure to overwrite this record?");

    messages.clear();  // OK
    result = ConfirmGroupInput(g, exists, messages);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(g.descx, "OFFICE");
    EXPECT_EQ(g.wd_to_2, T(17, 0));

    // the question comes before the time checks
    messages.clear();
    g.wd_to_1 = g.wd_from_1;
    result = ConfirmGroupInput(g, exists, messages);
    EXPECT_EQ(result.focus, GroupField::WdFrom1);
    EXPECT_EQ(messages.texts(), QStringList{"Are you sure to overwrite this record?"});

    // a new name asks nothing
    messages.clear();
    WorkGroup store = NewWorkGroup();
    store.descx = "store";
    EXPECT_TRUE(ConfirmGroupInput(store, exists, messages).ok);
    EXPECT_EQ(store.descx, "STORE");
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST(PeriodsOverlap, TouchingCountsAsOverlapping) {
    const TimePeriod existing{T(9, 0), T(13, 0)};
    struct Case {
        TimePeriod added;
        bool overlaps;
    };
    const Case cases[] = {
        {{T(13, 0), T(14, 0)}, true},        // starts where it ends
        {{T(8, 0), T(9, 0)}, true},          // ends where it starts
        {{T(13, 0, 0, 1), T(14, 0)}, true},  // within the 1 ms tolerance
        {{T(13, 0, 1), T(14, 0)}, false},
        {{T(7, 0), T(8, 59, 59)}, false},
        {{T(10, 0), T(11, 0)}, true},  // inside
        {{T(8, 0), T(14, 0)}, true},   // around
        {{T(9, 0), T(13, 0)}, true},   // the same
        {{T(12, 59), T(13, 30)}, true},
        {{T(14, 0), T(15, 0)}, false},
        // the date part does not count
        {{EncodeDateTime(2004, 6, 26, 12, 0, 0), EncodeDateTime(2004, 6, 26, 14, 0, 0)}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.added.from.time().toString().toStdString() + "-" +
                     c.added.to.time().toString().toStdString());
        EXPECT_EQ(PeriodsOverlap(c.added, existing), c.overlaps);
        EXPECT_EQ(PeriodsOverlap(existing, c.added), c.overlaps);
    }
}

TEST(CheckNewPeriod, WrongTimeThenOverlapFocusOnTheStart) {
    const std::vector<TimePeriod> timetable{{T(9, 0), T(13, 0)}};
    const std::vector<TimePeriod> inPeriods{{T(8, 0), T(12, 0)}, {T(13, 0), T(17, 0)}};
    struct Case {
        const std::vector<TimePeriod>* existing;
        TimePeriod added;
        const char* message;  // nullptr: accepted
    };
    const std::vector<TimePeriod> none;
    const Case cases[] = {
        {&timetable, {T(13, 0), T(14, 0)}, "Time overlapped."},
        {&timetable, {T(8, 0), T(9, 0)}, "Time overlapped."},
        {&timetable, {T(14, 0), T(15, 0)}, nullptr},
        {&timetable, {T(9, 0), T(9, 0)}, "Wrong time entry."},
        {&timetable, {T(9, 0), T(8, 0)}, "Wrong time entry."},   // reversed beats overlap
        {&inPeriods, {T(12, 0), T(13, 0)}, "Time overlapped."},  // touches both
        {&inPeriods, {T(10, 0), T(10, 0)}, "Wrong time entry."},
        {&inPeriods, {T(22, 0), T(6, 0)}, "Wrong time entry."},  // across midnight
        {&inPeriods, {T(17, 1), T(23, 59)}, nullptr},
        {&none, {T(9, 0), T(14, 0)}, nullptr},
    };
    for (const Case& c : cases) {
        const auto result = CheckNewPeriod(c.added, *c.existing);
        EXPECT_EQ(result.ok, c.message == nullptr);
        if (c.message) {
            EXPECT_EQ(result.message, c.message);
            EXPECT_EQ(result.focus, PeriodField::From);
        }
    }
}

TEST(GroupList, DeleteRefusalsAndChoiceIndex) {
    EXPECT_EQ(GroupDeleteRefusal(0, 0), "No data record.");
    EXPECT_EQ(GroupDeleteRefusal(3, 1), "Cannot delete default group.");
    EXPECT_EQ(GroupDeleteRefusal(3, 2), "");

    const int ids[] = {4, 1, 7};  // in name order
    EXPECT_EQ(GroupChoiceIndex(ids, 7), 2);
    EXPECT_EQ(GroupChoiceIndex(ids, 0), 0);
    EXPECT_EQ(GroupChoiceIndex(ids, 9), -1);  // a deleted group selects nothing
    EXPECT_EQ(GroupChoiceIndex({}, 0), -1);
    EXPECT_EQ(GroupNameInput("Office 2b"), "OFFICE 2B");
    EXPECT_TRUE(SameGroupName("office", "OFFICE"));
}

}  // namespace
