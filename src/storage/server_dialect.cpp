#include "storage/server_dialect.h"

#include <QRegularExpression>
#include <QStringList>

namespace horalog {

namespace {

// Quoted strings, quoted names and dollar-quoted bodies are set aside while the statement is
// rewritten, so that nothing inside them is ever touched: each becomes \x01 N \x02.
struct Masked {
    QString text;
    QStringList pieces;
};

QString marker(int n) {
    return QChar(1) + QString::number(n) + QChar(2);
}

Masked Mask(const QString& sql) {
    Masked m;
    const int n = sql.size();
    int i = 0;
    auto setAside = [&](const QString& piece) {
        m.text += marker(int(m.pieces.size()));
        m.pieces << piece;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c == '\'' || c == '"') {
            int j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            QString piece = sql.mid(i, j + 1 - i);
            // The server folds unquoted names to lower case; quoted ones must match them.
            setAside(c == '"' ? piece.toLower() : piece);
            i = j + 1;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n') ++i;
            m.text += ' ';
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            int j = sql.indexOf("*/", i + 2);
            i = j < 0 ? n : j + 2;
            m.text += ' ';
        } else if (c == '$' && (i == 0 || !(sql[i - 1].isLetterOrNumber() || sql[i - 1] == '_'))) {
            // $tag$ ... $tag$ (a function body); "$1" is a parameter, left alone
            static const QRegularExpression tag("\\G\\$([A-Za-z_]\\w*)?\\$");
            auto t = tag.match(sql, i);
            if (!t.hasMatch()) {
                m.text += c;
                ++i;
                continue;
            }
            const QString delimiter = t.captured(0);
            int end = sql.indexOf(delimiter, i + delimiter.size());
            end = end < 0 ? n : end + delimiter.size();
            setAside(sql.mid(i, end - i));
            i = end;
        } else {
            m.text += c;
            ++i;
        }
    }
    return m;
}

QString Unmask(const QString& text, const QStringList& pieces) {
    QString out;
    out.reserve(text.size() * 2);
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != QChar(1)) {
            out += text[i];
            continue;
        }
        int j = text.indexOf(QChar(2), i);
        out += pieces[text.mid(i + 1, j - i - 1).toInt()];
        i = j;
    }
    return out;
}

QRegularExpression Rx(const char* pattern) {
    return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
}

// CREATE TRIGGER name BEFORE|AFTER event ON table [WHEN cond] BEGIN ...; END
QString Triggers(QString text) {
    static const QRegularExpression trigger =
        Rx("CREATE\\s+TRIGGER\\s+(\\w+)\\s+(BEFORE|AFTER)\\s+(INSERT|UPDATE|DELETE)\\s+ON\\s+"
           "(\\w+)\\s+(?:WHEN\\s+(.*?)\\s+)?BEGIN\\s+(.*?)\\s*END\\b\\s*;?");
    static const QRegularExpression raise =
        Rx("SELECT\\s+RAISE\\s*\\(\\s*ABORT\\s*,\\s*(\\x01\\d+\\x02)\\s*\\)");
    QString out;
    int from = 0;
    auto it = trigger.globalMatch(text);
    while (it.hasNext()) {
        auto m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        from = m.capturedEnd();
        const QString name = m.captured(1), timing = m.captured(2).toUpper(),
                      event = m.captured(3).toUpper(), table = m.captured(4), when = m.captured(5);
        QString body = m.captured(6);
        body.replace(raise, "RAISE EXCEPTION '%', \\1");
        if (!body.trimmed().endsWith(';')) body += ';';
        const QString result = timing == "AFTER" ? "NULL" : (event == "DELETE" ? "OLD" : "NEW");
        out += QString(
                   "CREATE FUNCTION %1_fn() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN %2 "
                   "RETURN %3; END$$; CREATE TRIGGER %1 %4 %5 ON %6 FOR EACH ROW %7"
                   "EXECUTE FUNCTION %1_fn();")
                   .arg(name, body, result, timing, event, table,
                        when.isEmpty() ? QString() : "WHEN (" + when + ") ");
    }
    out += text.mid(from);
    return out;
}

