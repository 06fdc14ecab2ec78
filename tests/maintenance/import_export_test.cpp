#include <QProcess>

#include "common/format.h"
#include "common/texts.h"
#include "maintenance_fixture.h"
#include "storage/audit.h"
#include "maintenance/log_export.h"
#include "maintenance/log_import.h"
#include "storage/settings.h"
#include "maintenance/staff_import.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class ImportExport : public MaintenanceFixture {
protected:
    QString sourceLog() { return QDir(otherFolder()).filePath("attend.mdb"); }
    QString sourceSys() { return QDir(otherFolder()).filePath("sysdat.mdb"); }
    qint64 addGroup(Connection& src, const QString& name, int fromHour) {
        return AppendRow(src, "gid",
                         {{"DESCX", name},
                          {"WD_FROM_1", EncodeTime(fromHour, 0, 0).value},
                          {"WD_TO_1", EncodeTime(fromHour + 4, 0, 0).value},
                          {"SAT_ENABLE_1", 1},
                          {"OT_MIN", fromHour},
                          {"OT_MULTI", 5}});
    }
};

const DateTime kDay = EncodeDate(2004, 6, 26);

TEST_F(ImportExport, LogImportSkipsWhatTheLiveLogHasToTheSecond) {
    const QString source = sourceLog();
    {
        auto in = OpenDatabase(source, kLogDbPassword, OpenMode::ReadWrite);
        addLog(*in, kDay.addSecs(8 * 3600 + 0.4), 5, 1, 3);  // 08:00:00.400
        addLog(*in, kDay.addSecs(9 * 3600), 6, 2, 4);
        addLog(*in, kDay.addSecs(9 * 3600 + 0.7), 6, 2, 4);  // the same read twice
        addLog(*in, kDay.addSecs(10 * 3600), -1, 0, 2);      // a bypass press
    }
    addLog(kDay.addSecs(8 * 3600), 5);  // live 08:00:00

    struct Run {
        const char* name;
        QString summary;
    };
    const Run runs[] = {
        {"first import", "Added = 2 records\n\rDuplicated = 2 records\n\r"},
        {"the same source again adds nothing", "Added = 0 records\n\rDuplicated = 4 records\n\r"},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.name);
        messages.clear();
        liveCalls.clear();
        progress.runs.clear();
        dialogs.answers.push_back(source);
        ImportLogRecords(store, messages, progress, dialogs, live);
        EXPECT_EQ(messages.texts(), QStringList{run.summary});
        EXPECT_EQ(messages.shown.value(0).kind, "plain");
        EXPECT_EQ(liveCalls, (QStringList{"hide", "reopen"}));
        ASSERT_EQ(progress.runs.size(), 1);
        EXPECT_EQ(progress.runs[0].caption, "Importing Log Records");
        EXPECT_EQ(progress.runs[0].maximum, 4);
        EXPECT_EQ(progress.runs[0].position, 4);
        EXPECT_TRUE(progress.runs[0].closed);
    }
    EXPECT_TRUE(dialogs.asked.value(0).startsWith("Import Transaction Logs|" +
                                                  data.file("backup_attend.mdb") + "|"));
    EXPECT_EQ(LastLogImportFile(store), source);

    // Each run leaves one row in the audit trail.
    const auto trail = AuditLog(store.src()).page({}, std::nullopt, 10);
    ASSERT_EQ(trail.size(), 2u);
    EXPECT_EQ(trail[0].action, audit::kLogImported);
    EXPECT_EQ(trail[0].subject, source);
    EXPECT_EQ(trail[0].newText, "0 added, 4 duplicated, 0 errors");
    EXPECT_EQ(trail[1].newText, "2 added, 2 duplicated, 0 errors");

    auto rows = LogTable(store.att()).page(0, 10, LogOrder::OldestFirst);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].systime, kDay.addSecs(8 * 3600));  // the live one, kept
    EXPECT_EQ(rows[1].systime, kDay.addSecs(9 * 3600));  // whole seconds
    EXPECT_EQ(rows[1].cardno, 6);
    EXPECT_EQ(rows[1].mode, 2);
    EXPECT_EQ(rows[1].reader, 4);
    EXPECT_EQ(rows[2].cardno, -1);
}

