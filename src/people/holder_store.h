#pragma once
// Card holders in the system database: the lookups other rooms use (HolderOfCard, CardOfName),
// the holder editor ("Card Information") as a model that loads, confirms and saves one card's
// holder, and the holder list ("Card Information List") as a table model. Name equality is
// SameHolderName's everywhere, which is the NOCASE collation of staffs.NAME.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "people/door_rights.h"
#include "people/group_store.h"
#include "people/holders.h"
#include "people/photos.h"
#include "storage/staff_table.h"

namespace horalog {

// HolderOfCard: the holder's name and group name when the card has a holder whose group
// exists; otherwise not found, the name "[" card "]" and an empty group.
struct CardHolderName {
    bool found = false;
    QString name;
    QString group;
};
CardHolderName HolderOfCard(Connection& src, int card);
// HolderOfCard of each card in one query (a round trip per card costs on a database server).
QHash<int, CardHolderName> HoldersOfCards(Connection& src, const QList<int>& cards);

// The card of the first holder in name order whose name begins with the text (ASCII letters
// without regard to case), or 0. An index seek, not a walk.
int CardOfName(Connection& src, const QString& name);

// Every holder name in name order (the add-record name list).
QStringList HolderNames(Connection& src);

// The holder editor's contents for one card.
struct HolderEditorState {
    int card = 0;
    std::optional<HolderRecord> existing;  // the card's holder, with its photo
    QString name;
    GroupChoice groups;         // "Member of"
    int groupIndex = -1;        // the chosen item; -1 none
    QString remarks;            // the remarks box, lines separated by '\n'
    Picture picture;
    // "May pass at": the holder's rights, or NewHolderRights for a new holder, and the boxes'
    // captions ("Front door (COM1)", ...).
    DoorRights rights{};
    std::array<QString, 8> doorCaptions;
    // "Access schedule": the time profiles by name ("Always" first) and the chosen one.
    QStringList profileNames;
    std::vector<int> profileIds;
    int profileIndex = 0;
};

// Prepares the editor: the card's holder with its group selected, remarks and photo (a photo
// that does not decode leaves the cleared white picture); for a card without holder an
// editable empty name and the first group.
HolderEditorState LoadHolderEditor(Connection& src, int card);

// "Confirm": trims the name back into the state, refuses an empty one ("Incorrect name."),
// resamples the picture to 240 x 320, and refuses a new holder's name that another holder has
// ("Name has been used.").
InputCheck<HolderField> ConfirmHolderEditor(Connection& src, HolderEditorState& state);

// "Delete": asks "Are you sure to delete the record?"; on OK empties the name so that saving
// deletes the holder. True when the editor is to close with that outcome.
bool RequestHolderDelete(HolderEditorState& state, Messages& messages);

// Saves the outcome the editor closed with: edits the card's holder, appends a new one, or
// deletes it (empty name), with the door rights of the "May pass at" boxes. The audit row of
// the addition, change (name, card, group or rights) or deletion is written in the same
// transaction. A name another holder has is refused with "The input does not allow
// deplicate entry. Please re-enter.". The photo is always stored as a 240 x 320 JPEG (white
// when none was loaded). A failure rolls back and shows "Fail to update the database record.
// Please retry.". True when staffs changed.
bool SaveHolderEditor(Connection& src, const HolderEditorState& state, Messages& messages);

// "Add holder" of the holder list, for a card not read yet: the typed card number must be a
// whole number from 1 to 16777215 ("Invalid input.") that no holder has ("Card number has been
// used."). The card to open the editor on, or nothing after the message.
inline constexpr const char* kCardNumberUsed = "Card number has been used.";
std::optional<int> CheckNewHolderCard(Connection& src, const QString& typed, Messages& messages);

// What the live log's double click opens: nothing while logged out ("Feature disabled. Please
// Login to use it.") or with an empty log ("No record."); nothing either for a bypass row's
// -1, which is no card. Otherwise the card to edit.
std::optional<int> CardToEditFromLiveLog(bool loggedIn, std::optional<int> currentCard,
                                         Messages& messages);

// The columns of the holder grids (the holder list and the pick lists), 0 CARDNO, 1 NAME,
// 2 WORKGROUP: the sort column stored in a setting (the field name, DESCX for WORKGROUP; NAME
// when unknown, so an edited settings file never reaches the SQL text), the field it orders
// by and the column's title.
int HolderSortColumnOf(const QString& setting);
const char* HolderSortSettingOf(int column);
const char* HolderOrderFieldOf(int column);
const char* HolderColumnTitle(int column);

// The holder list: CARDNO, NAME, WORKGROUP in the order of the sort column stored in
// CI_member (NAME when absent or unknown), then NAME. Photos are read only for the row shown.
class HolderListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CardColumn, NameColumn, GroupColumn, ColumnCount };
    struct Row {
        int cardno = 0;
        QString name;
        QString workgroup;  // empty when the holder's group does not exist
    };

    HolderListModel(Connection& src, QObject* parent = nullptr);

    // Runs the list query again (after an edit).
    void reload();
    // A click on a column title: sort by that column and store it in CI_member.
    void sortByColumn(int column);
    Column sortColumn() const { return sort_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const Row& row(int r) const { return rows_[std::size_t(r)]; }
    // The row of a card, or -1.
    int rowOfCard(int card) const;
    // The photo of a card's holder for the preview; false when there is none or it does not
    // decode.
    bool photoOf(int card, Picture& picture) const;

private:
    Connection& src_;
    Column sort_ = NameColumn;
    std::vector<Row> rows_;
};

inline constexpr const char* kHolderListSortSetting = "CI_member";

// The pick list's mark (PICKED) of one card's holder, and nothing else of the row. False when
// the update fails (the caller goes on silently).
bool SetHolderPicked(Connection& src, int card, bool picked);
// Clears the mark of every picked holder in one statement. False when the update fails.
bool ClearPickedHolders(Connection& src);
// The box around the list: "Used (", the number of holders, " cards)".
QString HolderListCaption(int holders);

}  // namespace horalog