// A table without an INTEGER PRIMARY KEY still has a row id on the embedded engine (rowid:
// the order rows were added, kept across updates); on the server it is a column of its own.
QString RowIds(QString text) {
    static const QRegularExpression create =
        Rx("\\bCREATE\\s+TABLE\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?\\w+\\s*\\(");
    static const QRegularExpression integerKey = Rx("\\bINTEGER\\s+PRIMARY\\s+KEY\\b");
    for (auto m = create.match(text); m.hasMatch(); m = create.match(text, m.capturedEnd())) {
        int depth = 1, end = m.capturedEnd();
        for (; end < text.size() && depth > 0; ++end) {
            if (text[end] == '(') ++depth;
            if (text[end] == ')') --depth;
        }
        if (depth != 0) break;
        const int close = end - 1;
        const QString columns = text.mid(m.capturedEnd(), close - m.capturedEnd());
        if (columns.contains(integerKey)) continue;
        text.insert(close, ", rowid BIGINT GENERATED BY DEFAULT AS IDENTITY");
    }
    return text;
}

QString InsertOrIgnore(QString text) {
    static const QRegularExpression orIgnore = Rx("\\bINSERT\\s+OR\\s+IGNORE\\s+INTO\\b");
    for (auto m = orIgnore.match(text); m.hasMatch(); m = orIgnore.match(text)) {
        int end = text.indexOf(';', m.capturedEnd());
        if (end < 0) end = text.size();
        text.insert(end, " ON CONFLICT DO NOTHING");
        text.replace(m.capturedStart(), m.capturedLength(), "INSERT INTO");
    }
    return text;
}

QString Translate(QString t) {
    struct Rule {
        QRegularExpression from;
        const char* to;
    };
    static const Rule rules[] = {
        {Rx("\\bINTEGER\\s+PRIMARY\\s+KEY(\\s+AUTOINCREMENT)?\\b"),
         "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"},
        {Rx("\\bINTEGER\\b"), "BIGINT"},
        {Rx("\\bREAL\\b"), "DOUBLE PRECISION"},
        {Rx("\\bBLOB\\b"), "BYTEA"},
        // a column declared without regard to case
        {Rx("\\bTEXT\\b([^,()]*?)\\s+COLLATE\\s+NOCASE\\b"), "CITEXT\\1"},
        // in a query: the column is a CITEXT already
        {Rx("\\s+COLLATE\\s+NOCASE\\b"), ""},
        {Rx("\\bBEGIN\\s+(IMMEDIATE|EXCLUSIVE|DEFERRED)\\b"), "BEGIN"},
        {Rx("\\bIFNULL\\s*\\("), "COALESCE("},
        // the embedded engine's LIKE ignores the case of letters
        {Rx("\\bLIKE\\b"), "ILIKE"},
        {Rx("(?<![\\w.])main\\."), ""},
    };
    t = Triggers(t);
    t = RowIds(t);
    t = InsertOrIgnore(t);
    for (const Rule& r : rules) t.replace(r.from, r.to);
    return t;
}

}  // namespace

QString ServerSql(const QString& sql) {
    Masked m = Mask(sql);
    QString t = Translate(m.text);
    // CITEXT comes with the server as an extension; a database owner may add it.
    static const QRegularExpression citext = Rx("\\bCITEXT\\b");
    if (t.contains(citext)) t.prepend("CREATE EXTENSION IF NOT EXISTS citext; ");
    return Unmask(t, m.pieces);
}

ServerStatementText ServerStatementSql(const QString& sql) {
    Masked m = Mask(sql);
    const QString t = Translate(m.text);
    ServerStatementText out;
    QString numbered;
    numbered.reserve(t.size() + 16);
    const int n = t.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = t[i];
        if (c == '?') {
            int j = i + 1;
            while (j < n && t[j].isDigit()) ++j;
            int number = j > i + 1 ? t.mid(i + 1, j - i - 1).toInt() : out.parameterCount + 1;
            out.parameterCount = std::max(out.parameterCount, number);
            numbered += '$' + QString::number(number);
            i = j - 1;
        } else if ((c == ':' || c == '@') && i + 1 < n &&
                   (t[i + 1].isLetter() || t[i + 1] == '_') && (i == 0 || t[i - 1] != ':')) {
            int j = i + 1;
            while (j < n && (t[j].isLetterOrNumber() || t[j] == '_')) ++j;
            const QString name = t.mid(i, j - i);
            int number = out.names.value(name);
            if (!number) {
                number = ++out.parameterCount;
                out.names.insert(name, number);
            }
            numbered += '$' + QString::number(number);
            i = j - 1;
        } else {
            numbered += c;
        }
    }
    out.sql = Unmask(numbered, m.pieces);
    return out;
}

}  // namespace horalog
