#include "people/period_close.h"

#include "common/ports.h"
#include "people/login.h"
#include "storage/audit.h"

namespace horalog {

namespace {

QString DayText(const QDate& d) {
    return d.toString(Qt::ISODate);
}

// A row per close or reopen; the newest holds. CLOSEDTO is a day number, -1 nothing closed.
void Record(Connection& src, const QDate& to) {
    auto q = src.prepare("INSERT INTO periodclose (CLOSEDTO, STAMP, STATION) VALUES (?, ?, ?)");
    q.bindAll(to.isValid() ? DateTime::fromDate(to).dayNumber() : -1, WholeSeconds(SystemClock()()),
              AuditLog::station());
    q.exec();
}

}  // namespace

QString PeriodState::Text() const {
    if (!closedTo.isValid()) return "open";
    return QString("Closed on %1 by %2").arg(stamp.date().toString(Qt::ISODate), station);
}

QString PeriodClosedText(const QDate& closedTo) {
    return QString("The period up to %1 is closed.").arg(DayText(closedTo));
}

QString ReopenText(const PeriodState& s, const QDate& from) {
    if (!s.closedTo.isValid() || (from.isValid() && from > s.closedTo))
        return "No closed day to reopen.";
    if (!from.isValid()) return "Reopens every day up to " + DayText(s.closedTo) + ".";
    return QString("Reopens %1 day(s): %2 to %3.")
        .arg(from.daysTo(s.closedTo) + 1)
        .arg(DayText(from), DayText(s.closedTo));
}

QString ClosedPeriodReadsText(qint64 reads, const QDate& closedTo) {
    return QString("%1 read(s) arrived dated within the closed period up to %2; they are logged.")
        .arg(reads)
        .arg(DayText(closedTo));
}

PeriodState CurrentPeriod(Connection& src, const QString& schema) {
    PeriodState s;
    auto q = src.prepare(
        QString("SELECT CLOSEDTO, STAMP, STATION FROM %1.periodclose ORDER BY ID DESC LIMIT 1")
            .arg(schema));
    if (q.next() && q.int64("CLOSEDTO") >= 0) {
        s.closedTo = DateTime(double(q.int64("CLOSEDTO"))).date();
        s.stamp = q.dateTime("STAMP");
        s.station = q.text("STATION");
    }
    return s;
}

void RequireOpenDay(Connection& src, const QDate& day, const QString& schema) {
    const PeriodState s = CurrentPeriod(src, schema);
    if (s.Closes(day)) throw PeriodClosed{PeriodClosedText(s.closedTo)};
}

void ClosePeriod(Connection& src, const QDate& to) {
    Transaction t(src);
    const PeriodState s = CurrentPeriod(src);
    if (s.Closes(to)) throw PeriodClosed{PeriodClosedText(s.closedTo)};
    Record(src, to);
    AuditLog(src).write(audit::kPeriodClosed, "up to " + DayText(to),
                        s.closedTo.isValid() ? "up to " + DayText(s.closedTo) : QString("open"),
                        "up to " + DayText(to));
    t.commit();
}

int ReopenPeriod(Connection& src, const QDate& from) {
    Transaction t(src);
    const PeriodState s = CurrentPeriod(src);
    if (!s.closedTo.isValid() || (from.isValid() && from > s.closedTo)) return 0;
    const QDate to = from.isValid() ? from.addDays(-1) : QDate();
    Record(src, to);
    AuditLog(src).write(
        audit::kPeriodReopened, from.isValid() ? "from " + DayText(from) : QString("every day"),
        "up to " + DayText(s.closedTo), to.isValid() ? "up to " + DayText(to) : QString("open"));
    t.commit();
    return from.isValid() ? int(from.daysTo(s.closedTo)) + 1 : -1;
}

bool RunClosePeriod(Connection& src, const QDate& to, Messages& messages) {
    try {
        if (!messages.confirm(QString("Close every day up to %1? Manual records and absences of "
                                      "those days will be refused until it is reopened.")
                                  .arg(DayText(to))))
            return false;
        ClosePeriod(src, to);
    } catch (const PeriodClosed& closed) {
        messages.error(closed.message);
        return false;
    } catch (const DbError& e) {
        messages.error(e.text());
        return false;
    }
    messages.information(QString("Every day up to %1 is closed.").arg(DayText(to)));
    return true;
}

bool RunReopenPeriod(Connection& src, const QDate& from, Messages& messages,
                     PasswordPrompts& prompts) {
    try {
        const PeriodState s = CurrentPeriod(src);
        if (!s.closedTo.isValid() || (from.isValid() && from > s.closedTo)) {
            messages.information("No closed day to reopen.");
            return false;
        }
        if (!prompts.askPassword("Password Dialog", [&](const QString& typed) {
                return AcceptPassword(src, messages, typed);
            }))
            return false;
        if (!messages.confirm(ReopenText(s, from))) return false;
        ReopenPeriod(src, from);
    } catch (const DbError& e) {
        messages.error(e.text());
        return false;
    }
    return true;
}

}  // namespace horalog
