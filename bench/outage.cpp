// Card frame in to reader answer out while the database server goes away and comes back: a
// capture on the server at url (first argument, 5,000 holders are added when fewer), then with
// the server stopped by the second argument (a shell command), then started again by the third.
// Prints median and p99 of each phase and how long the kept reads took to reach the server.
//   build/bench_outage postgresql://postgres@/horalog_bench?host=/tmp/pg
//       "pg_ctl -D /tmp/pg/data -m fast -w stop" "pg_ctl -D /tmp/pg/data -l /tmp/pg/log -w start"
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_util.h"
#include "capture/card_capture.h"
#include "common/paths.h"
#include "reader/frames.h"
#include "reader/reader_ports.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "storage/store.h"

using namespace horalog;

namespace {

int g_master = -1;

// Milliseconds from a frame written to the reader's whole answer read back.
double OneRead(int card) {
    const QByteArray frame = CardFrame(quint32(card));
    QElapsedTimer t;
    t.start();
    (void)!write(g_master, frame.constData(), frame.size());
    QByteArray answer;
    while (!answer.endsWith("~\xFF") && t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        pollfd p{g_master, POLLIN, 0};
        if (poll(&p, 1, 0) > 0) {
            char buf[64];
            const ssize_t n = read(g_master, buf, sizeof buf);
            if (n > 0) answer.append(buf, int(n));
        }
    }
    return t.nsecsElapsed() / 1e6;
}

void Phase(const char* name, int reads) {
    std::vector<double> ms;
    for (int i = 0; i < reads; ++i) ms.push_back(OneRead(1 + i % 5000));
    std::sort(ms.begin(), ms.end());
    std::printf(
        "card frame to reader answer, %s (%d reads): median %.3f ms, p99 %.3f ms, "
        "max %.3f ms\n",
        name, reads, ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_outage URL STOP-COMMAND START-COMMAND\n");
        return 2;
    }
    const QString url = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir folder;
    SetDataFolder(folder.path());
    EnsureDataFolder(folder.path());
    Tdsrc store(folder.path(), url);
    store.OpenStore();
    bench::EnsureBenchHolders(store.src(), 5000);

    g_master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(g_master);
    unlockpt(g_master);
    const int keep = open(ptsname(g_master), O_RDWR | O_NOCTTY);
    termios tio;
    tcgetattr(keep, &tio);
    cfmakeraw(&tio);
    tcsetattr(keep, TCSANOW, &tio);
    WriteSettingText("PortDevice1", QString::fromLocal8Bit(ptsname(g_master)));
    store.src().execute(
        "UPDATE reader SET ENABLE = 1, MODE = 1, OUTPORT = 1, LOCKTIME = 1 WHERE PORTNO = 1");
    ReaderLinks links;
    CardCapture capture(store, links);
    OpenReaderPorts(links, store.src(), capture.hooks(), nullptr);

    Phase("server up", 500);
    if (std::system(argv[2]) != 0) std::fprintf(stderr, "the stop command failed\n");
    Phase("server stopped", 500);
    if (std::system(argv[3]) != 0) std::fprintf(stderr, "the start command failed\n");
    // The kept reads reach the server at the next retry (every 3 s) and the forward itself.
    QElapsedTimer forward;
    forward.start();
    const qint64 kept = store.journal().count();
    while (store.journal().count() > 0 && forward.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::printf("%lld kept reads on the server %.0f ms after it started again (retry included)\n",
                kept, double(forward.elapsed()));
    Phase("server back", 500);
    CloseReaderPorts(links);
    store.src().execute("UPDATE reader SET ENABLE = 0 WHERE PORTNO = 1");
    return 0;
}
