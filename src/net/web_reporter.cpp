#include "net/web_reporter.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "net/web_pages.h"
#include "people/login.h"
#include "storage/database_choice.h"
#include "storage/postgres_driver.h"
#include "storage/settings.h"
#include "storage/store.h"

namespace horalog {

namespace {

constexpr const char* kDefaultTitle = "Web Attendance Reporter";
constexpr const char* kHashPrefix = "pbkdf2-sha256$";
constexpr const char* kUnauthorized = "Unauthorized\n";
constexpr const char* kTooLarge = "Request body too large\n";

QString errnoText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// The listening socket, made here so that a failure has the platform's reason and the queue
// of waiting connections has a LAN's size.
int listenOn(const QString& bind, int port, QString& error) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!bind.isEmpty() && inet_pton(AF_INET, bind.toLatin1().constData(), &a.sin_addr) != 1) {
        error = QString("WebBind is not an IPv4 address: %1").arg(bind);
        return -1;
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errnoText(errno);
        return -1;
    }
    // Address reuse only: a second server on the same port must fail, not share it.
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(fd, WebReporter::kListenBacklog) != 0) {
        error = errnoText(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

int boundPort(int fd) {
    sockaddr_in a{};
    socklen_t n = sizeof a;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n) != 0) return 0;
    return ntohs(a.sin_port);
}

// The raw target of a request ("/logs?30"), as the client sent it.
struct RequestState {
    std::string target;
};

MHD_Result queueFixed(MHD_Connection* c, unsigned status, const char* text,
                      const char* header = nullptr, const char* value = nullptr) {
    MHD_Response* r = MHD_create_response_from_buffer(std::strlen(text), const_cast<char*>(text),
                                                      MHD_RESPMEM_PERSISTENT);
    if (*text) MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain");
    if (header) MHD_add_response_header(r, header, value);
    MHD_Result ok = MHD_queue_response(c, status, r);
    MHD_destroy_response(r);
    return ok;
}

}  // namespace

// A page going out piece by piece. Its mutex is held while a piece is made and while
// closeDatabases ends it.
struct WebReporter::Stream {
    WebReporter* owner = nullptr;
    std::mutex m;
    std::unique_ptr<PageStream> page;
    std::unique_ptr<Pair> pair;
    QByteArray pending;
    qsizetype offset = 0;
};

struct WebReporterCallbacks {
    static void* onUri(void*, const char* uri, MHD_Connection*) {
        return new RequestState{uri ? uri : ""};
    }

    static void onCompleted(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
        delete static_cast<RequestState*>(*state);
        *state = nullptr;
    }

    static MHD_Result onRequest(void* cls, MHD_Connection* c, const char* url, const char* method,
                                const char*, const char*, size_t*, void** state) {
        auto* self = static_cast<WebReporter*>(cls);
        auto* request = static_cast<RequestState*>(*state);
        return MHD_Result(self->answer(c, url, method, request ? request->target : url));
    }

    static ssize_t read(void* cls, uint64_t, char* buf, size_t max) {
        auto* s = static_cast<WebReporter::Stream*>(cls);
        std::lock_guard lock(s->m);
        while (s->offset >= s->pending.size()) {
            if (!s->page) return MHD_CONTENT_READER_END_OF_STREAM;
            s->pending = s->page->next();
            s->offset = 0;
            if (s->pending.isEmpty()) {
                const bool broken = s->page->broken();
                s->owner->finish(s);
                return broken ? MHD_CONTENT_READER_END_WITH_ERROR
                              : MHD_CONTENT_READER_END_OF_STREAM;
            }
        }
        const size_t n = std::min(max, size_t(s->pending.size() - s->offset));
        std::memcpy(buf, s->pending.constData() + s->offset, n);
        s->offset += qsizetype(n);
        return ssize_t(n);
    }

    static void freeStream(void* cls) {
        auto* s = static_cast<WebReporter::Stream*>(cls);
        s->owner->forget(s);
        {
            std::lock_guard lock(s->m);
            s->owner->finish(s);
        }
        delete s;
    }
};

WebAccess ReadWebAccess(QString* error) {
    WebAccess a;
    a.bind = ReadSettingText("WebBind", "").trimmed();
    a.passwordHash = ReadSettingText("WebPassword", "");
    if (!a.passwordHash.isEmpty() && !a.passwordHash.startsWith(kHashPrefix)) {
        // Typed into the settings file by hand: from now on only its hash is kept.
        a.passwordHash = HashPassword(a.passwordHash);
        WriteSettingText("WebPassword", a.passwordHash);
    }
    const QString cert = ReadSettingText("WebCertificate", "");
    const QString key = ReadSettingText("WebKey", "");
    if (!cert.isEmpty() && !key.isEmpty()) {
        for (auto [path, target] : {std::pair{cert, &a.certificate}, std::pair{key, &a.key}}) {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly)) {
                if (error) *error = QString("%1: %2").arg(path, f.errorString());
                a.certificate.clear();
                a.key.clear();
                break;
            }
            *target = f.readAll();
        }
    }
    return a;
}

