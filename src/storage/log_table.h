#pragma once
// The attendance log (table recorder of the log database).

#include <functional>
#include <optional>
#include <vector>

#include "storage/database.h"

namespace horalog {

struct LogRecord {
    qint64 id = 0;  // row identity, set by append
    DateTime systime;
    int cardno = 0;  // -1 marks a bypass-switch press
    int mode = 0;    // 0 CLOCK, 1 IN, 2 OUT
    int reader = 0;  // port 1 to 8
    int lock = 0;    // port whose lock was released, 0 none
    QString station = {};  // where it was read; '' on the embedded files (stations.h)
};

enum class LogOrder { OldestFirst, NewestFirst };

class LogTable {
public:
    explicit LogTable(Connection& att) : c_(att) {}

    // Appends and commits (unless a transaction is open); sets and returns the id. A row
    // without a station gets the connection's.
    qint64 append(LogRecord& r);
    void setLock(qint64 id, int lock);
    void update(const LogRecord& r);  // SYSTIME, CARDNO, MODE, READER, LOCK by id
    bool remove(qint64 id);
    std::optional<LogRecord> find(qint64 id);
    // A row with the same SYSTIME (to the second) and CARDNO: the duplicate test of the
    // offline download and the log import.
    bool exists(DateTime systime, int cardno);
    qint64 count();
    std::optional<LogRecord> first();
    std::optional<LogRecord> last();
    // Rows in the log's order, SYSTIME then CARDNO then id (the order of the SYSTIME index), starting offset rows from the chosen end.
    std::vector<LogRecord> page(qint64 offset, int limit, LogOrder order);
    // Position of a row (0-based, oldest first) in the log's order.
    qint64 positionOf(const LogRecord& r);
    // Streams the rows with from <= SYSTIME < to in the log's order; the callback returns
    // false to stop.
    void forEach(DateTime from, DateTime to, const std::function<bool(const LogRecord&)>& f);
    // The same for one card, through the card index.
    void forEachOfCard(int cardno, DateTime from, DateTime to,
                       const std::function<bool(const LogRecord&)>& f);

    static LogRecord fromRow(const Statement& q);

private:
    Connection& c_;
    // Kept for the life of the table object: a merge appends and tests many rows in a row.
    std::optional<Statement> append_;
    std::optional<Statement> exists_;
};

}  // namespace horalog
