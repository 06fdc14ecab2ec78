#include "attendance/attendance_reports.h"

#include <algorithm>

#include "attendance/report_context.h"
#include "attendance/timesheet.h"
#include "common/format.h"

namespace horalog {

namespace detail {

ReportContext::ReportContext(const ReportParameters& p, ReportSource& src, DateTime now,
                             double shiftDays)
    : params(p), source(src), shift(shiftDays) {
    period = ReportPeriod(p, now);
    if (period.allDates) {
        bounds = WholeLog();
        if (auto span = source.LogSpan()) {
            period.from = WholeSeconds(DateTime(span->first.value - shift));
            period.to = WholeSeconds(DateTime(span->second.value - shift));
        }
    } else {
        bounds = DateRangeClause(period.from, period.to);
    }
    format = p.RecordFormatText();
    timeWidth = FormatDateTime(format, now).size();
    groups = source.Groups();
    calendar = AbsenceCalendar(source.Absences(period.from.date(), period.to.date()));
}

WorkGroup ReportContext::GroupOf(const SelectedHolder& h) const {
    // By the group's name (the first by ID of that name). A holder whose group is gone gets
    // the default group, the one that cannot be deleted, rather than whichever came last.
    const WorkGroup* found = nullptr;
    if (h.groupExists)
        for (const auto& g : groups)
            if (g.descx == h.groupName) {
                found = &g;
                break;
            }
    if (!found)
        for (const auto& g : groups)
            if (g.id == kDefaultGroupId) found = &g;
    return found ? *found : WorkGroup{};
}

HolderDays ReportContext::DaysOff(const SelectedHolder& h) const {
    return calendar.For(h.holder.cardno, GroupOf(h), period.from.dayNumber(),
                        period.to.dayNumber());
}

std::vector<LogRecord> ReportContext::HolderRecords(int card) const {
    auto rows = source.CardRecords(card, params.records, bounds);
    for (auto& r : rows) r.systime = WholeSeconds(DateTime(r.systime.value - shift));
    return rows;
}

QString ReportContext::Time(DateTime t) const {
    return FormatDateTime(format, t.addDays(shift));
}

QString ReportContext::DayHeading(DateTime t) const {
    return FormatDateTime("MMM dd, yyyy ddd -", t.addDays(shift));
}

QString ReportContext::RangeText() const {
    // Only "All" takes its bounds from the shifted rows; a chosen period is on stored dates.
    const double back = period.allDates ? shift : 0.0;
    return "From: " + FormatDateTime("d/mmm/yyyy", period.from.addDays(back).datePart()) +
           " To: " + FormatDateTime("d/mmm/yyyy", period.to.addDays(back).datePart());
}

void ReportContext::Step() const {
    if (progress && progress->step && !progress->step()) throw ReportCancelled{};
}

QString ReportContext::DayOffOfInterest(const SelectedHolder& h) const {
    const int day = params.dayOfInterest.dayNumber();
    const HolderDays days = calendar.For(h.holder.cardno, GroupOf(h), day, day);
    const DayOff* off = days.At(day);
    return off ? off->text : QString();
}

DayTrack StartTrack(const ReportContext& ctx, const SelectedHolder& h) {
    // "All" starts at the first row's time in the report's frame; a chosen period at its first
    // day, so that a picker's time of day does not move the gap days' dates.
    DayTrack t;
    t.nextDay = ctx.period.allDates ? ctx.period.from : ctx.period.from.datePart();
    t.daysOff = ctx.DaysOff(h);
    return t;
}

QString ReportContext::PairPart(DateTime t, int mode, const char* absent) const {
    if (t.value == 0) return QString(absent).leftJustified(timeWidth + 7, ' ');
    return Time(t) + ModeTag(mode);
}

namespace {

// The gap line of the next day: its day off, or "No record".
void GapLine(const ReportContext& ctx, DayTrack& track, QString& text) {
    const DayOff* off = track.daysOff.At(track.nextDay.dayNumber());
    text += ctx.DayHeading(track.nextDay) + " " + (off ? off->text : QString("No record"));
    track.nextDay = track.nextDay.addDays(1);
}

// The holder's next day off not printed yet; -1 none.
int NextOff(const DayTrack& track) {
    return track.daysOff.NextFrom(std::max(track.nextDay.dayNumber(), track.lastDate + 1));
}

// Without blank lines, the next day off before the day (at the day's start, so that it is
// headed with its own date), else the day itself.
DateTime NextPrinted(const DayTrack& track, DateTime day) {
    const int off = NextOff(track);
    return off >= 0 && off < day.dayNumber() ? DateTime(double(off)) : day;
}

}  // namespace

DayStep StartLine(const ReportContext& ctx, DayTrack& track, DateTime cur, QString& text) {
    const int curDay = cur.dayNumber();
    if (!ctx.params.blankLines) track.nextDay = NextPrinted(track, cur);
    if (track.nextDay.dayNumber() < curDay) {
        GapLine(ctx, track, text);
        return DayStep::GapLine;
    }
    if (curDay != track.lastDate) {
        track.lastDate = curDay;
        text += ctx.DayHeading(cur);
        track.nextDay = track.nextDay.addDays(1);
        ++track.clockedDays;
        return DayStep::NewDay;
    }
    text += QString(18, ' ');
    return DayStep::SameDay;
}

bool TrailingLine(const ReportContext& ctx, DayTrack& track, QString& text) {
    const int off = NextOff(track);
    if (off < 0) return false;
    if (!ctx.params.blankLines || track.nextDay.dayNumber() > off)
        track.nextDay = DateTime(double(off));
    text = "  ";
    GapLine(ctx, track, text);
    return true;
}

QString DayOffSuffix(const DayTrack& track) {
    const DayOff* off = track.Off();
    return off ? " " + off->text : QString();
}

QString DaysOffTotal(const DayTrack& track) {
    const QString summary = track.daysOff.Summary();
    return summary.isEmpty() ? summary : " " + summary;
}

qint64 SecondsOfDay(DateTime t) {
    return (t.msecsOfDay() + 500) / 1000;
}
bool Later(DateTime a, DateTime b) {
    return CompareTimeOfDay(a, b) > 0;
}
bool Earlier(DateTime a, DateTime b) {
    return CompareTimeOfDay(a, b) < 0;
}

}  // namespace detail

QString ReportTitle(ReportKind kind, const ReportParameters& p) {
    static const char* const kScope[] = {" (All)", " (Clock)", " (IN/OUT)"};
    const QString scope = kScope[std::clamp(int(p.records), 0, 2)];
    switch (kind) {
        case ReportKind::FirstLast:
            return "First In Last Out" + scope;
        case ReportKind::TwoSession:
            return "2-Session" + scope;
        case ReportKind::FirstLastOvernight:
            return "First In Last Out (Overnight)" + scope;
        case ReportKind::TotalHours:
            return "Total Hours" + scope;
        case ReportKind::TotalHoursDetail:
            return "Total Hours Detail" + scope;
        case ReportKind::TimeLogs:
            return "Time Logs" + scope;
        case ReportKind::DailyIndividual:
            return "Daily Individual Report";
        case ReportKind::WhosInOut:
            return "Who's IN / OUT";
        case ReportKind::Timesheet:
            return "Monthly Timesheet";
    }
    return {};
}

bool LogIsEmpty(ReportSource& source) {
    return !source.LogSpan().has_value();
}

ReportDocument BuildReport(ReportKind kind, const ReportParameters& p, ReportSource& source,
                           DateTime now, const ReportProgress* progress) {
    ReportDocument doc;
    doc.title = ReportTitle(kind, p);
    doc.printedOn = now;
    const double shift = kind == ReportKind::FirstLastOvernight ? kOvernightShift : 0.0;
    detail::ReportContext ctx(p, source, now, shift);
    ctx.progress = progress;
    const auto holders = OpenSelectedHolders(source, p);
    if (progress && progress->start)
        progress->start(int(holders.size()) * (kind == ReportKind::WhosInOut ? 4 : 1));
    BandWriter out(doc, p.enhanced);
    switch (kind) {
        case ReportKind::FirstLast:
        case ReportKind::FirstLastOvernight:
            doc.rangeText = ctx.RangeText();
            detail::BuildFiloReport(2, ctx, holders, out);
            break;
        case ReportKind::TwoSession:
            doc.rangeText = ctx.RangeText();
            detail::BuildFiloReport(3, ctx, holders, out);
            break;
        case ReportKind::TotalHoursDetail:
            doc.rangeText = ctx.RangeText();
            detail::BuildFiloReport(p.records == RecordsOfInterest::InOut ? 1 : 0, ctx, holders,
                                    out);
            break;
        case ReportKind::TotalHours:
        case ReportKind::TimeLogs:
            doc.rangeText = ctx.RangeText();
            detail::BuildLogReport(kind == ReportKind::TotalHours, ctx, holders, out);
            break;
        case ReportKind::Timesheet:
            doc.rangeText = ctx.RangeText();
            BuildTimesheets(ctx, holders, out);
            break;
        case ReportKind::DailyIndividual:
        case ReportKind::WhosInOut: {
            doc.rangeText = FormatDateTime("d/mmm/yyyy", p.dayOfInterest);
            // One day, not the period: its days off are the day of interest's.
            const QDate day = p.dayOfInterest.date();
            ctx.calendar = AbsenceCalendar(source.Absences(day, day));
            if (kind == ReportKind::DailyIndividual)
                detail::BuildDailyIndividual(ctx, holders, out);
            else
                detail::BuildWhosInOut(ctx, holders, out);
            break;
        }
    }
    return doc;
}

}  // namespace horalog
