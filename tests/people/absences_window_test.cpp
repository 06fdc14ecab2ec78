// The Absences window, the holder editor's absence list and the Absence Types editor, driven
// under the offscreen platform over a real data folder.

#include "people/ui/absences_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include "people/time_profiles.h"
#include "people/ui/absence_types_dialog.h"
#include "storage/log_table.h"
#include "storage/store.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class AbsencesWindow : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDataFolder(data.path());
        store = std::make_unique<Tdsrc>(data.path());
        store->OpenStore();
        store->src().execute("INSERT INTO staffs (CARDNO, NAME) VALUES (100, 'ANN')");
        store->src().execute("INSERT INTO staffs (CARDNO, NAME) VALUES (200, 'BOB')");
        LogRecord r;
        r.systime = DateTime::fromDate(QDate(2026, 12, 2)).addDays(0.35);
        r.cardno = 100;
        r.mode = 1;
        r.reader = 1;
        LogTable(store->att()).append(r);
        ScheduleStore(store->src()).saveHoliday({QDate(2026, 12, 25), "Christmas Day"});
    }
    std::vector<Absence> stored(int card) {
        return AbsenceStore(store->src()).absences(card, std::nullopt, std::nullopt);
    }
    static void Click(QWidget& w, const char* name) {
        auto* b = w.findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    static void Select(TAbsences& w, int row, std::initializer_list<int> days) {
        auto* sel = w.grid()->selectionModel();
        sel->clearSelection();
        for (int d : days)
            sel->select(w.grid()->model()->index(row, d), QItemSelectionModel::Select);
    }
    static void ChooseType(QComboBox* box, const char* code) {
        box->setCurrentIndex(box->findData(QString(code)));
    }

    TempDataFolder data;
    std::unique_ptr<Tdsrc> store;
    RecordingMessages messages;
};

TEST_F(AbsencesWindow, ThreeCellsBecomeOneAbsenceAndTheGridShowsIt) {
    TAbsences w(store->src(), store->att(), messages, QDate(2026, 12, 11));
    QAbstractItemModel* m = w.grid()->model();
    ASSERT_EQ(m->rowCount(), 2);
    ASSERT_EQ(m->columnCount(), 31);
    EXPECT_EQ(m->headerData(0, Qt::Vertical).toString(), "ANN");
    EXPECT_EQ(m->data(m->index(0, 1)).toString(), "•");   // ANN read on the 2nd
    EXPECT_EQ(m->data(m->index(1, 24)).toString(), "H");  // Christmas Day
    EXPECT_TRUE(m->data(m->index(0, 24), Qt::ToolTipRole).toString().contains("Christmas Day"));

    Select(w, 0, {20, 21, 22});
    ChooseType(w.typeBox(), "V");
    w.noteBox()->setText("family");
    Click(w, "bAdd");
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('\n').toStdString();
    const auto ann = stored(100);
    ASSERT_EQ(ann.size(), 1u);
    EXPECT_EQ(AbsenceDaysText(ann[0]), "2026-12-21 to 2026-12-23");
    EXPECT_EQ(ann[0].type, "V");
    EXPECT_EQ(ann[0].note, "family");
    EXPECT_EQ(m->data(m->index(0, 21)).toString(), "V");
    EXPECT_EQ(m->data(m->index(0, 21), Qt::BackgroundRole).value<QBrush>().color(),
              QColor("#6aa84f"));

    // Another type over a day of it: refused, naming the vacation.
    Select(w, 0, {22, 23});
    ChooseType(w.typeBox(), "S");
    Click(w, "bAdd");
    EXPECT_EQ(messages.texts().join('\n').toStdString(),
              "100 ANN already has an absence then: Vacation 2026-12-21 to 2026-12-23.");
    EXPECT_EQ(stored(100).size(), 1u);

    // Half days of two holders at once: one absence each.
    Select(w, 0, {27});
    w.grid()->selectionModel()->select(m->index(1, 27), QItemSelectionModel::Select);
    w.halfBox()->setCurrentIndex(2);
    Click(w, "bAdd");
    EXPECT_EQ(AbsenceDaysText(stored(200).at(0)), "2026-12-28 second half");
    EXPECT_EQ(m->data(m->index(1, 27)).toString(), "½S");
    EXPECT_EQ(m->data(m->index(0, 1), Qt::FontRole), QVariant());  // reads on a working day

    w.searchBox()->setText("bo");
    ASSERT_EQ(m->rowCount(), 1);
    EXPECT_EQ(m->headerData(0, Qt::Vertical).toString(), "BOB");
    w.searchBox()->clear();

    Select(w, 0, {21});
    Click(w, "bRemove");
    ASSERT_EQ(stored(100).size(), 1u);  // the half day of the 28th stays
    EXPECT_EQ(m->data(m->index(0, 21)).toString(), "");

    w.showMonth(QDate(2027, 2, 1));
    EXPECT_EQ(m->columnCount(), 28);
}

