#pragma once
// Where the result exports put their rows: sheets with a header row of column names, then rows
// of text and date cells. One writer per file format.

#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>
#include <vector>

namespace horalog {

// A cell of an exported row: empty, a text, a date (a real date value, no time), or for payroll
// a time of day, a duration (summed past 24 hours), a number, decimal hours, or a formula with
// its value as computed here (shown like a cell of kind `shown`).
struct ExportCell {
    enum class Kind { Empty, Text, Date, Time, Duration, Number, Hours, Formula };
    Kind kind = Kind::Empty;
    QString text;      // the text, or the formula ("=E2-F2")
    int day = 0;       // days since 1899-12-30, with Kind::Date
    double value = 0;  // seconds (Time, Duration), the number (Number, Hours), the formula's
    Kind shown = Kind::Number;  // with Kind::Formula: how its value reads

    static ExportCell Text(const QString& t) { return {Kind::Text, t, 0}; }
    static ExportCell Date(int dayNumber) { return {Kind::Date, {}, dayNumber}; }
    static ExportCell Time(qint64 secondsOfDay) {
        return {Kind::Time, {}, 0, double(secondsOfDay)};
    }
    static ExportCell Duration(qint64 seconds) { return {Kind::Duration, {}, 0, double(seconds)}; }
    static ExportCell Number(double v) { return {Kind::Number, {}, 0, v}; }
    static ExportCell Hours(double v) { return {Kind::Hours, {}, 0, v}; }
    // value in the unit of shown: seconds for a duration.
    static ExportCell Formula(const QString& f, Kind shown, double value) {
        return {Kind::Formula, f, 0, value, shown};
    }
};

// One row, cell i under column i of its sheet.
using ExportRow = std::vector<ExportCell>;

// A failure of the file or the format, with the writer's own text.
class SheetError : public std::runtime_error {
public:
    explicit SheetError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

class SheetWriter {
public:
    virtual ~SheetWriter() = default;
    // Adds a sheet whose first row holds the column names; later rows go to it.
    virtual void AddSheet(const QString& name, const QStringList& columns) = 0;
    // Appends a row to the sheet added last.
    // Answers false when the sheet cannot take the row (past its last row); nothing is stored.
    virtual bool AppendRow(const ExportRow& row) = 0;
    // Completes the file. Every failure throws SheetError.
    virtual void Close() = 0;
};

// An .xlsx workbook at path (replaced when it exists). Rows stream to temporary files instead
// of memory while at most expectedSheets sheets fit the process's open-file budget.
std::unique_ptr<SheetWriter> OpenXlsxWriter(const QString& path, int expectedSheets);

// A CSV file (UTF-8, RFC 4180 quoting, "\n" line ends, dates as yyyy-MM-dd, times HH:mm:ss,
// durations h:mm, hours with two decimals, a formula as its value): one header row and the
// rows of one sheet; a second sheet is refused. With bom the file starts with a byte-order
// mark, so that spreadsheet programs read its accents right by default.
std::unique_ptr<SheetWriter> OpenCsvWriter(const QString& path, bool bom = false);

}  // namespace horalog
