#include "storage/rows.h"

#include <QRegularExpression>
#include <QStringList>

namespace horalog {

QString Identifier(const QString& name) {
    static const QRegularExpression re("^[A-Za-z_][A-Za-z0-9_]*$");
    if (!re.match(name).hasMatch()) throw DbError("bad identifier: " + name);
    return '"' + name + '"';
}

namespace {
void bindFields(Statement& q, const Fields& fields, int first = 1) {
    for (int i = 0; i < fields.size(); ++i) q.bind(first + i, fields[i].second);
}
}  // namespace

qint64 AppendRow(Connection& c, const QString& table, const Fields& fields) {
    QStringList cols, marks;
    for (const auto& f : fields) {
        cols << Identifier(f.first);
        marks << "?";
    }
    QString sql = fields.isEmpty()
                      ? QString("INSERT INTO %1 DEFAULT VALUES").arg(Identifier(table))
                      : QString("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(Identifier(table), cols.join(", "), marks.join(", "));
    auto q = c.prepare(sql);
    bindFields(q, fields);
    q.exec();
    return c.lastInsertId();
}

bool UpdateRow(Connection& c, const QString& table, const QString& idColumn, qint64 id,
               const Fields& fields) {
    if (fields.isEmpty()) return false;
    QStringList sets;
    for (const auto& f : fields) sets << Identifier(f.first) + " = ?";
    auto q = c.prepare(QString("UPDATE %1 SET %2 WHERE %3 = ?")
                           .arg(Identifier(table), sets.join(", "), Identifier(idColumn)));
    bindFields(q, fields);
    q.bind(fields.size() + 1, id);
    q.exec();
    return c.changes() > 0;
}

bool DeleteRow(Connection& c, const QString& table, const QString& idColumn, qint64 id) {
    auto q = c.prepare(
        QString("DELETE FROM %1 WHERE %2 = ?").arg(Identifier(table), Identifier(idColumn)));
    q.bind(1, id);
    q.exec();
    return c.changes() > 0;
}

std::optional<qint64> LocateRow(Connection& c, const QString& table, const QString& idColumn,
                                const Fields& equal) {
    QStringList conds;
    for (const auto& f : equal) conds << Identifier(f.first) + " = ?";
    auto q = c.prepare(QString("SELECT %1 FROM %2 WHERE %3 ORDER BY %1 LIMIT 1")
                           .arg(Identifier(idColumn), Identifier(table), conds.join(" AND ")));
    bindFields(q, equal);
    if (!q.next()) return std::nullopt;
    return q.value(0).toLongLong();
}

std::optional<qint64> LocatePrefix(Connection& c, const QString& table, const QString& idColumn,
                                   const QString& column, const QString& prefix) {
    // The first row at or after the prefix in the column's order: an index seek. It matches
    // when it begins with the prefix (the column's collation decides letter case).
    auto q = c.prepare(QString("SELECT %1, %3 FROM %2 WHERE %3 >= ?1 ORDER BY %3 LIMIT 1")
                           .arg(Identifier(idColumn), Identifier(table), Identifier(column)));
    q.bind(1, prefix);
    if (!q.next()) return std::nullopt;
    if (!q.value(1).toString().startsWith(prefix, Qt::CaseInsensitive)) return std::nullopt;
    return q.value(0).toLongLong();
}

qint64 CountRows(Connection& c, const QString& table) {
    auto q = c.prepare(QString("SELECT count(*) FROM %1").arg(Identifier(table)));
    q.next();
    return q.value(0).toLongLong();
}

}  // namespace horalog
