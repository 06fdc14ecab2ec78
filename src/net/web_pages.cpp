#include "net/web_pages.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>
#include <utility>

#include "common/format.h"
#include "people/holder_store.h"
#include "storage/log_table.h"

namespace horalog {

namespace {

constexpr const char* kStampFormat = "mmm d, yyyy (ddd) - AM/PM hh:mm:ss";
constexpr const char* kFooter =
    "<small>Horalog web reporter by <a href=\"http://www.quorvane.com/\">Quorvane "
    "Limited</a></small>";

// Which rows a page lists.
struct Selection {
    enum Kind { All, Day, Card } kind = All;
    DateRange day;
    int card = 0;
};

Selection resolveSelection(const PageRequest& r, const PageSources& s) {
    Selection sel;
    switch (r.page) {
        case WebPage::Today:
        case WebPage::Monitor:
            sel.kind = Selection::Day;
            sel.day = DateRangeClause(s.now, s.now);
            break;
        case WebPage::Person:
            if (!r.person.isEmpty()) {
                int card = 0;
                if (!IsWholeNumber(r.person, &card)) card = CardOfName(*s.src, r.person);
                if (card >= 1) {
                    sel.kind = Selection::Card;
                    sel.card = card;
                }
            }
            break;
        default:
            break;
    }
    return sel;
}

qint64 countRows(Connection& att, const Selection& sel) {
    switch (sel.kind) {
        case Selection::Day: {
            auto q =
                att.prepare("SELECT count(*) FROM recorder WHERE SYSTIME >= ? AND SYSTIME < ?");
            q.bindAll(sel.day.lo, sel.day.hi);
            q.next();
            return q.value(0).toLongLong();
        }
        case Selection::Card: {
            auto q = att.prepare("SELECT count(*) FROM recorder WHERE CARDNO = ?");
            q.bindAll(sel.card);
            q.next();
            return q.value(0).toLongLong();
        }
        case Selection::All:
            break;
    }
    return LogTable(att).count();
}

// Newest first; at most `fetch` rows.
Statement selectRows(Connection& att, const Selection& sel, int fetch) {
    const QString columns =
        "SELECT ID, SYSTIME, CARDNO, MODE, READER, LOCK, STATION FROM recorder ";
    switch (sel.kind) {
        case Selection::Day: {
            auto q = att.prepare(columns +
                                 "WHERE SYSTIME >= ? AND SYSTIME < ? "
                                 "ORDER BY SYSTIME DESC, CARDNO DESC, ID DESC LIMIT ?");
            q.bindAll(sel.day.lo, sel.day.hi, fetch);
            return q;
        }
        case Selection::Card: {
            auto q =
                att.prepare(columns + "WHERE CARDNO = ? ORDER BY SYSTIME DESC, ID DESC LIMIT ?");
            q.bindAll(sel.card, fetch);
            return q;
        }
        case Selection::All:
            break;
    }
    auto q = att.prepare(columns + "ORDER BY SYSTIME DESC, CARDNO DESC, ID DESC LIMIT ?");
    q.bindAll(fetch);
    return q;
}

// Rows are emitted newest first and the limit is checked after each one, so at least one
// row is listed whenever a row was selected.
int rowsToFetch(int limit) {
    return limit < 1 ? 1 : limit;
}

void requireOpen(const PageSources& s) {
    if (!s.att || !s.src) throw DbError("the databases are closed");
}

QString isoTime(DateTime t) {
    int y, mo, d, h, mi, sec, ms;
    DecodeDate(t, y, mo, d);
    DecodeTime(t, h, mi, sec, ms);
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, sec);
}

}  // namespace

// One lookup per card and page, for a piece of rows at a time.
class PageHolders {
public:
    explicit PageHolders(Connection& src) : src_(src) {}
    void fetch(const std::vector<LogRecord>& rows) {
        QList<int> missing;
        for (const LogRecord& r : rows)
            if (!cache_.contains(r.cardno) && !missing.contains(r.cardno)) missing << r.cardno;
        cache_.insert(HoldersOfCards(src_, missing));
    }
    const CardHolderName& of(int card) {
        auto it = cache_.find(card);
        if (it == cache_.end()) it = cache_.insert(card, HolderOfCard(src_, card));
        return *it;
    }

private:
    Connection& src_;
    QHash<int, CardHolderName> cache_;
};

QStringList QueryParameters(const std::string& target) {
    QStringList params;
    auto q = target.find('?');
    if (q == std::string::npos || q + 1 >= target.size()) return params;
    QByteArray query = QByteArray::fromStdString(target.substr(q + 1));
    // A fragment never reaches a server, but cut it off should a client send one.
    int hash = query.indexOf('#');
    if (hash >= 0) query.truncate(hash);
    for (QByteArray piece : query.split('&')) {
        piece.replace('+', ' ');
        params << QString::fromUtf8(QByteArray::fromPercentEncoding(piece));
    }
    return params;
}

