#include "people/manual_record_store.h"

#include <gtest/gtest.h>

#include <QFile>

#include "people/holder_store.h"
#include "people/store_fixture.h"
#include "storage/lookups.h"
#include "storage/staff_table.h"

using namespace horalog;
using horalog::testing::PeopleStoreTest;

namespace {

class ManualRecordStore : public PeopleStoreTest {
protected:
    LogRecord logged(DateTime t, int card, int mode, int reader, int lock) {
        LogRecord r;
        r.systime = t;
        r.cardno = card;
        r.mode = mode;
        r.reader = reader;
        r.lock = lock;
        LogTable(att()).append(r);
        return r;
    }
    const DateTime day = EncodeDate(2004, 6, 26);
};

TEST_F(ManualRecordStore, AddNeedsAKnownNameAndStampsToTheMinute) {
    HolderEditorState s = LoadHolderEditor(src(), 123);
    s.name = "Ann Lee";
    s.remarks = "night shift";
    ASSERT_TRUE(ConfirmHolderEditor(src(), s).ok);
    ASSERT_TRUE(SaveHolderEditor(src(), s, messages));

    const HolderShown unknown = HolderShownByName(src(), "Nobody");
    EXPECT_FALSE(unknown.found);
    EXPECT_FALSE(AddAttendanceRecord(att(), day, EncodeTime(8, 15, 42),
                                     unknown.found ? std::optional(unknown.card) : std::nullopt, 0,
                                     0, messages));
    EXPECT_EQ(messages.texts(), QStringList{"Error adding record into the database"});
    EXPECT_EQ(LogTable(att()).count(), 0);

    const HolderShown ann = HolderShownByName(src(), "ann lee");  // the name rule of the index
    ASSERT_TRUE(ann.found);
    EXPECT_EQ(ann.card, 123);
    EXPECT_EQ(ann.group, "DEFAULT");
    EXPECT_EQ(ann.remarks, "night shift");
    EXPECT_TRUE(ann.hasPhoto);
    messages.clear();
    // Reader 3 of the list stores READER 3 whatever its name.
    src().execute("UPDATE reader SET \"DESC\" = 'Back door' WHERE PORTNO = 3");
    ASSERT_TRUE(AddAttendanceRecord(att(), day, EncodeTime(8, 15, 42), ann.card, 2, 2, messages));
    EXPECT_EQ(messages.texts(), QStringList{"Record Added"});
    const auto row = LogTable(att()).last();
    ASSERT_TRUE(row);
    EXPECT_EQ(std::tuple(row->systime, row->cardno, row->mode, row->reader, row->lock),
              std::tuple(EncodeDateTime(2004, 6, 26, 8, 15, 0), 123, 2, 3, 0));

    messages.clear();
    auto ro = readOnlyAtt();
    EXPECT_FALSE(AddAttendanceRecord(*ro, day, EncodeTime(9, 0, 0), 123, 0, 0, messages));
    EXPECT_EQ(messages.texts(), QStringList{"Error adding record into the database"});
}

TEST_F(ManualRecordStore, EditChangesOnlyTimeAndModeSecondsZero) {
    const DateTime read = EncodeDateTime(2004, 6, 26, 8, 0, 37);
    const LogRecord r = logged(read, 55, 0, 4, 6);
    // Unchanged pickers: the date and the time of the record, its mode.
    ASSERT_TRUE(UpdateAttendanceRecord(att(), r.id, read, read, 0, messages));
    EXPECT_EQ(messages.texts(), QStringList{"Record updated into the database"});
    auto row = LogTable(att()).find(r.id);
    EXPECT_EQ(std::tuple(row->systime, row->cardno, row->mode, row->reader, row->lock),
              std::tuple(EncodeDateTime(2004, 6, 26, 8, 0, 0), 55, 0, 4, 6));

    ASSERT_TRUE(UpdateAttendanceRecord(att(), r.id, EncodeDate(2004, 6, 27), EncodeTime(17, 5, 9),
                                       2, messages));
    row = LogTable(att()).find(r.id);
    EXPECT_EQ(std::tuple(row->systime, row->mode, row->reader),
              std::tuple(EncodeDateTime(2004, 6, 27, 17, 5, 0), 2, 4));

    messages.clear();
    EXPECT_FALSE(UpdateAttendanceRecord(att(), r.id + 1, read, read, 0, messages));  // gone
    EXPECT_EQ(messages.texts(), QStringList{"Error updating record into the database"});
}

TEST_F(ManualRecordStore, DeleteRemovesRowAndPicture) {
    messages.clear();
    EXPECT_FALSE(DeleteAttendanceRecord(att(), std::nullopt, messages));
    EXPECT_EQ(messages.texts(), QStringList{"No record to delete."});

    const DateTime t = EncodeDateTime(2004, 6, 26, 18, 24, 6);
    const LogRecord r = logged(t, 123, 1, 1, 1);
    const QString picture = PicturePath(123, t);
    ASSERT_TRUE(picture.endsWith("photos/040626-182406-123.jpg"));
    QFile f(picture);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    messages.clear();
    messages.answerNext(false);
    EXPECT_FALSE(DeleteAttendanceRecord(att(), r.id, messages));
    EXPECT_EQ(messages.texts(), QStringList{"Are you sure to delete this record."});
    EXPECT_TRUE(QFile::exists(picture));
    EXPECT_EQ(LogTable(att()).count(), 1);

    EXPECT_TRUE(DeleteAttendanceRecord(att(), r.id, messages));
    EXPECT_FALSE(QFile::exists(picture));
    EXPECT_EQ(LogTable(att()).count(), 0);  // the count caption reads "no record"

    // A row without a picture file goes all the same.
    const LogRecord bypass = logged(t, -1, 0, 2, 0);
    EXPECT_TRUE(DeleteAttendanceRecord(att(), bypass.id, messages));
    EXPECT_EQ(LogTable(att()).count(), 0);
}

TEST_F(ManualRecordStore, FailedDeleteShowsTheEngineText) {
    const LogRecord r = logged(EncodeDateTime(2004, 6, 26, 9, 0, 0), 7, 0, 1, 0);
    auto ro = readOnlyAtt();
    EXPECT_FALSE(DeleteAttendanceRecord(*ro, r.id, messages));
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1].kind, "error");
    EXPECT_FALSE(messages.shown[1].text.isEmpty());
    EXPECT_EQ(LogTable(att()).count(), 1);
}

}  // namespace
