#include "shell/live_log_model.h"

#include <gtest/gtest.h>

#include "storage/log_table.h"
#include "storage/staff_table.h"
#include "storage/store.h"
#include "support/temp_data.h"

using namespace horalog;
using horalog::testing::TempDataFolder;

namespace {

class LiveLogModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureDataFolder(data.path());
        store.OpenStore();
    }
    LogRecord add(DateTime t, int card, int mode = 1, int reader = 1, int lock = 0) {
        LogRecord r{0, t, card, mode, reader, lock};
        LogTable(store.att()).append(r);
        return r;
    }
    QString cell(const LiveLogModel& m, int row, int col) {
        return m.data(m.index(row, col)).toString();
    }
    TempDataFolder data;
    Tdsrc store{data.path()};
    const DateTime day = EncodeDate(2004, 6, 26);
};

TEST_F(LiveLogModelTest, EmptyLogHasNoRowsAndTitledColumns) {
    LiveLogModel m(store);
    m.reload();
    EXPECT_EQ(m.rowCount(), 0);
    EXPECT_EQ(m.columnCount(), 5);
    QStringList titles;
    for (int c = 0; c < 5; ++c) titles << m.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, QStringList({"Date and Time", "Card Information", "Mode", "Reader", "Lock"}));
}

TEST_F(LiveLogModelTest, CellsOfHoldersStrangersAndOddCodes) {
    HolderRecord ann;
    ann.cardno = 77;
    ann.name = "ANN";
    ann.workgrp = 1;
    StaffTable(store.src()).append(ann);
    HolderRecord bob;
    bob.cardno = 78;
    bob.name = "BOB";
    bob.workgrp = 99;  // a deleted group
    StaffTable(store.src()).append(bob);
    store.src().execute("UPDATE reader SET \"DESC\" = 'Front door' WHERE PORTNO = 2");

    add(day.addSecs(18 * 3600 + 24 * 60 + 6), 77, 1, 2, 2);
    add(day.addSecs(19 * 3600), 123456, 5, 9, 0);
    add(day.addSecs(20 * 3600), 78, 0, 1, 0);
    LiveLogModel m(store);
    m.reload();
    ASSERT_EQ(m.rowCount(), 3);
    EXPECT_EQ(cell(m, 0, 0), "Jun 26, 2004 (Sat) - PM 06:24:06");
    EXPECT_EQ(cell(m, 0, 1), "ANN, DEFAULT");
    EXPECT_EQ(cell(m, 0, 2), "IN");
    EXPECT_EQ(cell(m, 0, 3), "Front door");
    EXPECT_EQ(cell(m, 0, 4), "Front door");
    EXPECT_EQ(cell(m, 1, 1), "[123456]");
    EXPECT_EQ(cell(m, 1, 2), "N/A");
    EXPECT_EQ(cell(m, 1, 3), "ERROR");
    EXPECT_EQ(cell(m, 1, 4), "DENIED");
    EXPECT_EQ(cell(m, 2, 1), "BOB, ");
    EXPECT_EQ(cell(m, 2, 2), "CLOCK");

    // Holder names are cached until the next reload.
    store.src().execute("UPDATE staffs SET NAME = 'ANNA' WHERE CARDNO = 77");
    EXPECT_EQ(cell(m, 0, 1), "ANN, DEFAULT");
    m.reload();
    EXPECT_EQ(cell(m, 0, 1), "ANNA, DEFAULT");
}

TEST_F(LiveLogModelTest, ReadsOnlyTheWindowsAskedForInLogOrder) {
    {
        Transaction t(store.att());
        // Stamps out of insertion order: the model follows SYSTIME, not the row identity.
        for (int i = 0; i < 3000; ++i) add(day.addSecs(((i * 7919) % 3000) * 60), 1000 + i);
        t.commit();
    }
    LiveLogModel m(store);
    m.reload();
    ASSERT_EQ(m.rowCount(), 3000);
    const int before = m.pageQueries();
    for (int r = 2999; r >= 2990; --r) m.data(m.index(r, 0));
    EXPECT_EQ(m.pageQueries() - before, 1);  // the newest rows: one window
    auto expectOrder = [&](LiveLogModel& model) {
        for (int r : {0, 1, 255, 256, 1499, 1500, 1501, 2743, 2999}) {
            auto rec = model.record(r);
            ASSERT_TRUE(rec) << r;
            EXPECT_EQ(rec->systime, day.addSecs(r * 60)) << r;
            EXPECT_EQ(rec->cardno, 1000 + int((qint64(r) * 1679) % 3000)) << r;
        }
    };
    expectOrder(m);
    EXPECT_LE(m.pageQueries() - before, 8);
    // The same rows through the window keys (key ranges instead of offsets).
    LiveLogModel keyed(store);
    keyed.reload();
    keyed.completeAnchors();
    EXPECT_EQ(keyed.anchors(), 12);
    expectOrder(keyed);
    LogRecord late = add(day.addSecs(4000 * 60), 7);
    keyed.refreshAppended();
    keyed.completeAnchors();
    EXPECT_EQ(keyed.record(3000)->id, late.id);
    EXPECT_FALSE(m.record(3000));
    EXPECT_FALSE(m.record(-1));
}

TEST_F(LiveLogModelTest, NewReadsAreInsertedAtTheEndAnOlderStampReloads) {
    for (int i = 0; i < 5; ++i) add(day.addSecs(i * 60), 1);
    LiveLogModel m(store);
    m.reload();
    m.data(m.index(4, 0));
    int inserted = 0, reset = 0;
    QObject::connect(&m, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&m, &QAbstractItemModel::modelReset, [&] { ++reset; });

    LogRecord r = add(day.addSecs(3600), 2);
    m.refreshAppended();
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(reset, 0);
    ASSERT_EQ(m.rowCount(), 6);
    EXPECT_EQ(cell(m, 5, 1), "[2]");
    EXPECT_EQ(cell(m, 5, 4), "DENIED");

    // The read's lock is set after its row was posted: the row shows it after the refresh.
    LogTable(store.att()).setLock(r.id, 3);
    m.refreshAppended();
    EXPECT_EQ(cell(m, 5, 4), "COM3");

    add(day.addSecs(30), 3);  // an older stamp lands inside the log
    m.refreshAppended();
    EXPECT_EQ(reset, 1);
    ASSERT_EQ(m.rowCount(), 7);
    EXPECT_EQ(cell(m, 1, 1), "[3]");
    EXPECT_EQ(cell(m, 6, 1), "[2]");
}

TEST_F(LiveLogModelTest, DetachedModelTouchesNoDatabase) {
    add(day, 1);
    LiveLogModel m(store);
    m.reload();
    m.detach();
    store.CloseStore();
    EXPECT_EQ(m.rowCount(), 0);
    m.refreshAppended();
    EXPECT_EQ(m.rowCount(), 0);
    store.OpenStore();
    m.reload();
    EXPECT_EQ(m.rowCount(), 1);
}

}  // namespace
