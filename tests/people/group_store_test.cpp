#include "people/group_store.h"

#include <gtest/gtest.h>

#include "common/format.h"
#include "people/store_fixture.h"
#include "storage/lookups.h"
#include "storage/rows.h"
#include "storage/staff_table.h"

using namespace horalog;
using horalog::testing::PeopleStoreTest;

namespace {

DateTime T(int h, int m) {
    return EncodeTime(h, m, 0);
}

WorkGroup Named(const QString& name) {
    WorkGroup g = NewWorkGroup();
    g.descx = name;
    return g;
}

using GroupStore = PeopleStoreTest;

TEST_F(GroupStore, NameIsTheIdentity) {
    WorkGroup office = Named("OFFICE");
    office.wd_from_1 = EncodeDateTime(2004, 6, 26, 8, 30, 0);  // only the time of day is kept
    office.sat_enable_1 = true;
    office.ot_min = 120;
    office.ot_multi = 60;
    const int officeId = StoreGroup(src(), office, messages);
    ASSERT_GT(officeId, 1);
    auto stored = LoadGroup(src(), officeId);
    ASSERT_TRUE(stored);
    office.id = officeId;
    office.wd_from_1 = T(8, 30);
    EXPECT_EQ(*stored, office);

    // OFFICE edited and renamed STORE: STORE is added, OFFICE stays as it was.
    WorkGroup renamed = *stored;
    renamed.descx = "STORE";
    renamed.ot_min = 30;
    const int storeId = StoreGroup(src(), renamed, messages);
    EXPECT_NE(storeId, officeId);
    EXPECT_EQ(*LoadGroup(src(), officeId), office);
    EXPECT_EQ(LoadGroup(src(), storeId)->ot_min, 30);

    // STORE edited and given the name OFFICE (after the overwrite question): OFFICE is
    // overwritten, STORE stays.
    WorkGroup over = *LoadGroup(src(), storeId);
    over.descx = "OFFICE";
    EXPECT_EQ(StoreGroup(src(), over, messages), officeId);
    EXPECT_EQ(LoadGroup(src(), officeId)->ot_min, 30);
    EXPECT_EQ(GroupsById(src()).size(), 3u);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(GroupStore, FailedStoreAnswersTheDefaultGroup) {
    auto ro = readOnlySrc();
    EXPECT_EQ(StoreGroup(*ro, Named("OFFICE"), messages), kDefaultGroupId);
    EXPECT_EQ(messages.texts(), QStringList{"Fail to update the database record. Please retry."});
    EXPECT_EQ(GroupIdOf(src(), "OFFICE"), 0);
}

TEST_F(GroupStore, ChoiceListInNameOrder) {
    const int zulu = StoreGroup(src(), Named("ZULU"), messages);
    const int alpha = StoreGroup(src(), Named("ALPHA"), messages);
    struct Case {
        int group;
        int selected;
    };
    const Case cases[] = {{0, 0}, {zulu, 2}, {1, 1}, {alpha, 0}, {99, -1}};
    for (const Case& c : cases) {
        const GroupChoice choice = GroupChoices(src(), c.group);
        EXPECT_EQ(choice.names, (QStringList{"ALPHA", "DEFAULT", "ZULU"}));
        EXPECT_EQ(choice.ids, (std::vector<int>{alpha, 1, zulu}));
        EXPECT_EQ(choice.selected, c.selected) << c.group;
    }
}

void AddHolder(Connection& src, int card, const QString& name, int group) {
    HolderRecord h;
    h.cardno = card;
    h.name = name;
    h.workgrp = group;
    StaffTable(src).append(h);
}

TEST_F(GroupStore, DeleteRefusalsConfirmationAndWhatStays) {
    const int office = StoreGroup(src(), Named("OFFICE"), messages);
    const int other = StoreGroup(src(), Named("STORE"), messages);
    AddHolder(src(), 5, "Ann", office);
    AddHolder(src(), 6, "Bob", office);
    AddHolder(src(), 7, "Cid", other);
    ASSERT_TRUE(AddTimetablePeriod(src(), office, {T(9, 0), T(13, 0)}).ok);
    const QString question =
        "2 card holders belong to this group and will move to group 1 \"DEFAULT\". "
        "Are you sure to delete this record?";

    struct Case {
        const char* what;
        int id;
        bool answer;
        QStringList shown;
        bool deleted;
    };
    const Case cases[] = {
        {"default group, others exist", 1, true, {"Cannot delete default group."}, false},
        {"cancelled", office, false, {question}, false},
        {"confirmed", office, true, {question}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        messages.answerNext(c.answer);
        EXPECT_EQ(DeleteGroup(src(), c.id, messages), c.deleted);
        EXPECT_EQ(messages.texts(), c.shown);
    }
    EXPECT_EQ(GroupName(src(), office), "");
    // Its holders are in the default group now, nobody else moved; its periods stay.
    EXPECT_EQ(StaffTable(src()).byCard(5)->workgrp, kDefaultGroupId);
    EXPECT_EQ(StaffTable(src()).byCard(6)->workgrp, kDefaultGroupId);
    EXPECT_EQ(StaffTable(src()).byCard(7)->workgrp, other);
    EXPECT_EQ(TimetableOf(src(), office).size(), 1u);

    messages.clear();
    EXPECT_FALSE(DeleteGroup(src(), 0, messages));  // an empty list
    EXPECT_EQ(messages.texts(), QStringList{"No data record."});

    // A group without holders asks the plain question.
    const int empty = StoreGroup(src(), Named("EMPTY"), messages);
    messages.clear();
    EXPECT_TRUE(DeleteGroup(src(), empty, messages));
    EXPECT_EQ(messages.texts(), QStringList{"Are you sure to delete this record?"});

    messages.clear();
    auto ro = readOnlySrc();
    EXPECT_FALSE(DeleteGroup(*ro, other, messages));
    EXPECT_EQ(messages.texts(), (QStringList{"1 card holder belongs to this group and will move "
                                             "to group 1 \"DEFAULT\". Are you sure to delete "
                                             "this record?",
                                             "Fail to update the database record. Please retry."}));
    EXPECT_EQ(GroupName(src(), other), "STORE");
}

// The holders move in the deletion's transaction: when the deletion itself fails after they
// were moved, both holders and the group are as they were.
TEST_F(GroupStore, FailedDeletionLeavesHoldersInTheirGroup) {
    const int office = StoreGroup(src(), Named("OFFICE"), messages);
    AddHolder(src(), 5, "Ann", office);
    AddHolder(src(), 6, "Bob", office);
    src().execute(
        "CREATE TEMP TRIGGER refuse BEFORE DELETE ON gid "
        "BEGIN SELECT RAISE(ABORT, 'disk gone'); END");
    EXPECT_FALSE(DeleteGroup(src(), office, messages));
    EXPECT_EQ(messages.last(), "Fail to update the database record. Please retry.");
    EXPECT_EQ(GroupName(src(), office), "OFFICE");
    EXPECT_EQ(StaffTable(src()).byCard(5)->workgrp, office);
    EXPECT_EQ(StaffTable(src()).byCard(6)->workgrp, office);
}

TEST_F(GroupStore, TimetableAddRefusalsPerGroupAndDelete) {
    const int office = StoreGroup(src(), Named("OFFICE"), messages);
    ASSERT_TRUE(AddTimetablePeriod(src(), 1, {T(13, 0), T(14, 0)}).ok);  // another group's
    struct Case {
        DateTime in, out;
        const char* refusal;  // nullptr: added
    };
    const Case cases[] = {
        {T(9, 0), T(13, 0), nullptr},
        {T(13, 0), T(14, 0), "Time overlapped."},  // touches the end
        {T(8, 0), T(9, 0), "Time overlapped."},    // touches the start
        {T(10, 0), T(11, 0), "Time overlapped."},  // inside
        {T(15, 0), T(15, 0), "Wrong time entry."},
        {T(16, 0), T(15, 0), "Wrong time entry."},
        {T(14, 0), T(15, 0), nullptr},
        {EncodeDateTime(2004, 6, 26, 6, 0, 0), T(7, 0), nullptr},  // stored as a time of day
    };
    for (const Case& c : cases) {
        const auto check = AddTimetablePeriod(src(), office, {c.in, c.out});
        EXPECT_EQ(check.ok, c.refusal == nullptr) << FormatDateTime("hh:mm", c.in).toStdString();
        if (c.refusal) {
            EXPECT_EQ(check.message, c.refusal);
            EXPECT_EQ(check.focus, PeriodField::From);
        }
    }
    auto rows = TimetableOf(src(), office);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].period, (TimePeriod{T(6, 0), T(7, 0)}));  // ordered by IN time
    EXPECT_EQ(rows[1].period, (TimePeriod{T(9, 0), T(13, 0)}));
    EXPECT_EQ(TimetableTime(rows[2].period.to), "PM 03:00");
    EXPECT_EQ(GroupListTime(rows[1].period.to), "PM01:00");

    messages.answerNext(false);
    EXPECT_FALSE(DeleteTimetablePeriod(src(), rows[1].id, messages));
    EXPECT_TRUE(DeleteTimetablePeriod(src(), rows[1].id, messages));
    EXPECT_EQ(TimetableOf(src(), office).size(), 2u);
    EXPECT_EQ(TimetableOf(src(), 1).size(), 1u);
    messages.clear();
    EXPECT_FALSE(DeleteTimetablePeriod(src(), std::nullopt, messages));
    EXPECT_EQ(messages.texts(), QStringList{"No data record."});

    auto ro = readOnlySrc();
    const auto failed = AddTimetablePeriod(*ro, office, {T(20, 0), T(21, 0)});
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message, "Fail to update the database record. Please retry.");
}

}  // namespace
