#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>

#include "capture_fixture.h"
#include "people/holder_store.h"
#include "people/time_profiles.h"
#include "people/ui/door_access_dialog.h"
#include "people/ui/holder_dialogs.h"
#include "storage/audit.h"
#include "support/recording_ports.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class DoorRights : public OnBothEngines<CaptureFixture> {
protected:
    std::vector<AuditRecord> auditRows() {
        std::vector<AuditRecord> out;
        AuditLog(store.src()).forEach({}, [&](const AuditRecord& r) {
            out.push_back(r);
            return true;
        });
        return out;
    }
    RecordingMessages messages;
    RecordingFileDialogs files;
    NoProgress progress;
};

// The whole road: a right ticked in the holder editor opens the door of an IN reader, and
// the same right cleared in "Door Access" shuts it again. Each change leaves one audit row.
TEST_P(DoorRights, EditorGrantsAndDoorAccessRevokes) {
    setup({{.port = 1, .mode = 1, .lock = 1, .lockTime = 3, .desc = "Front door"},
           {.port = 2, .mode = 1, .lock = 2}});
    {
        Tnadd editor(store.src(), 100, messages, files, progress);
        EXPECT_EQ(editor.doorBox(1)->text(), "Front door (COM1)");
        EXPECT_EQ(editor.doorBox(2)->text(), "COM2");
        EXPECT_FALSE(editor.doorBox(1)->isChecked());  // a new holder gets no right by default
        editor.nameBox()->setText("ANN");
        editor.doorBox(1)->setChecked(true);
        editor.confirm();
        ASSERT_EQ(editor.result(), QDialog::Accepted) << messages.texts().join("|").toStdString();
        ASSERT_TRUE(SaveHolderEditor(store.src(), editor.state(), messages));
    }
    present(1, CardFrame(100));
    EXPECT_EQ(received()[0], QStringList{"~Y3"});
    EXPECT_EQ(rows().back().lock, 1);
    present(2, CardFrame(100));  // no right on COM2
    EXPECT_EQ(received()[1], QStringList{"~N"});

    {
        TDoorAccess access(store.src(), messages);
        access.nameSearch()->setText("an");
        ASSERT_EQ(access.model()->rowCount(), 1);
        EXPECT_EQ(access.model()->headerData(DoorAccessModel::FirstDoorColumn, Qt::Horizontal,
                                             Qt::DisplayRole),
                  "Front door (COM1)");
        access.grid()->selectRow(0);
        access.readerChoice()->setCurrentIndex(0);
        access.setSelected(false);
        EXPECT_TRUE(access.changed());
    }
    present(1, CardFrame(100));
    EXPECT_EQ(received()[0], QStringList{"~N"});
    EXPECT_EQ(rows().back().lock, 0);

    const auto audit = auditRows();
    ASSERT_EQ(audit.size(), 2u);
    EXPECT_EQ(audit[0].action, audit::kHolderAdded);
    EXPECT_EQ(audit[0].subject, "100 ANN");
    EXPECT_EQ(audit[0].oldText, "");
    EXPECT_EQ(audit[0].newText, "name ANN, card 100, group DEFAULT, may pass at COM1");
    EXPECT_EQ(audit[1].action, audit::kHolderChanged);
    EXPECT_EQ(audit[1].oldText, "name ANN, card 100, group DEFAULT, may pass at COM1");
    EXPECT_EQ(audit[1].newText, "name ANN, card 100, group DEFAULT, may pass at none");
}

// A new holder starts with the rights of the setting the Door Access window writes; an
// existing holder keeps its own.
TEST_P(DoorRights, NewHolderRightsComeFromTheSetting) {
    {
        TDoorAccess access(store.src(), messages);
        access.newHolderBox(2)->setChecked(true);
        access.newHolderBox(4)->setChecked(true);
    }
    EXPECT_EQ(ReadSettingText(kNewHolderRightsSetting, ""), "2,4");
    HolderEditorState fresh = LoadHolderEditor(store.src(), 300);
    EXPECT_EQ(RightsText(fresh.rights), "COM2 COM4");
    holder(301, "BOB", {1});
    EXPECT_EQ(RightsText(LoadHolderEditor(store.src(), 301).rights), "COM1");
}

// Setting a right for many selected holders is one transaction with one audit row per holder
// whose right changed; a failure in the middle leaves neither rights nor audit rows.
TEST_P(DoorRights, BulkSetIsAllOrNothing) {
    holder(1, "A", {});
    holder(2, "B", {3});
    holder(3, "C", {});
    DoorAccessModel model(store.src());
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.setRight({0, 1, 2}, 3, true), 2);  // B had it already
    EXPECT_EQ(auditRows().size(), 2u);
    for (int r = 0; r < 3; ++r) EXPECT_TRUE(model.row(r).rights[2]) << r;

    // The audit row of the third holder cannot be written: nothing of the change stays.
    store.src().execute(
        "CREATE TRIGGER refuse_c BEFORE INSERT ON audit WHEN NEW.SUBJECT = '3 C' "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    EXPECT_THROW(model.setRight({0, 1, 2}, 3, false), DbError);
    EXPECT_EQ(auditRows().size(), 2u);
    for (int card : {1, 2, 3}) EXPECT_TRUE(StaffTable(store.src()).byCard(card)->com[2]) << card;
}

}  // namespace

namespace {

// "Set Profile" in Door Access puts the selected holders on a schedule with an audit row each;
// the PROFILE column shows it, and the door follows it.
TEST_P(DoorRights, DoorAccessSetsTheProfile) {
    setup({{.port = 1, .mode = 1, .lock = 1, .lockTime = 3}});
    TimeProfile p;
    p.name = "Mornings";
    p.periods = {{6 * 60, 12 * 60}};
    p.days.fill(true);
    const int id = ScheduleStore(store.src()).saveProfile(p);
    holder(100, "ANN", {1});
    holder(200, "BOB", {1});
    {
        TDoorAccess access(store.src(), messages);
        EXPECT_EQ(access.model()->data(access.model()->index(0, DoorAccessModel::ProfileColumn),
                                       Qt::DisplayRole),
                  "Always");
        access.grid()->selectRow(0);  // ANN
        access.profileChoice()->setCurrentText("Mornings");
        access.setSelectedProfile();
        EXPECT_TRUE(access.changed());
        EXPECT_EQ(access.model()->data(access.model()->index(0, DoorAccessModel::ProfileColumn),
                                       Qt::DisplayRole),
                  "Mornings");
    }
    EXPECT_EQ(StaffTable(store.src()).byCard(100)->accessgrp, id);
    EXPECT_EQ(StaffTable(store.src()).byCard(200)->accessgrp, kAlwaysProfile);
    const auto audit = auditRows();
    ASSERT_EQ(audit.size(), 2u);  // the profile, then ANN
    EXPECT_EQ(audit[1].newText,
              "name ANN, card 100, group DEFAULT, may pass at COM1, profile Mornings");

    now = EncodeDateTime(2004, 6, 22, 13, 0, 0);
    present(1, CardFrame(100));
    EXPECT_EQ(received()[0], QStringList{"~N"});
    present(1, CardFrame(200));
    EXPECT_EQ(received()[0], QStringList{"~Y3"});
}

INSTANTIATE_TEST_SUITE_P(Engines, DoorRights, kBothEngines, EngineName);

}  // namespace
