#include "storage/schema_upgrade.h"

#include <gtest/gtest.h>

#include <QFile>

#include "storage/audit.h"
#include "storage/staff_table.h"
#include "storage/store.h"
#include "support/temp_data.h"

using namespace horalog;
using horalog::testing::TempDataFolder;

namespace {

bool HasTable(Connection& c, const char* name) {
    auto q = c.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    q.bindAll(QString(name));
    return q.next();
}

class SchemaUpgrade : public ::testing::Test {
protected:
    void SetUp() override { EnsureDataFolder(data.path()); }
    // Turns the live system database into one of a release before the audit trail: no audit
    // table, no version table, one holder.
    void makeOldSystemDb() {
        auto c = OpenDatabase(data.file(kSysDbFile), kSysDbPassword, OpenMode::ReadWrite);
        c->execute(
            "DROP TABLE audit; DROP TABLE schema_version; DROP INDEX staffs_doors; "
            "DROP TABLE timeprofile; DROP TABLE holiday; DROP INDEX staffs_profile; "
            "DROP TABLE absencetype; DROP TABLE absence; DROP TABLE periodclose");
        HolderRecord h;
        h.cardno = 7;
        h.name = "OLD";
        h.accessgrp = 5;  // the column had no meaning before the time profiles
        StaffTable(*c).append(h);
    }
    TempDataFolder data;
};

TEST_F(SchemaUpgrade, TemplatesAndNewFilesHaveTheLatestVersion) {
    for (const auto& [file, which] :
         {std::pair{kSysTemplateFile, "sysdat"}, std::pair{kSysDbFile, "sysdat"},
          std::pair{kLogTemplateFile, "attend"}}) {
        const char* password = QString(which) == "sysdat" ? kSysDbPassword : kLogDbPassword;
        auto c = OpenDatabase(data.file(file), password, OpenMode::ReadOnly);
        EXPECT_EQ(SchemaVersion(*c), LatestSchemaVersion(which)) << file;
    }
    auto src = OpenDatabase(data.file(kSysDbFile), kSysDbPassword, OpenMode::ReadOnly);
    EXPECT_TRUE(HasTable(*src, "audit"));
}

TEST_F(SchemaUpgrade, OpeningAnOlderFileAddsTheNewTablesAndKeepsItsRows) {
    makeOldSystemDb();
    {
        auto c = OpenDatabase(data.file(kSysDbFile), kSysDbPassword, OpenMode::ReadOnly);
        ASSERT_EQ(SchemaVersion(*c), 0);
    }
    Tdsrc store(data.path());
    store.OpenStore();
    EXPECT_EQ(SchemaVersion(store.src()), LatestSchemaVersion("sysdat"));
    EXPECT_TRUE(HasTable(store.src(), "audit"));
    ASSERT_TRUE(StaffTable(store.src()).byCard(7).has_value());
    // Every holder starts on "Always": nothing changes at the door.
    EXPECT_EQ(StaffTable(store.src()).byCard(7)->accessgrp, 0);
    EXPECT_EQ(HasTable(store.src(), "timeprofile"), true);
    EXPECT_TRUE(HasTable(store.src(), "absence"));
    EXPECT_TRUE(HasTable(store.src(), "absencetype"));
    // A second open applies nothing.
    EXPECT_EQ(UpgradeSchema(store.src(), "sysdat"), 0);
}

// A step that fails leaves the file as it was: no half-made tables, the old version.
TEST_F(SchemaUpgrade, AFailingStepLeavesTheFileUntouched) {
    makeOldSystemDb();
    auto c = OpenDatabase(data.file(kSysDbFile), kSysDbPassword, OpenMode::ReadWrite);
    // A table of that name already there makes the step's CREATE TABLE fail.
    c->execute(
        "CREATE TABLE audit_stamp_blocker (X); CREATE INDEX audit_stamp ON "
        "audit_stamp_blocker (X)");
    EXPECT_THROW(UpgradeSchema(*c, "sysdat"), DbError);
    EXPECT_FALSE(c->inTransaction());
    EXPECT_FALSE(HasTable(*c, "audit"));
    EXPECT_EQ(SchemaVersion(*c), 0);
    EXPECT_FALSE(HasTable(*c, "schema_version"));
}

TEST_F(SchemaUpgrade, AuditRowsCannotBeChangedOrDeleted) {
    Tdsrc store(data.path());
    store.OpenStore();
    AuditLog log(store.src());
    log.write(audit::kLogin, "", "", "");
    EXPECT_THROW(store.src().execute("UPDATE audit SET ACTION = 'x'"), DbError);
    EXPECT_THROW(store.src().execute("DELETE FROM audit"), DbError);
    EXPECT_EQ(log.count(), 1);
}

}  // namespace