TEST_F(ImportExport, LogImportRefusesOrReportsBadSources) {
    const QString folder = otherFolder();
    OpenDatabase(QDir(folder).filePath("nolog.mdb"), kLogDbPassword, OpenMode::ReadWrite, true)
        ->execute("CREATE TABLE other (A INTEGER)");
    struct Case {
        const char* file;
        QString message;
        bool remembered;
    };
    const Case cases[] = {
        {"sysdat.mdb", kInvalidDatabase, false},
        {"missing.mdb", kInvalidDatabase, false},
        {"nolog.mdb", "Error in opening the log database: " + QDir(folder).filePath("nolog.mdb"),
         true},
    };
    for (const Case& c : cases) {
        messages.clear();
        liveCalls.clear();
        const QString path = QDir(folder).filePath(c.file);
        const QString before = LastLogImportFile(store);
        EXPECT_FALSE(ImportLogRecordsFrom(store, path, messages, progress, live));
        EXPECT_EQ(messages.texts(), QStringList{c.message}) << c.file;
        EXPECT_EQ(LastLogImportFile(store), c.remembered ? path : before);
        EXPECT_TRUE(liveCalls.isEmpty());  // nothing was hidden
    }
}

TEST_F(ImportExport, StaffImportJoinsOrCreatesTheGroupByName) {
    struct Case {
        const char* name;
        bool liveHasOffice;
        QString summary;
        int expectedFromHour;  // hours of the group the holder ends up in
    };
    const Case cases[] = {
        {"joins the live OFFICE, keeping its hours", true, "Staff Added = 1 records\n\r", 7},
        {"creates OFFICE with the source hours", false,
         "Group Added = 1 records\n\rStaff Added = 1 records\n\r", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.src().execute("DELETE FROM staffs; DELETE FROM gid WHERE ID > 1");
        if (c.liveHasOffice) addGroup(store.src(), "OFFICE", 7);
        QTemporaryDir dir;
        EnsureDataFolder(dir.path());
        const QString source = QDir(dir.path()).filePath("sysdat.mdb");
        {
            auto in = OpenDatabase(source, kSysDbPassword, OpenMode::ReadWrite);
            addGroup(*in, "LAB", 6);
            qint64 office = addGroup(*in, "OFFICE", 10);
            HolderRecord h;
            h.cardno = 42;
            h.name = "John";
            h.workgrp = int(office);
            h.photo = QByteArray("\xff\xd8photo", 7);
            h.com[2] = true;
            h.memo = "line 1\nline 2";
            h.timegrp = 3;
            StaffTable(*in).append(h);
        }
        messages.clear();
        ASSERT_TRUE(ImportStaffRecordsFrom(store, source, messages, progress, live));
        EXPECT_EQ(messages.texts(), QStringList{c.summary});
        auto john = StaffTable(store.src()).byCard(42, true);
        ASSERT_TRUE(john);
        EXPECT_EQ(GroupName(store.src(), john->workgrp), "OFFICE");
        EXPECT_EQ(john->photo, QByteArray("\xff\xd8photo", 7));
        EXPECT_TRUE(john->allowedOn(3));
        EXPECT_EQ(john->memo, "line 1\nline 2");
        EXPECT_EQ(john->timegrp, 3);
        auto q = store.src().prepare("SELECT * FROM gid WHERE ID = ?");
        q.bindAll(john->workgrp);
        ASSERT_TRUE(q.next());
        EXPECT_TRUE(SameTimeOfDay(q.dateTime("WD_FROM_1"), EncodeTime(c.expectedFromHour, 0, 0)));
        EXPECT_TRUE(SameTimeOfDay(q.dateTime("WD_TO_1"), EncodeTime(c.expectedFromHour + 4, 0, 0)));
        EXPECT_EQ(q.integer("OT_MIN"), c.expectedFromHour);
        EXPECT_TRUE(q.boolean("SAT_ENABLE_1"));
        EXPECT_EQ(GroupIdOf(store.src(), "LAB"), 0);  // no holder of it came along
        const auto trail = AuditLog(store.src()).page({}, std::nullopt, 1);
        ASSERT_EQ(trail.size(), 1u);
        EXPECT_EQ(trail[0].action, audit::kHoldersImported);
        EXPECT_EQ(trail[0].subject, source);
        EXPECT_TRUE(trail[0].newText.startsWith("1 added"));
    }
}

TEST_F(ImportExport, StaffImportCountsDuplicatesAndRefusals) {
    qint64 office = addGroup(store.src(), "OFFICE", 7);
    addHolder(store.src(), 1, "Ann", int(office));
    const QString source = sourceSys();
    {
        auto in = OpenDatabase(source, kSysDbPassword, OpenMode::ReadWrite);
        qint64 lab = addGroup(*in, "LAB", 6);
        qint64 gone = addGroup(*in, "GONE", 8);
        addHolder(*in, 1, "Other name", int(lab));  // card held live: duplicated
        addHolder(*in, 2, "Bob", int(lab));
        addHolder(*in, 3, "ann", 1);  // a name held live by card 1
        addHolder(*in, 4, "Dan", int(gone));
        DeleteRow(*in, "gid", "ID", gone);  // Dan's group no longer exists
    }
    dialogs.answers.push_back(source);
    ImportStaffRecords(store, messages, progress, dialogs, live);
    EXPECT_EQ(messages.texts(), QStringList{"Group Added = 1 records\n\rStaff Added = 2 records\n\r"
                                            "Duplicated = 1 records\n\rError = 1 records\n\r"});
    EXPECT_TRUE(dialogs.asked.value(0).startsWith("Import Staff Records|"));
    StaffTable staff(store.src());
    EXPECT_EQ(staff.byCard(1)->name, "Ann");
    EXPECT_EQ(staff.byCard(1)->workgrp, office);
    EXPECT_EQ(GroupName(store.src(), staff.byCard(2)->workgrp), "LAB");
    EXPECT_FALSE(staff.byCard(3));
    EXPECT_EQ(staff.byCard(4)->workgrp, 1);  // without a source group: group 1
    EXPECT_EQ(LastStaffImportFile(store), source);
    EXPECT_EQ(progress.runs.last().caption, "Importing Staff Records");
    EXPECT_EQ(progress.runs.last().position, 4);
    EXPECT_EQ(liveCalls, (QStringList{"hide", "reopen"}));
}

// John of OFFICE, a card without holder, a bypass press: the log of the export tests.
class Export : public ImportExport {
protected:
    void SetUp() override {
        ImportExport::SetUp();
        qint64 office = addGroup(store.src(), "OFFICE", 9);
        addHolder(store.src(), 123, "John", int(office));
        store.src().execute("UPDATE reader SET \"DESC\" = 'Front door' WHERE PORTNO = 1");
        addLog(store.att(), kDay.addSecs(18 * 3600 + 24 * 60 + 6), 123, 1, 1);
        LogRecord r = addLog(store.att(), kDay.addSecs(18 * 3600 + 30 * 60), 999, 2, 2);
        LogTable(store.att()).setLock(r.id, 1);
        addLog(store.att(), kDay.addDays(1).addSecs(7 * 3600 + 0.25), -1, 0, 3);
    }
};

TEST_F(Export, TextLinesNameHolderOrNone) {
    const QString path = QDir(other.path()).filePath("log");
    dialogs.answers.push_back(path);
    ExportToTextFile(store, messages, progress, dialogs, live);
    EXPECT_EQ(messages.texts(), QStringList{text::CompletedFile(path + ".txt")});
    EXPECT_EQ(dialogs.asked.value(0), "Export to Text File|log|" + QString(kTextExportFilter));
    EXPECT_EQ(ReadSettingText("LastDataPath", ""), other.path());
    EXPECT_EQ(progress.runs.value(0).caption, "Export to text file (3 records)");
    EXPECT_EQ(progress.runs.value(0).position, 3);
    EXPECT_EQ(liveCalls, (QStringList{"hide", "reopen"}));
    EXPECT_EQ(readFile(path + ".txt"),
              "2004/Jun/26 18:24:06 000000123 \"John\" \"OFFICE\" {IN}\r\n"
              "2004/Jun/26 18:30:00 000000999 \"[NO NAME]\" \"[NO GROUP]\" {OUT}\r\n"
              "2004/Jun/27 07:00:00 -000000001 \"[NO NAME]\" \"[NO GROUP]\" {CLOCK}\r\n");

    // The next dialog opens in the folder of the last file; Cancel forgets it.
    messages.clear();
    ExportToTextFile(store, messages, progress, dialogs, live);
    EXPECT_EQ(dialogs.asked.value(1), "Export to Text File|" + QDir(other.path()).filePath("log") +
                                          "|" + kTextExportFilter);
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(ReadSettingText("LastDataPath", "x"), "");
}

TEST_F(Export, FailuresAndEmptyLog) {
    struct Case {
        const char* name;
        bool excel;
        QString path;
        QString message;
    };
    const QString noFolder = QDir(other.path()).filePath("missing/log.txt");
    const Case cases[] = {
        {"text file cannot be written", false, noFolder, kFileLocked},
        {"workbook cannot be written", true, noFolder, "Cannot replace file: " + noFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        liveCalls.clear();
        if (c.excel)
            EXPECT_FALSE(ExportLogToExcel(store, c.path, messages, progress, live));
        else
            EXPECT_FALSE(ExportLogToText(store, c.path, messages, progress, live));
        EXPECT_EQ(messages.texts(), QStringList{c.message});
        EXPECT_TRUE(progress.runs.isEmpty() || progress.runs.last().closed);
    }
    store.att().execute("DELETE FROM recorder");
    messages.clear();
    ExportToTextFile(store, messages, progress, dialogs, live);
    ExportToExcelFile(store, messages, progress, dialogs, live);
    EXPECT_EQ(messages.texts(), (QStringList{text::kNoRecord, text::kNoRecord}));
    EXPECT_TRUE(dialogs.asked.isEmpty());
}

// The workbook read back by a real spreadsheet reader.
TEST_F(Export, WorkbookReadsBackWithDateTimeAndTextCells) {
    const QString python = "/usr/bin/python3";
    if (QProcess::execute(python, {"-c", "import openpyxl"}) != 0)
        GTEST_SKIP() << "python3-openpyxl is not installed";
    const QString path = QDir(other.path()).filePath("log.xlsx");
    ASSERT_TRUE(ExportLogToExcel(store, path, messages, progress, live));
    EXPECT_EQ(messages.texts(), QStringList{text::CompletedFile(path)});
    EXPECT_EQ(progress.runs.value(0).caption, "Export to EXCEL file (3 records)");

    const char* script = R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
print(",".join(wb.sheetnames))
ws = wb["RECORDS"]
for row in ws.iter_rows():
    print("|".join("%s:%s" % (type(c.value).__name__, c.value) for c in row))
)";
    QProcess p;
    p.start(python, {"-c", script, path});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QStringList lines =
        QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const QStringList expected{
        "RECORDS",
        "str:DATE|str:TIME|str:CARDNO|str:NAME|str:GROUP|str:MODE|str:READER|str:LOCK",
        "datetime:2004-06-26 00:00:00|time:18:24:06|int:123|str:John|str:OFFICE|str:IN|"
        "str:Front door|str:DENIED",
        "datetime:2004-06-26 00:00:00|time:18:30:00|int:999|str:[NO NAME]|str:[NO GROUP]|"
        "str:OUT|str:COM2|str:Front door",
        "datetime:2004-06-27 00:00:00|time:07:00:00.250000|int:-1|str:[NO NAME]|"
        "str:[NO GROUP]|str:CLOCK|str:COM3|str:DENIED",
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace
