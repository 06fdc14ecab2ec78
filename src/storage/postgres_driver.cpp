// PostgreSQL driver (libpq). Statements are sent with their parameters as text of no declared
// type, so that the server infers each from its place, as loosely as the embedded engine
// takes them; photos go as bytea. Rows come back one at a time (libpq's single-row mode), so
// that a walk over the log never holds the log in memory; when another statement runs on the
// connection meanwhile, the rest of the walk's rows are read ahead and kept. Values are read
// as the types the embedded driver gives: integers as qint64, reals as double, text as
// QString, bytea as QByteArray, booleans as 0 or 1.
#include "storage/postgres_driver.h"

#include <errno.h>
#include <libpq-fe.h>
#include <poll.h>

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <deque>
#include <vector>

#include "storage/schema_upgrade.h"
#include "storage/server_dialect.h"
#include "storage/statement_impl.h"

namespace horalog {

namespace {

// Type numbers of the server's built-in types (pg_type.oid); they never change.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
              kFloat8 = 701, kNumeric = 1700;

// A server that has gone away is noticed within this time: unacknowledged data on a TCP link
// older than this fails the link (the url may say otherwise).
constexpr const char* kUserTimeoutMs = "250";

// The connect_timeout the url asks for, in ms; 0 when none.
int UrlConnectTimeoutMs(PGconn* conn) {
    int ms = 0;
    if (PQconninfoOption* options = PQconninfo(conn)) {
        for (PQconninfoOption* o = options; o->keyword; ++o)
            if (o->val && *o->val && QByteArray(o->keyword) == "connect_timeout")
                ms = QByteArray(o->val).toInt() * 1000;
        PQconninfoFree(options);
    }
    return ms;
}

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

QString Trimmed(const char* text) {
    return QString::fromUtf8(text).trimmed();
}

// Drives a connect (or a reset) that libpq began without blocking, under a deadline of our
// own: libpq's connect_timeout cannot go below 2 s. Answers an empty text when linked, else
// why not.
QString PollLink(PGconn* conn, const QDeadlineTimer& deadline, bool reset) {
    PostgresPollingStatusType status =
        PQstatus(conn) == CONNECTION_BAD ? PGRES_POLLING_FAILED : PGRES_POLLING_WRITING;
    while (status != PGRES_POLLING_OK) {
        if (status == PGRES_POLLING_FAILED || PQsocket(conn) < 0)
            return Trimmed(PQerrorMessage(conn));
        pollfd p{PQsocket(conn), short(status == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        int ready = 0;
        do {
            const qint64 left = deadline.remainingTime();
            ready = left > 0 ? ::poll(&p, 1, int(left)) : 0;
        } while (ready < 0 && errno == EINTR);
        if (ready == 0) return "timeout expired";
        status = reset ? PQresetPoll(conn) : PQconnectPoll(conn);
    }
    return QString();
}

QString WithWords(const QString& serverText) {
    const QString words = ServerProblem(serverText);
    return words.isEmpty() ? serverText : words + ": " + serverText;
}

// Checks a result; throws DbError with the server's text on failure.
Result Checked(PGresult* r, PGconn* conn) {
    Result result(r, &PQclear);
    if (!r) throw DbError(WithWords(Trimmed(PQerrorMessage(conn))));
    const ExecStatusType s = PQresultStatus(r);
    if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK)
        throw DbError(WithWords(Trimmed(PQresultErrorMessage(r))));
    return result;
}

class PgConnection;

class PgStatement : public StatementImpl {
public:
    PgStatement(PgConnection& c, const QString& sql);

    void bind(int index, const QVariant& v) override {
        if (index < 1 || index > text_.parameterCount)
            throw DbError(QString("no parameter %1").arg(index));
        Param& p = params_[size_t(index - 1)];
        p = Param{};
        if (!v.isValid() || v.isNull()) return;
        p.null = false;
        switch (v.metaType().id()) {
            case QMetaType::Bool:
                p.bytes = v.toBool() ? "1" : "0";
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                p.bytes = QByteArray::number(v.toDouble(), 'g', 17);
                break;
            case QMetaType::QByteArray:
                p.bytes = v.toByteArray();
                p.type = kBytea;
                p.binary = true;
                break;
            default:
                p.bytes = v.toString().toUtf8();
                break;
        }
    }

    int parameterIndex(const QString& name) const override {
        const int i = text_.names.value(name);
        if (i == 0) throw DbError("no parameter " + name);
        return i;
    }

    ~PgStatement() override { stop(); }

    bool next() override;

    void reset() override {
        stop();
        for (Param& p : params_) p = Param{};
    }

    // Another statement is about to run on the connection: the rest of this one's results are
    // read now and kept for the following calls of next().
    void readAhead();
    // The connection closes first.
    void forget() { state_ = State::Idle; }

    int columnCount() const override { return result_ ? PQnfields(result_.get()) : 0; }
    QString columnName(int i) const override {
        return result_ ? QString::fromUtf8(PQfname(result_.get(), i)) : QString();
    }
    bool isNull(int i) const override { return raw(i) == nullptr; }
    qint64 int64(int i) const override {
        const char* v = raw(i);
        if (!v) return 0;
        if (PQftype(result_.get(), i) == kBool) return *v == 't' ? 1 : 0;
        bool ok = false;
        const qint64 n = QByteArray(v).toLongLong(&ok);
        return ok ? n : qint64(QByteArray(v).toDouble());
    }
    double real(int i) const override {
        const char* v = raw(i);
        if (!v) return 0;
        if (PQftype(result_.get(), i) == kBool) return *v == 't' ? 1 : 0;
        return QByteArray(v).toDouble();
    }
    QString text(int i) const override {
        const char* v = raw(i);
        if (!v) return QString();
        if (PQftype(result_.get(), i) == kBytea) return QString::fromUtf8(blob(i));
        return QString::fromUtf8(v, PQgetlength(result_.get(), row_, i));
    }
    QByteArray blob(int i) const override {
        const char* v = raw(i);
        if (!v) return QByteArray();
        if (PQftype(result_.get(), i) != kBytea)
            return QByteArray(v, PQgetlength(result_.get(), row_, i));
        size_t n = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(v), &n);
        if (!bytes) throw DbError("cannot read a bytea value");
        QByteArray out(reinterpret_cast<const char*>(bytes), qsizetype(n));
        PQfreemem(bytes);
        return out;
    }
    QVariant value(int i) const override {
        const char* v = raw(i);
        if (!v) return QVariant();
        switch (PQftype(result_.get(), i)) {
            case kBool:
            case kInt2:
            case kInt4:
            case kInt8:
            case kOid:
                return QVariant(int64(i));
            case kFloat4:
            case kFloat8:
                return QVariant(real(i));
            case kNumeric: {
                // sum() of integers is numeric on the server, an integer on the embedded engine
                const QByteArray b(v);
                if (b.contains('.') || b.contains('e') || b.contains('N'))
                    return QVariant(b.toDouble());
                return QVariant(b.toLongLong());
            }
            case kBytea:
                return QVariant(blob(i));
            default:
                return QVariant(text(i));
        }
    }

private:
    struct Param {
        bool null = true;
        QByteArray bytes;
        Oid type = 0;  // 0: the server infers it
        bool binary = false;
    };
    // The value at the current row; NULL when there is no row (as the embedded engine answers).
    const char* raw(int i) const {
        if (!result_ || row_ < 0 || row_ >= PQntuples(result_.get())) return nullptr;
        if (i < 0 || i >= PQnfields(result_.get())) throw DbError(QString("no column %1").arg(i));
        return PQgetisnull(result_.get(), row_, i) ? nullptr : PQgetvalue(result_.get(), row_, i);
    }

    void start();
    void stop();
    // Takes one result of the running statement: true for a row, false at the end.
    bool take(Result r);

    enum class State { Idle, Streaming, ReadAhead };
    PgConnection& c_;
    ServerStatementText text_;
    QString insertTable_;
    std::vector<Param> params_;
    State state_ = State::Idle;
    Result result_{nullptr, &PQclear};  // the current row (a result of one row)
    int row_ = -1;
    std::deque<Result> ahead_;  // read ahead, the end (or an error) last
};

class PgConnection : public Connection {
public:
    PgConnection(const QString& url, OpenMode mode, int timeoutMs)
        : url_(url), readOnly_(mode == OpenMode::ReadOnly) {
        const QByteArray target = url.toUtf8();
        // The url's own words come last and win.
        const char* keys[] = {"tcp_user_timeout", "application_name", "client_encoding", "dbname",
                              nullptr};
        const char* values[] = {kUserTimeoutMs, "horalog", "UTF8", target.constData(), nullptr};
        conn_ = PQconnectStartParams(keys, values, 1);
        if (!conn_) throw DbError("Database server unreachable: out of memory");
        if (const int asked = UrlConnectTimeoutMs(conn_)) timeoutMs = asked;
        if (const QString failed = PollLink(conn_, QDeadlineTimer(timeoutMs), false);
            !failed.isEmpty()) {
            PQfinish(conn_);
            conn_ = nullptr;
            throw DbError(WithWords(failed));
        }
        // Notices (such as "already exists, skipping") are not for the user's terminal.
        PQsetNoticeProcessor(
            conn_, [](void*, const char*) {}, nullptr);
        try {
            applySession();
        } catch (...) {
            PQfinish(conn_);
            conn_ = nullptr;
            throw;
        }
    }

