#pragma once
// The web reporter's HTTP server (libmicrohttpd: a few threads serve every connection, so
// idle or slow clients cost a socket, not a thread). Pages are built over private pairs of
// read-only connections, never over the event loop's connections, and go out piece by piece;
// reader names come from a snapshot the event loop hands in.

#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <vector>

#include "common/datetime.h"
#include "storage/database.h"
#include "storage/lookups.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace horalog {

// Who may reach the pages and how: settings WebBind, WebPassword, WebCertificate, WebKey.
struct WebAccess {
    QString bind;              // IPv4 address to listen on; empty: every address
    QString passwordHash;      // salted hash (see HashPassword); empty: no password asked
    QByteArray certificate;    // PEM; with key, the server speaks HTTPS
    QByteArray key;
    bool https() const { return !certificate.isEmpty() && !key.isEmpty(); }
};

// The access settings; a WebPassword written by hand in plain text is replaced by its hash.
// Answers an error text when a named certificate or key cannot be read.
WebAccess ReadWebAccess(QString* error = nullptr);

class WebReporter {
public:
    explicit WebReporter(Clock clock = SystemClock());
    ~WebReporter();
    WebReporter(const WebReporter&) = delete;
    WebReporter& operator=(const WebReporter&) = delete;

    // Listens at port (0: any free port, see port()) on the address and with the password
    // and certificate of access, and reads the databases of dataFolder. Answers empty on
    // success, else the platform's error text. A running server is stopped first.
    QString start(int port, const QString& dataFolder, const WebAccess& access = {});
    void stop();
    bool running() const;
    int port() const { return port_; }
    bool https() const { return https_; }

    // The descriptions of the readers of ports 1 to 8, as the event loop knows them.
    void setReaderNames(const ReaderNames& names);
    ReaderNames readerNames() const;

    // Around file operations on the databases (store close and reopen hooks): waits for the
    // pages being started, ends the pages still going out after their current piece, drops
    // the pooled connections and, until reopened, ends every page after its head.
    void closeDatabases();
    void reopenDatabases();

    // Pairs of read-only connections kept between requests; opening one is slow on purpose
    // (key derivation), so they are reused.
    static constexpr int kPoolSize = 4;
    // Threads that serve every connection.
    static constexpr int kServerThreads = 4;
    // Connections at once; more wait in the listen queue.
    static constexpr int kMaxConnections = 2000;
    static constexpr int kListenBacklog = 1024;
    // Seconds a connection may stay silent (headers not coming, an idle keep-alive, a reader
    // that does not take the page) before it is closed.
    static constexpr unsigned kConnectionTimeout = 10;
    // The pages are read with GET and HEAD only: a larger body is refused unread.
    static constexpr qint64 kMaxBody = 1024;
    // A page up to this size is built whole and sent with its length; a larger one streams.
    static constexpr int kWholePage = 64 * 1024;

    struct Pair {
        std::unique_ptr<Connection> att;
        std::unique_ptr<Connection> src;
    };
    struct Stream;

private:
    friend struct WebReporterCallbacks;
    std::unique_ptr<Pair> acquire();
    void release(std::unique_ptr<Pair> pair, bool healthy);
    int answer(MHD_Connection* c, const char* url, const char* method, const std::string& target);
    bool authorized(MHD_Connection* c);
    void finish(Stream* s);
    void forget(Stream* s);

    Clock clock_;
    QString folder_;
    MHD_Daemon* daemon_ = nullptr;
    std::atomic<int> port_{0};
    bool https_ = false;
    QByteArray certificate_, key_;  // kept alive while the daemon runs
    QString passwordHash_;
    std::mutex authMutex_;
    std::set<QByteArray> acceptedCredentials_;  // digests of checked Authorization values

    mutable std::mutex namesMutex_;
    ReaderNames names_;

    // Pages hold it shared while they start; closeDatabases takes it alone.
    std::shared_mutex gate_;
    bool closed_ = false;  // guarded by gate_

    std::mutex streamsMutex_;
    std::set<Stream*> streams_;

    std::mutex poolMutex_;
    std::vector<std::unique_ptr<Pair>> idle_;
};

}  // namespace horalog
