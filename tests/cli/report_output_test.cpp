// The PDF renderer read back with pdftotext, and the `horalog report` command.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "attendance/report_fixture.h"
#include "cli/report_command.h"
#include "printing/report_renderer.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

QString PdfText(const QString& path) {
    QProcess p;
    p.start("/usr/bin/pdftotext", {"-layout", path, "-"});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

void FillWeek(ReportFixture& f) {
    f.Add(101, {{"2004-06-23 08:55", 1}, {"2004-06-23 17:52", 2}});
}

TEST(ReportPdf, PageFrameAndBandsReadBack) {
    QTemporaryDir dir;
    ReportFixture f;
    FillWeek(f);
    for (int i = 0; i < 120; ++i)
        f.source.AddHolder(1000 + i, QString("HOLDER%1").arg(i, 3, 10, QChar('0')), 1, false);
    auto p = ReportFixture::Params(RecordsOfInterest::InOut);
    p.enhanced = true;
    const auto doc = f.Build(ReportKind::FirstLast, p);
    const QString path = dir.filePath("filo.pdf");
    QString why;
    ASSERT_TRUE(WriteReportPdf(doc, path, &why)) << why.toStdString();
    const QString text = PdfText(path);
    for (const char* s :
         {"First In Last Out (IN/OUT)", "Horalog", "From: 21/Jun/2004 To: 27/Jun/2004",
          "[101] ALICE (OFFICE)", "Jun 23, 2004 Wed - 08:55:00[IN]", "17:52:00[OUT]",
          "[OT(00:20:00)]", "Printed on 30/Jun/2004 10:00:00", "P. 1", "P. 2",
          "[1119] HOLDER119 (OFFICE)"})
        EXPECT_TRUE(text.contains(s)) << s << "\n" << text.left(3000).toStdString();
    EXPECT_EQ(text.count("First In Last Out (IN/OUT)"), text.count("Printed on"));  // every page

    // a file that cannot be written says why
    EXPECT_FALSE(WriteReportPdf(doc, dir.filePath("no/such/folder/x.pdf"), &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST(ReportPdf, NewPageOnEachPerson) {
    QTemporaryDir dir;
    ReportFixture f;
    f.source.AddHolder(102, "BRUNO", 1, false);
    FillWeek(f);
    auto p = ReportFixture::Params();
    p.newPage = true;
    const QString path = dir.filePath("logs.pdf");
    ASSERT_TRUE(WriteReportPdf(f.Build(ReportKind::TimeLogs, p), path));
    const QStringList pages = PdfText(path).split('\f', Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains("[101] ALICE (2 record(s))"));
    EXPECT_FALSE(pages[0].contains("BRUNO"));
    EXPECT_TRUE(pages[1].contains("[102] BRUNO (0 record(s))"));
    EXPECT_TRUE(pages[1].contains("P. 2"));
}

struct Outcome {
    int status;
    QString out, err;
};

Outcome Command(ReportSource& source, const QStringList& args,
                const char* now = "2004-06-30 10:00") {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = RunReportCommand(args, source, o, e, FixedClock(At(now)));
    return {status, out, err};
}

TEST(ReportCommand, BadOptionsAreOneLineAndStatus2) {
    ReportFixture f;
    FillWeek(f);
    const QStringList bad[] = {
        {},
        {"fist-last"},
        {"first-last", "--period", "yesterday"},
        {"first-last", "--from", "2004-06-21"},
        {"first-last", "--from", "2004-6-21", "--to", "2004-06-25"},
        {"first-last", "--from", "2004-06-21", "--to", "2004-06-25", "--period", "all"},
        {"first-last", "--records", "some"},
        {"first-last", "--format", "4"},
        {"time-logs", "--per-line", "3"},
        {"first-last", "--persons", "group"},
        {"first-last", "--persons", "list", "--group", "SHOP"},
        {"first-last", "--bogus"},
        {"first-last", "two-session"},
        {"first-last", "--pdf"},
        {"whos-in-out", "--day", "30/06/2004"},
    };
    for (const auto& args : bad) {
        const Outcome r = Command(f.source, args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("horalog report: ")) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    const Outcome help = Command(f.source, {"report", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("usage: horalog report KIND"));
}

TEST(ReportCommand, TextLinesOfEachPrintout) {
    ReportFixture f;
    FillWeek(f);
    Outcome r = Command(f.source, {"report", "first-last", "--from", "2004-06-21", "--to",
                                   "2004-06-25", "--records", "inout", "--format", "1"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.split('\n'),
              (QStringList{"First In Last Out (IN/OUT)", "From: 21/Jun/2004 To: 25/Jun/2004", "",
                           " [101] ALICE (OFFICE) ",
                           "  Jun 23, 2004 Wed - 08:55:00[IN]    17:52:00[OUT]   [OT(00:20:00)]",
                           " Clocked day=1, Error day=0, Late day=0(00:00:00 ), Early Leave "
                           "day=0(00:00:00 ), Overtime day=1(00:20:00 ) ",
                           ""}));

    // "last week" seen from Monday 2004-06-28 is the week of the records
    r = Command(f.source, {"time-logs", "--period", "last-week", "--format", "3"},
                "2004-06-28 07:00");
    EXPECT_TRUE(r.out.contains("From: 21/Jun/2004 To: 27/Jun/2004"));
    EXPECT_TRUE(r.out.contains("  Jun 23, 2004 Wed - 08:55[I] 17:52[O] "));
    r = Command(f.source, {"time-logs", "--period", "this-week"}, "2004-06-28 07:00");
    EXPECT_TRUE(r.out.contains(" No of day(s) = 0 "));

    r = Command(f.source, {"whos-in-out", "--day", "2004-06-23", "--format", "1"});
    EXPECT_TRUE(r.out.contains("  ALICE                17:52:00 - 08:55:00 [IN]   (08:57:00)"))
        << r.out.toStdString();
    r = Command(f.source, {"first-last", "--group", "NOBODY"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("nothing printed"));
}

TEST(ReportCommand, EmptyLogAndPdfFile) {
    MemoryReportSource empty;
    const Outcome r = Command(empty, {"time-logs"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "No record.\n");

    QTemporaryDir dir;
    ReportFixture f;
    FillWeek(f);
    const QString path = dir.filePath("hours.pdf");
    const Outcome ok = Command(f.source, {"total-hours", "--period", "all", "--pdf", path});
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.isEmpty());
    EXPECT_TRUE(PdfText(path).contains("Total Hours (All)"));
    const Outcome fail = Command(f.source, {"total-hours", "--pdf", dir.filePath("x/y.pdf")});
    EXPECT_EQ(fail.status, 1);
    EXPECT_TRUE(fail.err.startsWith("horalog report: cannot write"));
}

// The who's-status printouts start each holder or category on a page of its own unless told
// otherwise, as their dialog's "New page on new category" does by default.
TEST(ReportCommand, DailyPrintoutsBreakPagesByDefault) {
    QTemporaryDir dir;
    ReportFixture f;
    f.source.AddHolder(102, "BRUNO", 1, false);
    FillWeek(f);
    struct Case {
        QStringList args;
        int pages;
    };
    const Case cases[] = {
        {{"daily-individual"}, 2},
        {{"daily-individual", "--no-new-page"}, 1},
        {{"whos-in-out"}, 4},
        {{"whos-in-out", "--no-new-page"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const QString path = dir.filePath("day.pdf");
        const Outcome r =
            Command(f.source, c.args + QStringList{"--day", "2004-06-23", "--pdf", path});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(PdfText(path).count("Printed on"), c.pages);
    }
}

}  // namespace
