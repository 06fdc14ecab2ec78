// `horalog export KIND`: options, exit status and the files it writes.

#include "cli/export_command.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "attendance/report_fixture.h"
#include "storage/store.h"
#include "support/temp_data.h"
#include "exports/workbook_reader.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

struct CommandRun {
    int status = -1;
    QString out, err;
};

class ExportCommand : public ::testing::Test {
protected:
    CommandRun Export(const QStringList& args) {
        QString out, err;
        QTextStream o(&out), e(&err);
        bool opened = false;
        const int status = RunExportCommand(
            args,
            [&]() -> ReportSource* {
                opened = true;
                return &fx.source;
            },
            o, e, [] { return At("2004-06-30 10:00"); });
        o.flush();
        e.flush();
        if (status == 2) {
            EXPECT_FALSE(opened) << "a bad command line never opens the store";
        }
        return {status, out, err};
    }
    std::string ReadFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<none>";
    }

    QTemporaryDir dir;
    ReportFixture fx;
};

TEST_F(ExportCommand, BadCommandLinesAreOneLineAndStatusTwo) {
    const QString csv = dir.filePath("x.csv");
    struct Case {
        QStringList args;
        const char* line;
    };
    const Case cases[] = {
        {{"export"}, "which export? (first-last, pairs, time-logs, late-early, payroll)"},
        {{"export", "totals", "--csv", csv}, "unknown export totals"},
        {{"export", "pairs"}, "give one of --xlsx FILE or --csv FILE"},
        {{"export", "pairs", "--csv", csv, "--xlsx", csv}, "give one of --xlsx FILE or --csv FILE"},
        {{"export", "pairs", "--csv"}, "--csv needs a value"},
        {{"export", "pairs", "--csv", csv, "--per-line", "5"}, "bad value for --per-line: 5"},
        {{"export", "pairs", "--csv", csv, "--records", "clock"},
         "--records: pairs and late-early always use inout"},
        {{"export", "first-last", "--csv", csv, "--new-page"},
         "--new-page needs --xlsx (a CSV file holds one sheet)"},
        {{"export", "first-last", "--csv", csv, "--from", "2004-06-01"},
         "--from and --to go together"},
        {{"export", "first-last", "--csv", csv, "--pdf", "x.pdf"}, "unknown option --pdf"},
        {{"export", "time-logs", "--csv", csv, "--period", "yesterday"},
         "bad period: yesterday (this-week, last-week, this-month, last-month, all)"},
        {{"export", "first-last", "--csv", csv, "--no-bom"}, "--no-bom goes with payroll --csv"},
        {{"export", "payroll", "--xlsx", csv, "--new-page"},
         "--new-page: payroll is one sheet of rows and one of totals"},
        {{"export", "payroll", "--csv", csv, "--month", "2004-13"},
         "bad month: 2004-13 (use YYYY-MM)"},
        {{"export", "payroll", "--csv", csv, "--month", "2004-06", "--period", "all"},
         "--month, --period and --from/--to exclude each other"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CommandRun r = Export(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, QString("horalog export: ") + c.line + "\n");
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(csv));
    const CommandRun help = Export({"export", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("usage: horalog export KIND")) << help.out.toStdString();
}

TEST_F(ExportCommand, CsvHoldsTheSingleSheetLayoutWithQuotedTexts) {
    fx.source.AddGroup(OfficeGroup(2, "NIGHT; \"B\" SHIFT"));
    fx.source.AddHolder(102, "LEE, \"JO\"", 2);
    fx.Add(101, {{"2004-06-22 08:00", 1}, {"2004-06-22 17:00", 2}});
    fx.Add(102, {{"2004-06-23 22:00", 1}, {"2004-06-24 06:00", 2}});
    const QString csv = dir.filePath("filo.csv");
    const CommandRun r = Export({"export", "first-last", "--csv", csv, "--records", "inout",
                                 "--from", "2004-06-22", "--to", "2004-06-24", "--blank-lines"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty() && r.out.isEmpty());
    EXPECT_EQ(ReadFile(csv),
              "NAME,GROUP,DATE,IN,OUT,STATUS\n"
              "ALICE,OFFICE,2004-06-22,08:00:00,17:00:00,OK\n"
              ",,2004-06-23,,,No record\n"
              ",,2004-06-24,,,No record\n"
              "\"LEE, \"\"JO\"\"\",\"NIGHT; \"\"B\"\" SHIFT\",2004-06-22,,,No record\n"
              ",,2004-06-23,22:00:00,No OUT,\n"
              ",,2004-06-24,,,No matched\n");  // an OUT alone matches nothing
}

// --month is the whole calendar month; the payroll CSV starts with a byte-order mark.
TEST_F(ExportCommand, PayrollCsvOfAMonth) {
    fx.Add(101, {{"2004-02-27 08:00", 1}, {"2004-02-27 17:00", 2}});
    const QString csv = dir.filePath("payroll.csv");
    const CommandRun r = Export({"export", "payroll", "--csv", csv, "--month", "2004-02"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = QString::fromStdString(ReadFile(csv)).split('\n');
    ASSERT_EQ(lines.size(), 1 + 29 + 1);  // header, the 29 days of February 2004, the end
    EXPECT_TRUE(lines[0].startsWith("\uFEFFCARDNO,NAME,GROUP,DATE,"));
    EXPECT_EQ(lines[1], "101,ALICE,OFFICE,2004-02-01,,,0:00,0:00,0:00,0:00,0:00,,,0.00");
    // 08:00 to 17:00 against 09:00-17:30: half an hour early, nobody is late for coming early.
    EXPECT_EQ(lines[27],
              "101,ALICE,OFFICE,2004-02-27,08:00:00,17:00:00,9:00,7:30,0:00,0:30,0:00,,OK,9.00");
}

TEST_F(ExportCommand, EmptyLogIsNoRecordAndStatusOne) {
    const QString csv = dir.filePath("none.csv");
    const CommandRun r = Export({"export", "pairs", "--csv", csv});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "No record.\n");
    EXPECT_FALSE(QFile::exists(csv));
}

// The built program over a real data folder, as cron runs it: no display.
TEST(ExportProgram, WritesTheWorkbookFromTheStore) {
    if (!HaveOpenpyxl()) GTEST_SKIP() << "python3-openpyxl is not installed";
    TempDataFolder data;
    EnsureDataFolder(data.path());
    {
        Tdsrc store(data.path());
        store.OpenStore();
        store.src().execute("UPDATE gid SET DESCX = 'OFFICE' WHERE ID = 1");
        for (auto [card, name] : {std::pair{101, "ANN LEE"}, {102, "BOB"}}) {
            HolderRecord h;
            h.cardno = card;
            h.name = name;
            h.workgrp = 1;
            StaffTable(store.src()).append(h);
        }
        for (auto [when, mode] : {std::pair{"2004-06-23 08:55", 1}, {"2004-06-23 17:52", 2}}) {
            LogRecord r;
            r.systime = At(when);
            r.cardno = 101;
            r.mode = mode;
            r.reader = 1;
            LogTable(store.att()).append(r);
        }
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "HORALOG_DATA"})
        env.remove(name);
    const QString path = QDir(data.path()).filePath("pairs.xlsx");
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(BinaryPath("horalog"), {"export", "pairs", "--data", data.path(), "--period", "all",
                                    "--new-page", "--xlsx", path});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(p.readAllStandardError().isEmpty());
    const auto book = ReadWorkbook(path);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0].name, "ANN_LEE");
    EXPECT_EQ(book[1].name, "BOB");
    ASSERT_EQ(book[0].rows.size(), 2u);
    EXPECT_EQ(book[0].rows[0].join('|'), "DATE|IN1|OUT1|IN2|OUT2|STATUS");
    EXPECT_EQ(book[0].rows[1].join('|'), "D:2004-06-23|08:55:00|17:52:00|||Incomplete");
}

}  // namespace
