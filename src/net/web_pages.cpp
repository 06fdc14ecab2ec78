#include "net/web_pages.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>

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
void forEachRow(Connection& att, const Selection& sel, int fetch,
                const std::function<void(const LogRecord&)>& f) {
    const QString columns = "SELECT ID, SYSTIME, CARDNO, MODE, READER, LOCK FROM recorder ";
    Statement q = [&] {
        switch (sel.kind) {
            case Selection::Day: {
                auto q = att.prepare(columns +
                                     "WHERE SYSTIME >= ? AND SYSTIME < ? "
                                     "ORDER BY SYSTIME DESC, CARDNO DESC, ID DESC LIMIT ?");
                q.bindAll(sel.day.lo, sel.day.hi, fetch);
                return q;
            }
            case Selection::Card: {
                auto q = att.prepare(columns +
                                     "WHERE CARDNO = ? ORDER BY SYSTIME DESC, ID DESC LIMIT ?");
                q.bindAll(sel.card, fetch);
                return q;
            }
            case Selection::All:
                break;
        }
        auto q = att.prepare(columns + "ORDER BY SYSTIME DESC, CARDNO DESC, ID DESC LIMIT ?");
        q.bindAll(fetch);
        return q;
    }();
    while (q.next()) f(LogTable::fromRow(q));
}

// Rows are emitted newest first and the limit is checked after each one, so at least one
// row is listed whenever a row was selected.
int rowsToFetch(int limit) {
    return limit < 1 ? 1 : limit;
}

// One lookup per card and page.
class HolderCache {
public:
    explicit HolderCache(Connection& src) : src_(src) {}
    const CardHolderName& of(int card) {
        auto it = cache_.find(card);
        if (it == cache_.end()) it = cache_.insert(card, HolderOfCard(src_, card));
        return *it;
    }

private:
    Connection& src_;
    QHash<int, CardHolderName> cache_;
};

// Count and rows come from one snapshot of the log, even while reads are being written.
class ReadSnapshot {
public:
    explicit ReadSnapshot(Connection& c) : c_(c) { c_.execute("BEGIN"); }
    ~ReadSnapshot() {
        try {
            c_.execute("COMMIT");
        } catch (...) {
        }
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    Connection& c_;
};

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

QString BuildPage(const PageRequest& r, const PageSources& s, QString* error) {
    const bool monitor = r.page == WebPage::Monitor;
    QStringList lines;
    lines << "<head>";
    if (monitor) lines << "<meta http-equiv=refresh content=" + QString::number(r.refresh) + ">";
    lines << "<title>" << HtmlEscape(s.title);
    if (monitor) lines << " - auto refresh in " + QString::number(r.refresh) + "s";
    lines << "</title>"
          << "</head>"
          << "<body bgcolor=#f5f5f5>"
          << "<center>"
          << "<strong><u>Time Logs Report V1.0</u></strong><br>"
          << FormatDateTime(kStampFormat, s.now) + "<br>";
    try {
        requireOpen(s);
        const Selection sel = resolveSelection(r, s);
        ReadSnapshot snapshot(*s.att);
        const qint64 count = countRows(*s.att, sel);
        if (r.limit < count)
            lines << QString("[%1 / %2 record(s)]<br>").arg(r.limit).arg(count);
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
            HolderCache holders(*s.src);
            int emitted = 0;
            forEachRow(*s.att, sel, rowsToFetch(r.limit), [&](const LogRecord& row) {
                const CardHolderName& h = holders.of(row.cardno);
                QString line = emitted % 2 == 0 ? "<tr align=center bgcolor=#FFFFFF>"
                                                : "<tr align=center bgcolor=#F5F5F5>";
                for (const QString& cell :
                     {FormatDateTime(kStampFormat, row.systime), HtmlEscape(h.name),
                      HtmlEscape(h.group), ModeName(row.mode),
                      HtmlEscape(ReaderName(row.reader, s.readers))})
                    line += "<td>" + cell + "</td>";
                lines << line + "</tr>";
                ++emitted;
            });
        }
    } catch (const std::exception& e) {
        // The page so far still goes out, closed properly.
        if (error) *error = QString::fromUtf8(e.what());
    }
    lines << "</table>" << kFooter << "</center>"
          << "</body>";
    return lines.join("\r\n");
}

QByteArray BuildJson(const PageRequest& r, const PageSources& s) {
    requireOpen(s);
    const Selection sel = resolveSelection(r, s);
    ReadSnapshot snapshot(*s.att);
    const qint64 count = countRows(*s.att, sel);
    QJsonArray rows;
    if (count > 0) {
        HolderCache holders(*s.src);
        forEachRow(*s.att, sel, rowsToFetch(r.limit), [&](const LogRecord& row) {
            const CardHolderName& h = holders.of(row.cardno);
            QJsonObject o;
            o["time"] = isoTime(row.systime);
            o["card"] = row.cardno;
            o["holder"] = h.found ? QJsonValue(h.name) : QJsonValue();
            o["group"] = h.found ? QJsonValue(h.group) : QJsonValue();
            o["mode"] = ModeName(row.mode);
            o["reader"] = ReaderName(row.reader, s.readers);
            rows.append(o);
        });
    }
    QJsonObject doc;
    doc["count"] = count;
    doc["rows"] = rows;
    return QJsonDocument(doc).toJson(QJsonDocument::Compact);
}

}  // namespace horalog
