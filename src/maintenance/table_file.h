#pragma once
// Files of rows that people keep beside the program: a .csv (UTF-8, comma or semicolon, a
// header row) or the first sheet of an .xlsx workbook, chosen by the file's extension.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "common/csv.h"

namespace horalog {

bool IsXlsx(const QString& path);

// The rows of the file, header first. False with error when the file cannot be opened or read.
bool ReadTableFile(const QString& path, std::vector<CsvRecord>& records, QString& error);

// Writes header and rows, replacing the file: a CSV file, or a workbook whose one sheet is
// named sheet (bold header; the cells of the numeric columns as numbers, empty cells left out).
bool WriteTableFile(const QString& path, const char* sheet, const QStringList& header,
                    const std::vector<QStringList>& rows, const std::function<bool(int)>& numeric,
                    QString& error);

}  // namespace horalog
