#pragma once
// Row operations over any table: append and get the id, update or delete by id, locate by
// columns or by a text prefix (indexed when the table has the index), count, page, stream.
// Table and column names come from the code, never from input; values are always bound.

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

#include "storage/database.h"

namespace horalog {

using Fields = QList<QPair<QString, QVariant>>;

qint64 AppendRow(Connection& c, const QString& table, const Fields& fields);
// Returns whether a row was changed.
bool UpdateRow(Connection& c, const QString& table, const QString& idColumn, qint64 id,
               const Fields& fields);
bool DeleteRow(Connection& c, const QString& table, const QString& idColumn, qint64 id);
// The id of the first row (in id order) whose columns equal the values.
std::optional<qint64> LocateRow(Connection& c, const QString& table, const QString& idColumn,
                                const Fields& equal);
// The id of the first row, in the order of column, whose text column begins with prefix.
std::optional<qint64> LocatePrefix(Connection& c, const QString& table, const QString& idColumn,
                                   const QString& column, const QString& prefix);
qint64 CountRows(Connection& c, const QString& table);

// Quotes a name from the code as an identifier; throws DbError on anything but letters,
// digits and underscores.
QString Identifier(const QString& name);

}  // namespace horalog
