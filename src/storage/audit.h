#pragma once
// The audit trail (table audit of the system database): one row per change an operator made,
// written inside the transaction of that change, so a change that fails leaves no row and a
// row never describes a change that did not happen. Rows are never changed or deleted (the
// table's triggers refuse it); erasing holders or the log leaves them.
//
// Changes of the log file (manual records, erasing and importing the log) reach the audit
// table by attaching the system database to the log connection for the time of the change
// (AttachedSystemDb): one transaction then covers the row of recorder and the audit row.

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "common/datetime.h"
#include "storage/database.h"

namespace horalog {

struct AuditRecord {
    qint64 id = 0;
    DateTime stamp;
    QString station;  // the computer the change was made on
    QString action;   // "Holder added", "Login", ...
    QString subject;  // the holder or row concerned
    QString oldText;  // before the change, empty for an addition
    QString newText;  // after the change, empty for a deletion
};

namespace audit {
inline constexpr const char* kHolderAdded = "Holder added";
inline constexpr const char* kHolderChanged = "Holder changed";
inline constexpr const char* kHolderDeleted = "Holder deleted";
inline constexpr const char* kHoldersErased = "Holders erased";
inline constexpr const char* kHoldersImported = "Holders imported";
inline constexpr const char* kRecordAdded = "Record added";
inline constexpr const char* kRecordEdited = "Record edited";
inline constexpr const char* kRecordDeleted = "Record deleted";
inline constexpr const char* kLogErased = "Log erased";
inline constexpr const char* kLogImported = "Log imported";
inline constexpr const char* kLogin = "Login";
inline constexpr const char* kLogout = "Logout";
inline constexpr const char* kPasswordChanged = "Password changed";
inline constexpr const char* kDoorOpened = "Door opened";
inline constexpr const char* kGroupAdded = "Group added";
inline constexpr const char* kGroupChanged = "Group changed";
inline constexpr const char* kGroupDeleted = "Group deleted";
inline constexpr const char* kTimetableChanged = "Timetable changed";
inline constexpr const char* kReaderChanged = "Reader set-up changed";
inline constexpr const char* kRestored = "Database restored";
inline constexpr const char* kFormatted = "Database formatted";
}  // namespace audit

// The rows an audit window or command shows: days from and to (both whole days, inclusive)
// and a text found in any column but the time (letter case of ASCII letters ignored).
struct AuditFilter {
    std::optional<QDate> from;
    std::optional<QDate> to;
    QString text;
};

class AuditLog {
public:
    // schema: "main" on the system database's own connection, or the name under which it is
    // attached to another connection.
    explicit AuditLog(Connection& c, QString schema = "main") : c_(c), schema_(std::move(schema)) {}

    // Appends one row stamped now on this computer. Part of the caller's transaction when one
    // is open.
    void write(const QString& action, const QString& subject, const QString& oldText = {},
               const QString& newText = {});

    // Newest first (time, then order written): up to limit rows after the row `after` (none:
    // from the newest). An index walk, so a page costs the same at any size of the table.
    std::vector<AuditRecord> page(const AuditFilter& filter,
                                  const std::optional<AuditRecord>& after, int limit);
    // Every matching row, oldest first; the callback answers false to stop.
    void forEach(const AuditFilter& filter, const std::function<bool(const AuditRecord&)>& f);
    qint64 count();

    // The computer's name stamped on new rows (tests and the command line may set it).
    static QString station();
    static void setClock(Clock clock);

private:
    Connection& c_;
    QString schema_;
};

// The system database attached to the log connection as "sysdat" while this lives, so that
// AuditLog(att, schema()) writes in the log connection's transaction. On a database server the
// log's connection holds the system tables already: nothing is attached, schema() is "main".
class AttachedSystemDb {
public:
    AttachedSystemDb(Connection& att, const QString& sysDbPath);
    ~AttachedSystemDb();
    AttachedSystemDb(const AttachedSystemDb&) = delete;
    AttachedSystemDb& operator=(const AttachedSystemDb&) = delete;
    static constexpr const char* kSchema = "sysdat";
    QString schema() const { return attached_ ? kSchema : "main"; }

private:
    Connection& att_;
    bool attached_ = false;
};

// The audit trail outlives the system database file it is kept in: a restore or format puts
// another file in its place, so the rows are set aside first and added to the new file after
// (rows the new file already has, as a restored backup of this installation does, are not
// added twice). Set aside into a file beside the live one; carried by CarryAuditInto.
void SetAuditAside(Connection& src, const QString& asidePath);
// Adds the rows set aside that src lacks, then removes the file. Nothing when it is missing.
void CarryAuditInto(Connection& src, const QString& asidePath);

// CSV of audit rows: header TIME,STATION,ACTION,SUBJECT,BEFORE,AFTER, time as
// "yyyy-mm-dd hh:mm:ss".
QString AuditCsvHeader();
QString AuditCsvLine(const AuditRecord& r);
QString AuditTimeText(DateTime t);

}  // namespace horalog