    bool lost() const { return PQstatus(conn_) != CONNECTION_OK; }

    void reconnect(int timeoutMs) {
        if (streaming_) streaming_->forget();
        streaming_ = nullptr;
        lastInsertTable_.clear();
        lastInsertId_.reset();
        if (!PQresetStart(conn_)) throw DbError(WithWords(Trimmed(PQerrorMessage(conn_))));
        if (const QString failed = PollLink(conn_, QDeadlineTimer(timeoutMs), true);
            !failed.isEmpty()) {
            // Left half linked: every statement keeps failing at once until the next try.
            throw DbError(WithWords(failed));
        }
        applySession();
    }
    ~PgConnection() override {
        if (streaming_) streaming_->forget();
        if (conn_) PQfinish(conn_);
    }

    Statement prepare(const QString& sql) override {
        return Statement(std::make_unique<PgStatement>(*this, sql));
    }

    void execute(const QString& sql) override {
        settle();
        Result r = Checked(PQexec(conn_, ServerSql(sql).toUtf8().constData()), conn_);
        noteCommand(r.get(), QString());
    }

    // Sends one statement with its parameters (nullptr values are NULL); its results are
    // then read one by one with nextResult.
    void send(PgStatement* s, const QString& sql, const std::vector<const char*>& values,
              const std::vector<int>& lengths, const std::vector<Oid>& types,
              const std::vector<int>& formats) {
        settle();
        if (!PQsendQueryParams(conn_, sql.toUtf8().constData(), int(values.size()), types.data(),
                               values.data(), lengths.data(), formats.data(), 0))
            throw DbError(WithWords(Trimmed(PQerrorMessage(conn_))));
        PQsetSingleRowMode(conn_);
        streaming_ = s;
    }
    // The next result of the statement sent; nullptr once all are read (the statement is
    // then no longer the connection's).
    Result nextResult() {
        Result r(PQgetResult(conn_), &PQclear);
        if (!r) streaming_ = nullptr;
        return r;
    }
    QString errorText(PGresult* r) const {
        const char* text = r ? PQresultErrorMessage(r) : PQerrorMessage(conn_);
        return WithWords(Trimmed(text));
    }

