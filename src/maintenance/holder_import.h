#pragma once
// Holders in bulk: a .csv (UTF-8, comma or semicolon, header row) or .xlsx sheet with the
// columns CARDNO, NAME, GROUP, MEMO and optional COM1 to COM8, in any order and any letter
// case. Every row is checked as the holder editor checks; unless every row is good the whole
// file is refused with the list of bad rows, else it is written in one transaction.

#include <QString>
#include <QStringList>
#include <vector>

#include "common/csv.h"
#include "storage/database.h"

namespace horalog {

struct HolderImportProblem {
    int line = 0;  // line of the file (row of the sheet); 1 is the header
    QString reason;
};

struct HolderImportResult {
    bool ok = false;
    int added = 0;
    int updated = 0;  // holders whose name, group, remarks or rights changed
    int groupsAdded = 0;
    std::vector<HolderImportProblem> problems;
    QString error;  // the file itself could not be read or written
};

struct HolderImportOptions {
    bool createGroups = true;  // a group named in the file and missing here is created
};

// Checks and imports records (header first). A holder with a card already here is updated
// (columns the file does not have keep their values); a new holder gets the rights of the
// COM columns, or NewHolderRights when the file has none. One audit row per holder added or
// changed and one for the import, in the same transaction.
HolderImportResult ImportHolderRecords(Connection& src, const std::vector<CsvRecord>& records,
                                       const HolderImportOptions& options, const QString& source);
HolderImportResult ImportHolders(Connection& src, const QString& path,
                                 const HolderImportOptions& options);

// "Added n, updated m", or the refusal: "The file was not imported." and one line per bad row,
// "Line 12: ...".
QString HolderImportSummary(const HolderImportResult& r);

// Writes every holder in name order with the same columns, as .csv or .xlsx by extension.
bool ExportHolders(Connection& src, const QString& path, QString& error);

// The header of both directions.
QStringList HolderFileColumns();

}  // namespace horalog