bool IsWholeNumber(const QString& text, int* value) {
    if (text.isEmpty()) return false;
    int start = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (start == text.size()) return false;
    for (int i = start; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    bool ok = false;
    int v = text.toInt(&ok, 10);
    if (ok && value) *value = v;
    return ok;
}

PageRequest ParsePageRequest(const QString& path, const QStringList& params) {
    PageRequest r;
    QString p = path;
    if (p.startsWith("/api/")) {
        r.json = true;
        p = p.mid(4);
    }
    if (p == "/today")
        r.page = WebPage::Today;
    else if (p == "/logs")
        r.page = WebPage::Logs;
    else if (p == "/person")
        r.page = WebPage::Person;
    else if (p == "/monitor" && !r.json)
        r.page = WebPage::Monitor;
    else
        r.json = false;  // unknown paths show the HTML page of the whole log

    auto number = [&](int i, int& target) {
        int v;
        if (IsWholeNumber(params[i], &v)) target = v;
    };
    const auto n = params.size();
    switch (r.page) {
        case WebPage::Today:
        case WebPage::Logs:
            if (n == 1) number(0, r.limit);
            break;
        case WebPage::Monitor:
            if (n == 1 || n == 2) number(0, r.refresh);
            if (n == 2) number(1, r.limit);
            break;
        case WebPage::Person:
            if (n >= 1) r.person = params[0];
            if (n == 2) number(1, r.limit);
            break;
        case WebPage::Other:
            break;
    }
    return r;
}

QString HtmlEscape(const QString& text) {
    return text.toHtmlEscaped().replace('\'', "&#39;");
}

namespace {
constexpr int kRowsPerPiece = 256;
}

PageStream::PageStream(const PageRequest& r, const PageSources& s)
    : request_(r), readers_(s.readers) {
    if (r.json)
        startJson(s);
    else
        startHtml(s);
}

PageStream::~PageStream() {
    dropDatabase();
}

void PageStream::startHtml(const PageSources& s) {
    const bool monitor = request_.page == WebPage::Monitor;
    QStringList lines;
    lines << "<head>";
    if (monitor)
        lines << "<meta http-equiv=refresh content=" + QString::number(request_.refresh) + ">";
    lines << "<title>" << HtmlEscape(s.title);
    if (monitor) lines << " - auto refresh in " + QString::number(request_.refresh) + "s";
    lines << "</title>"
          << "</head>"
          << "<body bgcolor=#f5f5f5>"
          << "<center>"
          << "<strong><u>Time Logs Report V1.0</u></strong><br>"
          << FormatDateTime(kStampFormat, s.now) + "<br>";
    phase_ = Phase::Tail;
    try {
        requireOpen(s);
        const Selection sel = resolveSelection(request_, s);
        att_ = s.att;
        att_->execute("BEGIN");  // count and rows from one snapshot of the log
        snapshot_ = true;
        const qint64 count = countRows(*s.att, sel);
        if (request_.limit < count)
            lines << QString("[%1 / %2 record(s)]<br>").arg(request_.limit).arg(count);
        else
            lines << QString("[%1 record(s)]<br>").arg(count);
        lines << "<br>";
        if (count == 0) {
            lines << "No record.<br>";
        } else {
            lines << "<table border=0 bgcolor=#DCDCDC bordercolor=#DCDCDC>"
                  << "<tr bgcolor=#ADD8E6 align=center>"
                  << "<th width=250>Time</th>"
                  << "<th width=200>Holder</th>"
                  << "<th width=150>Group</th>"
                  << "<th width=80>Mode</th>"
                  << "<th width=100>Reader</th>"
                  << "</tr>";
            holders_ = std::make_unique<PageHolders>(*s.src);
            stations_ = StationReaderNames::Load(*s.src);
            rows_.emplace(selectRows(*s.att, sel, rowsToFetch(request_.limit)));
            phase_ = Phase::Rows;
        }
    } catch (const std::exception& e) {
        // The page so far still goes out, closed properly.
        error_ = QString::fromUtf8(e.what());
        dropDatabase();
    }
    head_ = lines.join("\r\n").toUtf8();
    if (phase_ == Phase::Tail) dropDatabase();
}

void PageStream::startJson(const PageSources& s) {
    phase_ = Phase::Tail;
    try {
        requireOpen(s);
        const Selection sel = resolveSelection(request_, s);
        att_ = s.att;
        att_->execute("BEGIN");
        snapshot_ = true;
        const qint64 count = countRows(*s.att, sel);
        head_ = "{\"count\":" + QByteArray::number(count) + ",\"rows\":[";
        if (count > 0) {
            holders_ = std::make_unique<PageHolders>(*s.src);
            stations_ = StationReaderNames::Load(*s.src);
            rows_.emplace(selectRows(*s.att, sel, rowsToFetch(request_.limit)));
            phase_ = Phase::Rows;
        }
    } catch (const std::exception& e) {
        error_ = QString::fromUtf8(e.what());
        status_ = 500;
        QJsonObject o;
        o["error"] = error_;
        head_ = QJsonDocument(o).toJson(QJsonDocument::Compact);
        phase_ = Phase::Done;
    }
    if (phase_ != Phase::Rows) dropDatabase();
}

QByteArray PageStream::next() {
    switch (phase_) {
        case Phase::Head:
        case Phase::Done:
            break;
        case Phase::Rows:
            if (!head_.isEmpty()) return std::exchange(head_, {});
            if (QByteArray piece = rowsPiece(); !piece.isEmpty()) return piece;
            return next();
        case Phase::Tail:
            phase_ = Phase::Done;
            return std::exchange(head_, {}) + tail();
    }
    return std::exchange(head_, {});
}

QByteArray PageStream::rowsPiece() {
    QByteArray out;
    // The rows read before a failure still go out, then the page ends with it.
    auto fail = [this](const std::exception& e) {
        error_ = QString::fromUtf8(e.what());
        if (request_.json) broken_ = true;
        phase_ = Phase::Tail;
    };
    std::vector<LogRecord> piece;
    try {
        while (int(piece.size()) < kRowsPerPiece) {
            if (!rows_->next()) {
                phase_ = Phase::Tail;
                break;
            }
            piece.push_back(LogTable::fromRow(*rows_));
        }
    } catch (const std::exception& e) {
        fail(e);
    }
    try {
        holders_->fetch(piece);
        for (const LogRecord& row : piece) {
            const CardHolderName& h = holders_->of(row.cardno);
            if (request_.json) {
                QJsonObject o;
                o["time"] = isoTime(row.systime);
                o["card"] = row.cardno;
                o["holder"] = h.found ? QJsonValue(h.name) : QJsonValue();
                o["group"] = h.found ? QJsonValue(h.group) : QJsonValue();
                o["mode"] = ModeName(row.mode);
                o["reader"] = stations_.name(row.station, row.reader, readers_);
                if (emitted_ > 0) out += ',';
                out += QJsonDocument(o).toJson(QJsonDocument::Compact);
            } else {
                QString line = emitted_ % 2 == 0 ? "\r\n<tr align=center bgcolor=#FFFFFF>"
                                                 : "\r\n<tr align=center bgcolor=#F5F5F5>";
                for (const QString& cell :
                     {FormatDateTime(kStampFormat, row.systime), HtmlEscape(h.name),
                      HtmlEscape(h.group), ModeName(row.mode),
                      HtmlEscape(stations_.name(row.station, row.reader, readers_))})
                    line += "<td>" + cell + "</td>";
                out += (line + "</tr>").toUtf8();
            }
            ++emitted_;
        }
    } catch (const std::exception& e) {
        fail(e);
    }
    if (phase_ == Phase::Tail) dropDatabase();
    if (broken_) phase_ = Phase::Done;
    return out;
}

QByteArray PageStream::tail() {
    if (request_.json) return broken_ ? QByteArray() : QByteArray("]}");
    return QByteArray("\r\n</table>\r\n") + kFooter + "\r\n</center>\r\n</body>";
}

void PageStream::abort(const QString& why) {
    if (phase_ == Phase::Rows) {
        error_ = why;
        if (request_.json) {
            broken_ = true;
            phase_ = Phase::Done;
        } else {
            phase_ = Phase::Tail;
        }
    }
    dropDatabase();
}

void PageStream::dropDatabase() {
    rows_.reset();
    holders_.reset();
    if (snapshot_ && att_) {
        try {
            att_->execute("COMMIT");
        } catch (...) {
        }
    }
    snapshot_ = false;
    att_ = nullptr;
}

QString BuildPage(const PageRequest& r, const PageSources& s, QString* error) {
    PageStream page(r, s);
    QByteArray all;
    for (QByteArray piece = page.next(); !piece.isEmpty(); piece = page.next()) all += piece;
    if (error && !page.error().isEmpty()) *error = page.error();
    return QString::fromUtf8(all);
}

QByteArray BuildJson(const PageRequest& r, const PageSources& s) {
    PageStream doc(r, s);
    QByteArray all;
    for (QByteArray piece = doc.next(); !piece.isEmpty(); piece = doc.next()) all += piece;
    if (doc.status() != 200 || doc.broken()) throw DbError(doc.error());
    return all;
}

}  // namespace horalog
