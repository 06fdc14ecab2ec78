#include "attendance/pick_list.h"

#include "people/holder_store.h"
#include "storage/settings.h"

namespace horalog {

PickListModel::PickListModel(Connection& src, bool members, QObject* parent)
    : QAbstractTableModel(parent), src_(src), members_(members) {
    sort_ = Column(HolderSortColumnOf(ReadSettingText(sortSetting(), "NAME")));
    reload();
}

QString PickListModel::sortSetting() const {
    return members_ ? "PL_member" : "PL_nonmember";
}

QString PickListModel::caption() const {
    return QString(members_ ? "Allowed Member (" : "Denied Member (") +
           QString::number(rows_.size()) + " records)";
}

void PickListModel::reload() {
    beginResetModel();
    rows_.clear();
    auto q = src_.prepare(QString("SELECT staffs.CARDNO AS CARDNO, staffs.NAME AS NAME, "
                                  "gid.DESCX AS WORKGROUP FROM staffs "
                                  "LEFT JOIN gid ON staffs.WORKGRP = gid.ID "
                                  "WHERE staffs.PICKED %1 0 ORDER BY %2, staffs.NAME")
                              .arg(members_ ? "<>" : "=", HolderOrderFieldOf(sort_)));
    while (q.next())
        rows_.push_back({q.integer("CARDNO"), q.text("NAME"),
                         q.isNull("WORKGROUP") ? QString() : q.text("WORKGROUP")});
    endResetModel();
}

void PickListModel::sortByColumn(int column) {
    if (column < 0 || column >= ColumnCount) return;
    sort_ = Column(column);
    WriteSettingText(sortSetting(), HolderSortSettingOf(sort_));
    reload();
}

int PickListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int PickListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PickListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    if (role != Qt::DisplayRole) return {};
    const Row& r = rows_[std::size_t(index.row())];
    switch (index.column()) {
        case CardColumn:
            return r.cardno;
        case NameColumn:
            return r.name;
        case GroupColumn:
            return r.workgroup;
    }
    return {};
}

QVariant PickListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    if (role == Qt::DisplayRole) return QString(HolderColumnTitle(section));
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}

void MoveHolder(Connection& src, int card, bool picked, PickListModel& members,
                PickListModel& nonMembers) {
    SetHolderPicked(src, card, picked);
    members.reload();
    nonMembers.reload();
}

void RemoveAllMembers(Connection& src, PickListModel& members, PickListModel& nonMembers) {
    // One statement rather than a row at a time: a row that keeps failing cannot hold the
    // loop forever.
    ClearPickedHolders(src);
    members.reload();
    nonMembers.reload();
}

}  // namespace horalog
