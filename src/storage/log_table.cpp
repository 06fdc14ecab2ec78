#include "storage/log_table.h"

namespace horalog {

namespace {
constexpr const char* kColumns = "ID, SYSTIME, CARDNO, MODE, READER, LOCK, STATION";
// Half a millisecond in days: two stamps of the same second differ by far less than that
// only when they are the same.
constexpr double kSameStamp = 0.5 / 86400000.0;
}  // namespace

LogRecord LogTable::fromRow(const Statement& q) {
    LogRecord r;
    r.id = q.value(0).toLongLong();
    r.systime = DateTime(q.value(1).toDouble());
    r.cardno = q.value(2).toInt();
    r.mode = q.value(3).toInt();
    r.reader = q.value(4).toInt();
    r.lock = q.value(5).toInt();
    if (q.columnCount() > 6) r.station = q.value(6).toString();
    return r;
}

qint64 LogTable::append(LogRecord& r) {
    if (!append_)
        append_ = c_.prepare(
            "INSERT INTO recorder (SYSTIME, CARDNO, MODE, READER, LOCK, STATION) "
            "VALUES (?, ?, ?, ?, ?, ?)");
    if (r.station.isEmpty()) r.station = c_.station();
    Statement& q = *append_;
    q.reset();
    q.bindAll(r.systime, r.cardno, r.mode, r.reader, r.lock, r.station);
    q.exec();
    r.id = c_.lastInsertId();
    return r.id;
}

void LogTable::setLock(qint64 id, int lock) {
    auto q = c_.prepare("UPDATE recorder SET LOCK = ? WHERE ID = ?");
    q.bindAll(lock, id);
    q.exec();
}

void LogTable::update(const LogRecord& r) {
    auto q = c_.prepare(
        "UPDATE recorder SET SYSTIME = ?, CARDNO = ?, MODE = ?, READER = ?, LOCK = ? "
        "WHERE ID = ?");
    q.bindAll(r.systime, r.cardno, r.mode, r.reader, r.lock, r.id);
    q.exec();
}

bool LogTable::remove(qint64 id) {
    auto q = c_.prepare("DELETE FROM recorder WHERE ID = ?");
    q.bindAll(id);
    q.exec();
    return c_.changes() > 0;
}

std::optional<LogRecord> LogTable::find(qint64 id) {
    auto q = c_.prepare(QString("SELECT %1 FROM recorder WHERE ID = ?").arg(kColumns));
    q.bindAll(id);
    if (!q.next()) return std::nullopt;
    return fromRow(q);
}

bool LogTable::exists(DateTime systime, int cardno) {
    DateTime t = WholeSeconds(systime);
    if (!exists_)
        exists_ = c_.prepare(
            "SELECT 1 FROM recorder WHERE SYSTIME BETWEEN ? AND ? AND CARDNO = ? LIMIT 1");
    Statement& q = *exists_;
    q.reset();
    q.bindAll(t.value - kSameStamp, t.value + kSameStamp, cardno);
    const bool found = q.next();
    q.reset();  // no read left open on the table
    return found;
}

qint64 LogTable::count() {
    auto q = c_.prepare("SELECT N FROM recorder_count");
    q.next();
    return q.value(0).toLongLong();
}

std::optional<LogRecord> LogTable::first() {
    auto rows = page(0, 1, LogOrder::OldestFirst);
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

std::optional<LogRecord> LogTable::last() {
    auto rows = page(0, 1, LogOrder::NewestFirst);
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

std::vector<LogRecord> LogTable::page(qint64 offset, int limit, LogOrder order) {
    const char* dir = order == LogOrder::OldestFirst ? "ASC" : "DESC";
    auto q = c_.prepare(QString("SELECT %1 FROM recorder ORDER BY SYSTIME %2, CARDNO %2, ID %2 "
                                "LIMIT ? OFFSET ?")
                            .arg(kColumns, dir));
    q.bindAll(limit, offset);
    std::vector<LogRecord> out;
    out.reserve(limit);
    while (q.next()) out.push_back(fromRow(q));
    return out;
}

qint64 LogTable::positionOf(const LogRecord& r) {
    auto q = c_.prepare(
        "SELECT count(*) FROM recorder WHERE SYSTIME < ?1 OR (SYSTIME = ?1 AND "
        "(CARDNO < ?2 OR (CARDNO = ?2 AND ID < ?3)))");
    q.bindAll(r.systime, r.cardno, r.id);
    q.next();
    return q.value(0).toLongLong();
}

void LogTable::forEach(DateTime from, DateTime to, const std::function<bool(const LogRecord&)>& f) {
    auto q = c_.prepare(QString("SELECT %1 FROM recorder WHERE SYSTIME >= ? AND SYSTIME < ? "
                                "ORDER BY SYSTIME, CARDNO, ID")
                            .arg(kColumns));
    q.bindAll(from, to);
    while (q.next())
        if (!f(fromRow(q))) break;
}

void LogTable::forEachOfCard(int cardno, DateTime from, DateTime to,
                             const std::function<bool(const LogRecord&)>& f) {
    auto q = c_.prepare(QString("SELECT %1 FROM recorder WHERE CARDNO = ? AND SYSTIME >= ? "
                                "AND SYSTIME < ? ORDER BY SYSTIME, ID")
                            .arg(kColumns));
    q.bindAll(cardno, from, to);
    while (q.next())
        if (!f(fromRow(q))) break;
}

}  // namespace horalog
