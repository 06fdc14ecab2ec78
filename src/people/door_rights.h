#pragma once
// Door rights: which readers a holder may pass at (staffs.COM1 to COM8). The holder editor's
// "May pass at" boxes, the "Door Access" grid of holders against readers, the rights a new
// holder gets, and the audit text of a holder.

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

#include "storage/database.h"
#include "storage/lookups.h"
#include "storage/staff_table.h"

namespace horalog {

using DoorRights = std::array<bool, 8>;  // index 0 is COM1

// The caption of a reader's box: its description and port, "Front door (COM1)"; a reader
// whose description is its port name shows just "COM1".
QString DoorCaption(const QString& description, int port);
std::array<QString, 8> DoorCaptions(Connection& src);

// Setting NewHolderRights: the ports a new holder may pass at, as "1,3" (default none).
inline constexpr const char* kNewHolderRightsSetting = "NewHolderRights";
DoorRights NewHolderRights();

// Setting: a repeat read of the same card on the same reader within this many seconds of the
// logged read is answered as that read was and not logged. 0 (the default) turns it off.
inline constexpr const char* kRepeatReadSetting = "RepeatReadSeconds";
void WriteNewHolderRights(const DoorRights& rights);
// "COM1 COM3", or "none".
QString RightsText(const DoorRights& rights);

// The audit texts of a holder: "123 ANN", and "name ANN, card 123, group SALES, may pass at
// COM1 COM3".
QString HolderSubject(const HolderRecord& h);
QString HolderAuditText(Connection& src, const HolderRecord& h);
// Whether two states of a holder differ in what the audit trail records (name, card, group,
// rights).
bool HolderAuditDiffers(const HolderRecord& a, const HolderRecord& b);

// Sets or clears the right of port for the holders of the cards, in one transaction with one
// audit row per holder whose right changed. Answers how many changed. Throws DbError; nothing
// is then changed.
int SetDoorRight(Connection& src, const std::vector<int>& cards, int port, bool allowed);

// Puts the holders of the cards on a time profile, in one transaction with one audit row per
// holder whose profile changed. Answers how many changed. Throws DbError; nothing is then
// changed.
int SetHolderProfile(Connection& src, const std::vector<int>& cards, int profileId);

// "Door Access": holders (rows) against the eight readers (columns after card, name and
// group), filtered by group and by a part of the name. Rows are read without photos, so the
// grid opens at once at thousands of holders.
class DoorAccessModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CardColumn, NameColumn, GroupColumn, FirstDoorColumn };
    struct Row {
        int cardno = 0;
        QString name;
        QString group;
        DoorRights rights{};
        QString profile;  // the time profile's name
    };

    explicit DoorAccessModel(Connection& src, QObject* parent = nullptr);

    // groupId 0: every group. nameText: holders whose name contains it (ASCII letters without
    // regard to case).
    void setFilter(int groupId, const QString& nameText);
    void reload();
    // One transaction over the rows given (model rows); the cells are read again after.
    int setRight(const std::vector<int>& rows, int port, bool allowed);
    int setProfile(const std::vector<int>& rows, int profileId);
    // The column after the readers: the holder's time profile.
    static constexpr int ProfileColumn = FirstDoorColumn + 8;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const Row& row(int r) const { return rows_[std::size_t(r)]; }
    static int portOfColumn(int column) { return column - FirstDoorColumn + 1; }

private:
    Connection& src_;
    std::array<QString, 8> captions_;
    int groupId_ = 0;
    QString nameText_;
    std::vector<Row> rows_;
};

}  // namespace horalog
