// Card frame in to reader answer out: a frame written on the master side of a pseudo-terminal
// until the reader's answer bytes are read back, with 1,000,000 log rows and 5,000 holders.
// Uses the log of bench_storage ($HORALOG_BENCH_DIR or /tmp/horalog-bench; run it first).
// Measured with each commit synced, with the once-a-second flush, and with the holders on 50
// time profiles. With a server url as argument, then once more on that server database (the
// folder's rows copied onto it on a first run):
//   build/bench_capture postgresql://postgres@/horalog_bench?host=/tmp/pg
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "capture/card_capture.h"
#include "people/time_profiles.h"
#include "reader/frames.h"
#include "reader/reader_ports.h"
#include "bench_util.h"
#include "storage/log_table.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "storage/store.h"

using namespace horalog;

namespace {

struct Pass {
    const char* name;
    bool durable;
    bool profiles;
};

void Measure(Tdsrc& store, const std::vector<Pass>& passes) {
    bench::EnsureBenchHolders(store.src(), 5000);
    StaffTable staff(store.src());
    // The folder may be shared with bench_web, whose holders have no reader rights.
    store.src().execute("UPDATE staffs SET COM1 = 1 WHERE COM1 = 0");
    std::printf("log rows: %lld, holders: %lld\n", LogTable(store.att()).count(), staff.count());

    int master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    QString slave = QString::fromLocal8Bit(ptsname(master));
    int keep = open(ptsname(master), O_RDWR | O_NOCTTY);
    termios tio;
    tcgetattr(keep, &tio);
    cfmakeraw(&tio);
    tcsetattr(keep, TCSANOW, &tio);

    WriteSettingText("PortDevice1", slave);
    store.src().execute(
        "UPDATE reader SET ENABLE = 1, MODE = 1, OUTPORT = 1, LOCKTIME = 1 WHERE PORTNO = 1");
    ReaderLinks links;
    CardCapture capture(store, links);
    OpenReaderPorts(links, store.src(), capture.hooks(), nullptr);

    for (const Pass& pass : passes) {
        store.setDurableCommits(pass.durable);
        if (pass.profiles) {
            ScheduleStore schedules(store.src());
            if (schedules.profiles().size() < 51) {
                for (int n = 1; n <= 50; ++n) {
                    TimeProfile p;
                    p.name = QString("Bench %1").arg(n);
                    p.periods = {{0, 720}, {720, 1440}};
                    p.days.fill(true);
                    p.onHolidays = true;
                    schedules.saveProfile(p);
                }
                for (int d = 0; d < 20; ++d)
                    schedules.saveHoliday({QDate(2026, 1, 1).addDays(d * 7), "Bench"});
            }
            store.src().execute(
                "UPDATE staffs SET ACCESSGRP = (SELECT min(ID) FROM timeprofile WHERE ID > 0) + "
                "CARDNO % 50");
        } else {
            store.src().execute("UPDATE staffs SET ACCESSGRP = 0");
        }
        qint64 firstId = 0;
        std::vector<double> ms;
        for (int i = 0; i < 1050; ++i) {
            QByteArray frame = CardFrame(1 + i % 5000);
            QElapsedTimer t;
            t.start();
            (void)!write(master, frame.constData(), frame.size());
            QByteArray answer;
            while (!answer.endsWith("~\xFF")) {
                QCoreApplication::processEvents(QEventLoop::AllEvents);
                pollfd p{master, POLLIN, 0};
                if (poll(&p, 1, 0) > 0) {
                    char buf[64];
                    ssize_t n = read(master, buf, sizeof buf);
                    if (n > 0) answer.append(buf, int(n));
                }
                if (t.elapsed() > 2000) break;
            }
            if (i == 0) firstId = LogTable(store.att()).last()->id;
            if (i >= 50) ms.push_back(t.nsecsElapsed() / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        std::printf("card frame to reader answer, %s (%zu reads): median %.3f ms, p99 %.3f ms\n",
                    pass.name, ms.size(), ms[ms.size() / 2], ms[ms.size() * 99 / 100]);
        auto q = store.att().prepare("DELETE FROM recorder WHERE ID >= ?");
        q.bindAll(firstId);
        q.exec();
    }
    CloseReaderPorts(links);
    close(keep);
    close(master);
    store.src().execute("UPDATE staffs SET ACCESSGRP = 0");
    store.src().execute("UPDATE reader SET ENABLE = 0 WHERE PORTNO = 1");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString folder = qEnvironmentVariable("HORALOG_BENCH_DIR", "/tmp/horalog-bench");
    EnsureDataFolder(folder);
    {
        // One read loop, three settings: each commit synced to disk, the once-a-second flush,
        // and the flush with the holders spread over 50 time profiles that admit at any hour
        // (the lookup is paid, the answer stays the same).
        Tdsrc store(folder);
        store.OpenStore();
        std::printf("embedded files:\n");
        Measure(store, {{"DurableCommits on, no profiles", true, false},
                        {"DurableCommits off, no profiles", false, false},
                        {"DurableCommits off, 50 profiles", false, true}});
    }
    if (argc > 1) {
        const QString url = QString::fromLocal8Bit(argv[1]);
        if (!bench::OntoServer(folder, url)) return 1;
        Tdsrc store(folder, url);
        store.OpenStore();
        std::printf("server %s:\n", qPrintable(UrlWithoutPassword(url)));
        Measure(store, {{"server, no profiles", true, false}});
    }
    return 0;
}
