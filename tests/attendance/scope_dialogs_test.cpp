// The scope dialogs and the pick list as an operator works them: what they restore, what
// "Confirm" stores or refuses, which controls follow which choice, and holders moving between
// the two lists. Periods and checks themselves are tested against the core (scope_test.cpp).
#include "attendance/ui/scope_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableView>
#include <QToolButton>

#include "people/group_store.h"
#include "people/store_fixture.h"
#include "attendance/report_fixture.h"
#include "attendance/store_report_source.h"
#include "attendance/ui/persons_box.h"
#include "attendance/ui/pick_list_dialog.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "support/modal_script.h"

using namespace horalog;
using horalog::testing::At;
using horalog::testing::Hm;
using horalog::testing::ModalScript;
using horalog::testing::PeopleStoreTest;

namespace {

class ScopeDialogs : public PeopleStoreTest {
protected:
    void SetUp() override {
        PeopleStoreTest::SetUp();
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
    }
    void AddHolder(int card, const char* name, int group = 1) {
        HolderRecord h;
        h.cardno = card;
        h.name = name;
        h.workgrp = group;
        StaffTable(src()).append(h);
    }
    int AddGroup(WorkGroup g) { return StoreGroup(src(), g, messages); }
    QString Setting(const char* name) { return ReadSettingText(name, "<none>"); }

    const DateTime now = At("2004-06-30 10:00");
};

TEST_F(ScopeDialogs, SetScopeRestoresItsSettingsButAlwaysOpensOnAll) {
    WriteSettingInt("PrintPersons", 2);
    WriteSettingInt("PrintDateRange", 5);
    WriteSettingInt("PrintRecordsScope", 2);
    WriteSettingInt("PrintRecordsFormat", 3);
    WriteSettingInt("PrintRecordsPerLine", 8);
    WriteSettingBool("PrintBlankLines", true);
    WriteSettingBool("PrintPreviewOnly", false);
    TSetScope d(src(), messages, now);
    EXPECT_TRUE(d.personsBox()->allButton()->isChecked());
    EXPECT_FALSE(d.personsBox()->groupList()->isEnabled());
    EXPECT_FALSE(d.personsBox()->pickListButton()->isEnabled());
    EXPECT_TRUE(d.periodButton(PeriodChoice::Range)->isChecked());
    EXPECT_TRUE(d.fromPicker()->isEnabled());
    EXPECT_TRUE(d.recordsButton(RecordsOfInterest::InOut)->isChecked());
    EXPECT_TRUE(d.formatButton(3)->isChecked());
    EXPECT_TRUE(d.perLineButton(8)->isChecked());
    EXPECT_TRUE(d.optionBox(ScopeControl::BlankLines)->isChecked());
    EXPECT_FALSE(d.optionBox(ScopeControl::PreviewOnly)->isChecked());
    EXPECT_TRUE(d.optionBox(ScopeControl::Enhanced)->isChecked());  // default on
    EXPECT_EQ(d.fromPicker()->displayFormat(), "MMMM d, yyyy dddd");
    EXPECT_EQ(d.fromPicker()->text(), "June 30, 2004 Wednesday");

    // Values the dialog does not know keep the defaults.
    WriteSettingInt("PrintDateRange", 9);
    WriteSettingInt("PrintRecordsPerLine", 5);
    TSetScope fresh(src(), messages, now);
    EXPECT_TRUE(fresh.periodButton(PeriodChoice::ThisWeek)->isChecked());
    EXPECT_FALSE(fresh.fromPicker()->isEnabled());
    EXPECT_TRUE(fresh.perLineButton(4)->isChecked());
}

TEST_F(ScopeDialogs, SetScopeConfirmStoresWhatTheOperatorChose) {
    WriteSettingInt("PrintPersons", 1);
    TSetScope d(src(), messages, now);
    d.show();
    d.personsBox()->listButton()->click();
    EXPECT_TRUE(d.personsBox()->pickListButton()->isEnabled());
    d.periodButton(PeriodChoice::LastMonth)->click();
    d.recordsButton(RecordsOfInterest::Clock)->click();
    d.formatButton(1)->click();
    d.perLineButton(6)->click();
    d.optionBox(ScopeControl::NewPage)->click();
    d.optionBox(ScopeControl::Enhanced)->click();
    // "To" before "From" passes unchecked in this dialog.
    d.periodButton(PeriodChoice::Range)->click();
    d.fromPicker()->setDateTime(QDateTime(QDate(2004, 6, 20), QTime(9, 0)));
    d.toPicker()->setDateTime(QDateTime(QDate(2004, 6, 10), QTime(9, 0)));
    d.confirmButton()->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.shown.isEmpty());

