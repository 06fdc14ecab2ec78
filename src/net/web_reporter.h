#pragma once
// The web reporter's HTTP server. Pages are built on the server's own threads, each over a
// private pair of read-only connections, never over the event loop's connections; reader
// names come from a snapshot the event loop hands in.

#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <vector>

#include "common/datetime.h"
#include "storage/database.h"
#include "storage/lookups.h"

namespace httplib {
class Server;
}

namespace horalog {

class WebReporter {
public:
    explicit WebReporter(Clock clock = SystemClock());
    ~WebReporter();
    WebReporter(const WebReporter&) = delete;
    WebReporter& operator=(const WebReporter&) = delete;

    // Listens on every local IPv4 address at port (0: any free port, see port()) and reads
    // the databases of dataFolder. Answers empty on success, else the platform's error text.
    // A running server is stopped first.
    QString start(int port, const QString& dataFolder);
    void stop();
    bool running() const;
    int port() const { return port_; }

    // The descriptions of the readers of ports 1 to 8, as the event loop knows them.
    void setReaderNames(const ReaderNames& names);
    ReaderNames readerNames() const;

    // Around file operations on the databases (store close and reopen hooks): waits for the
    // pages being built, drops the pooled connections and, until reopened, ends every page
    // after its head.
    void closeDatabases();
    void reopenDatabases();

    // Pairs of read-only connections kept between requests; opening one is slow on purpose
    // (key derivation), so they are reused. Also the most pages built at once.
    static constexpr int kPoolSize = 4;
    // Worker threads: more than the browsers expected to idle on keep-alive connections.
    static constexpr int kServerThreads = 24;

private:
    struct Pair {
        std::unique_ptr<Connection> att;
        std::unique_ptr<Connection> src;
    };
    std::unique_ptr<Pair> acquire();
    void release(std::unique_ptr<Pair> pair, bool healthy);
    void handle(const std::string& path, const std::string& target, std::string& body,
                std::string& contentType, int& status);

    Clock clock_;
    QString folder_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<int> port_{0};

    mutable std::mutex namesMutex_;
    ReaderNames names_;

    // Pages hold it shared while they read; closeDatabases takes it alone.
    std::shared_mutex gate_;
    bool closed_ = false;  // guarded by gate_

    std::mutex poolMutex_;
    std::condition_variable poolFree_;
    std::vector<std::unique_ptr<Pair>> idle_;
    int leased_ = 0;
};

}  // namespace horalog
