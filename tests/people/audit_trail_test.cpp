#include <functional>

#include "people/group_store.h"
#include "people/holder_store.h"
#include "people/login.h"
#include "people/manual_record_store.h"
#include "storage/audit.h"
#include "storage/lookups.h"
#include "maintenance/maintenance.h"
#include "storage/staff_table.h"
#include "store_fixture.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class AuditTrail : public PeopleStoreTest {
protected:
    void SetUp() override {
        PeopleStoreTest::SetUp();
        AuditLog::setClock(FixedClock(EncodeDateTime(2004, 6, 26, 9, 30, 0)));
    }
    void TearDown() override { AuditLog::setClock(SystemClock()); }

    std::vector<AuditRecord> rows() {
        std::vector<AuditRecord> out;
        AuditLog(src()).forEach({}, [&](const AuditRecord& r) {
            out.push_back(r);
            return true;
        });
        return out;
    }
    bool saveHolder(int card, const QString& name, int groupIndex, bool deleting = false) {
        HolderEditorState s = LoadHolderEditor(src(), card);
        if (deleting) {
            s.name.clear();
        } else {
            s.name = name;
            if (groupIndex >= 0) s.groupIndex = groupIndex;
        }
        return SaveHolderEditor(src(), s, messages);
    }
    qint64 logRow() {
        LogRecord r{0, EncodeDateTime(2004, 6, 26, 8, 0, 0), 123, 1, 2, 0};
        LogTable(att()).append(r);
        return r.id;
    }
    static WorkGroup group(const QString& name, int overtimeMinimum) {
        WorkGroup g = NewWorkGroup();
        g.descx = name;
        g.ot_min = overtimeMinimum;
        return g;
    }
    const DateTime day = EncodeDate(2004, 6, 26);
    NoProgress progress;
};

