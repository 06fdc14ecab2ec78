#include "attendance/attendance_reports.h"

#include <algorithm>

#include "common/format.h"
#include "attendance/report_context.h"

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

DayTrack StartTrack(const ReportContext& ctx) {
    // "All" starts at the first row's time in the report's frame; a chosen period at its first
    // day, so that a picker's time of day does not move the gap days' dates.
    DayTrack t;
    t.nextDay = ctx.period.allDates ? ctx.period.from : ctx.period.from.datePart();
    return t;
}

QString ReportContext::PairPart(DateTime t, int mode, const char* absent) const {
    if (t.value == 0) return QString(absent).leftJustified(timeWidth + 7, ' ');
    return Time(t) + ModeTag(mode);
}

DayStep StartLine(const ReportContext& ctx, DayTrack& track, DateTime cur, QString& text) {
    const int curDay = cur.dayNumber();
    if (!ctx.params.blankLines) track.nextDay = cur;
    if (track.nextDay.dayNumber() < curDay) {
        text += ctx.DayHeading(track.nextDay) + " No record";
        track.nextDay = track.nextDay.addDays(1);
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
        case ReportKind::DailyIndividual:
            doc.rangeText = FormatDateTime("d/mmm/yyyy", p.dayOfInterest);
            detail::BuildDailyIndividual(ctx, holders, out);
            break;
        case ReportKind::WhosInOut:
            doc.rangeText = FormatDateTime("d/mmm/yyyy", p.dayOfInterest);
            detail::BuildWhosInOut(ctx, holders, out);
            break;
    }
    return doc;
}

}  // namespace horalog
