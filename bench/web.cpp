// Web reporter at scale: 1,000,000 log rows and 5,000 holders (filled once, kept between runs
// in $HORALOG_BENCH_DIR or /tmp/horalog-bench-web). Times the opening of a read-only
// connection pair, page building alone, and /logs?30 and /today over HTTP with 4 concurrent
// keep-alive clients. Prints one line per figure. With a server url as argument, the same
// again on that server database (the folder's rows copied onto it on a first run):
//   build/bench_web postgresql://postgres@/horalog_bench_web?host=/tmp/pg
#include <httplib.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "bench_util.h"
#include "common/paths.h"
#include "net/web_pages.h"
#include "storage/postgres_driver.h"
#include "net/web_reporter.h"
#include "storage/log_table.h"
#include "storage/lookups.h"
#include "storage/staff_table.h"
#include "storage/store.h"

using namespace horalog;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double p99(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() * 99 / 100];
}

void fill(Tdsrc& store) {
    const int kRows = 1000000, kHolders = 5000;
    LogTable log(store.att());
    qint64 have = log.count();
    if (have < kRows) {
        QElapsedTimer t;
        t.start();
        std::mt19937 rng(7);
        const DateTime start = EncodeDate(2020, 1, 1);
        Transaction tr(store.att());
        for (qint64 i = have; i < kRows; ++i) {
            LogRecord r{0,
                        start.addSecs(i * 86.4 + rng() % 60),
                        int(1 + rng() % kHolders),
                        int(rng() % 3),
                        int(1 + rng() % 8),
                        0};
            log.append(r);
        }
        tr.commit();
        std::printf("fill %d log rows: %.1f s\n", kRows, t.elapsed() / 1000.0);
    }
    StaffTable staff(store.src());
    if (staff.count() < kHolders) {
        Transaction tr(store.src());
        for (int card = int(staff.count()) + 1; card <= kHolders; ++card) {
            HolderRecord h;
            h.cardno = card;
            h.name = QString("Holder %1").arg(card, 5, 10, QChar('0'));
            staff.append(h);
        }
        tr.commit();
    }
}

struct Load {
    double perSecond;
    double medianMs;
    double p99Ms;
};

Load load(int port, const std::string& target, int clients, int perClient) {
    std::vector<std::vector<double>> times(clients);
    QElapsedTimer wall;
    wall.start();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client cli("127.0.0.1", port);
            cli.set_keep_alive(true);
            cli.set_tcp_nodelay(true);
            for (int i = 0; i < perClient; ++i) {
                QElapsedTimer t;
                t.start();
                auto res = cli.Get(target.c_str());
                if (!res || res->status != 200) std::fprintf(stderr, "request failed\n");
                times[c].push_back(t.nsecsElapsed() / 1e6);
            }
        });
    }
    for (auto& t : threads) t.join();
    double seconds = wall.nsecsElapsed() / 1e9;
    std::vector<double> all;
    for (auto& v : times) all.insert(all.end(), v.begin(), v.end());
    return {all.size() / seconds, median(all), p99(all)};
}

template <typename Open>
bool Measure(const QString& folder, DateTime now, Open open) {
    std::vector<double> opens;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        auto pair = open();
        opens.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("open a read-only connection pair: median %.1f ms\n", median(opens));
    {
        auto [att, src] = open();
        PageSources s{att.get(), src.get(), {}, now, "Web Attendance Reporter"};
        for (int i = 0; i < 8; ++i) s.readers[i] = QString("COM%1").arg(i + 1);
        for (const char* target : {"/logs?30", "/today", "/person?Holder 00042"}) {
            std::string t = target;
            QString path = QString::fromStdString(t.substr(0, t.find('?')));
            PageRequest r = ParsePageRequest(path, QueryParameters(t));
            std::vector<double> ms;
            for (int i = 0; i < 200; ++i) {
                QElapsedTimer e;
                e.start();
                QString page = BuildPage(r, s);
                ms.push_back(e.nsecsElapsed() / 1e6);
            }
            std::printf("build %s (no HTTP): median %.2f ms, p99 %.2f ms\n", target, median(ms),
                        p99(ms));
        }
    }
    WebReporter web{FixedClock(now)};
    QString error = web.start(0, folder);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(error));
        return false;
    }
    load(web.port(), "/logs?30", 4, 20);  // warm the connection pool
    for (const char* target : {"/logs?30", "/today"}) {
        Load l = load(web.port(), target, 4, 500);
        std::printf("%s over HTTP, 4 clients: %.0f requests/s, median %.2f ms, p99 %.2f ms\n",
                    target, l.perSecond, l.medianMs, l.p99Ms);
    }
    web.stop();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir config;  // a private settings store: WebTitle at its default
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QString folder = qEnvironmentVariable("HORALOG_BENCH_DIR", "/tmp/horalog-bench-web");
    EnsureDataFolder(folder);
    DateTime lastDay;
    {
        Tdsrc store(folder);
        store.OpenStore();
        fill(store);
        store.att().checkpoint();
        lastDay = LogTable(store.att()).last()->systime;
        std::printf("log rows: %lld, holders: %lld\n", LogTable(store.att()).count(),
                    StaffTable(store.src()).count());
    }

    // "Today" is the last day of the filled log (about 1,000 reads).
    const DateTime now = lastDay.datePart().addSecs(23 * 3600);
    std::printf("embedded files:\n");
    auto openFiles = [&] {
        return std::make_pair(
            OpenDatabase(QDir(folder).filePath(kLogDbFile), kLogDbPassword, OpenMode::ReadOnly),
            OpenDatabase(QDir(folder).filePath(kSysDbFile), kSysDbPassword, OpenMode::ReadOnly));
    };
    if (!Measure(folder, now, openFiles)) return 1;
    if (argc > 1) {
        const QString url = QString::fromLocal8Bit(argv[1]);
        if (!bench::OntoServer(folder, url)) return 1;
        SetCommandLineDatabaseUrl(url);  // the reporter's connections go to the server
        std::printf("server %s:\n", qPrintable(UrlWithoutPassword(url)));
        auto openServer = [&] {
            return std::make_pair(OpenServerDatabase(url, OpenMode::ReadOnly),
                                  OpenServerDatabase(url, OpenMode::ReadOnly));
        };
        if (!Measure(folder, now, openServer)) return 1;
    }
    return 0;
}
