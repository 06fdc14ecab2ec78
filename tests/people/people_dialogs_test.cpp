// Flow of the people dialogs: focus moves, refusals that keep a dialog open, what a button
// leaves behind. The checks themselves are tested against the core.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>

#include "people/store_fixture.h"
#include "people/ui/attendance_record_dialogs.h"
#include "people/ui/group_dialogs.h"
#include "people/ui/holder_dialogs.h"
#include "storage/lookups.h"
#include "storage/staff_table.h"

using namespace horalog;
using horalog::testing::PeopleStoreTest;
using horalog::testing::RecordingFileDialogs;
using horalog::testing::RecordingProgress;

namespace {

using PeopleDialogs = PeopleStoreTest;

TEST_F(PeopleDialogs, GroupEditorFocusesTheFieldAtFault) {
    struct Case {
        const char* what;
        std::function<void(TDlgGrpDef&)> edit;
        std::function<QWidget*(TDlgGrpDef&)> focus;
        QStringList shown;
    };
    const Case cases[] = {
        {"blank name",
         [](TDlgGrpDef& d) { d.nameBox()->setText("  "); },
         [](TDlgGrpDef& d) { return d.nameBox(); },
         {"Invalid input."}},
        {"overwrite cancelled",
         [](TDlgGrpDef& d) { d.nameBox()->setText("default"); },
         [](TDlgGrpDef& d) { return d.nameBox(); },
         {"Are you sure to overwrite this record?"}},
        {"Saturday 2 without 1",
         [](TDlgGrpDef& d) {
             d.nameBox()->setText("OFFICE");
             d.saturdayBox(2)->setChecked(true);
         },
         [](TDlgGrpDef& d) { return d.saturdayBox(1); },
         {"Invalid input."}},
        {"session 1 ends before it starts",
         [](TDlgGrpDef& d) {
             d.nameBox()->setText("OFFICE");
             d.timeBox(GroupField::WdTo1)->setTime(QTime(8, 0));
         },
         [](TDlgGrpDef& d) { return d.timeBox(GroupField::WdFrom1); },
         {"Invalid input."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        messages.answerNext(false);  // Cancel on the overwrite question
        TDlgGrpDef dialog(src(), NewWorkGroup(), messages);
        dialog.show();
        c.edit(dialog);
        dialog.confirmButton()->click();
        EXPECT_EQ(dialog.focusWidget(), c.focus(dialog));
        EXPECT_EQ(messages.texts(), c.shown);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
    }

    TDlgGrpDef dialog(src(), NewWorkGroup(), messages);
    dialog.nameBox()->setText(" store ");
    dialog.confirmButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.group().descx, "STORE");
}

TEST_F(PeopleDialogs, GroupListKeepsTheDefaultGroup) {
    WorkGroup g = NewWorkGroup();
    g.descx = "OFFICE";
    StoreGroup(src(), g, messages);
    TDlgGrpList list(src(), messages);
    ASSERT_EQ(list.model()->rowCount(), 2);
    list.grid()->selectRow(0);
    list.deleteGroup();
    EXPECT_EQ(messages.texts(), QStringList{"Cannot delete default group."});
    list.grid()->selectRow(1);
    list.deleteGroup();
    EXPECT_EQ(list.model()->rowCount(), 1);
    EXPECT_EQ(list.model()->data(list.model()->index(0, 0), Qt::DisplayRole), "DEFAULT");
    EXPECT_EQ(list.model()->data(list.model()->index(0, 1), Qt::DisplayRole), "AM09:00");
    EXPECT_EQ(list.model()->data(list.model()->index(0, 5), Qt::CheckStateRole), Qt::Unchecked);
}

TEST_F(PeopleDialogs, TimeTableAddsPerGroupAndRefusesWithFocusOnIn) {
    WorkGroup g = NewWorkGroup();
    g.descx = "OFFICE";
    const int office = StoreGroup(src(), g, messages);
    TFmTimeTbl table(src(), messages);
    table.show();
    ASSERT_EQ(table.groupBox()->currentText(), "DEFAULT");  // first in name order
    table.addPeriod();                                      // 09:00 to 14:00
    EXPECT_EQ(table.model()->rowCount(), 1);
    table.inBox()->setTime(QTime(8, 0));
    table.outBox()->setTime(QTime(9, 0));
    table.outBox()->setFocus();
    table.addPeriod();
    EXPECT_EQ(messages.texts(), QStringList{"Time overlapped."});
    EXPECT_EQ(table.focusWidget(), table.inBox());
    EXPECT_EQ(table.model()->rowCount(), 1);

    table.groupBox()->setCurrentIndex(table.groupBox()->findText("OFFICE"));
    EXPECT_EQ(table.model()->rowCount(), 0);
    table.addPeriod();  // 08:00 to 09:00 is free in OFFICE
    EXPECT_EQ(TimetableOf(src(), office).size(), 1u);

    // A click on a row copies its times into the pickers.
    table.groupBox()->setCurrentIndex(table.groupBox()->findText("DEFAULT"));
    emit table.grid()->clicked(table.model()->index(0, 1));
    EXPECT_EQ(table.inBox()->time(), QTime(9, 0));
    EXPECT_EQ(table.outBox()->time(), QTime(14, 0));
}

TEST_F(PeopleDialogs, HolderEditorStaysOpenOnRefusals) {
    HolderRecord ann;
    ann.cardno = 1;
    ann.name = "Ann Lee";
    StaffTable(src()).append(ann);
    RecordingFileDialogs files;
    RecordingProgress progress;

    Tnadd editor(src(), 2, messages, files, progress);
    editor.show();
    EXPECT_FALSE(editor.nameBox()->isReadOnly());
    EXPECT_EQ(editor.groupBox()->currentText(), "DEFAULT");
    for (const char* typed : {"   ", " ann lee "}) {
        editor.nameBox()->setText(typed);
        editor.confirmButton()->setFocus();
        editor.confirmButton()->click();
        EXPECT_EQ(editor.focusWidget(), editor.nameBox()) << typed;
        EXPECT_NE(editor.result(), QDialog::Accepted);
    }
    EXPECT_EQ(messages.texts(), (QStringList{"Incorrect name.", "Name has been used."}));
    EXPECT_EQ(editor.nameBox()->text(), "ann lee");  // trimmed back into the box

    editor.nameBox()->setText("Bo");
    editor.confirmButton()->click();
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(std::pair(editor.state().picture.width, editor.state().picture.height),
              std::pair(240, 320));

    Tnadd existing(src(), 1, messages, files, progress);
    EXPECT_FALSE(existing.nameBox()->isReadOnly());  // a name can be corrected
    EXPECT_EQ(existing.nameCount()->text(), "7/16");
    existing.nameBox()->setText("Annabel Lee-Smith");  // 17: the box takes 16 and says so
    EXPECT_EQ(existing.nameBox()->text(), "Annabel Lee-Smit");
    EXPECT_EQ(existing.nameCount()->text(), "16/16, the longest a name can be");
    messages.answerNext(true);
    existing.deleteButton()->click();
    EXPECT_EQ(existing.result(), QDialog::Accepted);
    EXPECT_TRUE(existing.state().name.isEmpty());
}

// Fields take no more than their columns hold, and a field that cannot be edited looks so.
TEST_F(PeopleDialogs, FieldsSayWhatTheyTake) {
    HolderRecord ann;
    ann.cardno = 1;
    ann.name = "Ann Lee";
    StaffTable(src()).append(ann);
    RecordingFileDialogs files;
    RecordingProgress progress;
    auto looksReadOnly = [](QLineEdit* e) {
        return e->isReadOnly() &&
               e->palette().color(QPalette::Base) == e->palette().color(QPalette::Window);
    };

    Tnadd fresh(src(), 2, messages, files, progress);
    fresh.nameBox()->setText(QString(20, 'N'));
    EXPECT_EQ(fresh.nameBox()->text().size(), 16);
    EXPECT_FALSE(looksReadOnly(fresh.nameBox()));
    EXPECT_TRUE(looksReadOnly(fresh.findChild<QLineEdit*>("edCard")));

    Tnadd existing(src(), 1, messages, files, progress);
    EXPECT_FALSE(looksReadOnly(existing.nameBox()));  // names can be corrected
    EXPECT_EQ(existing.nameBox()->text(), "Ann Lee");

    TDlgGrpDef group(src(), NewWorkGroup(), messages);
    group.nameBox()->setText(QString(25, 'G'));
    EXPECT_EQ(group.nameBox()->text().size(), 20);
}

TEST_F(PeopleDialogs, CardListRefreshesAfterAnEdit) {
    for (int card : {1, 2}) {
        HolderRecord h;
        h.cardno = card;
        h.name = QString("Holder %1").arg(card);
        StaffTable(src()).append(h);
    }
    int edited = 0;
    TCardInfo list(src(), messages, [&](int card) {
        edited = card;
        return StaffTable(src()).removeByCard(card);
    });
    EXPECT_EQ(list.box()->title(), "Used (2 cards)");
    list.grid()->selectRow(1);
    list.editCurrent();
    EXPECT_EQ(edited, 2);
    EXPECT_TRUE(list.changed());
    EXPECT_EQ(list.box()->title(), "Used (1 cards)");
    EXPECT_EQ(list.grid()->currentIndex().row(), 0);  // the card is gone: the first row
    list.editCurrent();
    messages.clear();
    list.editCurrent();
    EXPECT_EQ(messages.texts(), QStringList{"No record."});
}

TEST_F(PeopleDialogs, AddRecordStaysOpenAndNeedsAKnownName) {
    HolderRecord h;
    h.cardno = 77;
    h.name = "Ann Lee";
    StaffTable(src()).append(h);
    const DateTime now = EncodeDateTime(2004, 6, 26, 8, 15, 42);
    TDlgAddRecord dialog(att(), src(), now, messages);
    dialog.show();
    EXPECT_EQ(dialog.dateBox()->text(), "Jun 26, 2004 (Sat)");
    EXPECT_EQ(dialog.timeBox()->text(), "08:15");

    dialog.nameBox()->setEditText("Nobody");
    EXPECT_TRUE(dialog.holder()->cardBox()->text().isEmpty());
    dialog.add();
    EXPECT_EQ(messages.texts(), QStringList{"Error adding record into the database"});
    EXPECT_EQ(LogTable(att()).count(), 0);

    messages.clear();
    dialog.nameBox()->setEditText("ANN LEE");
    EXPECT_EQ(dialog.holder()->cardBox()->text(), "77");
    EXPECT_FALSE(dialog.holder()->photo()->isVisible());  // no photo: the box is hidden
    dialog.readerBox()->setCurrentIndex(2);
    dialog.modeBox()->setCurrentIndex(1);
    dialog.add();
    dialog.add();
    EXPECT_EQ(messages.texts(), (QStringList{"Record Added", "Record Added"}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.added());
    const auto row = LogTable(att()).last();
    EXPECT_EQ(std::tuple(row->systime, row->cardno, row->mode, row->reader, row->lock),
              std::tuple(EncodeDateTime(2004, 6, 26, 8, 15, 0), 77, 1, 3, 0));
}

TEST_F(PeopleDialogs, EditRecordClosesEitherWay) {
    LogRecord r;
    r.systime = EncodeDateTime(2004, 6, 26, 8, 0, 37);
    r.cardno = 5;
    r.reader = 9;
    LogTable(att()).append(r);
    TDlgEditRecord dialog(att(), src(), r, messages);
    dialog.update();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(LogTable(att()).find(r.id)->systime, EncodeDateTime(2004, 6, 26, 8, 0, 0));

    LogTable(att()).remove(r.id);
    TDlgEditRecord gone(att(), src(), r, messages);
    gone.update();
    EXPECT_EQ(gone.result(), QDialog::Rejected);
    EXPECT_EQ(messages.last(), "Error updating record into the database");
}

}  // namespace
