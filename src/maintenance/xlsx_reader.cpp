#include "maintenance/xlsx_reader.h"

#include <unzip.h>

#include <QFile>

namespace horalog {

namespace {

constexpr qint64 kMaxPartSize = 256LL * 1024 * 1024;  // unpacked; guards against zip bombs

// The parts of the package, read through minizip.
class Package {
public:
    explicit Package(const QString& path) : zip_(unzOpen64(QFile::encodeName(path).constData())) {}
    ~Package() {
        if (zip_) unzClose(zip_);
    }
    bool isOpen() const { return zip_ != nullptr; }
    // The part's bytes; false when it is missing or cannot be read.
    bool read(const QString& name, QByteArray& out) {
        out.clear();
        if (unzLocateFile(zip_, name.toUtf8().constData(), 1) != UNZ_OK) return false;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        if (qint64(info.uncompressed_size) > kMaxPartSize) return false;
        if (unzOpenCurrentFile(zip_) != UNZ_OK) return false;
        out.resize(qsizetype(info.uncompressed_size));
        qint64 done = 0;
        bool ok = true;
        while (done < out.size()) {
            const int n = unzReadCurrentFile(zip_, out.data() + done, unsigned(out.size() - done));
            if (n <= 0) {
                ok = n == 0 && done == out.size();
                break;
            }
            done += n;
        }
        return unzCloseCurrentFile(zip_) == UNZ_OK && ok && done == out.size();
    }

private:
    unzFile zip_;
};

QStringList SharedStrings(const QByteArray& xml) {
    QStringList out;
    QXmlStreamReader x(xml);
    QString current;
    bool inItem = false, inPhonetic = false;
    while (!x.atEnd()) {
        switch (x.readNext()) {
            case QXmlStreamReader::StartElement:
                if (x.name() == u"si") {
                    inItem = true;
                    current.clear();
                } else if (x.name() == u"rPh") {
                    inPhonetic = true;
                } else if (x.name() == u"t" && inItem && !inPhonetic) {
                    current += x.readElementText();
                }
                break;
            case QXmlStreamReader::EndElement:
                if (x.name() == u"si") {
                    out << current;
                    inItem = false;
                } else if (x.name() == u"rPh") {
                    inPhonetic = false;
                }
                break;
            default:
                break;
        }
    }
    return out;
}

// The first sheet's part name, from the workbook and its relationships.
QString FirstSheetPart(Package& p) {
    QByteArray workbook, rels;
    QString id;
    if (p.read("xl/workbook.xml", workbook)) {
        QXmlStreamReader x(workbook);
        while (!x.atEnd() && id.isEmpty())
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"sheet")
                for (const QXmlStreamAttribute& a : x.attributes())
                    if (a.name() == u"id") id = a.value().toString();
    }
    if (!id.isEmpty() && p.read("xl/_rels/workbook.xml.rels", rels)) {
        QXmlStreamReader x(rels);
        while (!x.atEnd())
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"Relationship" &&
                x.attributes().value("Id") == id) {
                QString target = x.attributes().value("Target").toString();
                if (target.startsWith('/')) return target.mid(1);
                return "xl/" + target;
            }
    }
    return "xl/worksheets/sheet1.xml";
}

// "100" for 100 and 1E2; other numbers as written.
QString NumberText(const QString& v) {
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (ok && d == double(qint64(d)) && std::abs(d) < 1e15) return QString::number(qint64(d));
    return v;
}

}  // namespace

int XlsxColumnOf(const QString& reference) {
    int column = 0, letters = 0;
    for (QChar c : reference) {
        if (c < u'A' || c > u'Z') break;
        column = column * 26 + (c.unicode() - u'A' + 1);
        if (++letters > 3) return -1;
    }
    return letters == 0 ? -1 : column - 1;
}

bool SheetParser::fail(const QString& why) {
    error_ = why;
    return false;
}

