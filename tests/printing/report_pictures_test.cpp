// The pictures of the README's reports section, made by the program: the scope dialog and a
// preview page. Written to HORALOG_DOCS_DIR when it is set (docs/ of the source tree), else to
// a temporary folder; either way the test checks that something was drawn.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "attendance/report_fixture.h"
#include "attendance/ui/scope_dialogs.h"
#include "people/store_fixture.h"
#include "printing/report_renderer.h"
#include "printing/ui/report_preview.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

QString PictureFolder(const QTemporaryDir& fallback) {
    const QString docs = qEnvironmentVariable("HORALOG_DOCS_DIR");
    return docs.isEmpty() ? fallback.path() : docs;
}

// Not one colour all over: something was drawn.
bool Drawn(const QImage& image) {
    if (image.isNull()) return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            if (image.pixel(x, y) != first) return true;
    return false;
}

// The preview window of a document at a size, once its first page is painted.
QImage PreviewPicture(const ReportDocument& doc, QSize size, Messages& messages) {
    bool painted = false;
    RecordingFileDialogs files;
    ReportPreview preview(
        [&](QPagedPaintDevice& device) {
            painted = true;
            return RenderDocument(doc, device);
        },
        doc.title, files, messages);
    preview.resize(size);
    preview.show();
    QElapsedTimer t;
    t.start();
    while (!painted && t.elapsed() < 10000) QApplication::processEvents();
    QApplication::processEvents();
    return painted ? preview.grab().toImage() : QImage();
}

using ReportPictures = PeopleStoreTest;

TEST_F(ReportPictures, ScopeDialogAndPreviewPage) {
    QTemporaryDir tmp;
    const QString folder = PictureFolder(tmp);

    TSetScope scope(src(), messages, At("2004-06-30 10:00"));
    scope.setWindowTitle("Time Logs");
    scope.show();
    QApplication::processEvents();
    const QImage dialog = scope.grab().toImage();
    ASSERT_TRUE(Drawn(dialog));
    ASSERT_TRUE(dialog.save(folder + "/report_scope.png"));

    ReportFixture f;
    f.source.AddHolder(102, "BRUNO", 1, false);
    f.Add(101, {{"2004-06-21 08:55", 1},
                {"2004-06-21 12:02", 2},
                {"2004-06-21 13:01", 1},
                {"2004-06-21 17:40", 2},
                {"2004-06-22 09:07", 1},
                {"2004-06-22 17:20", 2},
                {"2004-06-24 08:50", 1},
                {"2004-06-24 17:52", 2}});
    f.Add(102, {{"2004-06-21 09:20", 1},
                {"2004-06-21 17:31", 2},
                {"2004-06-23 08:58", 1},
                {"2004-06-23 16:45", 2}});
    auto p = ReportFixture::Params(RecordsOfInterest::InOut);
    p.enhanced = true;
    p.blankLines = true;
    const ReportDocument doc = f.Build(ReportKind::FirstLast, p);
    const QImage page = PreviewPicture(doc, QSize(900, 760), messages);
    ASSERT_TRUE(Drawn(page));
    ASSERT_TRUE(page.save(folder + "/report_preview.png"));
}

// A month of one holder: the timesheet's first page as a picture, and its PDF read back with a
// real text extractor.
TEST_F(ReportPictures, TimesheetPageAndPdfText) {
    QTemporaryDir tmp;
    const QString folder = PictureFolder(tmp);
    ReportFixture f;
    for (QDate d(2004, 6, 1); d <= QDate(2004, 6, 30); d = d.addDays(1)) {
        if (d.dayOfWeek() >= 6 || (d.day() >= 14 && d.day() <= 16) || d.day() == 24) continue;
        const DateTime day = DateTime::fromDate(d);
        f.source.AddRecord(day.addSecs(8 * 3600 + 50 * 60 + d.day() * 37), 101, 1);
        f.source.AddRecord(day.addSecs(17 * 3600 + 35 * 60 - d.day() * 53), 101, 2);
    }
    f.source.AddAbsence({0, 101, QDate(2004, 6, 14), QDate(2004, 6, 16), HalfDay::Full, "V", ""});
    f.source.AddHoliday(QDate(2004, 6, 24), "Midsummer");
    f.source.AddHandChange(101, QDate(2004, 6, 9));
    auto p = ReportFixture::Params();
    p.rangeFrom = At("2004-06-01");
    p.rangeTo = At("2004-06-30");
    const ReportDocument doc = f.Build(ReportKind::Timesheet, p);

    const QString pdf = tmp.filePath("timesheet.pdf");
    ASSERT_TRUE(WriteReportPdf(doc, pdf));
    QProcess text;
    text.start("/usr/bin/pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString got = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* line :
         {"Monthly Timesheet", "[101] ALICE (OFFICE)", "Mon 14 Jun", "Vacation",
          "Holiday: Midsummer", "* Wed 09 Jun", "Days worked 18", "Absent: Vacation 3, Holiday 1",
          "Supervisor: __________________", "Period: open"})
        EXPECT_TRUE(got.contains(line)) << line << "\n" << got.toStdString();

    const QImage page = PreviewPicture(doc, QSize(900, 1000), messages);
    ASSERT_TRUE(Drawn(page));
    ASSERT_TRUE(page.save(folder + "/timesheet.png"));
}

}  // namespace
