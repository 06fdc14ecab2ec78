// SQLCipher driver. SQLCipher exports the sqlite3_* symbols; the plain SQLite library must never
// be linked into the program, or keys would be ignored and files written unencrypted.
#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

#include <QFileInfo>

#include "storage/database.h"
#include "storage/statement_impl.h"

namespace horalog {

namespace {

QString lastError(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

class SqliteStatement : public StatementImpl {
public:
    SqliteStatement(sqlite3* db, const QString& sql) : db_(db) {
        QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), utf8.size(), &stmt_, nullptr) != SQLITE_OK)
            throw DbError(lastError(db));
        if (!stmt_) throw DbError("empty statement");
    }
    ~SqliteStatement() override { sqlite3_finalize(stmt_); }

    void bind(int index, const QVariant& v) override {
        int rc;
        if (!v.isValid() || v.isNull()) {
            rc = sqlite3_bind_null(stmt_, index);
        } else {
            switch (v.metaType().id()) {
                case QMetaType::Bool:
                    rc = sqlite3_bind_int(stmt_, index, v.toBool() ? 1 : 0);
                    break;
                case QMetaType::Int:
                case QMetaType::UInt:
                case QMetaType::LongLong:
                case QMetaType::ULongLong:
                case QMetaType::Short:
                case QMetaType::UShort:
                case QMetaType::Long:
                    rc = sqlite3_bind_int64(stmt_, index, v.toLongLong());
                    break;
                case QMetaType::Double:
                case QMetaType::Float:
                    rc = sqlite3_bind_double(stmt_, index, v.toDouble());
                    break;
                case QMetaType::QByteArray: {
                    QByteArray b = v.toByteArray();
                    rc = sqlite3_bind_blob64(stmt_, index, b.constData(), b.size(),
                                             SQLITE_TRANSIENT);
                    break;
                }
                default: {
                    QByteArray t = v.toString().toUtf8();
                    rc = sqlite3_bind_text64(stmt_, index, t.constData(), t.size(),
                                             SQLITE_TRANSIENT, SQLITE_UTF8);
                    break;
                }
            }
        }
        if (rc != SQLITE_OK) throw DbError(lastError(db_));
    }

    int parameterIndex(const QString& name) const override {
        int i = sqlite3_bind_parameter_index(stmt_, name.toUtf8().constData());
        if (i == 0) throw DbError("no parameter " + name);
        return i;
    }

    bool next() override {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        QString err = lastError(db_);
        sqlite3_reset(stmt_);
        throw DbError(err);
    }

