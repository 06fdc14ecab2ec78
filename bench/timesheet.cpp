// The month's close at scale: the Monthly Timesheet of 500 holders for July 2004 in a log of
// 1,000,000 rows written to PDF, and the payroll export of the same as a workbook and as CSV.
// Time and peak memory, one line per figure. Usage: bench_timesheet [data folder] [output folder]

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <cstdio>

#include "attendance/attendance_reports.h"
#include "attendance/store_report_source.h"
#include "exports/payroll_export.h"
#include "printing/report_renderer.h"
#include "report_log.h"
#include "storage/store.h"

using namespace horalog;
using namespace horalog::bench;

int main(int argc, char** argv) {
    const QString data =
        argc > 1 ? QString(argv[1]) : QDir::temp().filePath("horalog-bench-reports");
    const QString output = argc > 2 ? QString(argv[2]) : QDir::tempPath();
    if (!EnsureLog(data)) return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QGuiApplication app(argc, argv);
    Tdsrc store(data);
    store.OpenStore();
    StoreReportSource source(store);
    const DateTime now = EncodeDateTime(2004, 8, 2, 8, 0, 0);

    QElapsedTimer t;
    t.start();
    const ReportDocument doc = BuildReport(ReportKind::Timesheet, JulyOfTheLog(), source, now);
    const double build = t.elapsed() / 1000.0;
    t.restart();
    const QString pdf = output + "/timesheets.pdf";
    if (!WriteReportPdf(doc, pdf)) return 1;
    std::printf("timesheets: 500 holders, build seconds %.2f, pdf seconds %.2f (%lld KB)\n",
                build, t.elapsed() / 1000.0, QFileInfo(pdf).size() / 1024);
    std::printf("timesheets: peak resident MB so far %ld\n", PeakRssMb());

    PrintedMessages messages;
    NoProgress progress;
    for (const bool csv : {false, true}) {
        const QString path = output + (csv ? "/payroll.csv" : "/payroll.xlsx");
        QFile::remove(path);
        t.restart();
        const bool ok = WritePayrollExport(
            JulyOfTheLog(), source,
            [&](int sheets) {
                return csv ? OpenCsvWriter(path, true) : OpenXlsxWriter(path, sheets);
            },
            !csv, messages, progress, now);
        std::printf("payroll %s: seconds %.2f (%lld KB)%s\n", csv ? "csv" : "xlsx",
                    t.elapsed() / 1000.0, QFileInfo(path).size() / 1024, ok ? "" : " FAILED");
    }
    std::printf("peak resident MB %ld\n", PeakRssMb());
    return 0;
}