    // The embedded engine answers the row id of the last insert. Here: the last value of a
    // sequence in this session, asked only after an insert into a table with an identity.
    qint64 lastInsertId() const override {
        if (lastInsertTable_.isEmpty()) return 0;
        if (lastInsertId_) return *lastInsertId_;
        const_cast<PgConnection*>(this)->settle();
        lastInsertId_ = 0;
        try {
            if (!identity_.contains(lastInsertTable_)) {
                auto q = const_cast<PgConnection*>(this)->prepare(
                    "SELECT 1 FROM pg_attribute WHERE attrelid = to_regclass(?) AND "
                    "attidentity <> '' AND NOT attisdropped");
                q.bind(1, lastInsertTable_);
                identity_.insert(lastInsertTable_, q.next());
            }
            if (identity_.value(lastInsertTable_)) {
                Result r = Checked(PQexec(conn_, "SELECT lastval()"), conn_);
                lastInsertId_ = QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong();
            }
        } catch (const DbError&) {
        }
        return *lastInsertId_;
    }
    int changes() const override { return changes_; }
    void begin() override { execute("BEGIN"); }
    void commit() override {
        settle();
        Result r = Checked(PQexec(conn_, "COMMIT"), conn_);
        // A transaction in which a statement failed ends rolled back, without an error.
        if (QByteArray(PQcmdStatus(r.get())) == "ROLLBACK")
            throw DbError("the transaction was rolled back after an earlier error");
    }
    void rollback() override { execute("ROLLBACK"); }
    bool inTransaction() const override {
        const_cast<PgConnection*>(this)->settle();
        const PGTransactionStatusType s = PQtransactionStatus(conn_);
        return s == PQTRANS_INTRANS || s == PQTRANS_INERROR || s == PQTRANS_ACTIVE;
    }
    QString path() const override { return UrlWithoutPassword(url_); }
    const QString& url() const { return url_; }
    bool hasTable(const QString& name) override {
        auto q = prepare(
            "SELECT 1 FROM pg_class WHERE relname = lower(?) AND relkind IN ('r', 'v', 'p') "
            "AND pg_table_is_visible(oid)");
        q.bind(1, name);
        return q.next();
    }
    // The server writes its own checkpoints.
    void checkpoint() override {}
    // A commit the server answered is on its disk already (synchronous_commit on).
    void flush() override {}
    // A copy of a server database is made on the server (pg_dump), not by this program.
    void backupTo(const QString&) override {
        throw DbError("a server database is backed up on the server (pg_dump), not here");
    }
    // Off: the server answers a commit before its log reaches the disk, as the embedded
    // engine does between flushes.
    void setDurable(bool on) override {
        durable_ = on;
        execute(on ? "SET synchronous_commit TO on" : "SET synchronous_commit TO off");
    }
    // The server checks its own pages (checksums, amcheck by its administrator); here only
    // that it answers.
    std::optional<QStringList> quickCheck(int, const std::function<bool()>&) override {
        execute("SELECT 1");
        return QStringList();
    }

