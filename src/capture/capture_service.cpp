#include "capture/capture_service.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "capture/card_capture.h"
#include "capture/speech.h"
#include "common/format.h"
#include "common/paths.h"
#include "common/ports.h"
#include "net/web_reporter.h"
#include "net/web_switch.h"
#include "reader/reader_ports.h"
#include "storage/store.h"

namespace horalog {

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    char b = 1;
    (void)!write(g_signalPipe[1], &b, 1);
}

// Messages of a run without a screen go to standard error.
class StderrMessages : public Messages {
public:
    void error(const QString& t) override { print(t); }
    void warning(const QString& t) override { print(t); }
    void information(const QString& t) override { print(t); }
    bool confirm(const QString& t) override { print(t); return false; }
    bool warningYesNo(const QString& t) override { print(t); return false; }
    void plain(const QString& t) override { print(t); }

private:
    static void print(const QString& t) { std::fprintf(stderr, "%s\n", qPrintable(t)); }
};

QString portName(int port) { return port >= 1 && port <= 8 ? QString("COM%1").arg(port) : "DENIED"; }

}  // namespace

int RunCaptureOnly(const QStringList& arguments) {
    const QString folder = ResolveDataFolder(arguments);
    SetDataFolder(folder);
    StderrMessages messages;
    Tdsrc store(folder);
    try {
        EnsureDataFolder(folder);
        store.OpenStore();
    } catch (const std::exception& e) {
        messages.plain(e.what());
        return 1;
    }

    ReaderLinks links;
    CardCapture capture(store, links);
    EspeakSpeech speech;
    capture.setSpeech(&speech);
    capture.feedback.recordLogged = [](const LogRecord& r) {
        std::printf("%s %s %d %s LOCK=%s\n",
                    qPrintable(FormatDateTime("yyyy-mm-dd hh:nn:ss", r.systime)),
                    qPrintable(portName(r.reader)), r.cardno, qPrintable(ModeName(r.mode)),
                    qPrintable(portName(r.lock)));
        std::fflush(stdout);
    };
    if (!OpenReaderPorts(links, store.src(), capture.hooks(), &messages)) return 1;
    int open = 0;
    for (int port = 1; port <= 8; ++port) {
        TRfidReader& link = links[port];
        if (link.IsOpen()) {
            ++open;
            std::fprintf(stderr, "%s: %s open\n", qPrintable(link.PortName()),
                         qPrintable(link.DevicePath()));
        }
    }
    std::fprintf(stderr, "capturing on %d port(s); stop with Ctrl+C\n", open);

    // The web pages run beside the capture when WebEnabled, as in the windowed program.
    WebReporter web;
    web.setReaderNames(capture.readerNames());
    if (const QString error = StartWebReporterAtLaunch(web, folder); !error.isEmpty())
        messages.error("web reporter: " + error);
    else if (web.running())
        std::fprintf(stderr, "web reporter on port %d\n", web.port());

    const Clock clock = SystemClock();
    capture.EvaluateAutoIO(clock());
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { capture.autoIO().Tick(store, clock()); });
    tick.start(1000);

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return 1;
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    int status = QCoreApplication::exec();
    tick.stop();
    web.stop();
    capture.StopRepeats();
    CloseReaderPorts(links);
    store.CloseStore();
    return status;
}

}  // namespace horalog
