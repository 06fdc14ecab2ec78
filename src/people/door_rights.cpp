#include "people/door_rights.h"

#include <QHash>
#include <algorithm>

#include "people/time_profiles.h"
#include "storage/audit.h"
#include "storage/settings.h"

namespace horalog {

QString DoorCaption(const QString& description, int port) {
    const QString portName = QString("COM%1").arg(port);
    const QString d = description.trimmed();
    if (d.isEmpty() || d == portName) return portName;
    return d + " (" + portName + ")";
}

std::array<QString, 8> DoorCaptions(Connection& src) {
    const ReaderNames names = ReaderDescriptions(src);
    std::array<QString, 8> out;
    for (int p = 1; p <= 8; ++p) out[p - 1] = DoorCaption(names[p - 1], p);
    return out;
}

DoorRights NewHolderRights() {
    DoorRights rights{};
    for (const QString& part : ReadSettingText(kNewHolderRightsSetting, "").split(u',')) {
        bool ok = false;
        const int port = part.trimmed().toInt(&ok);
        if (ok && port >= 1 && port <= 8) rights[port - 1] = true;
    }
    return rights;
}

void WriteNewHolderRights(const DoorRights& rights) {
    QStringList ports;
    for (int p = 1; p <= 8; ++p)
        if (rights[p - 1]) ports << QString::number(p);
    WriteSettingText(kNewHolderRightsSetting, ports.join(u','));
}

QString RightsText(const DoorRights& rights) {
    QStringList ports;
    for (int p = 1; p <= 8; ++p)
        if (rights[p - 1]) ports << QString("COM%1").arg(p);
    return ports.isEmpty() ? QString("none") : ports.join(u' ');
}

QString HolderSubject(const HolderRecord& h) {
    return QString::number(h.cardno) + " " + h.name;
}

QString HolderAuditText(Connection& src, const HolderRecord& h) {
    return QString("name %1, card %2, group %3, may pass at %4")
               .arg(h.name)
               .arg(h.cardno)
               .arg(GroupName(src, h.workgrp))
               .arg(RightsText(h.com)) +
           (h.accessgrp != kAlwaysProfile ? ", profile " + ProfileNameOf(src, h.accessgrp)
                                          : QString());
}

bool HolderAuditDiffers(const HolderRecord& a, const HolderRecord& b) {
    return a.name != b.name || a.cardno != b.cardno || a.workgrp != b.workgrp || a.com != b.com ||
           a.accessgrp != b.accessgrp;
}

int SetDoorRight(Connection& src, const std::vector<int>& cards, int port, bool allowed) {
    if (port < 1 || port > 8) throw DbError(QString("no reader on port %1").arg(port));
    AuditLog audit(src);
    Transaction t(src);
    // Read from the door index (no photo), written by SEQ; statements prepared once.
    auto get = src.prepare(
        "SELECT SEQ, CARDNO, NAME, WORKGRP, COM1, COM2, COM3, COM4, COM5, COM6, COM7, COM8, "
        "ACCESSGRP FROM staffs WHERE CARDNO = ?");
    auto set = src.prepare(QString("UPDATE staffs SET COM%1 = ? WHERE SEQ = ?").arg(port));
    QHash<int, QString> groups;
    auto text = [&](const HolderRecord& h) {
        auto g = groups.find(h.workgrp);
        if (g == groups.end()) g = groups.insert(h.workgrp, GroupName(src, h.workgrp));
        return QString("name %1, card %2, group %3, may pass at %4")
                   .arg(h.name)
                   .arg(h.cardno)
                   .arg(*g)
                   .arg(RightsText(h.com)) +
               (h.accessgrp != kAlwaysProfile ? ", profile " + ProfileNameOf(src, h.accessgrp)
                                              : QString());
    };
    int changed = 0;
    for (int card : cards) {
        get.reset();
        get.bindAll(card);
        if (!get.next()) continue;
        HolderRecord before;
        before.seq = get.int64("SEQ");
        before.cardno = get.integer("CARDNO");
        before.name = get.text("NAME");
        before.workgrp = get.integer("WORKGRP");
        before.accessgrp = get.integer("ACCESSGRP");
        for (int p = 1; p <= 8; ++p) before.com[p - 1] = get.boolean(QString("COM%1").arg(p));
        if (before.com[port - 1] == allowed) continue;
        HolderRecord after = before;
        after.com[port - 1] = allowed;
        set.reset();
        set.bindAll(allowed, before.seq);
        set.exec();
        audit.write(audit::kHolderChanged, HolderSubject(before), text(before), text(after));
        ++changed;
    }
    t.commit();
    return changed;
}

int SetHolderProfile(Connection& src, const std::vector<int>& cards, int profileId) {
    if (profileId != kAlwaysProfile && ProfileNameOf(src, profileId).startsWith('#'))
        throw DbError(QString("no time profile %1").arg(profileId));
    AuditLog audit(src);
    Transaction t(src);
    StaffTable staff(src);
    auto set = src.prepare("UPDATE staffs SET ACCESSGRP = ? WHERE SEQ = ?");
    int changed = 0;
    for (int card : cards) {
        const auto before = staff.byCard(card);
        if (!before || before->accessgrp == profileId) continue;
        HolderRecord after = *before;
        after.accessgrp = profileId;
        set.reset();
        set.bindAll(profileId, before->seq);
        set.exec();
        audit.write(audit::kHolderChanged, HolderSubject(after), HolderAuditText(src, *before),
                    HolderAuditText(src, after));
        ++changed;
    }
    t.commit();
    return changed;
}

// ---- Door Access ----

DoorAccessModel::DoorAccessModel(Connection& src, QObject* parent)
    : QAbstractTableModel(parent), src_(src) {
    reload();
}

void DoorAccessModel::setFilter(int groupId, const QString& nameText) {
    groupId_ = groupId;
    nameText_ = nameText.trimmed();
    reload();
}

void DoorAccessModel::reload() {
    beginResetModel();
    captions_ = DoorCaptions(src_);
    rows_.clear();
    QStringList where;
    if (groupId_ > 0) where << "staffs.WORKGRP = :grp";
    if (!nameText_.isEmpty()) where << "staffs.NAME LIKE :name ESCAPE '\\'";
    auto q = src_.prepare(
        QString("SELECT staffs.CARDNO AS CARDNO, staffs.NAME AS NAME, gid.DESCX AS WORKGROUP, "
                "COM1, COM2, COM3, COM4, COM5, COM6, COM7, COM8, timeprofile.NAME AS PROFILE "
                "FROM staffs LEFT JOIN gid ON staffs.WORKGRP = gid.ID "
                "LEFT JOIN timeprofile ON staffs.ACCESSGRP = timeprofile.ID %1 "
                "ORDER BY staffs.NAME")
            .arg(where.isEmpty() ? QString() : "WHERE " + where.join(" AND ")));
    if (groupId_ > 0) q.bind(":grp", groupId_);
    if (!nameText_.isEmpty()) {
        QString pattern = nameText_;
        pattern.replace("\\", "\\\\").replace("%", "\\%").replace("_", "\\_");
        q.bind(":name", "%" + pattern + "%");
    }
    while (q.next()) {
        Row r{q.integer("CARDNO"),
              q.text("NAME"),
              q.isNull("WORKGROUP") ? QString() : q.text("WORKGROUP"),
              {},
              {}};
        for (int p = 1; p <= 8; ++p) r.rights[p - 1] = q.boolean(QString("COM%1").arg(p));
        r.profile = q.isNull("PROFILE") ? QString(kAlwaysProfileName) : q.text("PROFILE");
        rows_.push_back(std::move(r));
    }
    endResetModel();
}

int DoorAccessModel::setRight(const std::vector<int>& rows, int port, bool allowed) {
    std::vector<int> cards;
    for (int r : rows)
        if (r >= 0 && r < int(rows_.size())) cards.push_back(rows_[std::size_t(r)].cardno);
    const int changed = SetDoorRight(src_, cards, port, allowed);  // all or nothing
    int first = -1, last = -1;
    for (int r : rows) {
        if (r < 0 || r >= int(rows_.size())) continue;
        rows_[std::size_t(r)].rights[std::size_t(port - 1)] = allowed;
        first = first < 0 ? r : std::min(first, r);
        last = std::max(last, r);
    }
    if (first >= 0)
        emit dataChanged(index(first, FirstDoorColumn + port - 1),
                         index(last, FirstDoorColumn + port - 1));
    return changed;
}

int DoorAccessModel::setProfile(const std::vector<int>& rows, int profileId) {
    std::vector<int> cards;
    for (int r : rows)
        if (r >= 0 && r < int(rows_.size())) cards.push_back(rows_[std::size_t(r)].cardno);
    const int changed = SetHolderProfile(src_, cards, profileId);  // all or nothing
    const QString name = ProfileNameOf(src_, profileId);
    for (int r : rows)
        if (r >= 0 && r < int(rows_.size())) rows_[std::size_t(r)].profile = name;
    if (!rows_.empty())
        emit dataChanged(index(0, ProfileColumn), index(int(rows_.size()) - 1, ProfileColumn));
    return changed;
}

int DoorAccessModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int DoorAccessModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ProfileColumn + 1;
}

