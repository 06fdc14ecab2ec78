#include "people/holder_store.h"

#include "common/texts.h"
#include "people/time_profiles.h"
#include "storage/audit.h"
#include "storage/lookups.h"
#include "storage/settings.h"

namespace horalog {

CardHolderName HolderOfCard(Connection& src, int card) {
    return HoldersOfCards(src, {card}).value(card);
}

QHash<int, CardHolderName> HoldersOfCards(Connection& src, const QList<int>& cards) {
    QHash<int, CardHolderName> out;
    if (cards.isEmpty()) return out;
    // The inner join: a holder whose group is gone counts as not found.
    QStringList marks;
    for (qsizetype i = 0; i < cards.size(); ++i) marks << "?";
    auto q = src.prepare(
        "SELECT staffs.CARDNO AS CARDNO, staffs.NAME AS NAME, gid.DESCX AS DESCX FROM staffs "
        "JOIN gid ON staffs.WORKGRP = gid.ID WHERE staffs.CARDNO IN (" +
        marks.join(", ") + ")");
    for (qsizetype i = 0; i < cards.size(); ++i) q.bind(int(i + 1), cards[i]);
    while (q.next()) {
        const int card = q.integer("CARDNO");
        if (!out.contains(card)) out.insert(card, {true, q.text("NAME"), q.text("DESCX")});
    }
    for (int card : cards)
        if (!out.contains(card)) out.insert(card, {false, "[" + QString::number(card) + "]", {}});
    return out;
}

int CardOfName(Connection& src, const QString& name) {
    // The first name at or after the text in the index's (NOCASE) order begins with the text
    // when any name does: names that begin with it sort together right there.
    auto q = src.prepare("SELECT CARDNO, NAME FROM staffs WHERE NAME >= ? ORDER BY NAME LIMIT 1");
    q.bindAll(name);
    if (!q.next() || !HolderNameBeginsWith(q.text("NAME"), name)) return 0;
    return q.integer("CARDNO");
}

QStringList HolderNames(Connection& src) {
    auto q = src.prepare("SELECT NAME FROM staffs ORDER BY NAME");
    QStringList out;
    while (q.next()) out << q.text("NAME");
    return out;
}

HolderEditorState LoadHolderEditor(Connection& src, int card) {
    HolderEditorState s;
    s.card = card;
    ClearPicture(s.picture);
    s.existing = StaffTable(src).byCard(card, true);
    if (s.existing) {
        s.name = s.existing->name;
        s.groups = GroupChoices(src, s.existing->workgrp);
        s.remarks = TextFromMemo(s.existing->memo);
        PhotoFromBlob(s.existing->photo, s.picture);  // undecodable: stays cleared
        s.rights = s.existing->com;
    } else {
        s.groups = GroupChoices(src, 0);
        s.rights = NewHolderRights();
    }
    s.doorCaptions = DoorCaptions(src);
    s.groupIndex = s.groups.selected;
    for (const TimeProfile& p : ScheduleStore(src).profiles()) {
        if (s.existing && p.id == s.existing->accessgrp) s.profileIndex = int(s.profileIds.size());
        s.profileNames << p.name;
        s.profileIds.push_back(p.id);
    }
    return s;
}

InputCheck<HolderField> ConfirmHolderEditor(Connection& src, HolderEditorState& state) {
    StaffTable staff(src);
    // A holder may be renamed, but not to another holder's name.
    return ConfirmHolder(state.name, state.picture, false, [&](const QString& n) {
        const auto other = staff.byName(n);
        return other && other->cardno != state.card;
    });
}

bool RequestHolderDelete(HolderEditorState& state, Messages& messages) {
    if (!messages.confirm(text::kConfirmDeleteHolder)) return false;
    state.name.clear();
    return true;
}

bool SaveHolderEditor(Connection& src, const HolderEditorState& state, Messages& messages) {
    StaffTable staff(src);
    try {
        const auto byCard = staff.byCard(state.card);
        const QString name = state.name.trimmed();
        const auto named = name.isEmpty() ? std::nullopt : staff.byName(name);
        const bool nameHasHolder = named && named->cardno != state.card;
        switch (HolderSaveAction(name, byCard.has_value(), nameHasHolder)) {
            case HolderSave::Nothing:
                return false;
            case HolderSave::RefuseDuplicate:
                messages.error(text::kNoDuplicate);
                return false;
            case HolderSave::Delete: {
                Transaction t(src);
                if (!staff.removeByCard(state.card)) return false;
                AuditLog(src).write(audit::kHolderDeleted, HolderSubject(*byCard),
                                    HolderAuditText(src, *byCard), QString());
                t.commit();
                return true;
            }
            case HolderSave::Edit:
            case HolderSave::Append:
                break;
        }
        QByteArray photo;
        if (!HolderPhotoBlob(state.picture, photo)) throw DbError("photo not encoded");
        const int groupId = state.groupIndex >= 0 && state.groupIndex < state.groups.names.size()
                                ? GroupIdOf(src, state.groups.names[state.groupIndex])
                                : 0;
        // The row as stored now, so the offline flag and the carried columns changed elsewhere
        // meanwhile are kept; the door rights are the editor's boxes.
        HolderRecord row = HolderFromEditor(byCard ? &*byCard : nullptr, state.card, name, groupId,
                                            state.remarks, photo);
        row.com = state.rights;
        if (state.profileIndex >= 0 && std::size_t(state.profileIndex) < state.profileIds.size())
            row.accessgrp = state.profileIds[std::size_t(state.profileIndex)];
        Transaction t(src);
        AuditLog audit(src);
        if (byCard) {
            staff.update(row);
            if (HolderAuditDiffers(*byCard, row))
                audit.write(audit::kHolderChanged, HolderSubject(row),
                            HolderAuditText(src, *byCard), HolderAuditText(src, row));
        } else {
            staff.append(row);
            audit.write(audit::kHolderAdded, HolderSubject(row), QString(),
                        HolderAuditText(src, row));
        }
        t.commit();
        return true;
    } catch (const DbError&) {
        messages.error(text::kUpdateFailed);
        return false;
    }
}

std::optional<int> CheckNewHolderCard(Connection& src, const QString& typed, Messages& messages) {
    bool ok = false;
    const qint64 card = typed.trimmed().toLongLong(&ok);
    if (!ok || !IsHolderCard(card)) {
        messages.error(text::kInvalidInput);
        return std::nullopt;
    }
    if (StaffTable(src).byCard(int(card))) {
        messages.error(kCardNumberUsed);
        return std::nullopt;
    }
    return int(card);
}

std::optional<int> CardToEditFromLiveLog(bool loggedIn, std::optional<int> currentCard,
                                         Messages& messages) {
    if (!loggedIn) {
        messages.information(text::kFeatureDisabled);
        return std::nullopt;
    }
    if (!currentCard) {
        messages.error(text::kNoRecord);
        return std::nullopt;
    }
    if (!IsHolderCard(*currentCard)) return std::nullopt;
    return currentCard;
}

// ---- holder list ----

int HolderSortColumnOf(const QString& setting) {
    const QString v = setting.trimmed().toUpper();
    if (v == "CARDNO") return HolderListModel::CardColumn;
    if (v == "WORKGROUP" || v == "DESCX") return HolderListModel::GroupColumn;
    return HolderListModel::NameColumn;
}

const char* HolderSortSettingOf(int column) {
    return column == HolderListModel::CardColumn    ? "CARDNO"
           : column == HolderListModel::GroupColumn ? "DESCX"
                                                    : "NAME";
}

const char* HolderOrderFieldOf(int column) {
    return column == HolderListModel::CardColumn    ? "staffs.CARDNO"
           : column == HolderListModel::GroupColumn ? "gid.DESCX"
                                                    : "staffs.NAME";
}

const char* HolderColumnTitle(int column) {
    static const char* const titles[] = {"CARDNO", "NAME", "WORKGROUP"};
    return titles[column];
}

QString HolderListCaption(int holders) {
    return "Used (" + QString::number(holders) + " cards)";
}

HolderListModel::HolderListModel(Connection& src, QObject* parent)
    : QAbstractTableModel(parent), src_(src) {
    sort_ = Column(HolderSortColumnOf(ReadSettingText(kHolderListSortSetting, "NAME")));
    reload();
}

void HolderListModel::reload() {
    beginResetModel();
    rows_.clear();
    auto q = src_.prepare(QString("SELECT staffs.CARDNO AS CARDNO, staffs.NAME AS NAME, "
                                  "gid.DESCX AS WORKGROUP FROM staffs "
                                  "LEFT JOIN gid ON staffs.WORKGRP = gid.ID "
                                  "ORDER BY %1, staffs.NAME")
                              .arg(HolderOrderFieldOf(sort_)));
    while (q.next())
        rows_.push_back({q.integer("CARDNO"), q.text("NAME"),
                         q.isNull("WORKGROUP") ? QString() : q.text("WORKGROUP")});
    endResetModel();
}

void HolderListModel::sortByColumn(int column) {
    if (column < 0 || column >= ColumnCount) return;
    sort_ = Column(column);
    WriteSettingText(kHolderListSortSetting, HolderSortSettingOf(sort_));
    reload();
}

int HolderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int HolderListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HolderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    const Row& r = rows_[std::size_t(index.row())];
    switch (index.column()) {
        case CardColumn:
            return r.cardno;
        case NameColumn:
            return r.name;
        case GroupColumn:
            return r.workgroup;
        default:
            return {};
    }
}

QVariant HolderListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    if (role == Qt::DisplayRole) return QString(HolderColumnTitle(section));
    if (role == Qt::ToolTipRole) return QString("Double click to edit the record.");
    return {};
}

int HolderListModel::rowOfCard(int card) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].cardno == card) return int(i);
    return -1;
}

bool HolderListModel::photoOf(int card, Picture& picture) const {
    auto q = src_.prepare("SELECT PHOTO FROM staffs WHERE CARDNO = ?");
    q.bindAll(card);
    return q.next() && PhotoFromBlob(q.blob("PHOTO"), picture);
}

bool SetHolderPicked(Connection& src, int card, bool picked) {
    try {
        auto q = src.prepare("UPDATE staffs SET PICKED = ? WHERE CARDNO = ?");
        q.bindAll(picked ? 1 : 0, card);
        q.exec();
        return src.changes() > 0;
    } catch (const DbError&) {
        return false;
    }
}

bool ClearPickedHolders(Connection& src) {
    try {
        src.execute("UPDATE staffs SET PICKED = 0 WHERE PICKED <> 0");
        return true;
    } catch (const DbError&) {
        return false;
    }
}

}  // namespace horalog
