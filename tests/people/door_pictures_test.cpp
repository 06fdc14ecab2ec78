// The pictures of the holder editor with its door rights and of the Door Access window in
// docs/ are made here: HORALOG_WRITE_DOCS=1 build/test_people --gtest_filter='DoorPictures*'
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QTableView>

#include "people/holder_store.h"
#include "people/ui/door_access_dialog.h"
#include "people/ui/holder_dialogs.h"
#include "storage/staff_table.h"
#include "store_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class DoorPictures : public PeopleStoreTest {
protected:
    void SetUp() override {
        PeopleStoreTest::SetUp();
        const char* doors[] = {"Front door", "Back door", "Store room", "Office"};
        for (int p = 1; p <= 4; ++p) {
            auto q = src().prepare("UPDATE reader SET \"DESC\" = ?, ENABLE = 1 WHERE PORTNO = ?");
            q.bindAll(QString(doors[p - 1]), p);
            q.exec();
        }
        src().execute("INSERT INTO gid (DESCX) VALUES ('SALES'), ('STORE')");
        const char* names[] = {"ANN LEE", "BOB KING", "CARL MAY", "DORA FOX",
                               "ED HUNT", "FAY COLE", "GUS REED", "HAL WEST"};
        for (int i = 0; i < 8; ++i) {
            HolderRecord h;
            h.cardno = 1234560 + i;
            h.name = names[i];
            h.workgrp = 1 + i % 3;
            h.com[0] = true;
            h.com[1] = i % 2 == 0;
            h.com[2] = i % 3 == 2;
            StaffTable(src()).append(h);
        }
    }
    // Renders the window; writes it to docs/ when asked to.
    void picture(QWidget& w, const char* file) {
        w.show();
        QPixmap shot = w.grab();
        EXPECT_GT(shot.width(), 300);
        if (qEnvironmentVariableIntValue("HORALOG_WRITE_DOCS") == 1) {
            EXPECT_TRUE(shot.save(SourcePath(QString("docs/") + file)));
        }
    }
    RecordingFileDialogs files;
    NoProgress progress;
};

TEST_F(DoorPictures, HolderEditorWithDoorRights) {
    Tnadd editor(src(), 1234560, messages, files, progress);
    EXPECT_EQ(editor.doorBox(1)->text(), "Front door (COM1)");
    EXPECT_TRUE(editor.doorBox(1)->isChecked());
    EXPECT_TRUE(editor.doorBox(2)->isChecked());
    EXPECT_FALSE(editor.doorBox(3)->isChecked());
    picture(editor, "holder_editor_doors.png");
}

TEST_F(DoorPictures, DoorAccessWindow) {
    TDoorAccess access(src(), messages);
    access.resize(1000, 480);
    access.groupFilter()->setCurrentText("DEFAULT");
    EXPECT_EQ(access.model()->rowCount(), 3);
    access.groupFilter()->setCurrentIndex(0);
    EXPECT_EQ(access.model()->rowCount(), 8);
    access.grid()->selectRow(1);
    picture(access, "door_access.png");
}

}  // namespace
