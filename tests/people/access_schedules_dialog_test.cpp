// The picture of the Access Schedules window in docs/ is made here:
//   HORALOG_WRITE_DOCS=1 build/test_people --gtest_filter='AccessSchedulesWindow*'
#include "people/ui/access_schedules_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QTableWidget>

#include "people/time_profiles.h"
#include "storage/audit.h"
#include "storage/staff_table.h"
#include "store_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class AccessSchedulesWindow : public PeopleStoreTest {
protected:
    void type(TAccessSchedules& w, int period, const char* start, const char* end) {
        w.periodBox(period)->setChecked(true);
        w.periodStart(period)->setText(start);
        w.periodEnd(period)->setText(end);
    }
    qint64 auditRows() { return AuditLog(src()).count(); }
};

// The editor refuses what cannot be a schedule, with the message naming the fault, and
// stores nothing; a good profile is stored with its audit row.
TEST_F(AccessSchedulesWindow, ChecksBeforeSaving) {
    TAccessSchedules w(src(), messages);
    ASSERT_EQ(w.profileList()->count(), 1);  // "Always"
    EXPECT_FALSE(w.nameBox()->isEnabled());
    struct Case {
        const char* s1;
        const char* e1;
        const char* s2;  // nullptr: no second period
        const char* e2;
        bool lastBeforeFirst;
        QString message;
    };
    const Case cases[] = {
        {"07:00", "07:00", nullptr, nullptr, false, "Period 1 (07:00-07:00) has no length."},
        {"07:00", "12:00", "11:30", "13:00", false,
         "Periods 1 (07:00-12:00) and 2 (11:30-13:00) overlap."},
        {"22:00", "06:00", "05:00", "08:00", false,
         "Periods 1 (22:00-06:00) and 2 (05:00-08:00) overlap."},
        {"07:00", "25:00", nullptr, nullptr, false,
         "Period 1: enter the times as HH:MM (00:00 to 24:00)."},
        {"07:00", "19:00", nullptr, nullptr, true, "The last valid date is before the first."},
    };
    for (const Case& c : cases) {
        w.newProfile();
        w.nameBox()->setText("Contractors");
        type(w, 0, c.s1, c.e1);
        if (c.s2) type(w, 1, c.s2, c.e2);
        if (c.lastBeforeFirst) {
            w.firstBox()->setChecked(true);
            w.firstDate()->setDate(QDate(2026, 3, 10));
            w.lastBox()->setChecked(true);
            w.lastDate()->setDate(QDate(2026, 3, 9));
        }
        messages.clear();
        EXPECT_FALSE(w.saveProfile()) << c.message.toStdString();
        EXPECT_EQ(messages.last(), c.message);
    }
    EXPECT_EQ(ScheduleStore(src()).profiles().size(), 1u);
    EXPECT_EQ(auditRows(), 0);

    w.newProfile();
    w.nameBox()->setText("Contractors");
    type(w, 0, "07:00", "19:00");
    type(w, 1, "22:00", "00:00");  // to midnight
    ASSERT_TRUE(w.saveProfile()) << messages.last().toStdString();
    const auto stored = ScheduleStore(src()).profiles();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(ProfileText(stored[1]),
              "Contractors: 07:00-19:00 22:00-24:00, Mon Tue Wed Thu Fri, not on holidays");
    EXPECT_EQ(auditRows(), 1);
}

// Deleting a profile in use names the count; Cancel keeps everything, OK moves the holders
// to "Always".
TEST_F(AccessSchedulesWindow, DeleteInUseAsksAndMovesHolders) {
    TimeProfile p;
    p.name = "Cleaners";
    p.periods = {{18 * 60, 22 * 60}};
    p.days.fill(true);
    const int id = ScheduleStore(src()).saveProfile(p);
    for (int card : {1, 2}) {
        HolderRecord h;
        h.cardno = card;
        h.name = QString("H%1").arg(card);
        h.workgrp = 1;
        h.accessgrp = id;
        StaffTable(src()).append(h);
    }
    TAccessSchedules w(src(), messages);
    w.profileList()->setCurrentRow(1);
    EXPECT_EQ(w.nameBox()->text(), "Cleaners");
    messages.answerNext(false);
    w.deleteProfile();
    EXPECT_EQ(messages.last(),
              "2 holder(s) use the profile \"Cleaners\". Delete it and move them to \"Always\"?");
    EXPECT_EQ(ScheduleStore(src()).holdersOn(id), 2);
    w.profileList()->setCurrentRow(1);
    w.deleteProfile();
    EXPECT_EQ(ScheduleStore(src()).holdersOn(kAlwaysProfile), 2);
    EXPECT_EQ(w.profileList()->count(), 1);
}

TEST_F(AccessSchedulesWindow, Picture) {
    ScheduleStore store(src());
    TimeProfile office;
    office.name = "Office hours";
    office.periods = {{7 * 60, 19 * 60}};
    office.days = {true, true, true, true, true, false, false};
    store.saveProfile(office);
    TimeProfile night;
    night.name = "Night security";
    night.periods = {{22 * 60, 6 * 60}, {12 * 60, 13 * 60}};
    night.days = {true, true, true, true, true, true, false};
    night.onHolidays = true;
    store.saveProfile(night);
    store.saveHoliday({QDate(2026, 12, 25), "Christmas Day"});
    store.saveHoliday({QDate(2027, 1, 1), "New Year's Day"});
    TAccessSchedules w(src(), messages);
    w.resize(1100, 460);
    w.profileList()->setCurrentRow(1);  // by name after "Always"
    EXPECT_EQ(w.nameBox()->text(), "Night security");
    EXPECT_EQ(w.holidayList()->rowCount(), 2);
    w.show();
    QPixmap shot = w.grab();
    EXPECT_GT(shot.width(), 300);
    if (qEnvironmentVariableIntValue("HORALOG_WRITE_DOCS") == 1) {
        EXPECT_TRUE(shot.save(SourcePath("docs/access_schedules.png")));
    }
}

}  // namespace
