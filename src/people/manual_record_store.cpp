#include "people/manual_record_store.h"

#include <QFile>

#include "people/holders.h"
#include "storage/lookups.h"
#include "storage/staff_table.h"

namespace horalog {

namespace {

HolderShown Shown(Connection& src, const std::optional<HolderRecord>& h) {
    HolderShown s;
    if (!h) return s;
    s.found = true;
    s.card = h->cardno;
    s.name = h->name;
    s.group = GroupName(src, h->workgrp);
    s.remarks = TextFromMemo(h->memo);
    s.hasPhoto = PhotoFromBlob(h->photo, s.photo);
    return s;
}

}  // namespace

HolderShown HolderShownByName(Connection& src, const QString& name) {
    if (name.isEmpty()) return {};
    return Shown(src, StaffTable(src).byName(name, true));
}

HolderShown HolderShownByCard(Connection& src, int card) {
    return Shown(src, StaffTable(src).byCard(card, true));
}

bool AddAttendanceRecord(Connection& att, DateTime pickedDate, DateTime pickedTime,
                         std::optional<int> card, int modeIndex, int readerIndex,
                         Messages& messages) {
    auto row = NewManualRecord(pickedDate, pickedTime, card, modeIndex, readerIndex);
    try {
        if (!row) throw DbError("no card");
        LogTable(att).append(*row);
    } catch (const DbError&) {
        messages.error(text::kErrorAddingRecord);
        return false;
    }
    messages.information(text::kRecordAdded);
    return true;
}

bool UpdateAttendanceRecord(Connection& att, qint64 id, DateTime pickedDate, DateTime pickedTime,
                            int modeIndex, Messages& messages) {
    LogTable log(att);
    try {
        auto row = log.find(id);
        if (!row || !ApplyManualEdit(*row, pickedDate, pickedTime, modeIndex))
            throw DbError("no row");
        log.update(*row);
    } catch (const DbError&) {
        messages.error(text::kErrorUpdatingRecord);
        return false;
    }
    messages.information(text::kRecordUpdated);
    return true;
}

bool DeleteAttendanceRecord(Connection& att, std::optional<qint64> id, Messages& messages) {
    LogTable log(att);
    if (!id || log.count() == 0) {
        messages.information(text::kNoRecordToDelete);
        return false;
    }
    if (!messages.confirm(text::kConfirmDeleteLogRecord)) return false;
    try {
        auto row = log.find(*id);
        if (!row) return false;
        QFile::remove(PicturePath(row->cardno, row->systime));
        return log.remove(*id);
    } catch (const DbError& e) {
        messages.error(e.text());
        return false;
    }
}

}  // namespace horalog
