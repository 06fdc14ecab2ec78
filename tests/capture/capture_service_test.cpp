// horalog --capture-only started the way horalog-capture.service starts it: the same
// arguments and environment, a notify socket the test listens on, readers on
// pseudo-terminals, signals from outside.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "reader/frames.h"
#include "storage/folder_lock.h"
#include "storage/log_table.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "support/free_port.h"
#include "support/pty.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

// The datagrams a service sends to systemd (sd_notify), received on a socket of the test.
class NotifySocket {
public:
    NotifySocket() {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        path_ = dir_.filePath("notify");
        std::strncpy(addr.sun_path, QFile::encodeName(path_).constData(), sizeof addr.sun_path - 1);
        ok_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~NotifySocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return ok_; }
    QString path() const { return path_; }
    // The next datagram, or empty after timeoutMs.
    QByteArray next(int timeoutMs) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return {};
        char buf[512];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        return n > 0 ? QByteArray(buf, int(n)) : QByteArray();
    }

private:
    QTemporaryDir dir_;
    QString path_;
    int fd_ = -1;
    bool ok_ = false;
};

// The program as the unit runs it.
class CaptureService {
public:
    explicit CaptureService(const QString& folder, const QString& notifySocket = QString()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HORALOG_DATA", folder);  // XDG_CONFIG_HOME: the test's own settings
        if (!notifySocket.isEmpty()) env.insert("NOTIFY_SOCKET", notifySocket);
        proc_.setProcessEnvironment(env);
        proc_.start(BinaryPath("horalog"), {"--capture-only", "--data", folder});
        started_ = proc_.waitForStarted();
    }
    ~CaptureService() {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.kill();
            proc_.waitForFinished();
        }
    }
    bool started() const { return started_; }
    void signal(int sig) { ::kill(pid_t(proc_.processId()), sig); }
    // Reads what arrived; true once text is on stderr (or stdout) within timeoutMs.
    bool waitErr(const QByteArray& text, int timeoutMs = 10000) {
        return WaitUntil([&] { return poll(), err.contains(text); }, timeoutMs);
    }
    bool waitOut(const QByteArray& text, int timeoutMs = 10000) {
        return WaitUntil([&] { return poll(), out.contains(text); }, timeoutMs);
    }
    void poll() {
        proc_.waitForReadyRead(10);
        err += proc_.readAllStandardError();
        out += proc_.readAllStandardOutput();
    }
    // The exit status, or -1 when the process did not end by itself (killed by a signal).
    int finish(int timeoutMs = 10000) {
        if (!proc_.waitForFinished(timeoutMs)) return -2;
        poll();
        return proc_.exitStatus() == QProcess::NormalExit ? proc_.exitCode() : -1;
    }

    QByteArray err, out;

private:
    QProcess proc_;
    bool started_ = false;
};

void EnableReader(const QString& folder, int port) {
    Tdsrc store(folder);
    store.OpenStore();
    store.src().execute(
        QString("UPDATE reader SET ENABLE = 1, MODE = 1 WHERE PORTNO = %1").arg(port));
}

qint64 LogCount(const QString& folder) {
    Tdsrc store(folder);
    store.OpenStore();
    return LogTable(store.att()).count();
}

std::map<std::string, std::string> Checksums(const QString& folder) {
    std::map<std::string, std::string> sums;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files)) {
        QFile file(f.filePath());
        file.open(QIODevice::ReadOnly);
        // The engine's read-only open may add its empty side files (-wal, -shm): only the
        // files that were there count.
        if (f.fileName().endsWith("-wal") || f.fileName().endsWith("-shm")) continue;
        sums[f.fileName().toStdString()] =
            QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                .toHex()
                .left(12)
                .toStdString();
    }
    return sums;
}

