// Spreadsheet exports over a large log: each of the four exports for 500 holders over 31 days
// (31,000 records) in a log of 1,000,000 rows, read through the SQL source and written to
// .xlsx, on one sheet and on one sheet per holder. Each export runs in a child process of its
// own, so that its peak memory is its alone. One line per figure.
// Usage: bench_result_export [data folder] [output folder]

#include "exports/result_export.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <cstdio>

#include "common/ports.h"
#include "report_log.h"
#include "attendance/store_report_source.h"

using namespace horalog;

namespace {

class PrintedMessages : public Messages {
public:
    void error(const QString& t) override { std::printf("error: %s\n", qPrintable(t)); }
    void warning(const QString& t) override { error(t); }
    void information(const QString&) override {}
    bool confirm(const QString&) override { return true; }
    bool warningYesNo(const QString&) override { return true; }
    void plain(const QString& t) override { error(t); }
};

void Measure(const char* name, ExportKind kind, bool sheetPerHolder, const QString& data,
             const QString& output) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child != 0) {
        int status = 0;
        waitpid(child, &status, 0);
        return;
    }
    Tdsrc store(data);
    store.OpenStore();
    // The group's time attendance table, for the late and early leave export.
    auto periods = store.src().prepare("SELECT COUNT(*) FROM timetbl WHERE gid = 2");
    if (periods.next() && periods.value(0).toInt() == 0)
        store.src().execute(
            "INSERT INTO timetbl (gid, timein, timeout) VALUES (2, 9 / 24.0, 13 / 24.0), "
            "(2, 14 / 24.0, 17.5 / 24.0)");
    StoreReportSource source(store);
    ReportParameters p;
    p.period = PeriodChoice::Range;
    p.rangeFrom = EncodeDate(2004, 7, 1);
    p.rangeTo = EncodeDate(2004, 7, 31);
    p.records = RecordsOfInterest::InOut;
    p.recordsPerLine = 4;
    p.blankLines = true;
    p.newPage = sheetPerHolder;
    const QString path = QString("%1/%2%3.xlsx").arg(output, name, sheetPerHolder ? "-sheets" : "");
    QFile::remove(path);
    PrintedMessages messages;
    NoProgress progress;
    QElapsedTimer t;
    t.start();
    const bool ok = WriteResultExport(
        kind, p, source, [&](int sheets) { return OpenXlsxWriter(path, sheets); }, messages,
        progress, EncodeDateTime(2004, 8, 2, 8, 0, 0));
    const double seconds = t.elapsed() / 1000.0;
    const char* layout = sheetPerHolder ? "sheet per holder" : "one sheet";
    std::printf("%s, %s: %s in seconds %.2f (%lld KB), peak resident MB %ld\n", name, layout,
                ok ? "written" : "FAILED", seconds, QFileInfo(path).size() / 1024,
                bench::PeakRssMb());
    std::fflush(stdout);
    _exit(ok ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
    const QString data =
        argc > 1 ? QString(argv[1]) : QDir::temp().filePath("horalog-bench-reports");
    const QString output = argc > 2 ? QString(argv[2]) : QDir::tempPath();
    if (!bench::EnsureLog(data)) return 1;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCoreApplication app(argc, argv);
    const struct {
        const char* name;
        ExportKind kind;
    } exports[] = {
        {"first-last", ExportKind::FirstLast},
        {"pairs", ExportKind::Pairs},
        {"time-logs", ExportKind::TimeLogs},
        {"late-early", ExportKind::LateEarly},
    };
    for (bool perHolder : {false, true})
        for (const auto& e : exports) Measure(e.name, e.kind, perHolder, data, output);
    return 0;
}