    EXPECT_EQ(Setting("PrintDateRange"), "5");
    EXPECT_EQ(Setting("PrintRecordsScope"), "1");
    EXPECT_EQ(Setting("PrintRecordsFormat"), "1");
    EXPECT_EQ(Setting("PrintRecordsPerLine"), "6");
    EXPECT_EQ(ReadSettingBool("PrintBreakPage", false), true);
    EXPECT_EQ(ReadSettingBool("PrintEnhance", true), false);
    EXPECT_EQ(Setting("PrintPersons"), "1");  // not this dialog's to store

    const ReportParameters p = d.parameters();
    EXPECT_EQ(p.persons, PersonsChoice::List);
    EXPECT_EQ(p.rangeFrom.date(), QDate(2004, 6, 20));
    EXPECT_EQ(p.rangeTo.date(), QDate(2004, 6, 10));
    EXPECT_EQ(p.recordsPerLine, 6);
}

TEST_F(ScopeDialogs, CancelStoresNothing) {
    TSetScope d(src(), messages, now);
    d.show();
    d.periodButton(PeriodChoice::All)->click();
    d.cancelButton()->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_FALSE(SettingExists("PrintDateRange"));
}

TEST_F(ScopeDialogs, ControlsCanBeHiddenAndKeepTheirValues) {
    WriteSettingInt("PrintRecordsFormat", 2);
    TSetScope d(src(), messages, now);
    d.show();
    for (ScopeControl c : {ScopeControl::Enhanced, ScopeControl::PreviewOnly,
                           ScopeControl::RecordFormat, ScopeControl::RecordsOfInterest}) {
        d.hideControl(c);
        EXPECT_FALSE(d.control(c)->isVisible());
    }
    EXPECT_TRUE(d.control(ScopeControl::RecordsPerLine)->isVisible());
    EXPECT_TRUE(d.control(ScopeControl::BlankLines)->isVisible());
    EXPECT_EQ(d.parameters().recordFormat, 2);
}

