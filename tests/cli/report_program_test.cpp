// `horalog report` as cron runs it: the built program, no display, a prepared data folder.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "attendance/report_fixture.h"
#include "people/absences.h"
#include "people/time_profiles.h"
#include "storage/store.h"
#include "support/private_postgres.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

// One private server for the program, stopped after its last test.
::testing::Environment* const kServer =
    ::testing::AddGlobalTestEnvironment(new PrivatePostgresEnvironment);

struct ProgramRun {
    int status = -1;
    QString out, err;
};

// env: extra variables; the display, platform and runtime folder of the session are removed.
ProgramRun Horalog(const QStringList& args, const QStringList& env = {}) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR", "HORALOG_DATA"})
        e.remove(name);
    e.insert("LC_ALL", "en_US.UTF-8");
    for (const QString& kv : env) e.insert(kv.section('=', 0, 0), kv.section('=', 1));
    QProcess p;
    p.setProcessEnvironment(e);
    p.start(BinaryPath("horalog"), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

class ReportProgram : public ::testing::Test {
protected:
    void SetUp() override { EnsureDataFolder(data.path()); }
    void AddWeek() {
        Tdsrc store(data.path());
        store.OpenStore();
        AddWeek(store);
    }
    void AddWeek(Tdsrc& store) {
        store.src().execute("UPDATE gid SET DESCX = 'OFFICE', WD_TO_2 = 17.5 / 24 WHERE ID = 1");
        HolderRecord h;
        h.cardno = 101;
        h.name = "ALICE";
        StaffTable(store.src()).append(h);
        for (auto [when, mode] : {std::pair{"2004-06-23 08:55", 1}, {"2004-06-23 17:52", 2}}) {
            LogRecord r;
            r.systime = At(when);
            r.cardno = 101;
            r.mode = mode;
            r.reader = 1;
            LogTable(store.att()).append(r);
        }
    }
    TempDataFolder data;
};

TEST_F(ReportProgram, EmptyLogAndBadOptions) {
    ProgramRun r = Horalog({"--data", data.path(), "report", "time-logs"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "No record.\n");
    EXPECT_TRUE(r.out.isEmpty());

    // a bad option is status 2 and one line, whatever the data folder holds
    for (const QString& folder : {data.path(), data.file("missing")}) {
        r = Horalog({"report", "first-last", "--per-line", "3", "--data", folder});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "horalog report: bad value for --per-line: 3\n");
        EXPECT_TRUE(r.out.isEmpty());
    }
    r = Horalog({"report", "first-last", "--data", data.file("missing")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith("horalog report: System Error: Cannot open attend.mdb"))
        << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1);
}

const QStringList kFiloArgs = {"report",     "first-last", "--from", "2004-06-21", "--to",
                               "2004-06-25", "--records",  "inout",  "--format",   "1"};
const QString kFiloText =
    "First In Last Out (IN/OUT)\nFrom: 21/Jun/2004 To: 25/Jun/2004\n\n [101] ALICE (OFFICE) \n"
    "  Jun 23, 2004 Wed - 08:55:00[IN]    17:52:00[OUT]   [OT(00:20:00)]\n"
    " Clocked day=1, Error day=0, Late day=0(00:00:00 ), Early Leave day=0(00:00:00 ), "
    "Overtime day=1(00:20:00 ) \n";

TEST_F(ReportProgram, TextLinesAndPdfFromTheDataFolder) {
    AddWeek();
    const QStringList& args = kFiloArgs;
    const QString& expected = kFiloText;
    // the folder from HORALOG_DATA, with the databases closed and then open in the program
    ProgramRun r = Horalog(args, {"HORALOG_DATA=" + data.path()});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, expected);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    {
        Tdsrc running(data.path());
        running.OpenStore();
        r = Horalog(QStringList{"--data", data.path()} + args);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, expected);
    }

    QTemporaryDir out;
    const QString pdf = out.filePath("filo.pdf");
    r = Horalog(args + QStringList{"--pdf", pdf, "--data", data.path()});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();  // silent for cron
    QProcess text;
    text.start("/usr/bin/pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains("[101] ALICE (OFFICE)"));
}

// The same text from a server database; the data folder's files are not read.
TEST_F(ReportProgram, SameTextFromADatabaseServer) {
    HORALOG_NEW_SERVER_DATABASE(url);
    {
        Tdsrc store(data.path(), url);
        store.OpenStore();
        AddWeek(store);
    }
    ProgramRun r = Horalog(kFiloArgs + QStringList{"--data", data.path(), "--database", url});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, kFiloText);
    r = Horalog(kFiloArgs + QStringList{"--data", data.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "No record.\n");
    r = Horalog(kFiloArgs +
                QStringList{"--database", QString(url).replace("/horalog_test_", "/missing_")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(
        r.err.startsWith("horalog report: System Error: Cannot open the database server: "
                         "Database does not exist: "))
        << r.err.toStdString();
}

// A vacation and a holiday stored on either engine reach the printout through the store.
TEST_F(ReportProgram, DaysOffFromEitherEngine) {
    HORALOG_NEW_SERVER_DATABASE(url);
    for (const QString& server : {QString(), url}) {
        SCOPED_TRACE(server.isEmpty() ? "files" : "server");
        QTemporaryDir folder;
        EnsureDataFolder(folder.path());
        {
            Tdsrc store(folder.path(), server);
            store.OpenStore();
            AddWeek(store);
            AbsenceStore(store.src())
                .add(
                    {0, 101, QDate(2004, 6, 22), QDate(2004, 6, 22), HalfDay::Full, "V", "family"});
            ScheduleStore(store.src()).saveHoliday({QDate(2004, 6, 24), "Midsummer"});
        }
        QStringList args = kFiloArgs + QStringList{"--data", folder.path()};
        if (!server.isEmpty()) args << "--database" << server;
        const ProgramRun r = Horalog(args);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("  Jun 22, 2004 Tue - Vacation\n")) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("  Jun 24, 2004 Thu - Holiday: Midsummer\n"));
        EXPECT_TRUE(r.out.endsWith(" Absent: Vacation 1, Holiday 1\n"));
    }
}

}  // namespace
