// Import and export at scale: imports 100,000 log rows from another log database into an empty
// log (then once more, all duplicates), exports a log of 1,000,000 rows with 5,000 holders to
// text and to .xlsx. The big log is kept between runs in $HORALOG_BENCH_DIR (default
// /tmp/horalog-bench-maint); an argument "import" or "export" runs only that half. Prints one line
// per figure: seconds and peak resident memory.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "common/paths.h"
#include "common/ports.h"
#include "maintenance/data_files.h"
#include "maintenance/log_export.h"
#include "maintenance/log_import.h"
#include "storage/rows.h"
#include "storage/staff_table.h"
#include "storage/store.h"
#include "bench_util.h"

using namespace horalog;

namespace {

// Starts a new peak: the kernel resets VmHWM to the current resident size.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

class StderrMessages : public Messages {
public:
    void error(const QString& t) override { say("error", t); }
    void warning(const QString& t) override { say("warning", t); }
    void information(const QString& t) override { say("information", t); }
    bool confirm(const QString& t) override {
        say("confirm", t);
        return true;
    }
    bool warningYesNo(const QString& t) override {
        say("question", t);
        return true;
    }
    void plain(const QString& t) override { say("message", QString(t).replace("\n\r", "; ")); }

private:
    static void say(const char* kind, const QString& t) {
        std::fprintf(stderr, "  [%s] %s\n", kind, qPrintable(t));
    }
};

void fillLog(Connection& c, qint64 rows, unsigned seed) {
    std::mt19937 rng(seed);
    const DateTime start = EncodeDate(2020, 1, 1);
    auto q = c.prepare(
        "INSERT INTO recorder (SYSTIME, CARDNO, MODE, READER, LOCK) VALUES (?, ?, ?, ?, ?)");
    Transaction t(c);
    for (qint64 i = 0; i < rows; ++i) {
        q.bindAll(start.addSecs(double(i) * 86.4 + rng() % 60), int(1 + rng() % 6000),
                  int(rng() % 3), int(1 + rng() % 8), int(rng() % 9));
        q.exec();
        q.reset();
    }
    t.commit();
}

template <typename F>
void measure(const char* what, F&& f) {
    resetPeak();
    QElapsedTimer t;
    t.start();
    f();
    std::printf("%s: %.2f s, peak resident %.1f MB\n", what, t.elapsed() / 1000.0,
                bench::StatusKb("VmHWM:") / 1024.0);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString base = qEnvironmentVariable("HORALOG_BENCH_DIR", "/tmp/horalog-bench-maint");
    StderrMessages messages;
    NoProgress progress;
    LiveLogControl live;
    // "import" or "export" runs only that half.
    const QString only = argc > 1 ? QString(argv[1]) : QString();

    // The source of the import: another installation's log of 100,000 rows.
    const QString sourceFolder = QDir(base).filePath("source");
    EnsureDataFolder(sourceFolder);
    const QString source = QDir(sourceFolder).filePath(kLogDbFile);
    {
        auto c = OpenDatabase(source, kLogDbPassword, OpenMode::ReadWrite);
        qint64 have = LogTable(*c).count();
        if (have != 100000) {
            c->execute("DELETE FROM recorder");
            fillLog(*c, 100000, 3);
        }
    }

    if (only != "export") {
        // Import into an empty log.
        const QString importFolder = QDir(base).filePath("import");
        EnsureDataFolder(importFolder);
        SetDataFolder(importFolder);
        InstallDatabaseFile(QDir(importFolder).filePath(kLogTemplateFile),
                            QDir(importFolder).filePath(kLogDbFile), DatabaseKind::Log);
        {
            Tdsrc store(importFolder);
            store.OpenStore();
            measure("import 100,000 log rows into an empty log",
                    [&] { ImportLogRecordsFrom(store, source, messages, progress, live); });
            measure("import the same 100,000 rows again (all duplicated)",
                    [&] { ImportLogRecordsFrom(store, source, messages, progress, live); });
        }
    }
    if (only == "import") return 0;

    // Export of a log of 1,000,000 rows with 5,000 holders.
    const QString exportFolder = QDir(base).filePath("export");
    EnsureDataFolder(exportFolder);
    SetDataFolder(exportFolder);
    Tdsrc store(exportFolder);
    store.OpenStore();
    if (LogTable(store.att()).count() != 1000000) {
        QElapsedTimer t;
        t.start();
        store.att().execute("DELETE FROM recorder");
        fillLog(store.att(), 1000000, 7);
        store.src().execute("DELETE FROM staffs");
        Transaction tr(store.src());
        for (int card = 1; card <= 5000; ++card) {
            HolderRecord h;
            h.cardno = card;
            h.name = QString("Holder %1").arg(card);
            StaffTable(store.src()).append(h);
        }
        tr.commit();
        std::printf("fill 1,000,000 log rows and 5,000 holders: %.1f s\n", t.elapsed() / 1000.0);
    }
    const QString text = QDir(base).filePath("log.txt");
    const QString book = QDir(base).filePath("log.xlsx");
    measure("export 1,000,000 rows to text",
            [&] { ExportLogToText(store, text, messages, progress, live); });
    std::printf("text file: %.1f MB\n", QFileInfo(text).size() / 1048576.0);
    measure("export 1,000,000 rows to .xlsx",
            [&] { ExportLogToExcel(store, book, messages, progress, live); });
    std::printf("workbook: %.1f MB\n", QFileInfo(book).size() / 1048576.0);
    return 0;
}
