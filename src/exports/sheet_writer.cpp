#include "exports/sheet_writer.h"

#include <sys/resource.h>
#include <xlsxwriter.h>

#include <QDate>
#include <QFile>
#include <QSaveFile>
#include <QTime>
#include <algorithm>

#include "common/format.h"

namespace horalog {

namespace {

// Open files the process keeps for itself beside the sheets' temporary files.
constexpr rlim_t kSpareFiles = 256;

bool SheetsFitOpenFiles(int sheets) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return false;
    if (limit.rlim_cur != RLIM_INFINITY && rlim_t(sheets) + kSpareFiles > limit.rlim_cur &&
        limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    return limit.rlim_cur == RLIM_INFINITY || rlim_t(sheets) + kSpareFiles <= limit.rlim_cur;
}

class XlsxWriter : public SheetWriter {
public:
    XlsxWriter(const QString& path, int expectedSheets) : path_(QFile::encodeName(path)) {
        lxw_workbook_options options{};
        // With streaming each sheet holds a temporary file open until the workbook closes.
        options.constant_memory = SheetsFitOpenFiles(expectedSheets) ? LXW_TRUE : LXW_FALSE;
        book_ = workbook_new_opt(path_.constData(), &options);
        if (!book_) throw SheetError("Cannot create file: " + path);
        date_ = workbook_add_format(book_);
        format_set_num_format(date_, "yyyy-mm-dd");
        header_ = workbook_add_format(book_);
        format_set_bold(header_);
        time_ = workbook_add_format(book_);
        format_set_num_format(time_, "hh:mm:ss");
        duration_ = workbook_add_format(book_);
        format_set_num_format(duration_, "[h]:mm");
        hours_ = workbook_add_format(book_);
        format_set_num_format(hours_, "0.00");
    }
    ~XlsxWriter() override {
        if (book_) {
            workbook_close(book_);
            QFile::remove(QFile::decodeName(path_));  // never leave half a workbook behind
        }
    }

    void AddSheet(const QString& name, const QStringList& columns) override {
        const QByteArray utf8 = name.toUtf8();
        const lxw_error valid = workbook_validate_sheet_name(book_, utf8.constData());
        if (valid != LXW_NO_ERROR) throw SheetError(lxw_strerror(valid) + (": " + name));
        sheet_ = workbook_add_worksheet(book_, utf8.constData());
        if (!sheet_) throw SheetError("Cannot add the sheet " + name);
        for (int c = 0; c < columns.size(); ++c) {
            const bool wide = columns[c] == "NAME" || columns[c] == "GROUP" ||
                              columns[c] == "ABSENCE" || columns[c] == "STATUS";
            worksheet_set_column(sheet_, lxw_col_t(c), lxw_col_t(c), wide ? 22 : 11, nullptr);
            worksheet_write_string(sheet_, 0, lxw_col_t(c), columns[c].toUtf8().constData(),
                                   header_);
        }
        row_ = 1;
    }

    bool AppendRow(const ExportRow& row) override {
        if (!sheet_) throw SheetError("No sheet to write to");
        lxw_error e = LXW_NO_ERROR;
        for (size_t c = 0; c < row.size() && e == LXW_NO_ERROR; ++c) {
            const ExportCell& cell = row[c];
            const lxw_col_t col = lxw_col_t(c);
            switch (cell.kind) {
                case ExportCell::Kind::Date:
                    e = worksheet_write_number(sheet_, row_, col, cell.day, date_);
                    break;
                case ExportCell::Kind::Text:
                    if (!cell.text.isEmpty())
                        e = worksheet_write_string(sheet_, row_, col,
                                                   cell.text.toUtf8().constData(), nullptr);
                    break;
                case ExportCell::Kind::Formula:
                    e = worksheet_write_formula_num(
                        sheet_, row_, col, cell.text.toUtf8().constData(), format(cell.shown),
                        number(cell.shown, cell.value));
                    break;
                case ExportCell::Kind::Empty:
                    break;
                default:
                    e = worksheet_write_number(sheet_, row_, col, number(cell.kind, cell.value),
                                               format(cell.kind));
            }
        }
        if (e != LXW_NO_ERROR) return false;  // past the sheet's last row: the row is dropped
        ++row_;
        return true;
    }

