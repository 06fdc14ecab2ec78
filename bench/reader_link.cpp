// Card frame written on the reader side of a pseudo-terminal to OnCardCode raised by the
// link: median and 99th percentile over 1,000 frames. Run: build/bench_reader_link
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "reader/frames.h"
#include "reader/rfid_reader.h"

using namespace horalog;
using Steady = std::chrono::steady_clock;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});

    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::fprintf(stderr, "cannot create a pseudo-terminal\n");
        return 1;
    }
    const char* slavePath = ::ptsname(master);
    int slave = ::open(slavePath, O_RDWR | O_NOCTTY);
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);

    TRfidReader link;
    link.PortNo = 1;
    link.SetDevicePath(QString::fromLocal8Bit(slavePath));
    link.SetupPort();
    link.Open();

    QEventLoop loop;
    Steady::time_point raised;
    int lastCode = 0;
    link.OnCardCode = [&](bool, int, int code, DateTime, int) {
        raised = Steady::now();
        lastCode = code;
        loop.quit();
    };

    const int warmup = 50, frames = 1000;
    std::vector<double> micros;
    micros.reserve(frames);
    for (int i = 0; i < warmup + frames; ++i) {
        const int card = 1 + i;
        QByteArray frame = CardFrame(quint32(card));
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, [&] { loop.exit(1); });
        guard.start(2000);
        Steady::time_point written = Steady::now();
        if (::write(master, frame.constData(), size_t(frame.size())) != frame.size()) return 1;
        if (loop.exec() != 0 || lastCode != card) {
            std::fprintf(stderr, "frame %d not raised\n", i);
            return 1;
        }
        if (i >= warmup)
            micros.push_back(std::chrono::duration<double, std::micro>(raised - written).count());
    }
    std::sort(micros.begin(), micros.end());
    std::printf("card frame to OnCardCode, median: %.0f us\n", micros[micros.size() / 2]);
    std::printf("card frame to OnCardCode, 99th percentile: %.0f us\n",
                micros[micros.size() * 99 / 100]);
    ::close(slave);
    ::close(master);
    return 0;
}
