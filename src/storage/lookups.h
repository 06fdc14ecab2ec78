#pragma once
// Small lookups shared by every room.

#include <QString>
#include <array>

#include "common/datetime.h"
#include "storage/database.h"

namespace horalog {

// Descriptions of the readers of ports 1 to 8 (index 0 is port 1).
using ReaderNames = std::array<QString, 8>;

// From the reader table, the rows of the connection's station: DESC, or "COM" and the port
// number when DESC is blank.
ReaderNames ReaderDescriptions(Connection& src);
// 1 to 8: the description of that port's reader; 0: "DENIED"; anything else: "ERROR".
QString ReaderName(int value, const ReaderNames& names);

// DESCX of the group with that ID, or an empty text.
QString GroupName(Connection& src, int id);
// ID of the group whose DESCX equals the name, or 0.
int GroupIdOf(Connection& src, const QString& name);

// The bounds of a period of whole days for "SYSTIME >= lo AND SYSTIME < hi": the first day at
// 00:00 up to, not including, 00:00 of the day after the last day. A read at midnight
// belongs to the day it starts, never to two periods.
struct DateRange {
    DateTime lo;
    DateTime hi;
};
DateRange DateRangeClause(DateTime from, DateTime to);

// The picture file of a read: photos folder, "yyMMdd-hhmmss", "-", card, ".jpg".
QString PicturePath(int card, DateTime t);

}  // namespace horalog