QVariant DoorAccessModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const Row& r = rows_[std::size_t(index.row())];
    if (index.column() == ProfileColumn) return role == Qt::DisplayRole ? r.profile : QVariant();
    if (index.column() >= FirstDoorColumn) {
        if (role == Qt::CheckStateRole)
            return r.rights[std::size_t(index.column() - FirstDoorColumn)] ? Qt::Checked
                                                                           : Qt::Unchecked;
        return {};
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case CardColumn:
            return r.cardno;
        case NameColumn:
            return r.name;
        case GroupColumn:
            return r.group;
        default:
            return {};
    }
}

bool DoorAccessModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || index.column() < FirstDoorColumn ||
        index.column() >= ProfileColumn)
        return false;
    setRight({index.row()}, portOfColumn(index.column()), value.toInt() == int(Qt::Checked));
    return true;
}

Qt::ItemFlags DoorAccessModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() >= FirstDoorColumn && index.column() < ProfileColumn)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant DoorAccessModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* titles[] = {"CARDNO", "NAME", "WORKGROUP"};
    if (section >= 0 && section < FirstDoorColumn) return QString(titles[section]);
    if (section >= FirstDoorColumn && section < FirstDoorColumn + 8)
        return captions_[std::size_t(section - FirstDoorColumn)];
    if (section == ProfileColumn) return QString("PROFILE");
    return {};
}

}  // namespace horalog
