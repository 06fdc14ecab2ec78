#include "reports/store_report_source.h"

namespace horalog {

namespace {
// The columns StaffTable::fromRow reads, without the photo.
constexpr const char* kHolderColumns =
    "SEQ, CARDNO, NAME, WORKGRP, TIMEGRP, ACCESSGRP, OFFLINE, COM1, COM2, COM3, COM4, COM5, "
    "COM6, COM7, COM8, MEMO, PICKED";
}  // namespace

std::vector<HolderRecord> StoreReportSource::Holders(HolderSet set, int groupId) {
    // NAME carries NOCASE: the order of the name index, the order of StaffTable::all.
    QString where;
    if (set == HolderSet::Group) where = " WHERE WORKGRP = ?";
    if (set == HolderSet::Picked) where = " WHERE PICKED <> 0";
    auto q =
        src_.prepare(QString("SELECT %1 FROM staffs%2 ORDER BY NAME").arg(kHolderColumns, where));
    if (set == HolderSet::Group) q.bindAll(groupId);
    std::vector<HolderRecord> out;
    while (q.next()) out.push_back(StaffTable::fromRow(q, false));
    return out;
}

WorkGroup StoreReportSource::GroupFromRow(const Statement& q) {
    WorkGroup g;
    g.id = q.integer("ID");
    g.descx = q.text("DESCX");
    g.wd_from_1 = q.dateTime("WD_FROM_1");
    g.wd_to_1 = q.dateTime("WD_TO_1");
    g.wd_from_2 = q.dateTime("WD_FROM_2");
    g.wd_to_2 = q.dateTime("WD_TO_2");
    g.sat_enable_1 = q.boolean("SAT_ENABLE_1");
    g.sat_from_1 = q.dateTime("SAT_FROM_1");
    g.sat_to_1 = q.dateTime("SAT_TO_1");
    g.sat_enable_2 = q.boolean("SAT_ENABLE_2");
    g.sat_from_2 = q.dateTime("SAT_FROM_2");
    g.sat_to_2 = q.dateTime("SAT_TO_2");
    g.ot_min = q.integer("OT_MIN");
    g.ot_multi = q.integer("OT_MULTI");
    return g;
}

std::vector<WorkGroup> StoreReportSource::Groups() {
    auto q = src_.prepare(
        "SELECT ID, DESCX, WD_FROM_1, WD_TO_1, WD_FROM_2, WD_TO_2, SAT_ENABLE_1, SAT_FROM_1, "
        "SAT_TO_1, SAT_ENABLE_2, SAT_FROM_2, SAT_TO_2, OT_MIN, OT_MULTI FROM gid ORDER BY ID");
    std::vector<WorkGroup> out;
    while (q.next()) out.push_back(GroupFromRow(q));
    return out;
}

int StoreReportSource::GroupId(const QString& name) {
    return GroupIdOf(src_, name);
}

std::vector<TimePeriod> StoreReportSource::Timetable(int groupId) {
    auto q = src_.prepare("SELECT timein, timeout FROM timetbl WHERE gid = ? ORDER BY timein");
    q.bindAll(groupId);
    std::vector<TimePeriod> out;
    while (q.next()) out.push_back({q.dateTime("timein"), q.dateTime("timeout")});
    return out;
}

std::vector<LogRecord> StoreReportSource::CardRecords(int card, RecordsOfInterest records,
                                                      DateRange bounds) {
    std::vector<LogRecord> out;
    LogTable(att_).forEachOfCard(card, bounds.lo, bounds.hi, [&](const LogRecord& r) {
        if (RecordMatches(records, r.mode)) out.push_back(r);
        return true;
    });
    return out;
}

void StoreReportSource::ForEachRecord(DateRange bounds,
                                      const std::function<bool(const LogRecord&)>& visit) {
    LogTable(att_).forEach(bounds.lo, bounds.hi, visit);
}

std::optional<std::pair<DateTime, DateTime>> StoreReportSource::LogSpan() {
    LogTable log(att_);
    const auto first = log.first();
    if (!first) return std::nullopt;
    const auto last = log.last();
    return std::make_pair(first->systime, last ? last->systime : first->systime);
}

QString StoreReportSource::ReaderName(int port) {
    if (!readerNames_) readerNames_ = ReaderDescriptions(src_);
    return horalog::ReaderName(port, *readerNames_);
}

}  // namespace horalog
