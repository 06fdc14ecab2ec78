#include "attendance/memory_report_source.h"

#include <algorithm>

namespace horalog {

MemoryReportSource::MemoryReportSource() {
    for (int i = 0; i < 8; ++i) readerNames_[i] = QString("COM%1").arg(i + 1);
    book_.types = {{"B", "Business trip", true, -1, "#6fa8dc"},
                   {"O", "Other", false, -1, "#f6b26b"},
                   {"S", "Sick", true, -1, "#e06666"},
                   {"U", "Unpaid leave", false, -1, "#b7b7b7"},
                   {"V", "Vacation", true, -1, "#6aa84f"}};
}

void MemoryReportSource::AddHolder(int card, const QString& name, int group, bool picked) {
    HolderRecord h;
    h.cardno = card;
    h.name = name;
    h.workgrp = group;
    h.picked = picked;
    holders_.push_back(h);
}

void MemoryReportSource::AddRecord(const LogRecord& r) {
    records_.push_back(r);
    if (records_.back().id == 0) records_.back().id = qint64(records_.size());
    indexed_ = false;
}

void MemoryReportSource::AddRecord(DateTime systime, int card, int mode, int reader) {
    LogRecord r;
    r.systime = systime;
    r.cardno = card;
    r.mode = mode;
    r.reader = reader;
    AddRecord(r);
}

void MemoryReportSource::index() {
    if (indexed_) return;
    // The log's order: SYSTIME, CARDNO, ID.
    std::stable_sort(records_.begin(), records_.end(), [](const LogRecord& a, const LogRecord& b) {
        if (a.systime.value != b.systime.value) return a.systime < b.systime;
        return a.cardno < b.cardno;
    });
    byCard_.resize(records_.size());
    for (unsigned i = 0; i < byCard_.size(); ++i) byCard_[i] = i;
    std::stable_sort(byCard_.begin(), byCard_.end(), [this](unsigned a, unsigned b) {
        return records_[a].cardno < records_[b].cardno;
    });
    indexed_ = true;
}

std::vector<HolderRecord> MemoryReportSource::Holders(HolderSet set, int groupId) {
    std::vector<HolderRecord> out;
    for (const auto& h : holders_) {
        if (set == HolderSet::Group && h.workgrp != groupId) continue;
        if (set == HolderSet::Picked && !h.picked) continue;
        out.push_back(h);
    }
    std::stable_sort(out.begin(), out.end(), [](const HolderRecord& a, const HolderRecord& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    return out;
}

std::vector<WorkGroup> MemoryReportSource::Groups() {
    auto out = groups_;
    std::stable_sort(out.begin(), out.end(),
                     [](const WorkGroup& a, const WorkGroup& b) { return a.id < b.id; });
    return out;
}

int MemoryReportSource::GroupId(const QString& name) {
    for (const auto& g : Groups())
        if (SameGroupName(g.descx, name)) return g.id;
    return 0;
}

std::vector<TimePeriod> MemoryReportSource::Timetable(int groupId) {
    auto it = periods_.find(groupId);
    if (it == periods_.end()) return {};
    auto out = it->second;
    std::stable_sort(out.begin(), out.end(), [](const TimePeriod& a, const TimePeriod& b) {
        return a.from.value < b.from.value;
    });
    return out;
}

std::vector<LogRecord> MemoryReportSource::CardRecords(int card, RecordsOfInterest records,
                                                       DateRange bounds) {
    index();
    auto cmp = [this](unsigned pos, std::pair<int, DateTime> key) {
        const auto& r = records_[pos];
        return r.cardno < key.first || (r.cardno == key.first && r.systime < key.second);
    };
    auto it = std::lower_bound(byCard_.begin(), byCard_.end(),
                               std::pair<int, DateTime>(card, bounds.lo), cmp);
    std::vector<LogRecord> out;
    for (; it != byCard_.end(); ++it) {
        const auto& r = records_[*it];
        if (r.cardno != card || !(r.systime < bounds.hi)) break;
        if (RecordMatches(records, r.mode)) out.push_back(r);
    }
    return out;
}

void MemoryReportSource::ForEachRecord(DateRange bounds,
                                       const std::function<bool(const LogRecord&)>& visit) {
    index();
    auto it = std::lower_bound(records_.begin(), records_.end(), bounds.lo,
                               [](const LogRecord& r, DateTime t) { return r.systime < t; });
    for (; it != records_.end() && it->systime < bounds.hi; ++it)
        if (!visit(*it)) return;
}

std::optional<std::pair<DateTime, DateTime>> MemoryReportSource::LogSpan() {
    index();
    if (records_.empty()) return std::nullopt;
    return std::make_pair(records_.front().systime, records_.back().systime);
}

QString MemoryReportSource::ReaderName(int port) {
    return horalog::ReaderName(port, readerNames_);
}

AbsenceBook MemoryReportSource::Absences(const QDate& first, const QDate& last) {
    AbsenceBook book{book_.types, {}, {}};
    for (const Holiday& h : book_.holidays)
        if (h.date >= first && h.date <= last) book.holidays.push_back(h);
    for (const Absence& a : book_.absences)
        if (a.to >= first && a.from <= last) book.absences.push_back(a);
    return book;
}

std::vector<std::pair<int, QDate>> MemoryReportSource::HandChangedDays(const QDate& first,
                                                                       const QDate& last) {
    std::vector<std::pair<int, QDate>> out;
    for (const auto& [card, day] : handChanged_)
        if (day >= first && day <= last) out.emplace_back(card, day);
    return out;
}

}  // namespace horalog
