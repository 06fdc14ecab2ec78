#include "attendance/store_report_source.h"

#include "people/absences.h"
#include "people/group_store.h"
#include "people/manual_record_store.h"
#include "people/time_profiles.h"

namespace horalog {


std::vector<HolderRecord> StoreReportSource::Holders(HolderSet set, int groupId) {
    // NAME carries NOCASE: the order of the name index, the order of StaffTable::all.
    QString where;
    if (set == HolderSet::Group) where = " WHERE WORKGRP = ?";
    if (set == HolderSet::Picked) where = " WHERE PICKED <> 0";
    auto q =
        src_.prepare(QString("SELECT %1 FROM staffs%2 ORDER BY NAME").arg(StaffTable::kColumns, where));
    if (set == HolderSet::Group) q.bindAll(groupId);
    std::vector<HolderRecord> out;
    while (q.next()) out.push_back(StaffTable::fromRow(q, false));
    return out;
}

std::vector<WorkGroup> StoreReportSource::Groups() { return GroupsById(src_); }

int StoreReportSource::GroupId(const QString& name) {
    return GroupIdOf(src_, name);
}

std::vector<TimePeriod> StoreReportSource::Timetable(int groupId) {
    std::vector<TimePeriod> out;
    for (const TimetableRow& r : TimetableOf(src_, groupId)) out.push_back(r.period);
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

AbsenceBook StoreReportSource::Absences(const QDate& first, const QDate& last) {
    // A file of an older release, read without upgrading it, knows no days off.
    if (!src_.hasTable("absence") || !src_.hasTable("holiday")) return {};
    AbsenceStore store(src_);
    AbsenceBook book{store.types(), {}, store.absences(std::nullopt, first, last)};
    for (Holiday& h : ScheduleStore(src_).holidays())
        if (h.date >= first && h.date <= last) book.holidays.push_back(std::move(h));
    return book;
}

std::vector<std::pair<int, QDate>> StoreReportSource::HandChangedDays(const QDate& first,
                                                                      const QDate& last) {
    if (!src_.hasTable("audit")) return {};
    return horalog::HandChangedDays(src_, first, last);
}

PeriodState StoreReportSource::ClosedPeriod() {
    return src_.hasTable("periodclose") ? CurrentPeriod(src_) : PeriodState{};
}

}  // namespace horalog
