// Log database at scale: fills a log of 1,000,000 rows (once, kept between runs in
// $HORALOG_BENCH_DIR or /tmp/horalog-bench) and times the operations of a card read and of the
// live log. Prints one line per figure.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "storage/log_table.h"
#include "storage/store.h"
#include "bench_util.h"

using namespace horalog;

namespace {

template <typename F>
std::pair<double, double> timeIt(int runs, F&& f) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f(i);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 99 / 100]};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int kRows = 1000000;
    QString folder = qEnvironmentVariable("HORALOG_BENCH_DIR", "/tmp/horalog-bench");
    EnsureDataFolder(folder);
    Tdsrc store(folder);
    store.OpenStore();
    LogTable log(store.att());
    const DateTime start = EncodeDate(2020, 1, 1);
    qint64 have = log.count();
    if (have < kRows) {
        QElapsedTimer t;
        t.start();
        std::mt19937 rng(7);
        Transaction tr(store.att());
        for (qint64 i = have; i < kRows; ++i) {
            // about 1000 reads a day over the years, 5,000 cards
            LogRecord r{0, start.addSecs(i * 86.4 + rng() % 60), int(1 + rng() % 5000),
                        int(rng() % 3), int(1 + rng() % 8), 0};
            log.append(r);
        }
        tr.commit();
        std::printf("fill %d rows: %.1f s\n", kRows, t.elapsed() / 1000.0);
    }
    std::printf("log rows: %lld\n", log.count());
    auto last = *log.last();

    auto [appendMed, appendP99] = timeIt(200, [&](int i) {
        LogRecord r{0, last.systime.addSecs(i + 1), 4242, 1, 1, 0};
        log.append(r);
        log.setLock(r.id, 1);
    });
    std::printf("append one read and set its lock (committed, synchronous): median %.3f ms, p99 %.3f ms\n",
                appendMed, appendP99);

    std::mt19937 rng(11);
    auto [locMed, locP99] = timeIt(1000, [&](int) {
        qint64 i = rng() % kRows;
        volatile bool e = log.exists(start.addSecs(i * 86.4), 1 + rng() % 5000);
        (void)e;
    });
    std::printf("locate by SYSTIME+CARDNO: median %.3f ms, p99 %.3f ms\n", locMed, locP99);

    auto [cntMed, cntP99] = timeIt(20, [&](int) { volatile qint64 n = log.count(); (void)n; });
    std::printf("count(*): median %.3f ms, p99 %.3f ms\n", cntMed, cntP99);

    auto [pageMed, pageP99] =
        timeIt(200, [&](int) { auto rows = log.page(0, 100, LogOrder::NewestFirst); });
    std::printf("newest 100 rows: median %.3f ms, p99 %.3f ms\n", pageMed, pageP99);

    auto [midMed, midP99] =
        timeIt(50, [&](int i) { auto rows = log.page(i * 10000, 100, LogOrder::NewestFirst); });
    std::printf("100 rows at offsets up to 500,000 from the newest: median %.3f ms, p99 %.3f ms\n",
                midMed, midP99);

    auto q = store.att().prepare(
        "EXPLAIN QUERY PLAN SELECT ID FROM recorder ORDER BY SYSTIME DESC, CARDNO DESC, ID DESC LIMIT 100");
    while (q.next()) std::printf("plan: %s\n", q.value(3).toString().toUtf8().constData());

    std::printf("resident memory: %ld MB\n", bench::ResidentKb() / 1024);
    // keep the file at its size for the next run
    store.att().execute("DELETE FROM recorder WHERE CARDNO = 4242");
    return 0;
}
