#include "capture/capture_service.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

#include "capture/card_capture.h"
#include "capture/speech.h"
#include "common/format.h"
#include "common/paths.h"
#include "common/ports.h"
#include "net/mail_queue.h"
#include "net/web_reporter.h"
#include "net/web_switch.h"
#include "reader/reader_ports.h"
#include "storage/folder_lock.h"
#include "storage/server_outage.h"
#include "storage/store.h"

namespace horalog {

namespace {

// The handlers only note the signal and wake the event loop through this socket pair.
int g_signalPipe[2] = {-1, -1};
volatile sig_atomic_t g_stopAsked = 0;

void onSignal(int sig) {
    const int saved = errno;
    if (sig != SIGHUP) g_stopAsked = 1;
    const char b = sig == SIGHUP ? 'H' : 'T';
    if (g_signalPipe[1] >= 0) (void)!write(g_signalPipe[1], &b, 1);
    errno = saved;
}

// The journal's priorities (syslog levels) of the lines on standard error.
enum Level { kError = 3, kWarning = 4, kInfo = 6 };

// Under systemd standard error is the journal stream named in JOURNAL_STREAM ("dev:inode");
// a "<N>" in front of a line then gives it its priority. Elsewhere lines stay plain.
bool StderrIsJournal() {
    static const bool journal = [] {
        const QByteArray stream = qgetenv("JOURNAL_STREAM");
        struct stat st {};
        if (stream.isEmpty() || ::fstat(STDERR_FILENO, &st) != 0) return false;
        return stream == QByteArray::number(quint64(st.st_dev)) + ':' +
                             QByteArray::number(quint64(st.st_ino));
    }();
    return journal;
}

void say(const QString& line, Level level = kInfo) {
    if (StderrIsJournal())
        std::fprintf(stderr, "<%d>%s\n", int(level), qPrintable(line));
    else
        std::fprintf(stderr, "%s\n", qPrintable(line));
}

// Messages of a run without a screen go to standard error.
class StderrMessages : public Messages {
public:
    void error(const QString& t) override { say(t, kError); }
    void warning(const QString& t) override { say(t, kWarning); }
    void information(const QString& t) override { say(t); }
    bool confirm(const QString& t) override {
        say(t, kWarning);
        return false;
    }
    bool warningYesNo(const QString& t) override {
        say(t, kWarning);
        return false;
    }
    void plain(const QString& t) override { say(t, kError); }
};

QString portName(int port) {
    return port >= 1 && port <= 8 ? QString("COM%1").arg(port) : "DENIED";
}

// Opens each existing database read-only and runs the queries of OpenStore, so that a bad
// file is refused before anything is written to it. Empty when both are fine (or missing:
// a first start creates them).
QString ProbeDatabases(const QString& folder) {
    struct File {
        const char* name;
        const char* password;
        const char* failure;
        QStringList queries;
    };
    const File files[] = {
        {kLogDbFile, kLogDbPassword, kCannotOpenLogDb, {"SELECT count(*) FROM recorder"}},
        {kSysDbFile,
         kSysDbPassword,
         kCannotOpenSysDb,
         {"SELECT 1 FROM apb LIMIT 1", "SELECT 1 FROM emails LIMIT 1",
          "SELECT 1 FROM staffs LIMIT 1", "SELECT 1 FROM gid LIMIT 1",
          "SELECT 1 FROM iotime LIMIT 1", "SELECT 1 FROM reader LIMIT 1"}},
    };
    for (const File& f : files) {
        const QString path = QDir(folder).filePath(f.name);
        if (!QFileInfo::exists(path)) continue;
        try {
            auto db = OpenDatabase(path, f.password, OpenMode::ReadOnly);
            for (const QString& q : f.queries) db->prepare(q).exec();
        } catch (const DbError& e) {
            return QString("%1 (%2: %3)").arg(f.failure, path, e.text());
        }
    }
    return {};
}

}  // namespace

void InstallCaptureSignalHandlers() {
    if (g_signalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) == 0) {
        // A burst of signals must never block the handler.
        ::fcntl(g_signalPipe[1], F_SETFL, ::fcntl(g_signalPipe[1], F_GETFL) | O_NONBLOCK);
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
}

int RunCaptureOnly(const QString& folder) {
    InstallCaptureSignalHandlers();
    SetDataFolder(folder);
    StderrMessages messages;

    // Nothing is written before the files proved sound and the folder is ours.
    if (const QString bad = ProbeDatabases(folder); !bad.isEmpty()) {
        say("horalog: cannot start: " + bad, kError);
        return 1;
    }
    if (g_stopAsked) return 0;
    if (!QDir().mkpath(folder)) {
        say("horalog: cannot start: cannot create directory: " + folder, kError);
        return 1;
    }
    DataFolderLock lock(folder);
    if (!lock.acquire()) {
        say("horalog: cannot start: " + lock.refusal(), kError);
        return 1;
    }
    Tdsrc store(folder);
    try {
        EnsureDataFolder(folder);
        store.OpenStore();
    } catch (const std::exception& e) {
        say(QString("horalog: cannot start: %1 (%2)").arg(e.what(), folder), kError);
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
    capture.feedback.portProblem = [](int, const QString& problem) {
        if (!problem.isEmpty()) say(problem, kError);
    };
    // An outage of the server: one line when it begins, one when it ends.
    capture.feedback.serverOutage = [](const ServerOutage& outage) {
        if (outage.down())
            say(QString("database server unreachable (%1): reads are kept locally in %2 and "
                        "doors decide from %3")
                    .arg(outage.reason().simplified(), kJournalFile, kLocalCopyFile),
                kError);
        else
            say(QString("database server reachable again: %1 read(s) kept locally forwarded")
                    .arg(outage.forwarded()),
                kError);
    };
    // The reader set-up from the reader table and the settings; again on SIGHUP.
    auto openPorts = [&]() -> bool {
        CloseReaderPorts(links);
        if (!OpenReaderPorts(links, store.src(), capture.hooks(), &messages)) return false;
        int open = 0;
        for (int port = 1; port <= 8; ++port) {
            TRfidReader& link = links[port];
            if (!link.IsOpen()) continue;
            ++open;
            say(QString("%1: %2 open").arg(link.PortName(), link.DevicePath()));
        }
        say(QString("capturing on %1 port(s); stop with Ctrl+C").arg(open));
        return true;
    };
    if (g_stopAsked || !openPorts()) {
        store.CloseStore();
        return g_stopAsked ? 0 : 1;
    }

    // The web pages run beside the capture when WebEnabled, as in the windowed program.
    WebReporter web;
    web.setReaderNames(capture.readerNames());
    if (const QString error = StartWebReporterAtLaunch(web, folder); !error.isEmpty())
        messages.error("web reporter: " + error);
    else if (web.running())
        say(QString("web reporter on port %1").arg(web.port()));

    // The mail queue runs from the stored settings. EmailEnabled is left as it is: nothing
    // here could switch it on again.
    MailQueue mail(store, nullptr);
    // A server that stays down fails the same head mail at every run: said once.
    QObject::connect(
        &mail, &MailQueue::mailDone, [failing = QString()](const QString& title, bool ok) mutable {
            if (ok) {
                say("mail sent: " + title);
                failing.clear();
            } else if (title != failing) {
                say("mail failed: " + title + " (kept in the queue, tried again at every run)",
                    kWarning);
                failing = title;
            }
        });
    mail.arm();

    const Clock clock = SystemClock();
    capture.EvaluateAutoIO(clock());
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { capture.autoIO().Tick(store, clock()); });
    tick.start(1000);

    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char got[64];
        const ssize_t n = ::read(g_signalPipe[0], got, sizeof got);
        bool reload = false;
        for (ssize_t i = 0; i < n; ++i) reload = reload || got[i] == 'H';
        if (g_stopAsked) {
            QCoreApplication::quit();
        } else if (reload) {
            sd_notify(0, "RELOADING=1");
            say("reloading the reader set-up");
            openPorts();
            web.setReaderNames(capture.readerNames());
            sd_notify(0, "READY=1");
        }
    });

    int status = 0;
    if (!g_stopAsked) {
        sd_notify(0, "READY=1");
        status = QCoreApplication::exec();
    }
    sd_notify(0, "STOPPING=1");
    tick.stop();
    mail.stop();
    web.stop();
    capture.StopRepeats();
    CloseReaderPorts(links);
    store.CloseStore();
    return status;
}

}  // namespace horalog
