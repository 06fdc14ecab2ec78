#include "support/private_postgres.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "storage/postgres_driver.h"
#include "support/free_port.h"

namespace horalog::testing {

namespace {

std::unique_ptr<PrivatePostgres>& Instance() {
    static std::unique_ptr<PrivatePostgres> server;
    return server;
}

// The newest installed server's programs: /usr/lib/postgresql/<version>/bin on Debian.
QString ServerBinaries() {
    QStringList versions = QDir("/usr/lib/postgresql").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toDouble() > b.toDouble(); });
    for (const QString& v : versions) {
        const QString bin = "/usr/lib/postgresql/" + v + "/bin";
        if (QFileInfo(bin + "/initdb").isExecutable() && QFileInfo(bin + "/pg_ctl").isExecutable())
            return bin;
    }
    return QString();
}

bool Root() {
    return geteuid() == 0;
}

// Runs a server program, as postgres when we are root; its output ends up in the message.
void RunServerProgram(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (Root())
        p.start("runuser", QStringList{"-u", "postgres", "--", program} + args);
    else
        p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(
            QString("%1 failed: %2")
                .arg(QFileInfo(program).fileName(), QString::fromLocal8Bit(p.readAll()))
                .toStdString());
}

}  // namespace

PrivatePostgres* PrivatePostgres::Get(QString* why) {
    auto& server = Instance();
    if (server) return server.get();
    if (ServerBinaries().isEmpty()) {
        if (why) *why = "no PostgreSQL server installed (/usr/lib/postgresql/*/bin/initdb)";
        return nullptr;
    }
    std::unique_ptr<PrivatePostgres> s(new PrivatePostgres);
    try {
        s->start();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "the private PostgreSQL server did not start: " << e.what();
        s->stop();
        if (why) *why = "the private PostgreSQL server did not start";
        return nullptr;
    }
    server = std::move(s);
    return server.get();
}

void PrivatePostgres::StopAll() {
    Instance().reset();
}

PrivatePostgres::~PrivatePostgres() {
    stop();
}

void PrivatePostgres::start() {
    bin_ = ServerBinaries();
    QTemporaryDir dir(QDir::tempPath() + "/horalog-pg-XXXXXX");
    if (!dir.isValid()) throw std::runtime_error("no temporary folder");
    dir.setAutoRemove(false);
    folder_ = dir.path();
    if (Root()) {
        const passwd* pg = getpwnam("postgres");
        if (!pg) throw std::runtime_error("no user postgres to run the server as");
        if (chown(folder_.toLocal8Bit().constData(), pg->pw_uid, pg->pw_gid) != 0)
            throw std::runtime_error("cannot hand the temporary folder to postgres");
    }
    const QString data = folder_ + "/data";
    startWatchdog();
    RunServerProgram(bin_ + "/initdb", {"-D", data, "-A", "trust", "-U", "postgres", "-E", "UTF8",
                                        "--locale=C", "--no-sync"});
    port_ = FreeLoopbackPort();
    startCluster();
}

void PrivatePostgres::startCluster() {
    // Only the socket in the private folder: nothing listens on the network.
    RunServerProgram(
        bin_ + "/pg_ctl",
        {"-D", folder_ + "/data", "-l", folder_ + "/server.log", "-w", "-t", "60", "-o",
         QString("-k %1 -p %2 -c listen_addresses='' -c fsync=off").arg(folder_).arg(port_),
         "start"});
    running_ = true;
}

void PrivatePostgres::stopServer() {
    if (!running_) return;
    RunServerProgram(bin_ + "/pg_ctl", {"-D", folder_ + "/data", "-m", "fast", "-w", "stop"});
    running_ = false;
}

void PrivatePostgres::startServer() {
    if (!running_) startCluster();
}

// A test program that dies (a crash, a time-out's kill) cannot stop its server: a small shell
// waits for the end of a pipe only this process holds, then stops the server and removes it.
void PrivatePostgres::startWatchdog() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    const QString stopper =
        QString("%1%2/pg_ctl -D '%3/data' -m immediate -w stop >/dev/null 2>&1; rm -rf '%3'")
            .arg(Root() ? "runuser -u postgres -- " : "", bin_, folder_);
    const QByteArray script = ("exec >/dev/null 2>&1; cat; " + stopper).toLocal8Bit();
    const pid_t child = fork();
    if (child == 0) {
        dup2(fds[0], 0);  // the copy is kept across exec, the originals are not
        setsid();         // not stopped with the test program's process group
        execl("/bin/sh", "sh", "-c", script.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[0]);
    if (child < 0) close(fds[1]);
    // fds[1] stays open until this process ends
}

void PrivatePostgres::stop() {
    if (running_) {
        running_ = false;
        try {
            RunServerProgram(bin_ + "/pg_ctl",
                             {"-D", folder_ + "/data", "-m", "immediate", "-w", "stop"});
        } catch (const std::exception&) {
            // removed below all the same
        }
    }
    if (!folder_.isEmpty()) QDir(folder_).removeRecursively();
    folder_.clear();
}

QString PrivatePostgres::url(const QString& database, const QString& user) const {
    return QString("postgresql:///%1?host=%2&port=%3&user=%4")
        .arg(database, folder_)
        .arg(port_)
        .arg(user);
}

QString PrivatePostgres::newDatabase() {
    const QString name = QString("horalog_test_%1").arg(++databases_);
    auto admin = OpenServerDatabase(url("postgres"), OpenMode::ReadWrite);
    admin->execute("CREATE DATABASE " + name);
    return url(name);
}

}  // namespace horalog::testing