// Each audited action leaves exactly one row, with the texts before and after.
TEST_F(AuditTrail, EachActionLeavesOneRow) {
    src().execute("INSERT INTO gid (DESCX) VALUES ('SALES')");  // groups: DEFAULT, SALES
    struct Case {
        const char* action;
        std::function<bool()> run;
        QString subject, oldText, newText;
    };
    const QString sys = store.sysDbPath();
    qint64 row = 0;
    const Case cases[] = {
        {audit::kHolderAdded, [&] { return saveHolder(123, "ANN", 0); }, "123 ANN", "",
         "name ANN, card 123, group DEFAULT, may pass at none"},
        {audit::kHolderChanged, [&] { return saveHolder(123, "ANN", 1); }, "123 ANN",
         "name ANN, card 123, group DEFAULT, may pass at none",
         "name ANN, card 123, group SALES, may pass at none"},
        {audit::kRecordAdded,
         [&] {
             const bool ok =
                 AddAttendanceRecord(att(), day, EncodeTime(8, 15, 0), 123, 1, 1, messages, sys);
             row = LogTable(att()).last()->id;
             return ok;
         },
         "log row 1", "", "2004-06-26 08:15:00, card 123, IN, reader 2"},
        {audit::kRecordEdited,
         [&] {
             return UpdateAttendanceRecord(att(), row, day, EncodeTime(8, 20, 0), 2, messages, sys);
         },
         "log row 1", "2004-06-26 08:15:00, card 123, IN, reader 2",
         "2004-06-26 08:20:00, card 123, OUT, reader 2"},
        {audit::kRecordDeleted, [&] { return DeleteAttendanceRecord(att(), row, messages, sys); },
         "log row 1", "2004-06-26 08:20:00, card 123, OUT, reader 2", ""},
        {audit::kPasswordChanged,
         [&] {
             StorePassword(src(), "secret");
             return true;
         },
         "", "", ""},
        {audit::kHolderDeleted, [&] { return saveHolder(123, "", -1, true); }, "123 ANN",
         "name ANN, card 123, group SALES, may pass at none", ""},
        {audit::kGroupAdded, [&] { return StoreGroup(src(), group("NIGHT", 15), messages) > 0; },
         "NIGHT", "", "NIGHT, AM09:00-PM01:00 PM02:00-PM05:00, overtime 15/5 min"},
        {audit::kGroupChanged, [&] { return StoreGroup(src(), group("NIGHT", 30), messages) > 0; },
         "NIGHT", "NIGHT, AM09:00-PM01:00 PM02:00-PM05:00, overtime 15/5 min",
         "NIGHT, AM09:00-PM01:00 PM02:00-PM05:00, overtime 30/5 min"},
        {audit::kGroupDeleted,
         [&] { return DeleteGroup(src(), GroupIdOf(src(), "NIGHT"), messages); }, "NIGHT",
         "NIGHT, AM09:00-PM01:00 PM02:00-PM05:00, overtime 30/5 min", ""},
        {audit::kLogErased,
         [&] {
             logRow();
             return EraseLogRecords(store, {}, progress, {}) == 1;
         },
         "all records", "1 records", ""},
        {audit::kHoldersErased,
         [&] {
             saveHolder(7, "BOB", 0);
             return EraseStaffRecords(store, messages, progress, {}) == 1;
         },
         "all holders", "1 holders", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        const auto before = rows();
        ASSERT_TRUE(c.run()) << messages.texts().join("|").toStdString();
        auto after = rows();
        // Holders erased: the holder it needed was added (and audited) first.
        if (QString(c.action) == audit::kHoldersErased) after.erase(after.end() - 2);
        ASSERT_EQ(after.size(), before.size() + 1);
        const AuditRecord& r = after.back();
        EXPECT_EQ(r.action, c.action);
        EXPECT_EQ(r.subject, c.subject);
        EXPECT_EQ(r.oldText, c.oldText);
        EXPECT_EQ(r.newText, c.newText);
        EXPECT_EQ(r.station, AuditLog::station());
        EXPECT_EQ(AuditTimeText(r.stamp), "2004-06-26 09:30:00");
    }
}

// A change that does not happen leaves no row.
TEST_F(AuditTrail, AFailedChangeLeavesNone) {
    const QString sys = store.sysDbPath();
    ASSERT_TRUE(saveHolder(123, "ANN", 0));
    const qint64 row = logRow();
    const qint64 start = AuditLog(src()).count();
    auto roAtt = readOnlyAtt();
    auto roSrc = readOnlySrc();
    const std::pair<const char*, std::function<bool()>> failures[] = {
        {"record added on a file that refuses writing",
         [&] {
             return AddAttendanceRecord(*roAtt, day, EncodeTime(9, 0, 0), 123, 0, 0, messages, sys);
         }},
        {"record edited that is gone",
         [&] { return UpdateAttendanceRecord(att(), row + 99, day, day, 0, messages, sys); }},
        {"holder saved on a file that refuses writing",
         [&] {
             HolderEditorState s = LoadHolderEditor(src(), 124);
             s.name = "BOB";
             return SaveHolderEditor(*roSrc, s, messages);
         }},
        {"new holder with a name in use", [&] { return saveHolder(125, "ann", 0); }},
    };
    for (const auto& [name, run] : failures) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(run());
        EXPECT_EQ(AuditLog(src()).count(), start);
    }
    // The log row whose audit row cannot be written is not deleted either.
    src().execute(
        "CREATE TRIGGER refuse BEFORE INSERT ON audit BEGIN SELECT RAISE(ABORT, 'no'); END");
    messages.answerNext(true);
    EXPECT_FALSE(DeleteAttendanceRecord(att(), row, messages, sys));
    EXPECT_TRUE(LogTable(att()).find(row).has_value());
}

// Formatting or restoring the system database puts another file in place; the trail stays.
TEST_F(AuditTrail, SurvivesFormatAndRestore) {
    ASSERT_TRUE(saveHolder(123, "ANN", 0));
    const QString backup = data.file("backup.mdb");
    ASSERT_TRUE(BackupDatabaseTo(store, DatabaseKind::System, backup, messages));
    ASSERT_TRUE(saveHolder(124, "BOB", 0));

    ASSERT_TRUE(RestoreDatabaseFrom(store, DatabaseKind::System, backup, messages));
    EXPECT_FALSE(StaffTable(src()).byCard(124).has_value());  // the backup's holders
    QStringList actions;
    for (const auto& r : rows()) actions << r.action + " " + r.subject;
    EXPECT_EQ(actions, QStringList({"Holder added 123 ANN", "Holder added 124 BOB",
                                    "Database restored sysdat.mdb from " + backup}));

    FormatDatabaseNow(store, messages);
    EXPECT_EQ(StaffTable(src()).count(), 0);
    EXPECT_EQ(rows().size(), 4u);
    EXPECT_EQ(rows().back().action, audit::kFormatted);
}

}  // namespace