TEST_F(AbsencesWindow, HolderEditorListAddsAndRemovesAtOnce) {
    HolderAbsencesBox box(store->src(), 100, true, messages, QDate(2026, 12, 11));
    box.fromBox()->setDate(QDate(2026, 12, 24));
    ChooseType(box.typeBox(), "V");
    box.halfBox()->setCurrentIndex(1);
    box.addAbsence();
    ASSERT_EQ(box.list()->count(), 1);
    EXPECT_EQ(box.list()->item(0)->text(), "2026-12-24 first half  Vacation");
    box.addAbsence();  // the same half again
    EXPECT_TRUE(messages.texts().join('\n').contains("already has an absence then"));
    box.list()->setCurrentRow(0);
    box.removeAbsence();
    EXPECT_EQ(box.list()->count(), 0);
    EXPECT_TRUE(stored(100).empty());

    HolderAbsencesBox unsaved(store->src(), 300, false, messages, QDate(2026, 12, 11));
    EXPECT_FALSE(unsaved.isEnabled());
}

TEST_F(AbsencesWindow, TypesEditorAddsAndRefusesToDeleteATypeInUse) {
    AbsenceStore(store->src())
        .add({0, 100, QDate(2026, 12, 1), QDate(2026, 12, 1), HalfDay::Full, "V", QString()});
    TAbsenceTypes dialog(store->src(), messages);
    ASSERT_EQ(dialog.list()->rowCount(), 5);
    Click(dialog, "bNew");
    dialog.codeBox()->setText("t");
    dialog.nameBox()->setText("Training");
    dialog.paidBox()->setChecked(true);
    dialog.hoursChoice()->setCurrentIndex(1);
    dialog.hoursBox()->setValue(4);
    dialog.save();
    ASSERT_EQ(dialog.list()->rowCount(), 6);
    const auto t = AbsenceStore(store->src()).type("T");
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->paid);
    EXPECT_EQ(t->hours, 4);

    dialog.list()->setCurrentCell(5, 0);  // V, in use
    dialog.deleteType();
    EXPECT_EQ(messages.last(), "1 absence(s) are of type V Vacation: it cannot be deleted.");
    EXPECT_EQ(dialog.list()->rowCount(), 6);
}

// A month of a small office, as the README shows it.
TEST_F(AbsencesWindow, Picture) {
    const char* const names[] = {"ALICE MARTIN", "BRUNO KELLER", "CHLOE DURAND", "DANIEL NOVAK",
                                 "EMMA LARSEN",  "FARID HADDAD", "GRETA SILVA",  "HUGO BRANDT",
                                 "IRIS MOREAU",  "JONAS WEBER",  "KAREN OLSEN",  "LUCA ROSSI"};
    store->src().execute("DELETE FROM staffs");
    store->att().execute("DELETE FROM recorder");
    store->src().execute("UPDATE gid SET DESCX = 'OFFICE' WHERE ID = 1");
    LogTable log(store->att());
    for (int i = 0; i < 12; ++i) {
        const int card = 1001 + i;
        auto q =
            store->src().prepare("INSERT INTO staffs (CARDNO, NAME, WORKGRP) VALUES (?, ?, 1)");
        q.bindAll(card, QString(names[i]));
        q.exec();
        for (QDate d(2026, 12, 1); d <= QDate(2026, 12, 11); d = d.addDays(1)) {
            if (d.dayOfWeek() >= 6 || (i == 3 && d.day() >= 7)) continue;
            LogRecord r;
            r.systime = DateTime::fromDate(d).addDays(0.33 + 0.004 * i);
            r.cardno = card;
            r.mode = 1;
            r.reader = 1;
            log.append(r);
        }
    }
    AbsenceStore a(store->src());
    auto add = [&](int i, int from, int to, const char* type, HalfDay half = HalfDay::Full) {
        a.add({0, 1001 + i, QDate(2026, 12, from), QDate(2026, 12, to), half, type, QString()});
    };
    add(0, 21, 24, "V");
    add(0, 28, 31, "V");
    add(2, 14, 18, "V");
    add(3, 7, 11, "S");
    add(5, 3, 3, "B");
    add(5, 4, 4, "B");
    add(6, 9, 9, "S", HalfDay::Second);
    add(7, 16, 16, "V", HalfDay::First);
    add(8, 21, 31, "V");
    add(10, 10, 10, "U");
    add(11, 22, 23, "O");
    ScheduleStore(store->src()).saveHoliday({QDate(2026, 12, 26), "Second Christmas Day"});
    TAbsences w(store->src(), store->att(), messages, QDate(2026, 12, 11));
    w.resize(1100, 440);
    w.show();
    const QPixmap shot = w.grab();
    EXPECT_GT(shot.width(), 1000);
    if (qEnvironmentVariableIntValue("HORALOG_WRITE_DOCS") == 1)
        EXPECT_TRUE(shot.save(SourcePath("docs/absences.png")));
}

}  // namespace
