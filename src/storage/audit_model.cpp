#include "storage/audit_model.h"

#include <QSaveFile>

namespace horalog {

AuditModel::AuditModel(Connection& src, QObject* parent) : QAbstractTableModel(parent), src_(src) {
    reload();
}

void AuditModel::setFilter(const AuditFilter& filter) {
    filter_ = filter;
    reload();
}

void AuditModel::reload() {
    beginResetModel();
    rows_ = AuditLog(src_).page(filter_, std::nullopt, kPage);
    atEnd_ = int(rows_.size()) < kPage;
    endResetModel();
}

bool AuditModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_;
}

void AuditModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || atEnd_ || rows_.empty()) return;
    auto more = AuditLog(src_).page(filter_, rows_.back(), kPage);
    atEnd_ = int(more.size()) < kPage;
    if (more.empty()) return;
    beginInsertRows({}, int(rows_.size()), int(rows_.size() + more.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(more.begin()),
                 std::make_move_iterator(more.end()));
    endInsertRows();
}

int AuditModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int AuditModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AuditModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const AuditRecord& r = rows_[std::size_t(index.row())];
    switch (index.column()) {
        case TimeColumn:
            return AuditTimeText(r.stamp);
        case StationColumn:
            return r.station;
        case ActionColumn:
            return r.action;
        case SubjectColumn:
            return r.subject;
        case BeforeColumn:
            return r.oldText;
        case AfterColumn:
            return r.newText;
        default:
            return {};
    }
}

QVariant AuditModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* titles[] = {"TIME", "STATION", "ACTION", "SUBJECT", "BEFORE", "AFTER"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return QString(titles[section]);
}

bool ExportAuditCsv(Connection& src, const AuditFilter& filter, const QString& path, QString& error,
                    qint64* rows) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        error = "Cannot open file: " + path;
        return false;
    }
    qint64 n = 0;
    f.write(AuditCsvHeader().toUtf8() + "\n");
    try {
        AuditLog(src).forEach(filter, [&](const AuditRecord& r) {
            f.write(AuditCsvLine(r).toUtf8() + "\n");
            ++n;
            return true;
        });
    } catch (const DbError& e) {
        error = e.text();
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        error = "Cannot write file: " + path;
        return false;
    }
    if (rows) *rows = n;
    return true;
}

}  // namespace horalog
