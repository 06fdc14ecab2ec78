#include "exports/sheet_writer.h"

#include <sys/resource.h>
#include <xlsxwriter.h>

#include <QDate>
#include <QFile>
#include <QSaveFile>
#include <algorithm>

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
            const bool wide = columns[c] == "NAME" || columns[c] == "GROUP";
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
            if (cell.kind == ExportCell::Kind::Date)
                e = worksheet_write_number(sheet_, row_, lxw_col_t(c), cell.day, date_);
            else if (cell.kind == ExportCell::Kind::Text && !cell.text.isEmpty())
                e = worksheet_write_string(sheet_, row_, lxw_col_t(c),
                                           cell.text.toUtf8().constData(), nullptr);
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
    QByteArray path_;
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* date_ = nullptr;
    lxw_format* header_ = nullptr;
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

class CsvWriter : public SheetWriter {
public:
    explicit CsvWriter(const QString& path) : file_(path) {
        if (!file_.open(QIODevice::WriteOnly))
            throw SheetError("Cannot create file: " + path + " (" + file_.errorString() + ")");
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
            const ExportCell& cell = row[c];
            if (cell.kind == ExportCell::Kind::Date)
                buffer_ += QDate(1899, 12, 30).addDays(cell.day).toString(Qt::ISODate).toUtf8();
            else if (cell.kind == ExportCell::Kind::Text)
                buffer_ += CsvField(cell.text);
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

std::unique_ptr<SheetWriter> OpenCsvWriter(const QString& path) {
    return std::make_unique<CsvWriter>(path);
}

}  // namespace horalog
