#include "people/holder_store.h"

#include <gtest/gtest.h>

#include "people/store_fixture.h"
#include "storage/audit.h"
#include "storage/lookups.h"
#include "storage/rows.h"
#include "storage/settings.h"

using namespace horalog;
using horalog::testing::PeopleStoreTest;

namespace {

class HolderStore : public PeopleStoreTest {
protected:
    int group(const QString& name) {
        WorkGroup g = NewWorkGroup();
        g.descx = name;
        return StoreGroup(src(), g, messages);
    }
    HolderRecord add(int card, const QString& name, int workgrp = 1) {
        HolderRecord h;
        h.cardno = card;
        h.name = name;
        h.workgrp = workgrp;
        StaffTable(src()).append(h);
        return h;
    }
    // Opens the editor on a card, types a name, confirms and saves, as the dialog does.
    bool confirmAndSave(int card, const QString& typed, InputCheck<HolderField>* check = nullptr) {
        HolderEditorState s = LoadHolderEditor(src(), card);
        s.name = typed;
        const auto c = ConfirmHolderEditor(src(), s);
        if (check) *check = c;
        return c.ok && SaveHolderEditor(src(), s, messages);
    }
};

TEST_F(HolderStore, NameRuleAgreesWithTheUniqueIndexes) {
    // The C++ rule, the lookups and the NOCASE unique indexes must agree on every pair, or a
    // name the editor lets through would fail on posting (or the other way round).
    struct Case {
        const char* stored;
        const char* other;
    };
    const Case cases[] = {
        {"Ann Lee", "ANN LEE"}, {"Ann Lee", "Ann Lee "}, {"Żaneta", "żaneta"}, {"Żaneta", "ŻANETA"},
        {"José", "JOSÉ"},       {"José", "JOSé"},        {"[a]", "{A}"},       {"x_y", "X_Y"},
    };
    int card = 100;
    for (const Case& c : cases) {
        const QString stored = QString::fromUtf8(c.stored), other = QString::fromUtf8(c.other);
        SCOPED_TRACE(std::string(c.stored) + "|" + c.other);
        const bool same = SameHolderName(stored, other);
        add(++card, stored);
        EXPECT_EQ(StaffTable(src()).byName(other).has_value(), same);
        EXPECT_EQ(CardOfName(src(), other) == card, same);
        bool refused = false;
        try {
            add(card + 1000, other);
        } catch (const DbError&) {
            refused = true;
        }
        EXPECT_EQ(refused, same);
        src().execute("DELETE FROM staffs");

        WorkGroup g = NewWorkGroup();
        g.descx = stored;
        const int id = StoreGroup(src(), g, messages);
        EXPECT_EQ(GroupIdOf(src(), other) == id, SameGroupName(stored, other));
        src().execute("DELETE FROM gid WHERE ID > 1");
    }
}

TEST_F(HolderStore, NewHolderWithoutPhotoGetsAWhite240x320Jpeg) {
    ASSERT_TRUE(confirmAndSave(42, "  Ann Lee "));
    const auto h = StaffTable(src()).byCard(42, true);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->name, "Ann Lee");
    EXPECT_EQ(h->workgrp, 1);  // the first group of the choice list
    EXPECT_EQ(h->com, (std::array<bool, 8>{}));
    EXPECT_FALSE(h->offline);
    Picture p;
    ASSERT_TRUE(PhotoFromBlob(h->photo, p));
    EXPECT_EQ(std::pair(p.width, p.height), std::pair(240, 320));
    for (std::uint8_t byte : p.pixels) ASSERT_GE(byte, 250);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(HolderStore, EditKeepsNameAndFlagsChangesGroupRemarksPhoto) {
    const int office = group("OFFICE");
    HolderRecord h;
    h.cardno = 7;
    h.name = "Bob";
    h.offline = true;
    h.com = {true, false, true, false, false, false, false, true};
    h.timegrp = 3;
    h.photo = "not a jpeg";  // opens with the cleared picture, which is then saved
    StaffTable(src()).append(h);

    HolderEditorState s = LoadHolderEditor(src(), 7);
    EXPECT_EQ(s.groups.names[s.groupIndex], "DEFAULT");
    EXPECT_EQ(std::pair(s.picture.width, s.picture.height), std::pair(100, 100));
    s.groupIndex = int(s.groups.names.indexOf("OFFICE"));
    s.remarks = "line 1\nline 2";
    ASSERT_TRUE(ConfirmHolderEditor(src(), s).ok);
    ASSERT_TRUE(SaveHolderEditor(src(), s, messages));

    const auto saved = StaffTable(src()).byCard(7, true);
    EXPECT_EQ(saved->name, "Bob");
    EXPECT_EQ(saved->workgrp, office);
    EXPECT_EQ(saved->memo, "line 1\r\nline 2\r\n");
    EXPECT_EQ(saved->com, h.com);
    EXPECT_TRUE(saved->offline);
    EXPECT_EQ(saved->timegrp, 3);
    Picture p;
    ASSERT_TRUE(PhotoFromBlob(saved->photo, p));
    EXPECT_EQ(std::pair(p.width, p.height), std::pair(240, 320));
    EXPECT_EQ(LoadHolderEditor(src(), 7).remarks, "line 1\nline 2");
}

TEST_F(HolderStore, HolderOfADeletedGroupOpensWithNoGroupAndStoresZero) {
    const int gone = group("GONE");
    add(8, "Cy", gone);
    src().execute("DELETE FROM gid WHERE DESCX = 'GONE'");
    HolderEditorState s = LoadHolderEditor(src(), 8);
    EXPECT_EQ(s.groupIndex, -1);
    ASSERT_TRUE(ConfirmHolderEditor(src(), s).ok);
    ASSERT_TRUE(SaveHolderEditor(src(), s, messages));
    EXPECT_EQ(StaffTable(src()).byCard(8)->workgrp, 0);
}

TEST_F(HolderStore, DeleteOnlyWhereAHolderIs) {
    add(9, "Dee");
    struct Case {
        int card;
        bool answer;
        bool changed;
    };
    const Case cases[] = {{10, true, false}, {9, false, false}, {9, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.card);
        messages.clear();
        messages.answerNext(c.answer);
        HolderEditorState s = LoadHolderEditor(src(), c.card);
        const bool closes = RequestHolderDelete(s, messages);
        EXPECT_EQ(messages.texts(), QStringList{"Are you sure to delete the record?"});
        EXPECT_EQ(closes, c.answer);
        if (closes) {
            EXPECT_EQ(SaveHolderEditor(src(), s, messages), c.changed);
        }
        EXPECT_EQ(messages.shown.size(), 1);
    }
    EXPECT_FALSE(StaffTable(src()).byCard(9));
    EXPECT_EQ(StaffTable(src()).count(), 0);
}

// A holder's name can be corrected: audited with both names; never to another holder's name,
// and the holder's own name in other letters is no clash.
TEST_F(HolderStore, RenameIsAuditedAndNeverTakesAnotherHoldersName) {
    add(1, "Ann Lee");
    add(2, "Bob");
    InputCheck<HolderField> check;
    EXPECT_FALSE(confirmAndSave(2, "ann lee", &check));
    EXPECT_EQ(check.message, "Name has been used.");
    ASSERT_TRUE(confirmAndSave(2, "BOB"));
    ASSERT_TRUE(confirmAndSave(2, "Robert Bloom"));
    EXPECT_EQ(StaffTable(src()).byCard(2)->name, "Robert Bloom");
    const auto trail = AuditLog(src()).page({}, std::nullopt, 1);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].action, "Holder changed");
    EXPECT_TRUE(trail[0].oldText.startsWith("name BOB,")) << trail[0].oldText.toStdString();
    EXPECT_TRUE(trail[0].newText.startsWith("name Robert Bloom,"));
}

