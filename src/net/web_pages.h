#pragma once
// The pages of the web reporter: which log rows a request selects, and the HTML page or the
// JSON document built from them. Pure of any server: the caller hands in the connections,
// the reader names, the time and the title.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

#include "common/datetime.h"
#include "storage/database.h"
#include "storage/lookups.h"
#include "storage/stations.h"

namespace horalog {

enum class WebPage { Today, Monitor, Logs, Person, Other };

struct PageRequest {
    WebPage page = WebPage::Other;
    bool json = false;  // /api/... : the same selection as a JSON document
    int limit = 30;     // row limit
    int refresh = 60;   // seconds, /monitor only
    QString person;     // p1 of /person, empty when not given
};

// The positional parameters of a raw request target ("/path?a&b"): the query split at "&",
// each piece URL-decoded ("+" is a blank), in order. No query, no parameters.
QStringList QueryParameters(const std::string& target);

// Whether the text is, as a whole, a decimal integer that fits 32 bits.
bool IsWholeNumber(const QString& text, int* value = nullptr);

// The page, row limit and refresh interval of a request path (without the query) and its
// positional parameters.
PageRequest ParsePageRequest(const QString& path, const QStringList& params);

// What a page is built from. att and src may be null (the databases are closed): the page
// then ends after its head as on any database error.
struct PageSources {
    Connection* att = nullptr;
    Connection* src = nullptr;
    ReaderNames readers;
    DateTime now;
    QString title;
};

class PageHolders;

// A page or JSON document produced piece by piece, so that a page of any number of rows needs
// the memory of a few rows only. The constructor does the work of the head (selection, count);
// next() answers the following piece, empty once the document is complete.
class PageStream {
public:
    PageStream(const PageRequest& request, const PageSources& sources);
    ~PageStream();
    PageStream(const PageStream&) = delete;
    PageStream& operator=(const PageStream&) = delete;

    QByteArray next();
    // Ends the document at once (the databases are going away): an HTML page gets its closing
    // lines; a JSON document is left incomplete (see broken()). Drops every database object.
    void abort(const QString& why);

    bool json() const { return request_.json; }
    // 500 for a JSON document whose selection failed: its body is the error document.
    int status() const { return status_; }
    // The database error that ended the document early, if any.
    const QString& error() const { return error_; }
    // A JSON document cut after its head: it must not pass for a whole one.
    bool broken() const { return broken_; }

private:
    enum class Phase { Head, Rows, Tail, Done };
    void startHtml(const PageSources& s);
    void startJson(const PageSources& s);
    QByteArray rowsPiece();
    QByteArray tail();
    void dropDatabase();

    PageRequest request_;
    ReaderNames readers_;
    StationReaderNames stations_;  // read once per page
    Phase phase_ = Phase::Head;
    QByteArray head_;
    int status_ = 200;
    QString error_;
    bool broken_ = false;
    Connection* att_ = nullptr;
    bool snapshot_ = false;
    std::optional<Statement> rows_;
    std::unique_ptr<PageHolders> holders_;
    int emitted_ = 0;
};

// The HTML page, lines joined with CR LF. Never fails: a database error ends the page early
// with its closing lines (and its text goes to *error when given). Inserted texts (title,
// names, groups, readers) are HTML-escaped.
QString BuildPage(const PageRequest& request, const PageSources& sources, QString* error = nullptr);

// {"count":n,"rows":[{"time":"2004-06-26T18:24:06","card":123,"holder":"ANN","group":"SALES",
// "mode":"IN","reader":"COM1"}]}; holder and group are null for a card without a holder.
// Throws DbError.
QByteArray BuildJson(const PageRequest& request, const PageSources& sources);

QString HtmlEscape(const QString& text);

}  // namespace horalog
