#pragma once
// The "Audit Trail" grid: audit rows newest first, fetched a page at a time as the view
// scrolls (a keyset walk of the time index), filtered by a date range and a text.

#include <QAbstractTableModel>
#include <vector>

#include "storage/audit.h"

namespace horalog {

class AuditModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kPage = 200;
    enum Column {
        TimeColumn,
        StationColumn,
        ActionColumn,
        SubjectColumn,
        BeforeColumn,
        AfterColumn,
        ColumnCount
    };

    explicit AuditModel(Connection& src, QObject* parent = nullptr);

    void setFilter(const AuditFilter& filter);
    const AuditFilter& filter() const { return filter_; }
    void reload();
    const AuditRecord& record(int row) const { return rows_[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    Connection& src_;
    AuditFilter filter_;
    std::vector<AuditRecord> rows_;
    bool atEnd_ = false;
};

// Writes the rows of the filter to a CSV file (oldest first). False with error.
bool ExportAuditCsv(Connection& src, const AuditFilter& filter, const QString& path, QString& error,
                    qint64* rows = nullptr);

}  // namespace horalog