TEST_F(HolderStore, SecondHolderWithTheSameNameIsRefused) {
    add(1, "Ann Lee");
    InputCheck<HolderField> check;
    EXPECT_FALSE(confirmAndSave(2, "ANN LEE", &check));
    EXPECT_EQ(check.message, "Name has been used.");
    EXPECT_EQ(check.focus, HolderField::Name);

    // Taken between Confirm and the save: the save refuses with its own message.
    HolderEditorState s = LoadHolderEditor(src(), 3);
    s.name = "Eve";
    ASSERT_TRUE(ConfirmHolderEditor(src(), s).ok);
    add(4, "eve");
    EXPECT_FALSE(SaveHolderEditor(src(), s, messages));
    EXPECT_EQ(messages.texts(),
              QStringList{"The input does not allow deplicate entry. Please re-enter."});
    EXPECT_EQ(StaffTable(src()).count(), 2);
}

TEST_F(HolderStore, FailedSaveShowsTheUpdateError) {
    HolderEditorState s = LoadHolderEditor(src(), 5);
    s.name = "Fay";
    ASSERT_TRUE(ConfirmHolderEditor(src(), s).ok);
    auto ro = readOnlySrc();
    EXPECT_FALSE(SaveHolderEditor(*ro, s, messages));
    EXPECT_EQ(messages.texts(), QStringList{"Fail to update the database record. Please retry."});
    EXPECT_FALSE(StaffTable(src()).byCard(5));
}

