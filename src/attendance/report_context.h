#pragma once
// What every printout of one run shares: the period, the record query, the date and time texts.

#include <QString>
#include <vector>

#include "attendance/absence_calendar.h"
#include "attendance/attendance_reports.h"
#include "attendance/report_parameters.h"
#include "attendance/report_source.h"
#include "common/datetime.h"
#include "printing/band_document.h"

namespace horalog::detail {

class ReportContext {
public:
    ReportContext(const ReportParameters& p, ReportSource& source, DateTime now, double shift);

    const ReportParameters& params;
    ReportSource& source;
    Period period;      // with allDates resolved from the first and last log rows
    DateRange bounds;   // on stored time stamps, half-open
    QString format;     // the record format
    int timeWidth = 0;  // T: the length of a time printed with the record format
    double shift = 0;   // the overnight shift in days, 0 otherwise
    std::vector<WorkGroup> groups;  // by ID
    AbsenceCalendar calendar;       // the days off within the period

    // The hours of a holder's group, as stored (a holder whose group is gone has group 1's).
    WorkGroup GroupOf(const SelectedHolder& h) const;
    // The holder's days off within the period (day numbers of the report's frame).
    HolderDays DaysOff(const SelectedHolder& h) const;
    // The holder's day off on the day of interest, empty when at work.
    QString DayOffOfInterest(const SelectedHolder& h) const;

    // The holder's records within the period, whole seconds, moved back by the shift.
    std::vector<LogRecord> HolderRecords(int card) const;
    // A time printed with the record format (moved forward again by the shift).
    QString Time(DateTime t) const;
    // A day heading "MMM dd, yyyy ddd -" of a time in the report's frame, printed moved
    // forward by the shift like every time (a night is headed with its first record's date).
    QString DayHeading(DateTime t) const;
    // "From: " from " To: " to; with "All" the first and last rows' dates as stored.
    QString RangeText() const;
    // One holder placed: tells the progress, throws ReportCancelled when it asks to stop.
    void Step() const;

    const ReportProgress* progress = nullptr;
    // " No IN" / " No OUT" padded to T + 7, or the time and its ModeTag.
    QString PairPart(DateTime t, int mode, const char* absent) const;
};

// The line steps shared by the printouts: gap days and day headings. The next day keeps its
// time of day (it is printed moved by the shift); the last date is a day number, -1 none.
// A day off is printed with its name where a gap day reads "No record", and always, even
// without blank lines: the clerk needs to see it.
struct DayTrack {
    DateTime nextDay;
    int lastDate = -1;
    int clockedDays = 0;
    HolderDays daysOff;
    // The day off of the last date, if any.
    const DayOff* Off() const { return daysOff.At(lastDate); }
};
// The holder's track at its heading: next day := from.
DayTrack StartTrack(const ReportContext& ctx, const SelectedHolder& h);

enum class DayStep { GapLine, NewDay, SameDay };
// Steps 3 to 5 of a detail line on text; a gap line is complete when GapLine is answered.
DayStep StartLine(const ReportContext& ctx, DayTrack& track, DateTime cur, QString& text);
// After the holder's last record: the next line of the days off still to come within the
// period (with blank lines, the gap days before each too); false when there is none.
bool TrailingLine(const ReportContext& ctx, DayTrack& track, QString& text);
// " Vacation (first half)": what a line of a day with reads ends with when the day is off.
QString DayOffSuffix(const DayTrack& track);
// The summary line of the holder's days off, empty when there are none.
QString DaysOffTotal(const DayTrack& track);

qint64 SecondsOfDay(DateTime t);       // whole seconds since midnight
bool Later(DateTime a, DateTime b);    // by time of day, strictly
bool Earlier(DateTime a, DateTime b);  // by time of day, strictly

void BuildFiloReport(int kind, const ReportContext& ctx, const std::vector<SelectedHolder>& holders,
                     BandWriter& out);
void BuildLogReport(bool totalHours, const ReportContext& ctx,
                    const std::vector<SelectedHolder>& holders, BandWriter& out);
void BuildDailyIndividual(const ReportContext& ctx, const std::vector<SelectedHolder>& holders,
                          BandWriter& out);
void BuildWhosInOut(const ReportContext& ctx, const std::vector<SelectedHolder>& holders,
                    BandWriter& out);

}  // namespace horalog::detail
