#include "common/csv.h"

namespace horalog {

QString CsvField(const QString& field, QChar separator) {
    const bool quote = field.contains(separator) || field.contains(u'"') || field.contains(u'\n') ||
                       field.contains(u'\r');
    if (!quote) return field;
    QString out = field;
    out.replace("\"", "\"\"");
    return "\"" + out + "\"";
}

QString CsvLine(const QStringList& fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& f : fields) quoted << CsvField(f);
    return quoted.join(u',');
}

void CsvReader::reset() {
    state_ = State::FieldStart;
    field_.clear();
    record_ = {};
    line_ = 1;
    pendingCr_ = false;
    failed_ = false;
    error_.clear();
}

bool CsvReader::fail(const QString& why) {
    failed_ = true;
    error_ = why;
    return false;
}

bool CsvReader::endField() {
    if (record_.fields.size() >= kMaxFields)
        return fail(QString("more than %1 fields").arg(kMaxFields));
    if (record_.fields.isEmpty() && record_.line == 0) record_.line = line_;
    record_.fields << field_;
    field_.clear();
    state_ = State::FieldStart;
    return true;
}

void CsvReader::endRecord(const std::function<void(CsvRecord&&)>& sink) {
    sink(std::move(record_));
    record_ = {};
}

bool CsvReader::Feed(QChar c, const std::function<void(CsvRecord&&)>& sink) {
    if (failed_) return false;
    if (pendingCr_) {
        pendingCr_ = false;
        if (c == u'\n') return true;  // the LF of a CR LF
    }
    const bool lineEnd = c == u'\n' || c == u'\r';
    switch (state_) {
        case State::FieldStart:
            if (record_.line == 0) record_.line = line_;
            if (c == u'"') {
                state_ = State::Quoted;
                return true;
            }
            [[fallthrough]];
        case State::Plain:
            if (c == separator_) return endField();
            if (lineEnd) {
                if (!endField()) return false;
                endRecord(sink);
                ++line_;
                pendingCr_ = c == u'\r';
                return true;
            }
            if (c == u'"') return fail("a quote inside an unquoted field");
            if (field_.size() >= kMaxFieldLength) return fail("a field is too long");
            field_ += c;
            state_ = State::Plain;
            return true;
        case State::Quoted:
            if (c == u'"') {
                state_ = State::QuoteInQuoted;
                return true;
            }
            if (field_.size() >= kMaxFieldLength) return fail("a field is too long");
            if (c == u'\n') ++line_;
            field_ += c;
            return true;
        case State::QuoteInQuoted:
            if (c == u'"') {  // a doubled quote stands for one
                field_ += c;
                state_ = State::Quoted;
                return true;
            }
            state_ = State::Plain;
            if (c == separator_ || lineEnd) return Feed(c, sink);
            return fail("text after a closing quote");
    }
    return false;
}

bool CsvReader::Finish(const std::function<void(CsvRecord&&)>& sink) {
    if (failed_) return false;
    if (state_ == State::Quoted) return fail("the file ends inside a quoted field");
    if (state_ != State::FieldStart || !record_.fields.isEmpty()) {
        if (!endField()) return false;
        endRecord(sink);
    }
    return true;
}

QChar CsvSeparatorOf(const QString& headerLine) {
    int commas = 0, semicolons = 0;
    bool quoted = false;
    for (QChar c : headerLine) {
        if (c == u'"') quoted = !quoted;
        if (quoted) continue;
        if (c == u',') ++commas;
        if (c == u';') ++semicolons;
        if (c == u'\n') break;
    }
    return semicolons > commas ? u';' : u',';
}

bool ReadCsv(const QString& text, std::vector<CsvRecord>& records, QString& error) {
    CsvReader reader(CsvSeparatorOf(text.left(text.indexOf(u'\n'))));
    auto sink = [&](CsvRecord&& r) {
        const bool blank = r.fields.size() == 1 && r.fields.front().isEmpty();
        if (!blank) records.push_back(std::move(r));
    };
    QString body = text;
    if (body.startsWith(QChar(0xFEFF))) body.remove(0, 1);  // a byte-order mark some editors add
    for (QChar c : body) {
        if (!reader.Feed(c, sink)) {
            error = QString("line %1: %2").arg(reader.line()).arg(reader.error());
            return false;
        }
    }
    if (!reader.Finish(sink)) {
        error = QString("line %1: %2").arg(reader.line()).arg(reader.error());
        return false;
    }
    return true;
}

}  // namespace horalog