    void Close() override {
        lxw_workbook* book = std::exchange(book_, nullptr);
        const lxw_error e = workbook_close(book);
        if (e != LXW_NO_ERROR) {
            QFile::remove(QFile::decodeName(path_));
            throw SheetError(lxw_strerror(e));
        }
    }

private:
    // Times and durations are fractions of a day in a workbook.
    static double number(ExportCell::Kind kind, double value) {
        const bool day = kind == ExportCell::Kind::Time || kind == ExportCell::Kind::Duration;
        return day ? value / 86400.0 : value;
    }
    lxw_format* format(ExportCell::Kind kind) const {
        switch (kind) {
            case ExportCell::Kind::Time:
                return time_;
            case ExportCell::Kind::Duration:
                return duration_;
            case ExportCell::Kind::Hours:
                return hours_;
            default:
                return nullptr;
        }
    }

    QByteArray path_;
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* date_ = nullptr;
    lxw_format* header_ = nullptr;
    lxw_format* time_ = nullptr;
    lxw_format* duration_ = nullptr;
    lxw_format* hours_ = nullptr;
    lxw_row_t row_ = 0;
};

QByteArray CsvField(const QString& text) {
    QByteArray f = text.toUtf8();
    if (f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r') ||
        f.contains(';')) {
        f.replace("\"", "\"\"");
        f = '"' + f + '"';
    }
    return f;
}

// A cell's text in a CSV file.
QByteArray CsvText(ExportCell::Kind kind, const ExportCell& cell) {
    switch (kind) {
        case ExportCell::Kind::Date:
            return QDate(1899, 12, 30).addDays(cell.day).toString(Qt::ISODate).toUtf8();
        case ExportCell::Kind::Text:
            return CsvField(cell.text);
        case ExportCell::Kind::Time:
            return QTime(0, 0).addSecs(int(cell.value)).toString("HH:mm:ss").toUtf8();
        case ExportCell::Kind::Duration:
            return HoursMinutes(qint64(cell.value)).toUtf8();
        case ExportCell::Kind::Number:
            return QByteArray::number(cell.value, 'g', 15);
        case ExportCell::Kind::Hours:
            return QByteArray::number(cell.value, 'f', 2);
        case ExportCell::Kind::Formula:
            return CsvText(cell.shown, cell);
        case ExportCell::Kind::Empty:
            break;
    }
    return {};
}

class CsvWriter : public SheetWriter {
public:
    CsvWriter(const QString& path, bool bom) : file_(path) {
        if (!file_.open(QIODevice::WriteOnly))
            throw SheetError("Cannot create file: " + path + " (" + file_.errorString() + ")");
        if (bom) buffer_ = "\xEF\xBB\xBF";
    }

    void AddSheet(const QString&, const QStringList& columns) override {
        if (sheets_++ > 0) throw SheetError("A CSV file holds one sheet");
        for (int c = 0; c < columns.size(); ++c) {
            if (c) buffer_ += ',';
            buffer_ += CsvField(columns[c]);
        }
        buffer_ += '\n';
    }

    bool AppendRow(const ExportRow& row) override {
        for (size_t c = 0; c < row.size(); ++c) {
            if (c) buffer_ += ',';
            buffer_ += CsvText(row[c].kind, row[c]);
        }
        buffer_ += '\n';
        if (buffer_.size() >= (1 << 20)) Flush();
        return true;
    }

    void Close() override {
        Flush();
        if (!file_.commit()) throw SheetError("Cannot write file: " + file_.errorString());
    }

private:
    void Flush() {
        if (file_.write(buffer_) != buffer_.size())
            throw SheetError("Cannot write file: " + file_.errorString());
        buffer_.clear();
    }

    QSaveFile file_;
    QByteArray buffer_;
    int sheets_ = 0;
};

}  // namespace

std::unique_ptr<SheetWriter> OpenXlsxWriter(const QString& path, int expectedSheets) {
    return std::make_unique<XlsxWriter>(path, expectedSheets);
}

std::unique_ptr<SheetWriter> OpenCsvWriter(const QString& path, bool bom) {
    return std::make_unique<CsvWriter>(path, bom);
}

}  // namespace horalog
