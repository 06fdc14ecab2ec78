#pragma once
// Holder lookups by card and by name prefix, as the web pages need them. They run their own
// statements on the connection given, so a request thread can use its private connection.

#include <QString>

#include "storage/database.h"

namespace horalog {

struct CardHolder {
    bool found = false;
    QString name;   // the holder's name, or "[" card "]" when not found
    QString group;  // the group's name, empty when not found
};

// The holder of the card joined with his work group. A card without a holder, or whose
// holder's group no longer exists, is not found.
CardHolder HolderOfCard(Connection& src, int card);

// CARDNO of the first holder in name order whose name begins with the text (letter case
// counts), or 0.
int CardOfName(Connection& src, const QString& name);

}  // namespace horalog
