#pragma once
// A ReportSource held in memory: the fixture of the golden tests. It answers as the store does
// (names without regard to letter case, half-open bounds, `ReaderName`), so that the same cases
// run over both sources. Records are indexed by time and by card the first time they are
// queried after a change.

#include <map>

#include "attendance/report_source.h"

namespace horalog {

class MemoryReportSource : public ReportSource {
public:
    MemoryReportSource();

    void AddHolder(const HolderRecord& h) { holders_.push_back(h); }
    void AddHolder(int card, const QString& name, int group, bool picked = false);
    void AddGroup(const WorkGroup& g) { groups_.push_back(g); }
    void AddPeriod(int groupId, TimePeriod period) { periods_[groupId].push_back(period); }
    void AddRecord(const LogRecord& r);
    void AddRecord(DateTime systime, int card, int mode, int reader = 1);
    void SetReaderName(int port, const QString& name) { readerNames_[port - 1] = name; }
    void AddAbsence(const Absence& a) { book_.absences.push_back(a); }
    void AddHoliday(const QDate& date, const QString& name) {
        book_.holidays.push_back({date, name});
    }
    size_t RecordCount() const { return records_.size(); }

    std::vector<HolderRecord> Holders(HolderSet set, int groupId) override;
    std::vector<WorkGroup> Groups() override;
    int GroupId(const QString& name) override;
    std::vector<TimePeriod> Timetable(int groupId) override;
    std::vector<LogRecord> CardRecords(int card, RecordsOfInterest records,
                                       DateRange bounds) override;
    void ForEachRecord(DateRange bounds,
                       const std::function<bool(const LogRecord&)>& visit) override;
    std::optional<std::pair<DateTime, DateTime>> LogSpan() override;
    QString ReaderName(int port) override;
    AbsenceBook Absences(const QDate& first, const QDate& last) override;
    void AddHandChange(int card, const QDate& day) { handChanged_.emplace_back(card, day); }
    std::vector<std::pair<int, QDate>> HandChangedDays(const QDate& first,
                                                       const QDate& last) override;
    void SetClosedPeriod(const PeriodState& p) { period_ = p; }
    PeriodState ClosedPeriod() override { return period_; }

private:
    void index();

    std::vector<HolderRecord> holders_;
    std::vector<WorkGroup> groups_;
    std::map<int, std::vector<TimePeriod>> periods_;
    ReaderNames readerNames_;
    AbsenceBook book_;
    std::vector<std::pair<int, QDate>> handChanged_;
    PeriodState period_;              // the five default types
    std::vector<LogRecord> records_;  // in the log's order once indexed
    std::vector<unsigned> byCard_;    // positions in records_, by CARDNO then SYSTIME
    bool indexed_ = true;
};

}  // namespace horalog
