#include "net/web_reporter.h"

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstring>

#include "net/web_pages.h"
#include "storage/settings.h"
#include "storage/store.h"

namespace horalog {

namespace {

constexpr const char* kDefaultTitle = "Web Attendance Reporter";

QString errnoText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// Binds a plain socket the way the server will, to learn the platform's reason when the
// port cannot be had (the server library only answers false).
QString probePort(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return errnoText(errno);
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(quint16(port));
    QString error;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 1) != 0)
        error = errnoText(errno);
    ::close(fd);
    return error;
}

}  // namespace

WebReporter::WebReporter(Clock clock) : clock_(std::move(clock)) {
    for (int i = 0; i < 8; ++i) names_[i] = QString("COM%1").arg(i + 1);
}

WebReporter::~WebReporter() {
    stop();
}

QString WebReporter::start(int port, const QString& dataFolder) {
    stop();
    if (port < 0 || port > 65535) return errnoText(EINVAL);
    if (port != 0) {
        QString error = probePort(port);
        if (!error.isEmpty()) return error;
    }
    {
        std::unique_lock gate(gate_);
        folder_ = dataFolder;
        std::lock_guard lock(poolMutex_);
        idle_.clear();
    }
    auto server = std::make_unique<httplib::Server>();
    server->new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    // An idle browser holds a worker for this long; keep it short.
    server->set_keep_alive_timeout(2);
    // Pages go out in one piece; waiting for acknowledgements would add 40 ms to each.
    server->set_tcp_nodelay(true);
    server->set_read_timeout(5, 0);
    server->set_write_timeout(5, 0);
    // Address reuse only: a second server on the same port must fail, not share it.
    server->set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        std::string body, type;
        int status = 200;
        handle(req.path, req.target, body, type, status);
        res.status = status;
        res.set_content(std::move(body), type.c_str());
    });
    int bound = port;
    errno = 0;
    if (port == 0) {
        bound = server->bind_to_any_port("0.0.0.0");
        if (bound < 0) return errno ? errnoText(errno) : QString("Cannot listen on a port");
    } else if (!server->bind_to_port("0.0.0.0", port)) {
        return errno ? errnoText(errno) : QString("Cannot listen on port %1").arg(port);
    }
    server_ = std::move(server);
    port_ = bound;
    thread_ = std::thread([s = server_.get()] { s->listen_after_bind(); });
    // stop() is only heard once the loop runs.
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return {};
}

void WebReporter::stop() {
    if (!server_) return;
    server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
    port_ = 0;
    std::unique_lock gate(gate_);
    std::lock_guard lock(poolMutex_);
    idle_.clear();
}

bool WebReporter::running() const {
    return server_ && server_->is_running();
}

void WebReporter::setReaderNames(const ReaderNames& names) {
    std::lock_guard lock(namesMutex_);
    names_ = names;
}

ReaderNames WebReporter::readerNames() const {
    std::lock_guard lock(namesMutex_);
    return names_;
}

void WebReporter::closeDatabases() {
    std::unique_lock gate(gate_);
    closed_ = true;
    std::lock_guard lock(poolMutex_);
    idle_.clear();
}

void WebReporter::reopenDatabases() {
    std::unique_lock gate(gate_);
    closed_ = false;
}

std::unique_ptr<WebReporter::Pair> WebReporter::acquire() {
    std::unique_lock lock(poolMutex_);
    poolFree_.wait(lock, [&] { return !idle_.empty() || leased_ + int(idle_.size()) < kPoolSize; });
    ++leased_;
    if (!idle_.empty()) {
        auto pair = std::move(idle_.back());
        idle_.pop_back();
        return pair;
    }
    lock.unlock();
    try {
        auto pair = std::make_unique<Pair>();
        QDir dir(folder_);
        pair->att = OpenDatabase(dir.filePath(kLogDbFile), kLogDbPassword, OpenMode::ReadOnly);
        pair->src = OpenDatabase(dir.filePath(kSysDbFile), kSysDbPassword, OpenMode::ReadOnly);
        return pair;
    } catch (...) {
        release(nullptr, false);
        throw;
    }
}

void WebReporter::release(std::unique_ptr<Pair> pair, bool healthy) {
    {
        std::lock_guard lock(poolMutex_);
        --leased_;
        // A pair that failed may sit on a replaced or damaged file: open afresh next time.
        if (pair && healthy) idle_.push_back(std::move(pair));
    }
    poolFree_.notify_one();
}

void WebReporter::handle(const std::string& path, const std::string& target, std::string& body,
                         std::string& type, int& status) {
    const PageRequest request =
        ParsePageRequest(QString::fromStdString(path), QueryParameters(target));
    PageSources sources;
    sources.readers = readerNames();
    sources.now = clock_();
    sources.title = ReadSettingText("WebTitle", kDefaultTitle);

    std::shared_lock gate(gate_);
    std::unique_ptr<Pair> pair;
    // Without connections the page ends after its head, as on any database error.
    if (!closed_) {
        try {
            pair = acquire();
            sources.att = pair->att.get();
            sources.src = pair->src.get();
        } catch (const std::exception&) {
        }
    }
    QString buildError;
    if (request.json) {
        type = "application/json";
        try {
            body = BuildJson(request, sources).toStdString();
        } catch (const std::exception& e) {
            buildError = QString::fromUtf8(e.what());
            status = 500;
            QJsonObject o;
            o["error"] = buildError;
            body = QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
        }
    } else {
        type = "text/html; charset=utf-8";
        body = BuildPage(request, sources, &buildError).toUtf8().toStdString();
    }
    if (pair) release(std::move(pair), buildError.isEmpty());
}

}  // namespace horalog
