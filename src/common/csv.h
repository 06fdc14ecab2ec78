#pragma once
// CSV as files for other programs have it: UTF-8, a header row, RFC 4180 quoting. The writer
// quotes a field only when it must; the reader is a character state machine that takes comma
// or semicolon, CR LF or LF line ends, and refuses what it cannot read instead of guessing.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace horalog {

// One field quoted as RFC 4180 asks (only when it holds the separator, a quote or a line end).
QString CsvField(const QString& field, QChar separator = u',');
// Fields joined with commas, without a line end.
QString CsvLine(const QStringList& fields);

// A record of the file and the line it starts on (1 for the first).
struct CsvRecord {
    int line = 0;
    QStringList fields;
};

class CsvReader {
public:
    static constexpr int kMaxFieldLength = 65536;
    static constexpr int kMaxFields = 256;

    enum class State { FieldStart, Plain, Quoted, QuoteInQuoted };

    explicit CsvReader(QChar separator = u',') : separator_(separator) {}

    // Feeds one character; completed records go to sink. False on a fault (a quote inside an
    // unquoted field, text after a closing quote, a field or record over the bounds); error()
    // then says which and the reader stays in its fault until reset().
    bool Feed(QChar c, const std::function<void(CsvRecord&&)>& sink);
    // The end of the input: completes the last record (a file need not end with a line end).
    // False when it ends inside a quoted field.
    bool Finish(const std::function<void(CsvRecord&&)>& sink);
    void reset();

    State state() const { return state_; }
    const QString& error() const { return error_; }
    int line() const { return line_; }

private:
    bool fail(const QString& why);
    bool endField();
    void endRecord(const std::function<void(CsvRecord&&)>& sink);

    QChar separator_;
    State state_ = State::FieldStart;
    QString field_;
    CsvRecord record_;
    int line_ = 1;
    bool pendingCr_ = false;  // a CR ended a record; a LF right after it belongs to it
    bool failed_ = false;
    QString error_;
};

// The separator of a file from its header line: ';' when the line has more semicolons than
// commas outside quotes, else ','.
QChar CsvSeparatorOf(const QString& headerLine);

// Reads a whole text: records (blank lines skipped) or false with error "line N: why".
bool ReadCsv(const QString& text, std::vector<CsvRecord>& records, QString& error);

}  // namespace horalog
