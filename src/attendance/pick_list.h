#pragma once
// The pick list behind "Pick List": the members (staffs.PICKED set) and the non-members, each
// a read-only table of CARDNO, NAME and WORKGROUP sorted by a column of its own and then by
// name, and the moves between the two. The holders are read once per change (5,000 rows are
// a few milliseconds); nothing but PICKED is written.

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "storage/database.h"

namespace horalog {

class PickListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CardColumn, NameColumn, GroupColumn, ColumnCount };
    struct Row {
        int cardno = 0;
        QString name;
        QString workgroup;  // empty when the holder's group does not exist
    };

    // members: the holders with PICKED set, else those without. The sort column comes from
    // PL_member or PL_nonmember (NAME when absent or unknown).
    PickListModel(Connection& src, bool members, QObject* parent = nullptr);

    void reload();
    // A click on a column title: sort by it (then by name) and store it.
    void sortByColumn(int column);
    Column sortColumn() const { return sort_; }
    bool members() const { return members_; }
    // "PL_member" or "PL_nonmember".
    QString sortSetting() const;
    // "Allowed Member (" n " records)" or "Denied Member (" n " records)".
    QString caption() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const Row& row(int r) const { return rows_[std::size_t(r)]; }

private:
    Connection& src_;
    bool members_;
    Column sort_ = NameColumn;
    std::vector<Row> rows_;
};

// Moves a holder between the lists (Add: picked true; Remove: false). A failed update is
// dropped without a message; the lists are read again either way.
void MoveHolder(Connection& src, int card, bool picked, PickListModel& members,
                PickListModel& nonMembers);
// "Remove All": every member back to the non-members.
void RemoveAllMembers(Connection& src, PickListModel& members, PickListModel& nonMembers);

}  // namespace horalog
