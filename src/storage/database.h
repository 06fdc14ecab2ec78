#pragma once
// The database engine seen by the rest of the program: connections, prepared statements with
// bound parameters, transactions and typed column access by name. The SQLCipher driver lives
// in sqlite_driver.cpp, the PostgreSQL driver in postgres_driver.cpp (postgres_driver.h).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

#include "common/datetime.h"

namespace horalog {

// Every engine failure, carrying the engine's own text.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

enum class OpenMode { ReadWrite, ReadOnly };

class StatementImpl;

// A prepared statement. Parameters are numbered from 1 (or named ":name"); columns are read by
// name (case-insensitive) or by index from 0. Move-only.
class Statement {
public:
    explicit Statement(std::unique_ptr<StatementImpl> impl);
    Statement(Statement&&) noexcept;
    Statement& operator=(Statement&&) noexcept;
    ~Statement();

    Statement& bind(int index, const QVariant& value);
    Statement& bind(const QString& name, const QVariant& value);
    Statement& bind(int index, DateTime value) { return bind(index, QVariant(value.value)); }
    Statement& bind(const QString& name, DateTime value) {
        return bind(name, QVariant(value.value));
    }
    // Binds values to parameters 1, 2, ... in order.
    template <typename... Args>
    Statement& bindAll(const Args&... args) {
        int i = 0;
        (bindOne(++i, args), ...);
        return *this;
    }

    // Steps to the next row; false when there is none (the statement is done).
    bool next();
    // Runs to completion, ignoring rows.
    void exec();
    // Ready for another run with new bindings.
    void reset();

    int columnCount() const;
    QString columnName(int index) const;
    int columnIndex(const QString& name) const;  // throws DbError when unknown

    QVariant value(int index) const;
    QVariant value(const QString& name) const { return value(columnIndex(name)); }
    bool isNull(const QString& name) const;
    qint64 int64(const QString& name) const;
    int integer(const QString& name) const { return int(int64(name)); }
    bool boolean(const QString& name) const { return int64(name) != 0; }
    QString text(const QString& name) const;
    DateTime dateTime(const QString& name) const;
    QByteArray blob(const QString& name) const;

private:
    template <typename T>
    void bindOne(int i, const T& v) {
        if constexpr (std::is_same_v<T, DateTime>)
            bind(i, v);
        else
            bind(i, QVariant::fromValue(v));
    }
    std::unique_ptr<StatementImpl> impl_;
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual Statement prepare(const QString& sql) = 0;
    // Runs one or more statements without parameters.
    virtual void execute(const QString& sql) = 0;
    virtual qint64 lastInsertId() const = 0;
    virtual int changes() const = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;
    virtual QString path() const = 0;
    // Whether a table (or view) of that name exists.
    virtual bool hasTable(const QString& name) = 0;
    // Writes every committed change into the main file (nothing left in a side log).
    virtual void checkpoint() = 0;
    // Brings committed changes to disk without waiting for readers.
    virtual void flush() = 0;
    // Copies the whole database into a new file at target with the same key, consistently.
    virtual void backupTo(const QString& target) = 0;
    // On: every commit is on disk before it returns (the write-ahead log is synced). Off:
    // commits survive a crash of the program, and flush() brings them to disk.
    virtual void setDurable(bool on) = 0;
    // The engine's quick consistency check: empty when the file is sound, else one line per
    // damage found (at most maxLines). keepGoing is asked now and then; when it answers false
    // the check stops and answers nothing.
    virtual std::optional<QStringList> quickCheck(int maxLines = 20,
                                                  const std::function<bool()>& keepGoing = {}) = 0;

    // The station whose reader rows and log rows this connection reads and writes: '' on the
    // embedded files, the PC's station name on a server database (set by the store at open).
    const QString& station() const { return station_; }
    void setStation(const QString& station) { station_ = station; }

private:
    QString station_;
};

// Opens the SQLCipher file at path with its password. Fails with DbError when the file
// cannot be opened, is no database or the password is wrong. create: a missing file is
// created (read-write only).
std::unique_ptr<Connection> OpenDatabase(const QString& path, const QString& password,
                                         OpenMode mode, bool create = false);

// Runs a block of changes as one transaction: committed when commit() is called, rolled back
// when it goes out of scope without (also on exceptions), so a failed change leaves nothing.
class Transaction {
public:
    explicit Transaction(Connection& c) : c_(c) { c_.begin(); }
    ~Transaction() {
        if (!done_) {
            try {
                c_.rollback();
            } catch (...) {
            }
        }
    }
    void commit() {
        c_.commit();
        done_ = true;
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    Connection& c_;
    bool done_ = false;
};

}  // namespace horalog
