#pragma once
// Day results behind the spreadsheet exports: one holder, one date, from the pair finders.
// Each is called with the cursor on the first row of a date and consumes that date's rows.
// Times are texts "HH:mm:ss" (24-hour clock).

#include <QString>
#include <QStringList>
#include <vector>

#include "attendance/pair_finders.h"
#include "attendance/report_source.h"

namespace horalog {

struct FirstLastResult {
    QString inText;
    QString outText;
    QString status;  // "OK", "Incorrect", "No matched" or empty
};

// The first and last record (or first IN and last OUT) of the date; an absent side reads
// "No " and its column's name.
FirstLastResult FirstLastDay(RecordCursor& rows, bool byMode, const QString& inColumn = "IN",
                             const QString& outColumn = "OUT");

struct PairsResult {
    QStringList ins;   // IN k, empty where absent
    QStringList outs;  // OUT k
    QString status;    // "OK", "Incomplete" or "Too much"
};

// Up to n IN/OUT pairs of the date.
PairsResult PairsDay(RecordCursor& rows, int n);

struct TimetableResult {
    // Slot k (1-based) at index k - 1; empty texts where nothing was written.
    QStringList ins, lates, outs, earlies;
};

// Up to n pairs measured against the slots of the group's time attendance table (in `timein`
// order): late arrival after `timein`, early leave before `timeout`.
TimetableResult TimetableDay(RecordCursor& rows, int n, const std::vector<TimePeriod>& table);

}  // namespace horalog