WebReporter::WebReporter(Clock clock) : clock_(std::move(clock)) {
    for (int i = 0; i < 8; ++i) names_[i] = QString("COM%1").arg(i + 1);
}

WebReporter::~WebReporter() {
    stop();
}

QString WebReporter::start(int port, const QString& dataFolder, const WebAccess& access) {
    stop();
    if (port < 0 || port > 65535) return errnoText(EINVAL);
    QString error;
    const int fd = listenOn(access.bind, port, error);
    if (fd < 0) return error;
    {
        std::unique_lock gate(gate_);
        folder_ = dataFolder;
        closed_ = false;
        std::lock_guard lock(poolMutex_);
        idle_.clear();
    }
    {
        std::lock_guard lock(authMutex_);
        passwordHash_ = access.passwordHash;
        acceptedCredentials_.clear();
    }
    // The library reads them as C strings for as long as the server runs.
    certificate_ = access.certificate + '\0';
    key_ = access.key + '\0';
    https_ = access.https();
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL;
    if (https_) flags |= MHD_USE_TLS;
    daemon_ = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &WebReporterCallbacks::onRequest, this,
        MHD_OPTION_LISTEN_SOCKET, fd, MHD_OPTION_THREAD_POOL_SIZE, unsigned(kServerThreads),
        MHD_OPTION_CONNECTION_LIMIT, unsigned(kMaxConnections), MHD_OPTION_CONNECTION_TIMEOUT,
        kConnectionTimeout, MHD_OPTION_CONNECTION_MEMORY_LIMIT, size_t(32 * 1024),
        MHD_OPTION_URI_LOG_CALLBACK, &WebReporterCallbacks::onUri, this,
        MHD_OPTION_NOTIFY_COMPLETED, &WebReporterCallbacks::onCompleted, this,
        // Without a certificate the list ends here.
        https_ ? MHD_OPTION_HTTPS_MEM_KEY : MHD_OPTION_END, key_.constData(),
        MHD_OPTION_HTTPS_MEM_CERT, certificate_.constData(), MHD_OPTION_END);
    if (!daemon_) {
        ::close(fd);
        return https_ ? QString("The certificate or key of the web reporter cannot be used")
                      : QString("Cannot listen on port %1").arg(port);
    }
    port_ = boundPort(fd);
    return {};
}

void WebReporter::stop() {
    if (!daemon_) return;
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
    port_ = 0;
    std::unique_lock gate(gate_);
    std::lock_guard lock(poolMutex_);
    idle_.clear();
}

bool WebReporter::running() const {
    return daemon_ != nullptr;
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
    {
        std::lock_guard streams(streamsMutex_);
        for (Stream* s : streams_) {
            std::lock_guard lock(s->m);
            if (s->page) s->page->abort("the databases are closed");
            s->pair.reset();
        }
    }
    std::lock_guard lock(poolMutex_);
    idle_.clear();
}

void WebReporter::reopenDatabases() {
    std::unique_lock gate(gate_);
    closed_ = false;
}

std::unique_ptr<WebReporter::Pair> WebReporter::acquire() {
    {
        std::lock_guard lock(poolMutex_);
        if (!idle_.empty()) {
            auto pair = std::move(idle_.back());
            idle_.pop_back();
            return pair;
        }
    }
    // Never waits for a pair that a slow reader of a long page holds: a busy moment opens
    // another one.
    auto pair = std::make_unique<Pair>();
    if (const QString url = ChosenDatabaseUrl(); !url.isEmpty()) {
        pair->att = OpenServerDatabase(url, OpenMode::ReadOnly);
        pair->src = OpenServerDatabase(url, OpenMode::ReadOnly);
        return pair;
    }
    QDir dir(folder_);
    pair->att = OpenDatabase(dir.filePath(kLogDbFile), kLogDbPassword, OpenMode::ReadOnly);
    pair->src = OpenDatabase(dir.filePath(kSysDbFile), kSysDbPassword, OpenMode::ReadOnly);
    return pair;
}

