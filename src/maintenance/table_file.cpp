#include "maintenance/table_file.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "maintenance/xlsx_reader.h"

namespace horalog {

namespace {

bool WriteXlsx(const QString& path, const char* sheetName, const QStringList& header,
               const std::vector<QStringList>& rows, const std::function<bool(int)>& numeric,
               QString& error) {
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook* book = workbook_new(fileName.constData());
    lxw_worksheet* sheet = book ? workbook_add_worksheet(book, sheetName) : nullptr;
    if (!sheet) {
        if (book) workbook_close(book);
        error = "Cannot open file: " + path;
        return false;
    }
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_error e = LXW_NO_ERROR;
    for (int c = 0; c < header.size() && e == LXW_NO_ERROR; ++c)
        e = worksheet_write_string(sheet, 0, lxw_col_t(c), header[c].toUtf8().constData(), bold);
    lxw_row_t row = 1;
    for (const QStringList& r : rows) {
        for (int c = 0; c < r.size() && e == LXW_NO_ERROR; ++c) {
            if (numeric(c) && !r[c].isEmpty())
                e = worksheet_write_number(sheet, row, lxw_col_t(c), r[c].toDouble(), nullptr);
            else if (!r[c].isEmpty())
                e = worksheet_write_string(sheet, row, lxw_col_t(c), r[c].toUtf8().constData(),
                                           nullptr);
        }
        ++row;
    }
    const bool closed = workbook_close(book) == LXW_NO_ERROR;
    if (e != LXW_NO_ERROR || !closed) {
        error = "Cannot write file: " + path;
        return false;
    }
    return true;
}

}  // namespace

bool IsXlsx(const QString& path) {
    return QFileInfo(path).suffix().toLower() == "xlsx";
}

bool ReadTableFile(const QString& path, std::vector<CsvRecord>& records, QString& error) {
    records.clear();
    if (IsXlsx(path)) return ReadXlsxFirstSheet(path, records, error);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = "Cannot open file: " + path;
        return false;
    }
    const QByteArray bytes = f.readAll();
    QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes && !bytes.startsWith("\xEF\xBB\xBF")) {
        error = "The file is not UTF-8 text: " + path;
        return false;
    }
    return ReadCsv(text, records, error);
}

bool WriteTableFile(const QString& path, const char* sheet, const QStringList& header,
                    const std::vector<QStringList>& rows, const std::function<bool(int)>& numeric,
                    QString& error) {
    if (IsXlsx(path)) return WriteXlsx(path, sheet, header, rows, numeric, error);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        error = "Cannot open file: " + path;
        return false;
    }
    QByteArray out = CsvLine(header).toUtf8() + "\n";
    for (const QStringList& r : rows) out += CsvLine(r).toUtf8() + "\n";
    f.write(out);
    if (!f.commit()) {
        error = "Cannot write file: " + path;
        return false;
    }
    return true;
}

}  // namespace horalog
