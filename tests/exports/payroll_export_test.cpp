// The payroll export of the timesheet's week: the workbook read back with openpyxl (cell types
// and formats, the totals' formulas and their values) and the CSV with Python's csv module.

#include "exports/payroll_export.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "attendance/report_fixture.h"
#include "support/recording_ports.h"
#include "workbook_reader.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

// Runs a Python script on the file; its standard output.
QString Python(const char* script, const QString& path) {
    QProcess p;
    p.start(kPython, {"-c", script, path});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

class PayrollExport : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveOpenpyxl()) GTEST_SKIP() << "python3-openpyxl is not installed";
    }
    bool Write(const QString& path, bool csv, bool bom = true) {
        return WritePayrollExport(
            ReportFixture::Params(), fx.source,
            [&](int sheets) {
                return csv ? OpenCsvWriter(path, bom) : OpenXlsxWriter(path, sheets);
            },
            !csv, messages, progress, At("2004-06-30 10:00"));
    }
    QTemporaryDir dir;
    ReportFixture fx = TimesheetWeek();
    RecordingMessages messages;
    RecordingProgress progress;
};

TEST_F(PayrollExport, WorkbookCellsAndTotals) {
    const QString path = dir.filePath("payroll.xlsx");
    ASSERT_TRUE(Write(path, false));
    // Row 3 is ALICE's Tuesday: late 20 minutes, worked 8:10.
    const QString cells = Python(R"(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1])["Payroll"]
print(ws.max_row - 1, [c.value for c in ws[1]])
for c in ws[3]:
    print(type(c.value).__name__, c.number_format, c.value)
)",
                                 path);
    const QStringList lines = cells.split('\n');
    EXPECT_EQ(lines[0].toStdString(),
              "21 ['CARDNO', 'NAME', 'GROUP', 'DATE', 'FIRST IN', 'LAST OUT', 'WORKED', "
              "'EXPECTED', 'LATE', 'EARLY', 'OVERTIME', 'ABSENCE', 'STATUS', 'WORKED HOURS']");
    const QStringList want{"int General 101",          "str General ALICE",
                           "str General OFFICE",       "datetime yyyy-mm-dd 2004-06-22 00:00:00",
                           "time hh:mm:ss 09:20:00",   "time hh:mm:ss 17:30:00",
                           "timedelta [h]:mm 8:10:00", "timedelta [h]:mm 7:30:00",
                           "timedelta [h]:mm 0:20:00", "timedelta [h]:mm 0:00:00",
                           "timedelta [h]:mm 0:00:00", "NoneType General None",
                           "str General OK",           "str 0.00 =ROUND(G3*24,2)"};
    for (int i = 0; i < want.size(); ++i) EXPECT_EQ(lines.value(i + 1), want[i]) << i;

    // The totals: formulas over the first sheet, their values the timesheet's.
    const QString totals = Python(R"(
import sys, openpyxl
f = openpyxl.load_workbook(sys.argv[1])["Totals"]
v = openpyxl.load_workbook(sys.argv[1], data_only=True)["Totals"]
def secs(x):
    return round(x.total_seconds())  # a duration comes back as one
print(f["E2"].value)
for r in v.iter_rows(min_row=2, values_only=True):
    print(r[0], r[1], r[3], secs(r[4]), secs(r[5]), secs(r[6]), r[10], r[12])
)",
                                  path);
    EXPECT_EQ(totals.toStdString(),
              "=SUMIFS(Payroll!$G$2:$G$22,Payroll!$A$2:$A$22,$A2)\n"
              "101 ALICE 3 79320 67500 11820 22.03 3.28\n"
              "102 BOB 1 30600 108000 -77400 8.5 -21.5\n"
              "103 CAROL 0 0 108000 -108000 0 -30\n");
}

TEST_F(PayrollExport, CsvWithAndWithoutByteOrderMark) {
    const QString path = dir.filePath("payroll.csv");
    ASSERT_TRUE(Write(path, true));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(3) == "\xEF\xBB\xBF");
    f.close();
    const QString rows = Python(R"(
import sys, csv
with open(sys.argv[1], newline="", encoding="utf-8-sig") as f:
    rows = list(csv.reader(f))
print(len(rows))
print("|".join(rows[0]))
print("|".join(rows[3]))
print("|".join(rows[5]))
)",
                                path);
    EXPECT_EQ(rows.toStdString(),
              "22\n"
              "CARDNO|NAME|GROUP|DATE|FIRST IN|LAST OUT|WORKED|EXPECTED|LATE|EARLY|OVERTIME|"
              "ABSENCE|STATUS|WORKED HOURS\n"
              "101|ALICE|OFFICE|2004-06-23|||0:00|0:00|0:00|0:00|0:00|Vacation|Vacation|0.00\n"
              "101|ALICE|OFFICE|2004-06-25|12:45:00|17:52:00|5:07|3:45|0:00|0:00|0:20|Sick "
              "(first half)|OK|5.12\n");
    ASSERT_TRUE(Write(path, true, false));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(6) == "CARDNO");
}

// A clerk corrects a day in the first sheet (openpyxl saves it without any computed value) and a
// real spreadsheet engine, LibreOffice, evaluates the totals: the timesheet's, moved by the
// correction.
TEST_F(PayrollExport, TotalsEvaluatedByLibreOffice) {
    if (!QFile::exists("/usr/bin/soffice")) GTEST_SKIP() << "LibreOffice is not installed";
    const QString path = dir.filePath("payroll.xlsx");
    ASSERT_TRUE(Write(path, false));
    Python(R"(
import sys, datetime, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
wb["Payroll"]["G2"].value = datetime.timedelta(hours=9, minutes=45)  # Monday: 8:45 was wrong
wb.save(sys.argv[1])
)",
           path);
    const QString out = dir.filePath("csv");
    QProcess soffice;
    soffice.start(
        "/usr/bin/soffice",
        {"-env:UserInstallation=file://" + dir.filePath("profile"), "--headless", "--convert-to",
         "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1",
         "--outdir", out, path});
    ASSERT_TRUE(soffice.waitForFinished(120000));
    QFile totals(out + "/payroll-Totals.csv");
    ASSERT_TRUE(totals.open(QIODevice::ReadOnly)) << soffice.readAllStandardError().toStdString();
    // DAYS WORKED, then the hours columns: worked, expected, balance.
    QStringList got;
    for (const QString& line :
         QString::fromUtf8(totals.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(',');
        got << QStringList{f[1], f[3], f[10], f[11], f[12]}.join(' ');
    }
    EXPECT_EQ(got,
              (QStringList{"NAME DAYS WORKED WORKED HOURS EXPECTED HOURS BALANCE HOURS",
                           "ALICE 3 23.03 18.75 4.28", "BOB 1 8.5 30 -21.5", "CAROL 0 0 30 -30"}));
}

}  // namespace