TEST_F(HolderStore, LookupsForOtherRooms) {
    const int office = group("OFFICE");
    add(11, "Bob Smith", office);
    add(12, "bobby", 1);
    add(13, "Carl", 77);  // a deleted group
    struct Case {
        int card;
        bool found;
        const char* name;
        const char* group;
    };
    const Case cases[] = {
        {11, true, "Bob Smith", "OFFICE"},
        {13, false, "[13]", ""},
        {14, false, "[14]", ""},
    };
    for (const Case& c : cases) {
        const CardHolderName a = HolderOfCard(src(), c.card);
        EXPECT_EQ(a.found, c.found) << c.card;
        EXPECT_EQ(a.name, c.name);
        EXPECT_EQ(a.group, c.group);
    }
    struct Prefix {
        const char* text;
        int card;
    };
    const Prefix prefixes[] = {
        {"Bob", 11}, {"BOBB", 12}, {"bob s", 11}, {"c", 13}, {"Carla", 0}, {"D", 0}, {"", 11},
    };
    for (const Prefix& p : prefixes) EXPECT_EQ(CardOfName(src(), p.text), p.card) << p.text;
    EXPECT_EQ(HolderNames(src()), (QStringList{"Bob Smith", "bobby", "Carl"}));
}

TEST_F(HolderStore, ListSortsByTheStoredColumnAndCounts) {
    const int zed = group("ZED");
    add(30, "Cy", zed);
    add(10, "Al", 1);
    add(20, "Bo", 99);  // group gone: empty WORKGROUP, sorted first
    struct Case {
        const char* setting;  // nullptr: not set
        std::vector<int> cards;
    };
    const Case cases[] = {
        {nullptr, {10, 20, 30}},
        {"CARDNO", {10, 20, 30}},
        {"DESCX", {20, 10, 30}},
        {"WORKGROUP", {20, 10, 30}},
        {"NAME; DROP TABLE staffs", {10, 20, 30}},  // never reaches the SQL
    };
    for (const Case& c : cases) {
        if (c.setting) WriteSettingText(kHolderListSortSetting, c.setting);
        HolderListModel model(src());
        std::vector<int> cards;
        for (int r = 0; r < model.rowCount(); ++r) cards.push_back(model.row(r).cardno);
        EXPECT_EQ(cards, c.cards) << (c.setting ? c.setting : "(none)");
    }
    HolderListModel model(src());
    model.sortByColumn(HolderListModel::GroupColumn);
    EXPECT_EQ(ReadSettingText(kHolderListSortSetting, ""), "DESCX");
    EXPECT_EQ(model.data(model.index(0, HolderListModel::GroupColumn), Qt::DisplayRole), "");
    EXPECT_EQ(model.data(model.index(2, HolderListModel::GroupColumn), Qt::DisplayRole), "ZED");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole), "WORKGROUP");
    EXPECT_EQ(model.rowOfCard(30), 2);
    EXPECT_EQ(model.rowOfCard(31), -1);
    EXPECT_EQ(HolderListCaption(model.rowCount()), "Used (3 cards)");
    Picture p;
    EXPECT_FALSE(model.photoOf(30, p));  // no photo: the preview is cleared
    ASSERT_TRUE(confirmAndSave(40, "Di"));
    model.reload();
    EXPECT_TRUE(model.photoOf(40, p));
    EXPECT_EQ(model.rowCount(), 4);
}

TEST(LiveLogDoubleClick, OpensTheEditorOnlyWhenAllowed) {
    struct Case {
        bool loggedIn;
        std::optional<int> card;
        std::optional<int> opens;
        QStringList shown;
    };
    const Case cases[] = {
        {false, 5, std::nullopt, {"Feature disabled. Please Login to use it."}},
        {true, std::nullopt, std::nullopt, {"No record."}},
        {true, -1, std::nullopt, {}},  // a bypass row has no card
        {true, 5, 5, {}},
    };
    for (const Case& c : cases) {
        horalog::testing::RecordingMessages m;
        EXPECT_EQ(CardToEditFromLiveLog(c.loggedIn, c.card, m), c.opens);
        EXPECT_EQ(m.texts(), c.shown);
    }
}

}  // namespace
