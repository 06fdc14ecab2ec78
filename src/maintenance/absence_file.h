#pragma once
// Absences in bulk: a .csv or .xlsx file with the columns CARDNO, FROM, TO, TYPE, HALF and
// NOTE, in any order and letter case (TO, HALF and NOTE may be left out). FROM and TO are
// dates YYYY-MM-DD (a workbook's date cells too); an empty TO is the FROM day; HALF is empty,
// "first" or "second". Unless every row is good the whole file is refused with the list of bad
// rows, else it is written in one transaction.

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

#include "storage/database.h"

namespace horalog {

struct AbsenceImportResult {
    bool ok = false;
    int added = 0;
    QStringList problems;  // "Line 12: ..."
    QString error;         // the file itself could not be read
};

AbsenceImportResult ImportAbsences(Connection& src, const QString& path);

// "Added n absence(s)", or "The file was not imported." and one line per bad row.
QString AbsenceImportSummary(const AbsenceImportResult& r);

// Writes the absences that touch from..to (either open), of one holder or all, with the
// columns of the import; answers how many, or -1 with error.
int ExportAbsences(Connection& src, const QString& path, std::optional<int> cardno,
                   std::optional<QDate> from, std::optional<QDate> to, QString& error);

// The header of both directions.
QStringList AbsenceFileColumns();

}  // namespace horalog