// Reads on a pseudo-terminal, a device change and SIGHUP, reads on the new device, SIGTERM:
// every answered read is in the log, and READY comes only once the port is open.
TEST(CaptureService, ReadyReloadAndStopLikeTheUnit) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    EnableReader(data.path(), 1);
    PseudoTerminal first, second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    WriteSettingText("PortDevice1", first.slavePath());
    NotifySocket notify;
    ASSERT_TRUE(notify.ok());

    CaptureService service(data.path(), notify.path());
    ASSERT_TRUE(service.started());
    QByteArray message;
    for (int i = 0; i < 100 && !message.contains("READY=1"); ++i) message = notify.next(100);
    ASSERT_TRUE(message.contains("READY=1")) << service.err.constData();
    service.poll();
    EXPECT_TRUE(service.err.contains("COM1: " + first.slavePath().toUtf8() + " open"))
        << "ready before the port was open: " << service.err.constData();

    first.write(CardFrame(1001));
    ASSERT_TRUE(service.waitOut(" COM1 1001 IN LOCK=DENIED\n")) << service.out.constData();
    EXPECT_FALSE(first.readAvailable(2000).isEmpty()) << "the reader got no answer";

    WriteSettingText("PortDevice1", second.slavePath());
    service.signal(SIGHUP);
    EXPECT_EQ(notify.next(5000), "RELOADING=1");
    EXPECT_EQ(notify.next(5000), "READY=1");
    ASSERT_TRUE(service.waitErr("COM1: " + second.slavePath().toUtf8() + " open"));
    second.write(CardFrame(1002));
    ASSERT_TRUE(service.waitOut(" COM1 1002 IN LOCK=DENIED\n")) << service.out.constData();
    EXPECT_FALSE(second.readAvailable(2000).isEmpty()) << "the reader got no answer";
    first.write(CardFrame(1003));  // the old device is closed
    RunEventsFor(300);

    service.signal(SIGTERM);
    EXPECT_EQ(service.finish(), 0) << service.err.constData();
    EXPECT_EQ(notify.next(1000), "STOPPING=1");
    EXPECT_EQ(service.out.count('\n'), 2) << service.out.constData();
    EXPECT_FALSE(service.err.contains("\"")) << service.err.constData();

    Tdsrc store(data.path());
    store.OpenStore();
    auto q = store.att().prepare("SELECT CARDNO FROM recorder ORDER BY SYSTIME, CARDNO");
    QList<int> cards;
    while (q.next()) cards << q.integer("CARDNO");
    EXPECT_EQ(cards, (QList<int>{1001, 1002}));
    EXPECT_FALSE(QFile::exists(data.file(kFolderLockFile))) << "the lock stays behind";
}

// A stop asked for as soon as the program says anything ends it cleanly with nothing logged.
TEST(CaptureService, StopRightAfterStartIsClean) {
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        TempDataFolder data;
        EnsureDataFolder(data.path());
        CaptureService service(data.path());
        ASSERT_TRUE(service.started());
        ASSERT_TRUE(WaitUntil(
            [&] {
                service.poll();
                return !service.err.isEmpty();
            },
            10000));
        service.signal(sig);
        EXPECT_EQ(service.finish(), 0) << service.err.constData();
        EXPECT_EQ(LogCount(data.path()), 0);
    }
}