bool SheetParser::startElement(QXmlStreamReader& x) {
    const auto name = x.name();
    switch (state_) {
        case State::Outside:
            if (name == u"sheetData") state_ = State::InSheetData;
            return true;
        case State::InSheetData:
            if (name != u"row") return true;
            row_ = {};
            if (const auto r = x.attributes().value("r"); !r.isEmpty()) nextRow_ = r.toInt();
            if (nextRow_ < 1) return fail("a row without a valid number");
            row_.line = nextRow_++;
            column_ = 0;
            state_ = State::InRow;
            return true;
        case State::InRow: {
            if (name != u"c") return true;
            const auto r = x.attributes().value("r").toString();
            if (!r.isEmpty()) column_ = XlsxColumnOf(r);
            if (column_ < 0 || column_ >= kMaxColumns)
                return fail(
                    QString("row %1: a cell beyond column %2").arg(row_.line).arg(kMaxColumns));
            type_ = x.attributes().value("t").toString();
            text_.clear();
            state_ = State::InCell;
            return true;
        }
        case State::InCell:
            if (name == u"v") state_ = State::InValue;
            if (name == u"t" && type_ == u"inlineStr") state_ = State::InInlineText;
            return true;
        case State::InValue:
        case State::InInlineText:
            return true;
    }
    return true;
}

bool SheetParser::endElement(QXmlStreamReader& x, std::vector<CsvRecord>& out) {
    const auto name = x.name();
    switch (state_) {
        case State::InValue:
        case State::InInlineText:
            if (name == u"v" || name == u"t") state_ = State::InCell;
            return true;
        case State::InCell: {
            if (name != u"c") return true;
            QString value;
            if (type_ == u"s") {
                bool ok = false;
                const int i = text_.trimmed().toInt(&ok);
                if (!ok || i < 0 || i >= shared_.size())
                    return fail(
                        QString("row %1: a shared text that does not exist").arg(row_.line));
                value = shared_[i];
            } else if (type_ == u"inlineStr" || type_ == u"str") {
                value = text_;
            } else if (type_ == u"b") {
                value = text_.trimmed() == u"1" ? "1" : "0";
            } else {
                value = NumberText(text_.trimmed());
            }
            if (value.size() > kMaxCellLength)
                return fail(QString("row %1: a cell is too long").arg(row_.line));
            while (row_.fields.size() < column_) row_.fields << QString();
            if (row_.fields.size() == column_)
                row_.fields << value;
            else
                row_.fields[column_] = value;
            ++column_;
            state_ = State::InRow;
            return true;
        }
        case State::InRow:
            if (name == u"row") {
                bool blank = true;
                for (const QString& f : row_.fields)
                    if (!f.trimmed().isEmpty()) blank = false;
                if (!blank) out.push_back(std::move(row_));
                row_ = {};
                state_ = State::InSheetData;
            }
            return true;
        case State::InSheetData:
            if (name == u"sheetData") state_ = State::Outside;
            return true;
        case State::Outside:
            return true;
    }
    return true;
}

bool SheetParser::Parse(const QByteArray& xml, std::vector<CsvRecord>& out) {
    QXmlStreamReader x(xml);
    while (!x.atEnd()) {
        switch (x.readNext()) {
            case QXmlStreamReader::StartElement:
                if (!startElement(x)) return false;
                break;
            case QXmlStreamReader::EndElement:
                if (!endElement(x, out)) return false;
                break;
            case QXmlStreamReader::Characters:
                if (state_ == State::InValue || state_ == State::InInlineText) {
                    if (text_.size() + x.text().size() > kMaxCellLength)
                        return fail(QString("row %1: a cell is too long").arg(row_.line));
                    text_ += x.text();
                }
                break;
            default:
                break;
        }
    }
    if (x.hasError()) return fail("the sheet is not well-formed: " + x.errorString());
    return true;
}

bool ReadXlsxFirstSheet(const QString& path, std::vector<CsvRecord>& out, QString& error) {
    Package p(path);
    if (!p.isOpen()) {
        error = "Cannot open file (not an .xlsx workbook): " + path;
        return false;
    }
    QByteArray shared, sheet;
    QStringList strings;
    if (p.read("xl/sharedStrings.xml", shared)) strings = SharedStrings(shared);
    if (!p.read(FirstSheetPart(p), sheet)) {
        error = "The workbook has no readable sheet: " + path;
        return false;
    }
    SheetParser parser(strings);
    if (!parser.Parse(sheet, out)) {
        error = parser.error();
        return false;
    }
    return true;
}

}  // namespace horalog
