#pragma once
// The report engine's reads over the two databases. Holder and group queries go to the system
// database, record queries to the log through its two indexes; nothing loads the whole log.

#include "attendance/report_source.h"
#include "storage/store.h"

namespace horalog {

class StoreReportSource : public ReportSource {
public:
    StoreReportSource(Connection& att, Connection& src) : att_(att), src_(src) {}
    explicit StoreReportSource(Tdsrc& store) : StoreReportSource(store.att(), store.src()) {}

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
    std::vector<std::pair<int, QDate>> HandChangedDays(const QDate& first,
                                                       const QDate& last) override;
    PeriodState ClosedPeriod() override;

private:
    Connection& att_;
    Connection& src_;
    std::optional<ReaderNames> readerNames_;  // read once per run
};

}  // namespace horalog
