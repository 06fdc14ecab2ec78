// The one command line of the program: every mode listed, help and version without touching
// a file, a bad word refused with status 2 and one line, never a window or a data folder.

#include <gtest/gtest.h>

#include "storage/engines.h"
#include "support/free_port.h"
#include "support/program_run.h"
#include "support/temp_data.h"

using namespace horalog::testing;

namespace {

struct Case {
    QStringList args;
    int status;
    QStringList outHas;  // each must appear on standard output
    QString errLine;     // the one line on standard error, or empty for none
};

TEST(CommandLine, StatusOutputAndNoFileTouched) {
    const Case cases[] = {
        {{"--help"},
         0,
         {"horalog [--data DIR]", "--capture-only", "--check-db", "report KIND", "export KIND",
          "horalog cards", "horalog member-list", "holders import|export", "horalog pick-list",
          "horalog audit", "--version"},
         ""},
        {{"-h"}, 0, {"--capture-only"}, ""},
        {{"--version"}, 0, {"horalog 2.1\n"}, ""},
        {{"--data", "/nonexistent/x", "--version"}, 0, {"horalog 2.1\n"}, ""},
        {{"--capture-only", "--help"}, 0, {"usage: horalog --capture-only", "SIGHUP"}, ""},
        {{"--check-db", "--help"}, 0, {"usage: horalog --check-db"}, ""},
        {{"--bogus"}, 2, {}, "horalog: unknown command or option '--bogus'"},
        {{"bogus"}, 2, {}, "horalog: unknown command or option 'bogus'"},
        {{"--check-db", "extra"}, 2, {}, "horalog: unknown command or option 'extra'"},
        {{"--capture-only", "--data", "/tmp", "x"}, 2, {}, "unknown command or option 'x'"},
        {{"--help", "more"}, 2, {}, "unknown command or option 'more'"},
        {{"--screenshot"}, 2, {}, "unknown command or option '--screenshot'"},
        {{"--data"}, 2, {}, "horalog: --data needs a folder"},
        {{"--database"}, 2, {}, "horalog: --database needs a url"},
        {{"--database", "postgresql://127.0.0.1:1/x", "--version"}, 0, {"horalog 2.1\n"}, ""},
        {{"repair", "--database=postgresql:///x", "--help"},
         2,
         {},
         "horalog: repair does not use a database server yet"},
        {{"--screenshot-editor", "1", "x.png", "y"}, 2, {}, "unknown command or option 'y'"},
        {{"export", "--help"}, 0, {"horalog export"}, ""},
        {{"cards", "--help"}, 0, {"horalog cards"}, ""},
        {{"holders", "--help"}, 0, {"horalog holders import"}, ""},
        {{"audit", "--help"}, 0, {"horalog audit"}, ""},
        {{"pick-list", "--help"}, 0, {"horalog pick-list add|remove"}, ""},
        // options also take their value after "="
        {{"--data=/nonexistent/x", "--version"}, 0, {"horalog 2.1\n"}, ""},
        {{"report", "--per-line=3", "first-last"},
         2,
         {},
         "horalog report: bad value for --per-line: 3"},
        {{"audit", "--from=2020-13-01"}, 2, {}, "horalog audit: bad word \"2020-13-01\""},
        {{"migrate", "--station=Gate"}, 2, {}, "horalog migrate: bad word \"(no --to URL)\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        PrivateHome home;
        const ProgramRun run = RunToEnd(BinaryPath("horalog"), c.args, home.environment(), 20000);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        for (const QString& text : c.outHas)
            EXPECT_TRUE(run.out.contains(text)) << run.out.toStdString();
        if (c.errLine.isEmpty()) {
            EXPECT_EQ(run.err, "");
        } else {
            EXPECT_TRUE(run.err.contains(c.errLine)) << run.err.toStdString();
            EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
            EXPECT_EQ(run.out, "");
        }
        EXPECT_EQ(home.created(), QStringList()) << "a file was written";
    }
}

// A server that cannot be reached stops the start at once, saying so in plain words.
TEST(CommandLine, CaptureOnlyWithAnUnreachableServer) {
    PrivateHome home;
    const QString url = QString("postgresql://127.0.0.1:%1/horalog").arg(FreeLoopbackPort());
    const ProgramRun run =
        RunToEnd(BinaryPath("horalog"),
                 {"--capture-only", "--data", home.path() + "/data", "--database", url},
                 home.environment(), 20000);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(
        "cannot start: System Error: Cannot open the database server: Database server "
        "unreachable: "))
        << run.err.toStdString();
}

// The holder, audit and check commands work on the chosen server and never make the folder's
// files instead.
TEST(CommandLine, FolderCommandsUseTheChosenServer) {
    HORALOG_NEW_SERVER_DATABASE(url);
    PrivateHome home;
    const QString data = home.path() + "/data";
    const QString csv = home.path() + "/in.csv";
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("CARDNO,NAME,GROUP\n5,ANN,SALES\n");
    }
    struct Step {
        QStringList args;
        int status;
        QString outHas;
    };
    const Step steps[] = {
        {{"--check-db"}, 1, "no tables of this program yet"},
        {{"holders", "import", csv}, 0, ""},
        {{"holders", "export", home.path() + "/out.csv"}, 0, ""},
        {{"audit"}, 0, "Holders imported"},
        {{"schedules"}, 0, ""},
        {{"--check-db"}, 0, horalog::UrlWithoutPassword(url) + ": ok, 0 log records"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.args.join(' ').toStdString());
        const ProgramRun run = RunToEnd(BinaryPath("horalog"),
                                        step.args + QStringList{"--data", data, "--database", url},
                                        home.environment(), 20000);
        EXPECT_EQ(run.status, step.status) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(step.outHas)) << run.out.toStdString();
    }
    QFile out(home.path() + "/out.csv");
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_TRUE(out.readAll().contains("ANN"));
    EXPECT_FALSE(QFileInfo::exists(data + "/sysdat.mdb"));
}

}  // namespace