    void noteCommand(PGresult* r, const QString& insertTable) {
        const QByteArray status(PQcmdStatus(r));
        if (status.startsWith("INSERT") || status.startsWith("UPDATE") ||
            status.startsWith("DELETE") || status.startsWith("MERGE"))
            changes_ = QByteArray(PQcmdTuples(r)).toInt();
        if (status.startsWith("INSERT") && !insertTable.isEmpty()) {
            lastInsertTable_ = insertTable;
            lastInsertId_.reset();
        }
    }

private:
    // The session's settings, again after a reconnect.
    void applySession() {
        // A reader's transaction sees one snapshot throughout, as on the embedded engine
        // (a page's count and its rows agree).
        if (readOnly_)
            execute(
                "SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL REPEATABLE READ, "
                "READ ONLY");
        if (durable_) setDurable(*durable_);
    }

    // Before anything else runs on the connection, a statement still being read reads ahead.
    void settle() {
        if (PgStatement* s = streaming_) s->readAhead();
    }

    PGconn* conn_ = nullptr;
    PgStatement* streaming_ = nullptr;
    QString url_;
    bool readOnly_ = false;
    std::optional<bool> durable_;
    int changes_ = 0;
    QString lastInsertTable_;
    mutable std::optional<qint64> lastInsertId_;
    mutable QHash<QString, bool> identity_;
};

QString InsertTable(const QString& sql) {
    static const QRegularExpression insert(
        "^\\s*INSERT\\s+(?:OR\\s+\\w+\\s+)?INTO\\s+(\"?[\\w.]+\"?)",
        QRegularExpression::CaseInsensitiveOption);
    auto m = insert.match(sql);
    if (!m.hasMatch()) return QString();
    QString t = m.captured(1).toLower();
    t.remove('"');
    if (t.startsWith("main.")) t = t.mid(5);
    return t;
}

PgStatement::PgStatement(PgConnection& c, const QString& sql)
    : c_(c),
      text_(ServerStatementSql(sql)),
      insertTable_(InsertTable(sql)),
      params_(size_t(text_.parameterCount)) {}

void PgStatement::start() {
    const size_t n = params_.size();
    std::vector<const char*> values(n);
    std::vector<int> lengths(n), formats(n);
    std::vector<Oid> types(n);
    for (size_t i = 0; i < n; ++i) {
        const Param& p = params_[i];
        values[i] = p.null ? nullptr : p.bytes.constData();
        lengths[i] = int(p.bytes.size());
        formats[i] = p.binary ? 1 : 0;
        types[i] = p.type;
    }
    c_.send(this, text_.sql, values, lengths, types, formats);
    state_ = State::Streaming;
}

bool PgStatement::take(Result r) {
    result_.reset();
    row_ = -1;
    const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_TUPLES_OK;
    if (status == PGRES_SINGLE_TUPLE) {
        result_ = std::move(r);
        row_ = 0;
        return true;
    }
    if (r && status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        const QString error = c_.errorText(r.get());
        stop();
        throw DbError(error);
    }
    if (r) c_.noteCommand(r.get(), insertTable_);
    // Done: the next call runs the statement again, as the embedded engine does.
    stop();
    return false;
}

bool PgStatement::next() {
    if (state_ == State::Idle) start();
    if (state_ == State::ReadAhead) {
        Result r{nullptr, &PQclear};
        if (!ahead_.empty()) {
            r = std::move(ahead_.front());
            ahead_.pop_front();
        }
        return take(std::move(r));
    }
    return take(c_.nextResult());
}

void PgStatement::readAhead() {
    if (state_ != State::Streaming) return;
    for (Result r = c_.nextResult(); r; r = c_.nextResult()) ahead_.push_back(std::move(r));
    state_ = State::ReadAhead;
}

void PgStatement::stop() {
    if (state_ == State::Streaming) {
        // The rest of a walk left early is read and dropped: the connection must be free.
        // nextResult frees the connection at the end.
        while (c_.nextResult()) {
        }
    }
    ahead_.clear();
    state_ = State::Idle;
    result_.reset();
    row_ = -1;
}

}  // namespace

QString ServerProblem(const QString& text) {
    static const QRegularExpression missing("database \"[^\"]*\" does not exist");
    if (missing.match(text).hasMatch()) return "Database does not exist";
    static const QRegularExpression auth(
        "authentication failed|role \"[^\"]*\" does not exist|no password supplied|"
        "pg_hba\\.conf|password is required|permission denied for database");
    if (auth.match(text).hasMatch()) return "Authentication failed";
    static const QRegularExpression unreachable(
        "could not connect|Connection refused|No such file or directory|timeout expired|"
        "could not translate host name|No route to host|Network is unreachable|"
        "Is the server running|server closed the connection|Connection timed out|"
        "no connection to the server",
        QRegularExpression::CaseInsensitiveOption);
    if (unreachable.match(text).hasMatch()) return "Database server unreachable";
    return QString();
}

QString UrlWithoutPassword(const QString& url) {
    if (url.startsWith("postgresql://") || url.startsWith("postgres://")) {
        QUrl u(url);
        u.setPassword(QString());
        QUrlQuery query(u);
        query.removeAllQueryItems("password");
        u.setQuery(query);
        return u.toString();
    }
    QString out = url;
    static const QRegularExpression password(
        "\\bpassword\\s*=\\s*('(?:[^'\\\\]|\\\\.)*'|\\S+)\\s*");
    out.remove(password);
    return out.trimmed();
}

bool ServerLinkLost(const Connection& c) {
    const auto* pg = dynamic_cast<const PgConnection*>(&c);
    return pg && pg->lost();
}

void RelinkServer(Connection& c, int timeoutMs) {
    if (auto* pg = dynamic_cast<PgConnection*>(&c)) pg->reconnect(timeoutMs);
}

QString ServerLinkUrl(const Connection& c) {
    const auto* pg = dynamic_cast<const PgConnection*>(&c);
    return pg ? pg->url() : QString();
}

std::unique_ptr<Connection> OpenServerDatabase(const QString& url, OpenMode mode, int timeoutMs) {
    return std::make_unique<PgConnection>(url, mode, timeoutMs);
}

int ServerSchemaVersion(Connection& c, const QString& file) {
    if (!c.hasTable("schema_version")) return 0;
    auto q = c.prepare("SELECT VERSION FROM schema_version WHERE FILE = ?");
    q.bind(1, file);
    return q.next() ? q.integer("VERSION") : 0;
}

int UpgradeServerSchema(Connection& c) {
    Transaction t(c);
    // Two stations that start together on an empty database: the second waits here and then
    // finds the schema made.
    c.execute("SELECT pg_advisory_xact_lock(4711801)");
    int applied = 0;
    if (!c.hasTable("schema_version")) {
        c.execute("CREATE TABLE schema_version (FILE TEXT PRIMARY KEY, VERSION INTEGER NOT NULL)");
    }
    for (const QString file : {"attend", "sysdat"}) {
        int have = 0;
        bool known = false;
        {
            auto q = c.prepare("SELECT VERSION FROM schema_version WHERE FILE = ?");
            q.bind(1, file);
            if (q.next()) {
                have = q.integer("VERSION");
                known = true;
            }
        }
        if (!known) {
            c.execute(SchemaSection(file));
            auto i = c.prepare("INSERT INTO schema_version (FILE, VERSION) VALUES (?, 0)");
            i.bind(1, file);
            i.exec();
            ++applied;
        }
        const int version = ApplySchemaSteps(c, file, have);
        if (version == have && known) continue;
        applied += version - have;
        auto u = c.prepare("UPDATE schema_version SET VERSION = ? WHERE FILE = ?");
        u.bindAll(version, file);
        u.exec();
    }
    if (applied > 0) {
        // Rows written with their ids (the templates' first group) leave the identity's
        // sequence behind: the next new row takes the number after the highest.
        c.execute(
            "DO $$DECLARE r record; BEGIN "
            "FOR r IN SELECT c.relname AS t, a.attname AS col FROM pg_attribute a "
            "JOIN pg_class c ON c.oid = a.attrelid WHERE a.attidentity <> '' "
            "AND NOT a.attisdropped AND pg_table_is_visible(c.oid) LOOP "
            "EXECUTE format('SELECT setval(pg_get_serial_sequence(%L, %L), "
            "greatest(m, 1), m >= 1) FROM (SELECT coalesce(max(%I), 0) AS m FROM %I) s', "
            "r.t, r.col, r.col, r.t); "
            "END LOOP; END$$");
    }
    t.commit();
    return applied;
}

}  // namespace horalog
