#pragma once
// Card holders: the staffs row as a value, the name rule every lookup uses, and the checks and
// decisions of the holder editor ("Card Information") that need no database. The caller looks
// rows up and posts them.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "people/input_check.h"
#include "people/photos.h"

namespace horalog {

inline constexpr int kHolderNameMaxLength = 16;
inline constexpr int kMinHolderCard = 1;
inline constexpr int kMaxHolderCard = 16777215;  // 24 bits on the wire

namespace text {
inline constexpr const char* kIncorrectName = "Incorrect name.";
inline constexpr const char* kNameUsed = "Name has been used.";
inline constexpr const char* kConfirmDeleteHolder = "Are you sure to delete the record?";
inline constexpr const char* kFeatureDisabled = "Feature disabled. Please Login to use it.";
}  // namespace text

// One row of staffs.
struct Holder {
    int cardno = 0;
    QString name;
    int workgrp = 0;    // ID of the work group; 0 for none
    int timegrp = 0;    // carried along
    int accessgrp = 0;  // carried along
    QByteArray photo;   // JPEG, 240 x 320 when written by the editor
    bool offline = false;
    std::array<bool, 8> com{};  // COM1 to COM8: access allowed on the reader of that port
    QString memo;               // remarks, each line ended by CR LF
    bool picked = false;

    friend bool operator==(const Holder&, const Holder&) = default;
};

// Holder names are equal when they differ only in letter case, and every lookup by name
// (duplicate checks, the add-record name box, the staff import, the web reporter's search)
// uses this one rule. Names are typed by hand and read back from printouts, the screen and
// speech, where "ANN LEE" and "Ann Lee" are the same person: letting both exist would make
// every typed lookup ambiguous. Case is folded the Unicode way (QString, Qt::CaseInsensitive);
// SQL that compares names must use a collation that agrees, not SQLite's ASCII-only NOCASE.
bool SameHolderName(const QString& a, const QString& b);
// The same rule for "begins with" lookups (CardOfName).
bool HolderNameBeginsWith(const QString& name, const QString& prefix);
// A key under which equal names collide, for sets and maps of names.
QString HolderNameKey(const QString& name);

// A card number a holder can have: 1 to 16777215. A bypass row's -1 is no card, so the live
// log's double click on it does not open the editor.
bool IsHolderCard(qint64 card);

enum class HolderField { Name };

// "Confirm" of the holder editor. Trims the name (the caller puts it back in the box); an
// empty name, or one longer than the 16 characters of the column, is refused with "Incorrect
// name.". Otherwise the picture is resampled to 240 x 320 first; then an existing holder
// (read-only name) is accepted, and a new holder whose name nameTaken(name) reports as used
// is refused with "Name has been used.".
InputCheck<HolderField> ConfirmHolder(QString& name, Picture& picture, bool existingHolder,
                                      const std::function<bool(const QString&)>& nameTaken);

// What saving the editor's outcome does, from the name it closed with (empty after
// "Delete") and what the store holds.
enum class HolderSave {
    Edit,             // the card's holder is updated
    Append,           // a new row
    RefuseDuplicate,  // "The input does not allow deplicate entry. Please re-enter."
    Delete,           // the card's holder is deleted
    Nothing,          // Delete on a card without a holder: no change
};
HolderSave HolderSaveAction(const QString& name, bool cardHasHolder, bool nameHasHolder);

// The row to post: card, name, group, remarks and photo from the editor; the access and
// offline flags and the carried columns of the existing holder, or false and 0 for a new one.
Holder HolderFromEditor(const Holder* existing, int card, const QString& name, int workgrp,
                        const QString& remarksText, const QByteArray& photo);

// Remarks box text <-> MEMO: each line ended by CR LF; an empty box is an empty memo.
QString MemoFromText(const QString& boxText);
QString TextFromMemo(const QString& memo);

}  // namespace horalog