    void reset() override {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

    int columnCount() const override { return sqlite3_column_count(stmt_); }
    QString columnName(int i) const override {
        return QString::fromUtf8(sqlite3_column_name(stmt_, i));
    }
    bool isNull(int i) const override { return sqlite3_column_type(stmt_, i) == SQLITE_NULL; }
    qint64 int64(int i) const override { return sqlite3_column_int64(stmt_, i); }
    double real(int i) const override { return sqlite3_column_double(stmt_, i); }
    QString text(int i) const override {
        auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
        return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt_, i)) : QString();
    }
    QByteArray blob(int i) const override {
        const void* p = sqlite3_column_blob(stmt_, i);
        return p ? QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(stmt_, i))
                 : QByteArray();
    }
    QVariant value(int i) const override {
        switch (sqlite3_column_type(stmt_, i)) {
            case SQLITE_INTEGER:
                return QVariant(qint64(int64(i)));
            case SQLITE_FLOAT:
                return QVariant(real(i));
            case SQLITE_TEXT:
                return QVariant(text(i));
            case SQLITE_BLOB:
                return QVariant(blob(i));
            default:
                return QVariant();
        }
    }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class SqliteConnection : public Connection {
public:
    SqliteConnection(const QString& path, const QString& password, OpenMode mode, bool create)
        : path_(path) {
        int flags = mode == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
        if (create && mode == OpenMode::ReadWrite) flags |= SQLITE_OPEN_CREATE;
        flags |= SQLITE_OPEN_NOMUTEX;
        if (!create && !QFileInfo::exists(path)) throw DbError("file not found: " + path);
        int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
        if (rc != SQLITE_OK) {
            QString err = db_ ? lastError(db_) : QString("cannot open database");
            sqlite3_close(db_);
            db_ = nullptr;
            throw DbError(err);
        }
        try {
            // The key must be the first statement on the connection.
            QByteArray key = password.toUtf8();
            if (sqlite3_key(db_, key.constData(), key.size()) != SQLITE_OK)
                throw DbError(lastError(db_));
            requireCipher();
            // A wrong key or a file that is no database fails here.
            execute("SELECT count(*) FROM sqlite_master");
            sqlite3_busy_timeout(db_, 5000);
            if (mode == OpenMode::ReadWrite) {
                execute("PRAGMA journal_mode=WAL");
                // A commit reaches the log file without waiting for the disk: it survives a
                // crash of the program. The store flushes every second (Tdsrc) and makes the
                // log's commits durable one by one when DurableCommits is on.
                execute("PRAGMA synchronous=NORMAL");
                execute("PRAGMA foreign_keys=OFF");
                execute("PRAGMA cache_size=-16384");  // 16 MB of decrypted pages
            } else {
                execute("PRAGMA query_only=1");
            }
        } catch (...) {
            sqlite3_close(db_);
            db_ = nullptr;
            throw;
        }
    }
    ~SqliteConnection() override {
        if (db_) sqlite3_close_v2(db_);
    }

    Statement prepare(const QString& sql) override {
        return Statement(std::make_unique<SqliteStatement>(db_, sql));
    }

    void execute(const QString& sql) override {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
            QString text = err ? QString::fromUtf8(err) : lastError(db_);
            sqlite3_free(err);
            throw DbError(text);
        }
    }

    qint64 lastInsertId() const override { return sqlite3_last_insert_rowid(db_); }
    int changes() const override { return sqlite3_changes(db_); }
    void begin() override { execute("BEGIN IMMEDIATE"); }
    void commit() override { execute("COMMIT"); }
    void rollback() override { execute("ROLLBACK"); }
    bool inTransaction() const override { return !sqlite3_get_autocommit(db_); }
    QString path() const override { return path_; }
    bool hasTable(const QString& name) override {
        auto q =
            prepare("SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') AND name = ?");
        q.bind(1, name);
        return q.next();
    }

    void flush() override {
        int rc =
            sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        if (rc != SQLITE_OK && rc != SQLITE_BUSY) throw DbError(lastError(db_));
    }

    void checkpoint() override {
        int rc =
            sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        if (rc != SQLITE_OK) throw DbError(lastError(db_));
    }

    void backupTo(const QString& target) override {
        // ATTACH with the same key makes an encrypted copy; sqlcipher_export copies
        // schema and rows inside one read transaction.
        auto q = prepare("ATTACH DATABASE ?1 AS backup_target KEY ?2");
        q.bind(1, target);
        q.bind(2, QString::fromUtf8(keyOf()));
        q.exec();
        try {
            execute("SELECT sqlcipher_export('backup_target')");
            execute("DETACH DATABASE backup_target");
        } catch (...) {
            try {
                execute("DETACH DATABASE backup_target");
            } catch (...) {
            }
            throw;
        }
    }

    void setDurable(bool on) override {
        execute(on ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
    }

    std::optional<QStringList> quickCheck(int maxLines,
                                          const std::function<bool()>& keepGoing) override {
        QStringList damage;
        bool stopped = false;
        struct Ask {
            const std::function<bool()>* keepGoing;
            bool* stopped;
        } ask{&keepGoing, &stopped};
        if (keepGoing)
            sqlite3_progress_handler(
                db_, 10000,
                [](void* p) -> int {
                    auto* a = static_cast<Ask*>(p);
                    if ((*a->keepGoing)()) return 0;
                    *a->stopped = true;
                    return 1;
                },
                &ask);
        try {
            auto q = prepare(QString("PRAGMA quick_check(%1)").arg(qMax(1, maxLines)));
            while (q.next()) {
                const QString line = q.value(0).toString();
                if (line != "ok") damage << line;
            }
        } catch (const DbError& e) {
            // A page that cannot even be read is damage too.
            if (!stopped) damage << e.text();
        }
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
        if (stopped) return std::nullopt;
        return damage;
    }

    void setKey(const QByteArray& key) { key_ = key; }

private:
    void requireCipher() {
        sqlite3_stmt* s = nullptr;
        bool ok = sqlite3_prepare_v2(db_, "PRAGMA cipher_version", -1, &s, nullptr) == SQLITE_OK &&
                  sqlite3_step(s) == SQLITE_ROW;
        sqlite3_finalize(s);
        if (!ok) throw DbError("the database engine is not built with encryption (SQLCipher)");
    }
    QByteArray keyOf() const { return key_; }

    sqlite3* db_ = nullptr;
    QString path_;
    QByteArray key_;
};

}  // namespace

std::unique_ptr<Connection> OpenDatabase(const QString& path, const QString& password,
                                         OpenMode mode, bool create) {
    auto c = std::make_unique<SqliteConnection>(path, password, mode, create);
    c->setKey(password.toUtf8());
    return c;
}

}  // namespace horalog