void WebReporter::release(std::unique_ptr<Pair> pair, bool healthy) {
    std::lock_guard lock(poolMutex_);
    // A pair that failed may sit on a replaced or damaged file: open afresh next time.
    if (pair && healthy && int(idle_.size()) < kPoolSize) idle_.push_back(std::move(pair));
}

// With s->m held: the page's statements go before the connections they run on.
void WebReporter::finish(Stream* s) {
    if (!s->page) return;
    const bool healthy = s->page->error().isEmpty();
    s->page.reset();
    release(std::move(s->pair), healthy);
}

void WebReporter::forget(Stream* s) {
    std::lock_guard lock(streamsMutex_);
    streams_.erase(s);
}

bool WebReporter::authorized(MHD_Connection* c) {
    std::lock_guard lock(authMutex_);
    if (passwordHash_.isEmpty()) return true;
    const char* header =
        MHD_lookup_connection_value(c, MHD_HEADER_KIND, MHD_HTTP_HEADER_AUTHORIZATION);
    if (!header) return false;
    const QByteArray value(header);
    // A checked password is remembered by its digest: the key derivation runs once per
    // client, not once per page.
    const QByteArray digest = QCryptographicHash::hash(value, QCryptographicHash::Sha256);
    if (acceptedCredentials_.count(digest)) return true;
    if (!value.startsWith("Basic ")) return false;
    const QByteArray decoded = QByteArray::fromBase64(value.mid(6).trimmed());
    const int colon = decoded.indexOf(':');
    if (colon < 0) return false;
    if (!VerifyPassword(QString::fromUtf8(decoded.mid(colon + 1)), passwordHash_)) return false;
    if (acceptedCredentials_.size() > 256) acceptedCredentials_.clear();
    acceptedCredentials_.insert(digest);
    return true;
}

int WebReporter::answer(MHD_Connection* c, const char* url, const char* method,
                        const std::string& target) {
    if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0 &&
        std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0)
        return queueFixed(c, MHD_HTTP_METHOD_NOT_ALLOWED, "", MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
    if (const char* length =
            MHD_lookup_connection_value(c, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH)) {
        if (QByteArray(length).trimmed().toLongLong() > kMaxBody)
            return queueFixed(c, MHD_HTTP_CONTENT_TOO_LARGE, kTooLarge);
    }
    if (!authorized(c))
        return queueFixed(c, MHD_HTTP_UNAUTHORIZED, kUnauthorized, MHD_HTTP_HEADER_WWW_AUTHENTICATE,
                          "Basic realm=\"Horalog\", charset=\"UTF-8\"");

    const PageRequest request = ParsePageRequest(QString::fromUtf8(url), QueryParameters(target));
    PageSources sources;
    sources.readers = readerNames();
    sources.now = clock_();
    sources.title = ReadSettingText("WebTitle", kDefaultTitle);

    auto* s = new Stream;
    s->owner = this;
    {
        std::shared_lock gate(gate_);
        // Without connections the page ends after its head, as on any database error.
        if (!closed_) {
            try {
                s->pair = acquire();
                sources.att = s->pair->att.get();
                sources.src = s->pair->src.get();
            } catch (const std::exception&) {
                s->pair.reset();
            }
        }
        s->page = std::make_unique<PageStream>(request, sources);
        // Known before the gate opens, so that closeDatabases ends it too.
        std::lock_guard lock(streamsMutex_);
        streams_.insert(s);
    }

    // Most pages are small: built whole, they go out with their length and free their
    // connections at once. A larger one streams, in chunks.
    const char* type = s->page->json() ? "application/json" : "text/html; charset=utf-8";
    unsigned status = MHD_HTTP_OK;
    bool done = false;
    QByteArray first;
    {
        std::lock_guard lock(s->m);
        while (s->page && first.size() < kWholePage) {
            QByteArray piece = s->page->next();
            if (piece.isEmpty()) {
                done = true;
                break;
            }
            first += piece;
        }
        if (s->page) {
            status = unsigned(s->page->status());
            if (done && s->page->broken()) status = MHD_HTTP_INTERNAL_SERVER_ERROR;
        }
        if (done) finish(s);
    }
    MHD_Response* r = nullptr;
    if (done) {
        forget(s);
        delete s;
        r = MHD_create_response_from_buffer(size_t(first.size()), first.data(),
                                            MHD_RESPMEM_MUST_COPY);
    } else {
        s->pending = std::move(first);
        r = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 32 * 1024,
                                              &WebReporterCallbacks::read, s,
                                              &WebReporterCallbacks::freeStream);
    }
    MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_TYPE, type);
    MHD_Result ok = MHD_queue_response(c, status, r);
    MHD_destroy_response(r);
    return ok;
}

}  // namespace horalog
