// Reports over a large log: first-last and time-logs for 500 holders over 31 days (about
// 31,000 records) in a log of 1,000,000 rows, written to PDF. One line per figure.
// Usage: bench_report_pdf [output folder]

#include <sys/resource.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <cstdio>
#include <random>

#include "reports/attendance_reports.h"
#include "reports/memory_report_source.h"
#include "reports/report_renderer.h"

using namespace horalog;

namespace {

long PeakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

long CurrentRssMb() {
    QFile f("/proc/self/statm");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const auto parts = QString(f.readAll()).split(' ');
    return parts.size() > 1 ? parts[1].toLong() * 4096 / (1024 * 1024) : -1;
}

void Fill(MemoryReportSource& s) {
    WorkGroup g;
    g.id = 1;
    g.name = "OFFICE";
    g.wdFrom1 = EncodeTime(9, 0, 0);
    g.wdTo1 = EncodeTime(13, 0, 0);
    g.wdFrom2 = EncodeTime(14, 0, 0);
    g.wdTo2 = EncodeTime(17, 30, 0);
    g.otMin = 15;
    g.otMulti = 5;
    s.AddGroup(g);
    for (int i = 1; i <= 500; ++i)
        s.AddHolder({i, QString("HOLDER %1").arg(i, 4, 10, QChar('0')), 1, false});
    std::mt19937 rnd(7);
    std::uniform_int_distribution<int> jitter(-20 * 60, 20 * 60);
    s.ReserveRecords(1000000);
    const DateTime july = EncodeDate(2004, 7, 1);
    long n = 0;
    // the period: each holder IN and OUT on every day of July 2004
    for (int d = 0; d < 31; ++d)
        for (int card = 1; card <= 500; ++card) {
            s.AddRecord({july.addDays(d).addSecs(9 * 3600 + jitter(rnd)), card, 1, 1, 0});
            s.AddRecord({july.addDays(d).addSecs(17.5 * 3600 + jitter(rnd)), card, 2, 2, 0});
            n += 2;
        }
    // the rest of the log: earlier years, the same holders and 4,500 more cards
    std::uniform_int_distribution<int> cardOf(1, 5000), dayOf(0, 3 * 365),
        secOf(6 * 3600, 20 * 3600);
    const DateTime start = EncodeDate(2001, 6, 1);
    for (; n < 1000000; ++n)
        s.AddRecord(
            {start.addDays(dayOf(rnd)).addSecs(secOf(rnd)), cardOf(rnd), 1 + int(n % 2), 1, 0});
}

void Measure(const char* name, ReportKind kind, ReportSource& source, const QString& folder) {
    ReportParameters p;
    p.period = PeriodChoice::Range;
    p.rangeFrom = EncodeDate(2004, 7, 1);
    p.rangeTo = EncodeDate(2004, 7, 31);
    p.records = RecordsOfInterest::InOut;
    p.recordFormat = 1;
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
    std::printf("%s: build seconds %.2f\n", name, build);
    std::printf("%s: pdf seconds %.2f (%lld KB)\n", name, render, QFileInfo(path).size() / 1024);
    std::printf("%s: total seconds %.2f\n", name, build + render);
    std::printf("%s: peak resident MB so far %ld\n", name, PeakRssMb());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString(argv[1]) : QDir::tempPath();
    std::printf("resident MB at start %ld\n", CurrentRssMb());
    QElapsedTimer t;
    t.start();
    MemoryReportSource source;
    Fill(source);
    source.LogSpan();  // index now, outside the measures
    std::printf("log rows %zu, generated and indexed in seconds %.2f\n", source.RecordCount(),
                t.elapsed() / 1000.0);
    std::printf("resident MB with the log in memory %ld\n", CurrentRssMb());
    Measure("first-last", ReportKind::FirstLast, source, folder);
    Measure("time-logs", ReportKind::TimeLogs, source, folder);
    std::printf("peak resident MB %ld\n", PeakRssMb());
    return 0;
}
