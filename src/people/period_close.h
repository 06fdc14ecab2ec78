#pragma once
// A closed period: every day up to a date whose attendance is settled. Manual records and
// absences dated within it are refused until it is reopened; the door goes on logging reads
// whatever their time, and reads downloaded into it are counted. Kept in the system database,
// so that on a database server every station shares it; each close and reopen is audited.

#include <QDate>
#include <QString>
#include <optional>

#include "common/datetime.h"
#include "storage/database.h"

namespace horalog {

namespace audit {
inline constexpr const char* kPeriodClosed = "Period closed";
inline constexpr const char* kPeriodReopened = "Period reopened";
inline constexpr const char* kReadsIntoClosedPeriod = "Reads into a closed period";
}  // namespace audit

struct PeriodState {
    QDate closedTo;  // invalid: nothing closed
    DateTime stamp;  // when it was closed
    QString station;
    bool Closes(const QDate& day) const { return closedTo.isValid() && day <= closedTo; }
    // "Closed on 2026-12-01 by FRONTDESK", or "open".
    QString Text() const;
};

// A change the closed period refuses, with "The period up to <date> is closed.".
struct PeriodClosed {
    QString message;
};
QString PeriodClosedText(const QDate& closedTo);
// "3 read(s) arrived dated within the closed period up to 2026-11-30; they are logged."
QString ClosedPeriodReadsText(qint64 reads, const QDate& closedTo);

// The state in the system database (schema: where it is attached to another connection).
PeriodState CurrentPeriod(Connection& src, const QString& schema = "main");
// Throws PeriodClosed when the day lies within the closed period.
void RequireOpenDay(Connection& src, const QDate& day, const QString& schema = "main");

// Closes every day up to `to`, audited. Refused (PeriodClosed with why) when the period is
// closed that far already. Throws DbError.
void ClosePeriod(Connection& src, const QDate& to);
// Reopens the closed days from `from` on (invalid: every closed day), audited; answers how many
// days reopened: 0 when none of them was closed, -1 for every day.
int ReopenPeriod(Connection& src, const QDate& from = {});
// "Reopens 30 days: 2026-11-01 to 2026-11-30.", "Reopens every day up to 2026-11-30."
QString ReopenText(const PeriodState& s, const QDate& from);

class Messages;
class PasswordPrompts;

// "Close Period...": closes up to `to` after the operator confirms; true when closed.
bool RunClosePeriod(Connection& src, const QDate& to, Messages& messages);
// "Reopen Period...": asks for the password again, says how many days reopen, and reopens them
// from `from` (invalid: every closed day); true when reopened.
bool RunReopenPeriod(Connection& src, const QDate& from, Messages& messages,
                     PasswordPrompts& prompts);

}  // namespace horalog
