// Offline download at scale: 100,000 log records from the reader simulator over a
// pseudo-terminal into an empty log, as two downloads of 50,000 (record numbers are 16 bits,
// so one reader holds at most 65,535), then 50,000 once more that are all duplicates. Prints
// one line per figure: records per second, and the time per record spent in the program (the
// whole run less the time waiting for the reader's answers) and on the line.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "common/paths.h"
#include "common/ports.h"
#include "offline/offline_manager.h"
#include "reader/reader_ports.h"
#include "storage/log_table.h"
#include "storage/store.h"

using namespace horalog;

namespace {

class QuietMessages : public Messages {
public:
    void error(const QString& t) override { last = "error: " + t; }
    void warning(const QString& t) override { last = t; }
    void information(const QString& t) override { last = t; }
    bool confirm(const QString&) override { return true; }
    bool warningYesNo(const QString&) override { return true; }
    void plain(const QString& t) override { last = t; }
    QString last;
};

class DetailProgress : public Progress {
public:
    class Window : public ProgressWindow {
    public:
        explicit Window(DetailProgress& p) : p_(p) {}
        void step(int) override {}
        void setPosition(int) override {}
        void setDetail(const QString& t) override { p_.detail = t; }

    private:
        DetailProgress& p_;
    };
    std::unique_ptr<ProgressWindow> open(const QString&, int) override {
        return std::make_unique<Window>(*this);
    }
    QString detail;
};

bool WaitForLine(QProcess& p, const QString& prefix, QString* line = nullptr) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 30000) {
        while (p.canReadLine()) {
            QString l = QString::fromUtf8(p.readLine()).trimmed();
            if (l.startsWith(prefix)) {
                if (line) *line = l;
                return true;
            }
        }
        p.waitForReadyRead(100);
    }
    return false;
}

void Type(QProcess& sim, const QString& command) {
    sim.write((command + "\nstate\n").toUtf8());
    WaitForLine(sim, "state ");
}

struct Totals {
    qint64 records = 0, added = 0, duplicated = 0, elapsedNs = 0, waitNs = 0, mergeNs = 0;
    void add(const DownloadResult& r) {
        records += r.records;
        added += r.added;
        duplicated += r.duplicated;
        elapsedNs += r.elapsedNs;
        waitNs += r.waitNs;
        mergeNs += r.mergeNs;
    }
    void print(const char* what) const {
        const double secs = double(elapsedNs) / 1e9;
        std::printf("%s: %lld records (%lld added, %lld duplicated) in %.2f s, %.0f records/s\n",
                    what, records, added, duplicated, secs, double(records) / secs);
        std::printf("%s: program time per record %.1f us (not on the line)\n", what,
                    double(elapsedNs - waitNs) / 1e3 / double(records));
        std::printf("%s: of which merging into the log %.1f us per record\n", what,
                    double(mergeNs) / 1e3 / double(records));
        std::printf("%s: line and reader time per record %.1f us\n", what,
                    double(waitNs) / 1e3 / double(records));
    }
};

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir tmp;
    qputenv("XDG_CONFIG_HOME", tmp.filePath("config").toUtf8());
    QCoreApplication app(argc, argv);
    const QString data = tmp.filePath("data");
    QDir().mkpath(data);
    SetDataFolder(data);
    EnsureDataFolder(data);
    Tdsrc store(data);
    store.OpenStore();

    QString bin = qEnvironmentVariable("HORALOG_BIN_DIR", QCoreApplication::applicationDirPath());
    QProcess sim;
    sim.start(QDir(bin).filePath("horalog-readersim"), {"--quiet"});
    QString first;
    if (!sim.waitForStarted(5000) || !WaitForLine(sim, "pty ", &first)) {
        std::fprintf(stderr, "cannot start horalog-readersim in %s\n", qPrintable(bin));
        return 1;
    }
    ReaderLinks links;
    TRfidReader& link = links[1];
    link.PortNo = 1;
    link.Enable = true;
    link.SetDevicePath(first.mid(4));
    link.SetupPort();
    link.Open();

    QuietMessages messages;
    DetailProgress progress;
    OfflineManager manager(links, store, messages, progress);
    Totals fresh, again;
    const char* starts[] = {"2004-06-26T08:00:00", "2006-06-26T08:00:00"};
    for (const char* start : starts) {
        Type(sim, QString("log generate 50000 %1").arg(start));
        DownloadResult r = manager.Download(1, true);
        if (r.outcome != DownloadResult::Outcome::Done) {
            std::fprintf(stderr, "download failed: %s\n", qPrintable(messages.last));
            return 1;
        }
        fresh.add(r);
    }
    fresh.print("offline download 100000");
    std::printf("offline download 100000: progress detail at the end \"%s\"\n",
                qPrintable(progress.detail));

    Type(sim, QString("log generate 50000 %1").arg(starts[0]));
    again.add(manager.Download(1, true));
    again.print("repeated download 50000");
    std::printf("log rows: %lld\n", LogTable(store.att()).count());

    sim.write("quit\n");
    sim.waitForFinished(3000);
    return 0;
}
