#pragma once
// Reads the first sheet of an .xlsx workbook as rows of text, like a CSV file: a record per
// sheet row that has cells, its line being the row number, its fields the cells from column A
// (missing cells empty). Numbers come as written in the sheet, whole numbers without ".0".

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <vector>

#include "common/csv.h"

namespace horalog {

// The sheet XML, token by token: a state machine that keeps one row and one cell at a time.
class SheetParser {
public:
    static constexpr int kMaxColumns = CsvReader::kMaxFields;
    static constexpr int kMaxCellLength = CsvReader::kMaxFieldLength;

    enum class State { Outside, InSheetData, InRow, InCell, InValue, InInlineText };

    explicit SheetParser(const QStringList& sharedStrings) : shared_(sharedStrings) {}
    // Parses a whole sheet; false with error() on malformed XML or a cell out of bounds.
    bool Parse(const QByteArray& xml, std::vector<CsvRecord>& out);
    const QString& error() const { return error_; }

private:
    bool startElement(QXmlStreamReader& x);
    bool endElement(QXmlStreamReader& x, std::vector<CsvRecord>& out);
    bool fail(const QString& why);

    const QStringList& shared_;
    State state_ = State::Outside;
    CsvRecord row_;
    int nextRow_ = 1;
    int column_ = 0;
    QString type_;
    QString text_;
    QString error_;
};

// Column index (A = 0) of a cell reference such as "BC12"; -1 when it has no letters.
int XlsxColumnOf(const QString& reference);

bool ReadXlsxFirstSheet(const QString& path, std::vector<CsvRecord>& out, QString& error);

}  // namespace horalog
