// Live log at scale: opening the store and showing the newest rows of a 1,000,000-row log,
// jumping around it as a scroll bar drag does, and the refresh after a read. Uses the log of
// bench_storage ($HORALOG_BENCH_DIR or /tmp/horalog-bench; run bench_storage first).
// Prints one line per figure.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "shell/live_log_model.h"
#include "storage/log_table.h"
#include "storage/store.h"
#include "bench_util.h"

using namespace horalog;

namespace {

// What a view does for one screen of rows: every visible cell.
void paintScreen(LiveLogModel& m, int top, int rows = 30) {
    for (int r = top; r < std::min(top + rows, m.rowCount()); ++r)
        for (int c = 0; c < LiveLogModel::ColumnCount; ++c) m.data(m.index(r, c));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString folder = qEnvironmentVariable("HORALOG_BENCH_DIR", "/tmp/horalog-bench");
    QElapsedTimer t;
    t.start();
    Tdsrc store(folder);
    store.OpenStore();
    LiveLogModel model(store);
    model.reload();
    paintScreen(model, model.rowCount() - 30);
    std::printf("open store and show the newest rows of %d: %.1f ms\n", model.rowCount(),
                t.nsecsElapsed() / 1e6);

    auto jumps = [&](const char* what) {
        std::vector<double> ms;
        for (int i = 1; i <= 40; ++i) {
            const int top =
                int(qint64(model.rowCount() - 30) * i / 41) + (what[0] == 'a' ? 300 : 0);
            QElapsedTimer s;
            s.start();
            paintScreen(model, top);
            ms.push_back(s.nsecsElapsed() / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        std::printf("jump to a screen anywhere in the log, %s: median %.1f ms, worst %.1f ms\n",
                    what, ms[ms.size() / 2], ms.back());
    };
    jumps("before the window keys are known");
    QElapsedTimer a;
    a.start();
    model.completeAnchors();
    std::printf(
        "window keys of the whole log (built in slices after start): %.1f ms total, %d keys\n",
        a.nsecsElapsed() / 1e6, model.anchors());
    jumps("after");

    std::vector<double> ms;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer s;
        s.start();
        paintScreen(model, model.rowCount() - 30 - i);  // scrolling up one row at a time
        ms.push_back(s.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("scroll one row near the end: median %.3f ms, worst %.1f ms\n", ms[ms.size() / 2],
                ms.back());

    QElapsedTimer r;
    r.start();
    model.reload();
    paintScreen(model, model.rowCount() - 30);
    std::printf("refresh of the live log (reload and newest screen): %.1f ms\n",
                r.nsecsElapsed() / 1e6);
    std::printf("resident memory: %.1f MB\n", bench::ResidentKb() / 1024.0);
    return 0;
}
