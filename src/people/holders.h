#pragma once
// Card holders: the name rule every lookup uses, and the checks and decisions of the holder
// editor ("Card Information") that need no database. Rows are storage's HolderRecord; the
// holder store (holder_store.h) looks them up and posts them.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "people/input_check.h"
#include "people/photos.h"
#include "storage/staff_table.h"

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

// Holder names are equal when they differ only in the letter case of ASCII letters; every
// other character compares exactly. That is the NOCASE collation of the unique index on
// staffs.NAME, so the editor's checks, every lookup by name (duplicate checks, the add-record
// name box, the staff import, the web reporter's search) and the index never disagree: the
// index refuses "ANN LEE" beside "Ann Lee", and so does the editor, with its own message.
// Names typed by hand and read back from printouts are the same person whatever their case;
// folding beyond ASCII would need a collation the engine does not have.
bool SameHolderName(const QString& a, const QString& b);
// The text with A to Z lowered and every other character kept: what NOCASE compares.
QString AsciiCaseFolded(const QString& text);
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
// name.". Otherwise the picture is resampled to 240 x 320 first; then a name that
// nameTaken(name) reports as another holder's is refused with "Name has been used." (never
// for existingHolder, whose name the caller keeps).
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
// nameHasHolder: another card's holder has the name.
HolderSave HolderSaveAction(const QString& name, bool cardHasHolder, bool nameHasHolder);

// The row to post: card, name, group, remarks and photo from the editor; the access and
// offline flags and the carried columns of the existing holder, or false and 0 for a new one.
HolderRecord HolderFromEditor(const HolderRecord* existing, int card, const QString& name,
                              int workgrp, const QString& remarksText, const QByteArray& photo);

// Remarks box text <-> MEMO: each line ended by CR LF; an empty box is an empty memo.
QString MemoFromText(const QString& boxText);
QString TextFromMemo(const QString& memo);

}  // namespace horalog
