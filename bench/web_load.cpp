// The web reporter under hostile and heavy load, with 1,000,000 log rows and 5,000 holders
// (the folder of bench_web: $HORALOG_BENCH_DIR or /tmp/horalog-bench-web; run bench_web first).
// Figures: a normal request alone and beside 300 idle + 300 slow-header connections; the
// memory one /logs?100000000 costs; 200 concurrent clients; card reads answered meanwhile.
#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <thread>
#include <vector>

#include "bench_util.h"
#include "capture/card_capture.h"
#include "net/web_reporter.h"
#include "reader/frames.h"
#include "reader/reader_ports.h"
#include "storage/log_table.h"
#include "storage/settings.h"
#include "storage/store.h"

using namespace horalog;

namespace {

double at(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(v.size() * q))];
}

int connectTo(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::vector<double> normalRequests(int port, int n) {
    std::vector<double> ms;
    for (int i = 0; i < n; ++i) {
        httplib::Client c("127.0.0.1", port);
        c.set_read_timeout(60, 0);
        QElapsedTimer t;
        t.start();
        auto res = c.Get("/logs?30");
        if (!res || res->status != 200) std::fprintf(stderr, "request failed\n");
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return ms;
}

// Plays reader COM1 on a pseudo-terminal: frame in, answer out, in ms.
class Reader {
public:
    Reader(Tdsrc& store) : store_(store) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master_);
        unlockpt(master_);
        keep_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
        termios tio;
        tcgetattr(keep_, &tio);
        cfmakeraw(&tio);
        tcsetattr(keep_, TCSANOW, &tio);
        WriteSettingText("PortDevice1", QString::fromLocal8Bit(ptsname(master_)));
        store.src().execute(
            "UPDATE reader SET ENABLE = 1, MODE = 1, OUTPORT = 1, LOCKTIME = 1 WHERE PORTNO = 1");
        OpenReaderPorts(links_, store.src(), capture_.hooks(), nullptr);
        firstId_ = LogTable(store.att()).last()->id;
    }
    ~Reader() {
        CloseReaderPorts(links_);
        auto q = store_.att().prepare("DELETE FROM recorder WHERE ID > ?");
        q.bindAll(firstId_);
        q.exec();
        store_.src().execute("UPDATE reader SET ENABLE = 0 WHERE PORTNO = 1");
        ::close(keep_);
        ::close(master_);
    }
    double read(int card) {
        QByteArray frame = CardFrame(card);
        QElapsedTimer t;
        t.start();
        (void)!write(master_, frame.constData(), frame.size());
        QByteArray answer;
        while (!answer.endsWith("~\xFF") && t.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 0) > 0) {
                char buf[64];
                ssize_t n = ::read(master_, buf, sizeof buf);
                if (n > 0) answer.append(buf, int(n));
            }
        }
        return t.nsecsElapsed() / 1e6;
    }

private:
    Tdsrc& store_;
    ReaderLinks links_;
    CardCapture capture_{store_, links_};
    int master_ = -1, keep_ = -1;
    qint64 firstId_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const QString folder = qEnvironmentVariable("HORALOG_BENCH_DIR", "/tmp/horalog-bench-web");
    EnsureDataFolder(folder);
    Tdsrc store(folder);
    store.OpenStore();
    const qint64 rows = LogTable(store.att()).count();
    std::printf("log rows: %lld\n", rows);
    if (rows < 1000000) std::printf("(run bench_web first for 1,000,000 rows)\n");

    WebReporter web;
    if (QString e = web.start(0, folder); !e.isEmpty()) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(e));
        return 1;
    }
    const int port = web.port();
    normalRequests(port, 5);  // warm the pool
    std::vector<double> alone = normalRequests(port, 30);
    std::printf("/logs?30 alone: median %.2f ms, max %.2f ms\n", at(alone, 0.5), at(alone, 1));

    // 300 connections that say nothing, 300 that send a header byte every 2 s.
    std::vector<int> idle, slow;
    for (int i = 0; i < 300; ++i) idle.push_back(connectTo(port));
    for (int i = 0; i < 300; ++i) slow.push_back(connectTo(port));
    std::atomic<bool> dripping{true};
    std::thread drip([&] {
        const char* header = "GET /logs HTTP/1.1\r\nX-Slow: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
        for (size_t i = 0; dripping; ++i) {
            for (int fd : slow) (void)!::send(fd, header + std::min(i, size_t(60)), 1, MSG_NOSIGNAL);
            for (int w = 0; w < 20 && dripping; ++w)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::vector<double> beside = normalRequests(port, 30);
    std::printf("/logs?30 beside 300 idle + 300 slow-header connections: median %.2f ms, "
                "max %.2f ms (delay of the median %.2f ms)\n",
                at(beside, 0.5), at(beside, 1), at(beside, 0.5) - at(alone, 0.5));
    dripping = false;
    drip.join();
    for (int fd : idle) ::close(fd);
    for (int fd : slow) ::close(fd);

    // One huge page, read as it comes: the peak resident memory above the start.
    {
        std::ofstream("/proc/self/clear_refs") << "5";  // restarts the peak count
        const long before = bench::StatusKb("VmRSS:");
        httplib::Client c("127.0.0.1", port);
        c.set_read_timeout(600, 0);
        size_t bytes = 0;
        QElapsedTimer t;
        t.start();
        auto res = c.Get("/logs?100000000", [&](const char*, size_t n) {
            bytes += n;
            return true;
        });
        const long peak = bench::StatusKb("VmHWM:");
        std::printf("/logs?100000000: %.1f MB in %.1f s, peak resident +%.1f MB over %.1f MB\n",
                    bytes / 1e6, t.elapsed() / 1000.0, (peak - before) / 1024.0, before / 1024.0);
        if (!res) std::fprintf(stderr, "huge page failed\n");
    }

    // 200 clients at once, 5 requests each, while a reader is played on the event loop.
    Reader reader(store);
    for (int i = 0; i < 20; ++i) reader.read(1 + i);
    std::vector<std::vector<double>> times(200);
    std::atomic<int> running{200};
    std::vector<std::thread> clients;
    for (int c = 0; c < 200; ++c) {
        clients.emplace_back([&, c] {
            httplib::Client cli("127.0.0.1", port);
            cli.set_read_timeout(60, 0);
            for (int i = 0; i < 5; ++i) {
                QElapsedTimer t;
                t.start();
                auto res = cli.Get(c % 2 ? "/logs?30" : "/today");
                if (!res || res->status != 200) std::fprintf(stderr, "request failed\n");
                times[c].push_back(t.nsecsElapsed() / 1e6);
            }
            --running;
        });
    }
    std::vector<double> answers;
    for (int i = 0; running > 0; ++i) answers.push_back(reader.read(1 + i % 5000));
    for (auto& t : clients) t.join();
    std::vector<double> all;
    for (auto& v : times) all.insert(all.end(), v.begin(), v.end());
    std::printf("200 concurrent clients (%zu requests): median %.2f ms, p99 %.2f ms\n",
                all.size(), at(all, 0.5), at(all, 0.99));
    std::printf("card frame to answer during that load (%zu reads): median %.2f ms, p99 %.2f ms\n",
                answers.size(), at(answers, 0.5), at(answers, 0.99));
    web.stop();
    return 0;
}
