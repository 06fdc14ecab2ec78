#pragma once
// A ReportSource held in memory: the fixture of tests and benchmarks. Records are indexed by
// time and by card the first time they are queried after a change.

#include <map>

#include "reports/report_source.h"

namespace horalog {

class MemoryReportSource : public ReportSource {
public:
    void AddHolder(const HolderRow& h) { holders_.push_back(h); }
    void AddGroup(const WorkGroup& g) { groups_.push_back(g); }
    void AddSlot(int groupId, TimeSlot slot) { slots_[groupId].push_back(slot); }
    void AddRecord(const LogRecord& r);
    void ReserveRecords(size_t n) { records_.reserve(n); }
    void SetReaderName(int port, const QString& name) { readerNames_[port] = name; }
    size_t RecordCount() const { return records_.size(); }

    std::vector<HolderRow> Holders(HolderSet set, int groupId) override;
    std::vector<WorkGroup> Groups() override;
    std::vector<TimeSlot> Timetable(int groupId) override;
    std::vector<LogRecord> CardRecords(int card, RecordsOfInterest records,
                                       TimeBounds bounds) override;
    void ForEachRecord(TimeBounds bounds,
                       const std::function<bool(const LogRecord&)>& visit) override;
    std::optional<std::pair<DateTime, DateTime>> LogSpan() override;
    QString ReaderName(int port) override;

private:
    void index();

    std::vector<HolderRow> holders_;
    std::vector<WorkGroup> groups_;
    std::map<int, std::vector<TimeSlot>> slots_;
    std::map<int, QString> readerNames_;
    std::vector<LogRecord> records_;  // in SYSTIME order once indexed
    std::vector<unsigned> byCard_;    // positions in records_, by CARDNO then SYSTIME
    bool indexed_ = true;
};

}  // namespace horalog