// A bad database is refused before anything is written: every file keeps its checksum, and
// the message names the file and the engine's reason.
TEST(CaptureService, FailedStartWritesNothing) {
    struct Case {
        const char* name;
        const char* file;
        std::function<void(const QString& path)> spoil;
        const char* reason;
    };
    const Case cases[] = {
        {"zero bytes", kLogDbFile,
         [](const QString& path) {
             QFile f(path);
             f.open(QIODevice::WriteOnly | QIODevice::Truncate);
         },
         "no such table: recorder"},
        {"not a database", kLogDbFile,
         [](const QString& path) {
             QFile f(path);
             f.open(QIODevice::WriteOnly | QIODevice::Truncate);
             f.write(QByteArray(4096, 'x'));
         },
         "file is encrypted or is not a database"},
        {"keyed, no tables", kLogDbFile,
         [](const QString& path) {
             QFile::remove(path);
             OpenDatabase(path, kLogDbPassword, OpenMode::ReadWrite, true)
                 ->execute("CREATE TABLE other (X INTEGER)");
         },
         "no such table: recorder"},
        {"other password", kSysDbFile,
         [](const QString& path) {
             QFile::remove(path);
             OpenDatabase(path, "wrong", OpenMode::ReadWrite, true)
                 ->execute("CREATE TABLE reader (X INTEGER)");
         },
         "file is encrypted or is not a database"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDataFolder data;
        EnsureDataFolder(data.path());
        c.spoil(data.file(c.file));
        const auto before = Checksums(data.path());

        CaptureService service(data.path());
        EXPECT_EQ(service.finish(), 1);
        EXPECT_TRUE(service.err.contains(data.file(c.file).toUtf8() + ": " + c.reason))
            << service.err.constData();
        EXPECT_EQ(service.err.count('\n'), 1) << service.err.constData();
        EXPECT_EQ(Checksums(data.path()), before) << service.err.constData();
    }
}

// The mail queue goes out from the stored settings: a read's mail reaches a real SMTP server,
// the queue is empty afterwards, and EmailEnabled stays on for the next start.
TEST(CaptureService, SendsTheMailOfARead) {
    const int smtpPort = FreeLoopbackPort();
    QTemporaryDir inbox;
    QProcess sink;
    sink.start("/usr/bin/python3",
               {SourcePath("tests/net/smtp_sink.py"), QString::number(smtpPort), inbox.path()});
    ASSERT_TRUE(sink.waitForReadyRead(15000) && sink.readAll().startsWith("ready"));

    TempDataFolder data;
    EnsureDataFolder(data.path());
    EnableReader(data.path(), 1);
    PseudoTerminal reader;
    WriteSettingText("PortDevice1", reader.slavePath());
    WriteSettingBool("EmailEnabled", true);
    WriteSettingInt("EmailIntervals", 0);
    WriteSettingBool("EmailStaffOnly", false);
    WriteSettingText("EmailSmtpServer", QString("127.0.0.1:%1").arg(smtpPort));
    WriteSettingText("EmailRecipant", "office@example.com");
    WriteSettingText("EmailSender", "door@example.com");

    CaptureService service(data.path());
    ASSERT_TRUE(service.waitErr("capturing on 1 port(s)")) << service.err.constData();
    reader.write(CardFrame(4321));
    ASSERT_TRUE(service.waitErr("mail sent: ", 15000)) << service.err.constData();
    service.signal(SIGTERM);
    EXPECT_EQ(service.finish(), 0);
    sink.closeWriteChannel();
    sink.waitForFinished(5000);

    const QStringList mails = QDir(inbox.path()).entryList({"*.json"}, QDir::Files);
    ASSERT_EQ(mails.size(), 1);
    QFile file(QDir(inbox.path()).filePath(mails.front()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject mail = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_TRUE(mail["body"].toString().contains("4321")) << mail["body"].toString().toStdString();
    EXPECT_EQ(mail["from"].toString(), "door@example.com");

    Tdsrc store(data.path());
    store.OpenStore();
    auto q = store.src().prepare("SELECT count(*) FROM emails");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toLongLong(), 0);
    EXPECT_TRUE(ReadSettingBool("EmailEnabled", false));
    WriteSettingBool("EmailEnabled", false);
}

// Under systemd standard error is the journal: an error line carries the error priority.
TEST(CaptureService, ErrorsReachTheJournalAtErrorLevel) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    QFile::resize(data.file(kLogDbFile), 0);
    QTemporaryDir dir;
    const QString journal = dir.filePath("stderr");
    QFile(journal).open(QIODevice::WriteOnly);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(journal).constData(), &st), 0);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("JOURNAL_STREAM", QString("%1:%2").arg(st.st_dev).arg(st.st_ino));
    p.setProcessEnvironment(env);
    p.setStandardErrorFile(journal, QIODevice::Append);
    p.start(BinaryPath("horalog"), {"--capture-only", "--data", data.path()});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 1);
    QFile f(journal);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("<3>horalog: cannot start: "));
}

// Two processes never serve one folder; a lock left by a crash does not block the restart.
TEST(CaptureService, SecondProcessOnTheSameFolderRefuses) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    CaptureService first(data.path());
    ASSERT_TRUE(first.waitErr("capturing on"));
    CaptureService second(data.path());
    EXPECT_EQ(second.finish(), 1);
    EXPECT_TRUE(second.err.contains("is served by another process")) << second.err.constData();

    first.signal(SIGKILL);
    EXPECT_EQ(first.finish(), -1);
    ASSERT_TRUE(QFile::exists(data.file(kFolderLockFile)));
    CaptureService restarted(data.path());
    ASSERT_TRUE(restarted.waitErr("capturing on")) << restarted.err.constData();
    restarted.signal(SIGTERM);
    EXPECT_EQ(restarted.finish(), 0);

    // A crash between creating the lock file and writing the holder into it leaves it empty.
    {
        QFile empty(data.file(kFolderLockFile));
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
        empty.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                          QFileDevice::FileModificationTime);
    }
    CaptureService afterEmpty(data.path());
    ASSERT_TRUE(afterEmpty.waitErr("capturing on")) << afterEmpty.err.constData();
    afterEmpty.signal(SIGTERM);
    EXPECT_EQ(afterEmpty.finish(), 0);
}

}  // namespace
