#pragma once
// Manual attendance records in the log: add, edit and delete through the live log's context
// menu, with their messages. Each answers whether the log changed, so the caller refreshes the
// live log grid and the record count.

#include <QDate>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "common/ports.h"
#include "people/manual_records.h"
#include "people/photos.h"
#include "storage/database.h"
#include "storage/log_table.h"

namespace horalog {

// What the add and edit dialogs show of a holder: card, group name, remarks and photo.
struct HolderShown {
    bool found = false;
    int card = 0;
    QString name;
    QString group;          // GroupName of the holder's group
    QString remarks;        // lines separated by '\n'
    bool hasPhoto = false;  // the photo box is shown only when the photo decodes
    Picture photo;
};
// The holder with exactly this name (SameHolderName), as the add dialog looks it up whenever
// the name or the reader changes.
HolderShown HolderShownByName(Connection& src, const QString& name);
HolderShown HolderShownByCard(Connection& src, int card);

// "&Add" of "Add Attendance Record": the picked date at the picked hour and minute (seconds 0),
// the card shown (none when the name is no holder's), the mode and reader at their positions,
// LOCK 0. Shows "Record Added", or "Error adding record into the database" with nothing added.
//
// auditDb: the system database's path. When given, the change and its audit row are one
// transaction of the log connection with the system database attached (so the row exists
// exactly when the change does); the window always gives it.
bool AddAttendanceRecord(Connection& att, DateTime pickedDate, DateTime pickedTime,
                         std::optional<int> card, int modeIndex, int readerIndex,
                         Messages& messages, const QString& auditDb = {});

// "&Update" of "Edit Attendance Record" on the remembered row: only date, time (seconds 0) and
// mode change. Shows "Record updated into the database", or "Error updating record into the
// database" (also when the row is gone) with the row unchanged.
bool UpdateAttendanceRecord(Connection& att, qint64 id, DateTime pickedDate, DateTime pickedTime,
                            int modeIndex, Messages& messages, const QString& auditDb = {});

// "Delete this Attendance Record" on the current row (nullopt: the log is empty, "No record to
// delete."): asks "Are you sure to delete this record.", deletes the row's picture file (a
// missing file is ignored) and the row. A failing deletion shows the engine's text.
bool DeleteAttendanceRecord(Connection& att, std::optional<qint64> id, Messages& messages,
                            const QString& auditDb = {});

// The audit text of a log row: "2004-06-26 08:15:00, card 123, IN, reader 2".
QString LogRecordAuditText(const LogRecord& r);

// The card and day of a log row from its audit text; nothing when the text is not one.
std::optional<std::pair<int, QDate>> CardDayOfAuditText(const QString& text);
// The cards and days whose records were added, edited or deleted by hand within first..last,
// from the audit trail of the system database (both sides of an edit).
std::vector<std::pair<int, QDate>> HandChangedDays(Connection& src, const QDate& first,
                                                   const QDate& last);

}  // namespace horalog
