#include "storage/staff_table.h"

namespace horalog {

const char* const StaffTable::kColumns =
    "SEQ, CARDNO, NAME, WORKGRP, TIMEGRP, ACCESSGRP, OFFLINE, COM1, COM2, COM3, COM4, COM5, "
    "COM6, COM7, COM8, MEMO, PICKED";

HolderRecord StaffTable::fromRow(const Statement& q, bool withPhoto) {
    HolderRecord h;
    h.seq = q.int64("SEQ");
    h.cardno = q.integer("CARDNO");
    h.name = q.text("NAME");
    h.workgrp = q.integer("WORKGRP");
    h.timegrp = q.integer("TIMEGRP");
    h.accessgrp = q.integer("ACCESSGRP");
    h.offline = q.boolean("OFFLINE");
    for (int i = 0; i < 8; ++i) h.com[i] = q.boolean(QString("COM%1").arg(i + 1));
    h.memo = q.text("MEMO");
    h.picked = q.boolean("PICKED");
    if (withPhoto) h.photo = q.blob("PHOTO");
    return h;
}

std::optional<HolderRecord> StaffTable::one(const QString& where, const QVariant& v,
                                            bool withPhoto) {
    auto q = c_.prepare(QString("SELECT %1%2 FROM staffs WHERE %3 LIMIT 1")
                            .arg(kColumns, withPhoto ? ", PHOTO" : "", where));
    q.bind(1, v);
    if (!q.next()) return std::nullopt;
    return fromRow(q, withPhoto);
}

std::optional<HolderRecord> StaffTable::byCard(int cardno, bool withPhoto) {
    return one("CARDNO = ?", cardno, withPhoto);
}

std::optional<HolderRecord> StaffTable::byName(const QString& name, bool withPhoto) {
    return one("NAME = ?", name, withPhoto);
}

qint64 StaffTable::append(HolderRecord& h) {
    auto q = c_.prepare(
        "INSERT INTO staffs (CARDNO, NAME, WORKGRP, TIMEGRP, ACCESSGRP, PHOTO, OFFLINE, COM1, "
        "COM2, COM3, COM4, COM5, COM6, COM7, COM8, MEMO, PICKED) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.bindAll(h.cardno, h.name, h.workgrp, h.timegrp, h.accessgrp, h.photo, h.offline, h.com[0],
              h.com[1], h.com[2], h.com[3], h.com[4], h.com[5], h.com[6], h.com[7], h.memo,
              h.picked);
    q.exec();
    h.seq = c_.lastInsertId();
    return h.seq;
}

void StaffTable::update(const HolderRecord& h) {
    auto q = c_.prepare(
        "UPDATE staffs SET CARDNO = ?, NAME = ?, WORKGRP = ?, TIMEGRP = ?, ACCESSGRP = ?, "
        "PHOTO = ?, OFFLINE = ?, COM1 = ?, COM2 = ?, COM3 = ?, COM4 = ?, COM5 = ?, COM6 = ?, "
        "COM7 = ?, COM8 = ?, MEMO = ?, PICKED = ? WHERE SEQ = ?");
    q.bindAll(h.cardno, h.name, h.workgrp, h.timegrp, h.accessgrp, h.photo, h.offline, h.com[0],
              h.com[1], h.com[2], h.com[3], h.com[4], h.com[5], h.com[6], h.com[7], h.memo,
              h.picked, h.seq);
    q.exec();
}

bool StaffTable::removeByCard(int cardno) {
    auto q = c_.prepare("DELETE FROM staffs WHERE CARDNO = ?");
    q.bindAll(cardno);
    q.exec();
    return c_.changes() > 0;
}

qint64 StaffTable::count() {
    auto q = c_.prepare("SELECT count(*) FROM staffs");
    q.next();
    return q.value(0).toLongLong();
}

std::vector<HolderRecord> StaffTable::all() {
    auto q = c_.prepare(QString("SELECT %1 FROM staffs ORDER BY NAME").arg(kColumns));
    std::vector<HolderRecord> out;
    while (q.next()) out.push_back(fromRow(q, false));
    return out;
}

}  // namespace horalog
