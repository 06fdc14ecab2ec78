#include "storage/local_copy.h"

#include <QFileInfo>

#include "storage/schema_upgrade.h"
#include "storage/staff_table.h"
#include "storage/store.h"

namespace horalog {

namespace {

// A cheap sign of change: holders are added with a new SEQ and every edit of a holder, a
// group, a profile or a holiday writes an audit row.
QString Fingerprint(Connection& server) {
    auto q = server.prepare(
        "SELECT (SELECT count(*) FROM staffs) AS A, (SELECT coalesce(max(SEQ), 0) FROM staffs) "
        "AS B, (SELECT coalesce(max(ID), 0) FROM audit) AS C, (SELECT count(*) FROM gid) AS D, "
        "(SELECT count(*) FROM timeprofile) AS E, (SELECT count(*) FROM holiday) AS F");
    if (!q.next()) return QString();
    QStringList parts;
    for (int i = 0; i < q.columnCount(); ++i) parts << q.value(i).toString();
    return parts.join(',');
}

// Copies the rows of table (columns, optional condition) from the server into the copy.
void CopyRows(Connection& server, Connection& local, const QString& table, const QString& columns,
              const QString& where = QString()) {
    const QString condition = where.isEmpty() ? QString() : " WHERE " + where;
    local.execute("DELETE FROM " + table + condition);
    auto rows = server.prepare(QString("SELECT %1 FROM %2%3").arg(columns, table, condition));
    std::optional<Statement> insert;
    while (rows.next()) {
        if (!insert) {
            QStringList names, marks;
            for (int i = 0; i < rows.columnCount(); ++i) {
                names << rows.columnName(i);
                marks << "?";
            }
            insert = local.prepare(QString("INSERT INTO %1 (%2) VALUES (%3)")
                                       .arg(table, names.join(", "), marks.join(", ")));
        }
        insert->reset();
        for (int i = 0; i < rows.columnCount(); ++i) insert->bind(i + 1, rows.value(i));
        insert->exec();
    }
}

}  // namespace

LocalCopy::LocalCopy(QString path) : path_(std::move(path)) {}
LocalCopy::~LocalCopy() = default;

Connection& LocalCopy::connection() {
    if (c_) return *c_;
    if (!QFileInfo::exists(path_)) CreateTemplate(path_, "sysdat", kSysDbPassword);
    c_ = OpenDatabase(path_, kSysDbPassword, OpenMode::ReadWrite);
    UpgradeSchema(*c_, "sysdat");
    // A copy lost in a power cut is made again from the server.
    c_->setDurable(false);
    return *c_;
}

bool LocalCopy::refresh(Connection& server, bool force) {
    const QString now = Fingerprint(server);
    if (!force && now == fingerprint_) return false;
    Connection& local = connection();
    Transaction t(local);
    CopyRows(server, local, "staffs", StaffTable::kColumns);
    CopyRows(server, local, "gid", "*");
    // Profile 0 is fixed in both.
    CopyRows(server, local, "timeprofile", "*", "ID <> 0");
    CopyRows(server, local, "holiday", "*");
    CopyRows(server, local, "apb", "*");
    t.commit();
    fingerprint_ = now;
    return true;
}

void LocalCopy::notePassage(int card, int mode) {
    Connection& local = connection();
    auto u = local.prepare("UPDATE apb SET STATE = ? WHERE CARDNO = ?");
    u.bindAll(mode, card);
    u.exec();
    if (local.changes() > 0) return;
    auto i = local.prepare("INSERT INTO apb (CARDNO, STATE) VALUES (?, ?)");
    i.bindAll(card, mode);
    i.exec();
}

void LocalCopy::close() {
    c_.reset();
}

}  // namespace horalog
