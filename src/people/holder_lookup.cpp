#include "people/holder_lookup.h"

namespace horalog {

CardHolder HolderOfCard(Connection& src, int card) {
    auto q = src.prepare(
        "SELECT staffs.NAME AS NAME, gid.DESCX AS DESCX FROM staffs, gid "
        "WHERE staffs.CARDNO = ? AND staffs.WORKGRP = gid.ID LIMIT 1");
    q.bindAll(card);
    if (q.next()) return {true, q.text("NAME"), q.text("DESCX")};
    return {false, "[" + QString::number(card) + "]", QString()};
}

int CardOfName(Connection& src, const QString& name) {
    // The lower bound walks the name index from the prefix on (names order without regard
    // to case); the binary comparison keeps only names that begin with the exact letters.
    auto q = src.prepare(
        "SELECT CARDNO FROM staffs WHERE NAME >= ?1 "
        "AND substr(NAME, 1, length(?1)) = ?1 COLLATE BINARY ORDER BY NAME LIMIT 1");
    q.bind(1, name);
    return q.next() ? q.integer("CARDNO") : 0;
}

}  // namespace horalog
