#include "reports/memory_report_source.h"

#include <algorithm>

namespace horalog {

void MemoryReportSource::AddRecord(const LogRecord& r) {
    records_.push_back(r);
    indexed_ = false;
}

void MemoryReportSource::index() {
    if (indexed_) return;
    std::stable_sort(records_.begin(), records_.end(),
                     [](const LogRecord& a, const LogRecord& b) { return a.time < b.time; });
    byCard_.resize(records_.size());
    for (unsigned i = 0; i < byCard_.size(); ++i) byCard_[i] = i;
    std::stable_sort(byCard_.begin(), byCard_.end(), [this](unsigned a, unsigned b) {
        return records_[a].card < records_[b].card;
    });
    indexed_ = true;
}

std::vector<HolderRow> MemoryReportSource::Holders(HolderSet set, int groupId) {
    std::vector<HolderRow> out;
    for (const auto& h : holders_) {
        if (set == HolderSet::Group && h.groupId != groupId) continue;
        if (set == HolderSet::Picked && !h.picked) continue;
        out.push_back(h);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const HolderRow& a, const HolderRow& b) { return a.name < b.name; });
    return out;
}

std::vector<WorkGroup> MemoryReportSource::Groups() {
    auto out = groups_;
    std::stable_sort(out.begin(), out.end(),
                     [](const WorkGroup& a, const WorkGroup& b) { return a.id < b.id; });
    return out;
}

std::vector<TimeSlot> MemoryReportSource::Timetable(int groupId) {
    auto it = slots_.find(groupId);
    if (it == slots_.end()) return {};
    auto out = it->second;
    std::stable_sort(out.begin(), out.end(), [](const TimeSlot& a, const TimeSlot& b) {
        return a.timeIn.msecsOfDay() < b.timeIn.msecsOfDay();
    });
    return out;
}

std::vector<LogRecord> MemoryReportSource::CardRecords(int card, RecordsOfInterest records,
                                                       TimeBounds bounds) {
    index();
    auto cmp = [this](unsigned pos, std::pair<int, DateTime> key) {
        const auto& r = records_[pos];
        return r.card < key.first || (r.card == key.first && r.time < key.second);
    };
    auto it = std::lower_bound(byCard_.begin(), byCard_.end(),
                               std::pair<int, DateTime>(card, bounds.from), cmp);
    std::vector<LogRecord> out;
    for (; it != byCard_.end(); ++it) {
        const auto& r = records_[*it];
        if (r.card != card || r.time > bounds.to) break;
        if (RecordMatches(records, r.mode)) out.push_back(r);
    }
    return out;
}

void MemoryReportSource::ForEachRecord(TimeBounds bounds,
                                       const std::function<bool(const LogRecord&)>& visit) {
    index();
    auto it = std::lower_bound(records_.begin(), records_.end(), bounds.from,
                               [](const LogRecord& r, DateTime t) { return r.time < t; });
    for (; it != records_.end() && it->time <= bounds.to; ++it)
        if (!visit(*it)) return;
}

std::optional<std::pair<DateTime, DateTime>> MemoryReportSource::LogSpan() {
    index();
    if (records_.empty()) return std::nullopt;
    return std::make_pair(records_.front().time, records_.back().time);
}

QString MemoryReportSource::ReaderName(int port) {
    if (port == 0) return "DENIED";
    if (port < 1 || port > 8) return "ERROR";
    auto it = readerNames_.find(port);
    return it != readerNames_.end() && !it->second.isEmpty() ? it->second
                                                             : "COM" + QString::number(port);
}

}  // namespace horalog
