// Reports over a large log: first-last and time-logs for 500 holders over 31 days (31,000
// records) in a log of 1,000,000 rows, read through the SQL source and written to PDF. One
// line per figure. The database is built once into the data folder and reused.
// Usage: bench_report_pdf [data folder] [output folder]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <cstdio>
#include <random>

#include "report_log.h"
#include "attendance/attendance_reports.h"
#include "printing/report_renderer.h"
#include "attendance/store_report_source.h"
#include "storage/log_table.h"
#include "storage/staff_table.h"
#include "storage/store.h"

using namespace horalog;
using namespace horalog::bench;

namespace {

using bench::CurrentRssMb;
using bench::kLogRows;
using bench::PeakRssMb;

void Measure(const char* name, ReportKind kind, ReportSource& source, const QString& folder) {
    ReportParameters p = JulyOfTheLog();
    p.recordsPerLine = 8;
    QElapsedTimer t;
    t.start();
    const ReportDocument doc = BuildReport(kind, p, source, EncodeDateTime(2004, 8, 2, 8, 0, 0));
    const double build = t.elapsed() / 1000.0;
    t.restart();
    const QString path = folder + "/" + name + ".pdf";
    QString why;
    if (!WriteReportPdf(doc, path, &why)) {
        std::printf("%s: cannot write %s: %s\n", name, qPrintable(path), qPrintable(why));
        return;
    }
    const double render = t.elapsed() / 1000.0;
    std::printf("%s: bands %zu\n", name, doc.bands.size());
    std::printf("%s: query and build seconds %.2f\n", name, build);
    std::printf("%s: pdf seconds %.2f (%lld KB)\n", name, render, QFileInfo(path).size() / 1024);
    std::printf("%s: total seconds %.2f\n", name, build + render);
    std::printf("%s: peak resident MB so far %ld\n", name, PeakRssMb());
}

}  // namespace

int main(int argc, char** argv) {
    const QString data =
        argc > 1 ? QString(argv[1]) : QDir::temp().filePath("horalog-bench-reports");
    const QString output = argc > 2 ? QString(argv[2]) : QDir::tempPath();
    if (!bench::EnsureLog(data)) return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QGuiApplication app(argc, argv);
    std::printf("resident MB at start %ld\n", CurrentRssMb());
    Tdsrc store(data);
    store.OpenStore();
    StoreReportSource source(store);
    std::printf("log rows %lld in %s\n", LogTable(store.att()).count(), qPrintable(data));
    Measure("first-last", ReportKind::FirstLast, source, output);
    Measure("time-logs", ReportKind::TimeLogs, source, output);
    std::printf("peak resident MB %ld\n", PeakRssMb());
    return 0;
}