TEST_F(ScopeDialogs, LateScopeRefusesWithFocusAndStaysOpen) {
    WorkGroup broken = NewWorkGroup();
    broken.descx = "BROKEN";
    broken.wd_from_1 = Hm(17, 0);
    broken.wd_to_2 = Hm(9, 0);
    AddGroup(broken);

    struct Case {
        const char* what;
        std::function<void(TSetLateScope&)> act;
        bool overnight;
        ScopeField refused;
    };
    const Case cases[] = {
        {"To before From",
         [](TSetLateScope& d) {
             d.periodButton(PeriodChoice::Range)->click();
             d.toPicker()->setDateTime(d.fromPicker()->dateTime().addDays(-1));
         },
         false, ScopeField::From},
        {"a group whose hours end before they start",
         [](TSetLateScope& d) {
             d.personsBox()->groupButton()->click();
             d.personsBox()->groupList()->setCurrentText("BROKEN");
             emit d.personsBox()->groupList()->activated(
                 d.personsBox()->groupList()->currentIndex());
         },
         false, ScopeField::StdStart},
        {"overnight skips the checks",
         [](TSetLateScope& d) {
             d.toPicker()->setDateTime(d.fromPicker()->dateTime().addDays(-1));
         },
         true, ScopeField::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        TSetLateScope d(src(), messages, now);
        d.setOvernight(c.overnight);
        d.show();
        c.act(d);
        d.confirmButton()->click();
        EXPECT_EQ(d.refusedAt(), c.refused);
        if (c.refused == ScopeField::None) {
            EXPECT_EQ(d.result(), QDialog::Accepted);
            EXPECT_TRUE(messages.shown.isEmpty());
            continue;
        }
        EXPECT_NE(d.result(), QDialog::Accepted);
        EXPECT_EQ(messages.texts(), QStringList{"Invalid input."});
        EXPECT_EQ(messages.shown[0].kind, "error");
        if (c.refused == ScopeField::From) {
            EXPECT_EQ(d.focusWidget(), d.fromPicker());
        }
    }
}

TEST_F(ScopeDialogs, LateScopeStoresPersonsAndTheGroupsHours) {
    WorkGroup shop = NewWorkGroup();
    shop.descx = "SHOP";
    shop.wd_from_1 = Hm(7, 30);
    shop.wd_to_2 = Hm(16, 0);
    shop.sat_enable_1 = true;
    shop.ot_min = 30;
    AddGroup(shop);
    WriteSettingInt("LastOtFree", 7);
    {
        TSetLateScope d(src(), messages, now);
        EXPECT_FALSE(d.workingHoursBox()->isVisibleTo(&d));
        d.show();
        d.personsBox()->groupButton()->click();
        d.personsBox()->groupList()->setCurrentText("SHOP");
        emit d.personsBox()->groupList()->activated(d.personsBox()->groupList()->currentIndex());
        d.confirmButton()->click();
        ASSERT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_EQ(Setting("PrintPersons"), "1");
    const LateScopeHours h = LoadLateScopeHours();
    EXPECT_EQ(h.stdStart.toQDateTime().time(), QTime(7, 30));
    EXPECT_EQ(h.stdEnd.toQDateTime().time(), QTime(16, 0));
    EXPECT_TRUE(h.satEnable);
    EXPECT_EQ(h.overtime.minimum, 30);
    EXPECT_EQ(h.overtime.noPay, 7);  // a group does not carry it

    // The next dialog opens on the stored persons choice.
    TSetLateScope again(src(), messages, now);
    EXPECT_TRUE(again.personsBox()->groupButton()->isChecked());
    EXPECT_TRUE(again.personsBox()->groupList()->isEnabled());
}

TEST_F(ScopeDialogs, TwoSessionScopeChecksInOrder) {
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, QString>> settings;
        ScopeField refused;
    };
    const Case cases[] = {
        {"defaults pass", {}, ScopeField::None},
        {"session 2 starts before session 1",
         {{"LastStdStart2", "08:00:00"}, {"LastStdEnd2", "12:00:00"}},
         ScopeField::Std2Start},
        {"Saturday 2 without Saturday 1", {{"LastSatEnable2", "1"}}, ScopeField::Sat1Enable},
        {"Saturday 2 starts before Saturday 1 ends",
         {{"LastSatEnable1", "1"}, {"LastSatEnable2", "1"}, {"LastSatStart2", "12:00:00"}},
         ScopeField::Sat2Start},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
        for (const auto& [name, value] : c.settings) WriteSettingText(name, value);
        messages.clear();
        TSetnLateScope d(src(), messages, now);
        d.show();
        d.confirmButton()->click();
        EXPECT_EQ(d.refusedAt(), c.refused);
        EXPECT_EQ(d.result() == QDialog::Accepted, c.refused == ScopeField::None);
        EXPECT_EQ(messages.texts().size(), c.refused == ScopeField::None ? 0 : 1);
    }
}

TEST_F(ScopeDialogs, WhoScopeDefaultsAndStoresFiveSettings) {
    Twhoscope d(src(), now);
    EXPECT_EQ(d.windowTitle(), "Who's Status");
    EXPECT_TRUE(d.perLineButton(4)->isChecked());
    EXPECT_TRUE(d.formatButton(0)->isChecked());
    EXPECT_TRUE(d.newPageBox()->isChecked());
    EXPECT_TRUE(d.enhancedBox()->isChecked());
    EXPECT_TRUE(d.previewBox()->isChecked());
    EXPECT_EQ(d.dayPicker()->text(), "June 30, 2004 Wednesday");
    d.show();
    d.hideRecordsPerLine();
    EXPECT_FALSE(d.perLineBox()->isVisible());
    d.perLineButton(2)->click();
    d.formatButton(1)->click();
    d.newPageBox()->click();
    d.dayPicker()->setDate(QDate(2004, 6, 21));
    d.confirmButton()->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(Setting("PrintRecordsPerLine"), "2");
    EXPECT_EQ(Setting("PrintRecordsFormat"), "1");
    EXPECT_FALSE(ReadSettingBool("PrintBreakPage", true));
    EXPECT_FALSE(SettingExists("PrintDateRange"));
    EXPECT_EQ(d.parameters().dayOfInterest, At("2004-06-21"));
}

TEST_F(ScopeDialogs, SelectStaffsOffersPersonsAndPreview) {
    WorkGroup shop = NewWorkGroup();
    shop.descx = "SHOP";
    AddGroup(shop);
    TdlgStaffs d(src());
    EXPECT_EQ(d.windowTitle(), "Select Staffs");
    EXPECT_TRUE(d.preview());
    EXPECT_EQ(d.personsBox()->groupList()->currentText(), "DEFAULT");  // first by name
    d.show();
    d.personsBox()->groupButton()->click();
    d.personsBox()->groupList()->setCurrentText("SHOP");
    ReportParameters p;
    d.personsBox()->apply(p);
    EXPECT_EQ(p.persons, PersonsChoice::Group);
    EXPECT_EQ(p.groupName, "SHOP");
}

// ---- Pick list ----

std::vector<int> Cards(const PickListModel& m) {
    std::vector<int> out;
    for (int r = 0; r < m.rowCount(); ++r) out.push_back(m.row(r).cardno);
    return out;
}

TEST_F(ScopeDialogs, PickListMovesHoldersBothWaysAndTheReportFollows) {
    WorkGroup shop = NewWorkGroup();
    shop.descx = "SHOP";
    const int shopId = AddGroup(shop);
    AddHolder(30, "CAROL", shopId);
    AddHolder(10, "alice");
    AddHolder(20, "Bob", shopId);

    TPickList pick(src());
    EXPECT_EQ(pick.windowTitle(), "Pick List");
    EXPECT_EQ(pick.memberBox()->title(), "Allowed Member (0 records)");
    EXPECT_EQ(pick.nonMemberBox()->title(), "Denied Member (3 records)");
    EXPECT_EQ(Cards(pick.nonMembers()), (std::vector<int>{10, 20, 30}));  // by name, any case

    pick.show();
    // Add by button on the current row, then by double click on another.
    pick.nonMemberGrid()->setCurrentIndex(pick.nonMembers().index(1, 0));
    pick.addButton()->click();
    const QModelIndex carol = pick.nonMembers().index(1, 0);
    ASSERT_EQ(pick.nonMembers().row(1).cardno, 30);
    emit pick.nonMemberGrid()->doubleClicked(carol);
    EXPECT_EQ(Cards(pick.members()), (std::vector<int>{20, 30}));
    EXPECT_EQ(Cards(pick.nonMembers()), (std::vector<int>{10}));
    EXPECT_EQ(pick.memberBox()->title(), "Allowed Member (2 records)");
    EXPECT_EQ(pick.nonMemberBox()->title(), "Denied Member (1 records)");

    // What the list chose is what "List" selects.
    StoreReportSource source(store);
    ReportParameters p;
    p.persons = PersonsChoice::List;
    std::vector<int> picked;
    for (const auto& h : OpenSelectedHolders(source, p)) picked.push_back(h.holder.cardno);
    EXPECT_EQ(picked, (std::vector<int>{20, 30}));

    // Remove by double click on the upper grid, then Remove All.
    emit pick.memberGrid()->doubleClicked(pick.members().index(0, 0));
    EXPECT_EQ(Cards(pick.members()), (std::vector<int>{30}));
    pick.removeAllButton()->click();
    EXPECT_EQ(Cards(pick.members()), std::vector<int>{});
    EXPECT_EQ(pick.nonMembers().rowCount(), 3);
    // Removing from an empty list does nothing.
    pick.removeButton()->click();
    EXPECT_EQ(pick.nonMembers().rowCount(), 3);
    // Only PICKED changed.
    EXPECT_EQ(StaffTable(src()).byCard(20)->workgrp, shopId);
}

TEST_F(ScopeDialogs, PickListSortsByTheClickedTitleThenByNameAndKeepsIt) {
    WorkGroup shop = NewWorkGroup();
    shop.descx = "ALPHA";
    const int alpha = AddGroup(shop);
    AddHolder(3, "ZED", alpha);
    AddHolder(1, "MAX");
    AddHolder(2, "ANN", alpha);
    {
        TPickList pick(src());
        pick.show();
        pick.nonMemberGrid()->horizontalHeader()->sectionClicked(PickListModel::CardColumn);
        EXPECT_EQ(Cards(pick.nonMembers()), (std::vector<int>{1, 2, 3}));
        pick.nonMemberGrid()->horizontalHeader()->sectionClicked(PickListModel::GroupColumn);
        // ALPHA before DEFAULT, and within ALPHA by name.
        EXPECT_EQ(Cards(pick.nonMembers()), (std::vector<int>{2, 3, 1}));
        pick.closeButton()->click();
    }
    EXPECT_EQ(Setting("PL_nonmember"), "DESCX");
    EXPECT_FALSE(SettingExists("PL_member"));
    EXPECT_FALSE(
        QSettings(SettingsFilePath(), QSettings::IniFormat).allKeys().filter("PickList").isEmpty());
    TPickList again(src());
    EXPECT_EQ(again.nonMembers().sortColumn(), PickListModel::GroupColumn);
    EXPECT_EQ(again.members().sortColumn(), PickListModel::NameColumn);
}

TEST_F(ScopeDialogs, PickListButtonOpensTheListFromThePersonsBox) {
    AddHolder(10, "ALICE");
    TSetScope d(src(), messages, now);
    d.show();
    d.personsBox()->listButton()->click();
    ModalScript script({{"Pick List", [](QDialog* dlg) {
                             auto* pick = qobject_cast<TPickList*>(dlg);
                             ASSERT_TRUE(pick);
                             pick->addButton()->click();
                             pick->closeButton()->click();
                         }}});
    d.personsBox()->pickListButton()->click();
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(StaffTable(src()).byCard(10)->picked);
}

}  // namespace
