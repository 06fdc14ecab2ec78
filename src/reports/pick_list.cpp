#include "reports/pick_list.h"

#include "people/holder_store.h"
#include "storage/settings.h"

namespace horalog {

namespace {

const char* const kTitles[] = {"CARDNO", "NAME", "WORKGROUP"};

PickListModel::Column ColumnFromSetting(const QString& value) {
    const QString v = value.trimmed().toUpper();
    if (v == "CARDNO") return PickListModel::CardColumn;
    if (v == "DESCX" || v == "WORKGROUP") return PickListModel::GroupColumn;
    return PickListModel::NameColumn;
}

// The stored name of a sort column: the field name, DESCX for WORKGROUP.
const char* SettingOf(PickListModel::Column c) {
    switch (c) {
        case PickListModel::CardColumn:
            return "CARDNO";
        case PickListModel::GroupColumn:
            return "DESCX";
        default:
            return "NAME";
    }
}

}  // namespace

PickListModel::PickListModel(Connection& src, bool members, QObject* parent)
    : QAbstractTableModel(parent), src_(src), members_(members) {
    sort_ = ColumnFromSetting(ReadSettingText(sortSetting(), "NAME"));
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
    const char* order = sort_ == CardColumn    ? "staffs.CARDNO"
                        : sort_ == GroupColumn ? "gid.DESCX"
                                               : "staffs.NAME";
    auto q = src_.prepare(QString("SELECT staffs.CARDNO AS CARDNO, staffs.NAME AS NAME, "
                                  "gid.DESCX AS WORKGROUP FROM staffs "
                                  "LEFT JOIN gid ON staffs.WORKGRP = gid.ID "
                                  "WHERE staffs.PICKED %1 0 ORDER BY %2, staffs.NAME")
                              .arg(members_ ? "<>" : "=", order));
    while (q.next())
        rows_.push_back({q.integer("CARDNO"), q.text("NAME"),
                         q.isNull("WORKGROUP") ? QString() : q.text("WORKGROUP")});
    endResetModel();
}

void PickListModel::sortByColumn(int column) {
    if (column < 0 || column >= ColumnCount) return;
    sort_ = Column(column);
    WriteSettingText(sortSetting(), SettingOf(sort_));
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
    if (role == Qt::DisplayRole) return QString(kTitles[section]);
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
