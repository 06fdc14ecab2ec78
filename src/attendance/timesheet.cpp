#include "attendance/timesheet.h"

#include <algorithm>
#include <cmath>

#include "attendance/pair_finders.h"
#include "common/format.h"

namespace horalog {

namespace {

using detail::Earlier;
using detail::Later;
using detail::SecondsOfDay;

qint64 Length(DateTime from, DateTime to) {
    return std::max<qint64>(0, SecondsOfDay(to) - SecondsOfDay(from));
}

// The group's working time of a day it works.
qint64 DayHours(const WorkGroup& g, bool saturday) {
    if (!saturday) return Length(g.wd_from_1, g.wd_to_1) + Length(g.wd_from_2, g.wd_to_2);
    qint64 s = g.sat_enable_1 ? Length(g.sat_from_1, g.sat_to_1) : 0;
    if (g.sat_enable_1 && g.sat_enable_2) s += Length(g.sat_from_2, g.sat_to_2);
    return s;
}

// Late, early and overtime of a complete day against the day's hours, as First In / Last Out
// measures them; false when the holder came after the day's end (an error day).
bool Measure(const WorkGroup& h, bool saturday, const Pair& pair, TimesheetDay& day) {
    const bool sat = saturday && h.sat_enable_1;
    const DateTime start = sat ? h.sat_from_1 : h.wd_from_1;
    const DateTime end = sat ? (h.sat_enable_2 ? h.sat_to_2 : h.sat_to_1) : h.wd_to_2;
    if (Later(pair.in, end)) return false;
    if (Later(pair.in, start)) day.late = SecondsOfDay(pair.in) - SecondsOfDay(start);
    if (Earlier(pair.out, end))
        day.early = SecondsOfDay(end) - SecondsOfDay(pair.out);
    else
        day.overtime =
            OvertimeRule(SecondsOfDay(pair.out) - SecondsOfDay(end), h.ot_min, h.ot_multi, 0);
    return true;
}

}  // namespace

HandChanges LoadHandChanges(const detail::ReportContext& ctx) {
    HandChanges out;
    for (const auto& [card, day] :
         ctx.source.HandChangedDays(ctx.period.from.date(), ctx.period.to.date()))
        out.emplace(card, DateTime::fromDate(day).dayNumber());
    return out;
}

Timesheet ComputeTimesheet(const detail::ReportContext& ctx, const SelectedHolder& h,
                           const HandChanges& byHand) {
    Timesheet sheet{h, {}, {}};
    const WorkGroup group = ctx.GroupOf(h);
    const HolderDays daysOff = ctx.DaysOff(h);
    const auto rows = ctx.HolderRecords(h.holder.cardno);
    const bool byMode = ctx.params.records == RecordsOfInterest::InOut;
    RecordCursor cursor(rows);
    TimesheetTotals& t = sheet.totals;
    const int last = ctx.period.to.dayNumber();
    for (int n = ctx.period.from.dayNumber(); n <= last; ++n) {
        TimesheetDay day;
        const DateTime date = DateTime(double(n));
        day.date = date.date();
        const bool saturday = day.date.dayOfWeek() == 6;
        const bool works = GroupWorksOn(group, day.date.dayOfWeek());
        const DayOff* off = daysOff.At(n);
        if (works) {
            const double hours = double(DayHours(group, saturday));
            const double share = off ? std::min(1.0, off->paidShare) : 0.0;
            const double fixed = off ? off->paidHours * 3600 : 0.0;
            day.expected = std::max<qint64>(0, std::llround(hours * (1 - share) - fixed));
        }
        while (!cursor.AtEnd() && cursor.Current().systime.dayNumber() < n) cursor.Next();
        if (cursor.OnDate(date)) {
            const Pair pair = DaySpan(cursor, cursor.Current().systime, byMode);
            day.in = pair.in;
            day.inMode = pair.inMode;
            day.out = pair.out;
            day.outMode = pair.outMode;
            if (pair.Complete() && pair.out > pair.in) {
                day.worked = SecondsBetween(pair.in, pair.out);
                day.status = "OK";
                if (works && !(off && off->WholeDay())) {
                    WorkGroup hours = group;
                    if (off) MoveForHalfDay(hours, *off, saturday);
                    if (!Measure(hours, saturday, pair, day)) day.status = "Error";
                }
            } else {
                day.status = "Incorrect";
            }
        } else {
            day.status = off ? off->text : works ? QString("No record") : QString();
        }
        if (off) day.dayOff = off->text;
        day.byHand = byHand.count({h.holder.cardno, n}) > 0;
        if (day.worked > 0) ++t.daysWorked;
        t.worked += day.worked;
        t.expected += day.expected;
        t.late += day.late;
        t.early += day.early;
        t.overtime += day.overtime;
        sheet.days.push_back(day);
    }
    t.absent = daysOff.Summary();
    return sheet;
}

namespace detail {

namespace {

QString Both(qint64 seconds) {
    return HoursMinutes(seconds) + " = " + DecimalHours(seconds) + " h";
}

// A day's duration; under a minute it would read 0:00, so it stays blank (the totals keep it).
QString Cell(qint64 seconds, int width) {
    return (seconds >= 60 ? HoursMinutes(seconds) : QString()).rightJustified(width);
}

}  // namespace

void BuildTimesheets(const ReportContext& ctx, const std::vector<SelectedHolder>& holders,
                     BandWriter& out) {
    const HandChanges byHand = LoadHandChanges(ctx);
    const PeriodState closed = ctx.source.ClosedPeriod();
    const QString state = closed.Closes(ctx.period.to.date()) ? closed.Text() : QString("open");
    for (const SelectedHolder& h : holders) {
        ctx.Step();
        const Timesheet sheet = ComputeTimesheet(ctx, h, byHand);
        out.Heading(" [" + QString::number(h.holder.cardno) + "] " + h.holder.name + " (" +
                        h.groupName + ")",
                    true);
        out.PlainDetail("   " + QString("Date").leftJustified(10) +
                        QString("In").rightJustified(8) + "  " + QString("Out").rightJustified(8) +
                        QString("Worked").rightJustified(9) + QString("Late").rightJustified(9) +
                        QString("Early").rightJustified(9) +
                        QString("Overtime").rightJustified(10) + "  Day off");
        bool anyByHand = false;
        for (const TimesheetDay& d : sheet.days) {
            anyByHand = anyByHand || d.byHand;
            auto time = [](DateTime t) {
                return (t.value != 0 ? FormatDateTime("HH:mm", t) : QString()).rightJustified(8);
            };
            QString line = QString(d.byHand ? " * " : "   ") + d.date.toString("ddd dd MMM") +
                           time(d.in) + "  " + time(d.out) + Cell(d.worked, 9) + Cell(d.late, 9) +
                           Cell(d.early, 9) + Cell(d.overtime, 10);
            const QString note = !d.dayOff.isEmpty() ? d.dayOff
                                 : d.status == "OK" || d.status == "No record" || d.status.isEmpty()
                                     ? QString()
                                     : d.status;
            if (!note.isEmpty()) line += "  " + note;
            while (line.endsWith(' ')) line.chop(1);
            out.Detail(line);
        }
        const TimesheetTotals& t = sheet.totals;
        out.Total(QString(" Days worked %1   Worked %2   Expected %3   Balance %4")
                      .arg(t.daysWorked)
                      .arg(Both(t.worked), Both(t.expected),
                           (t.Balance() > 0 ? "+" : "") + Both(t.Balance())));
        out.Total(QString(" Overtime %1   Late %2   Early leave %3")
                      .arg(Both(t.overtime), Both(t.late), Both(t.early)));
        if (!t.absent.isEmpty()) out.Total(" " + t.absent);
        out.Blank();
        if (anyByHand) out.PlainDetail(" * records of the day changed by hand");
        out.PlainDetail(
            " Employee: __________________ Date: ________   "
            "Supervisor: __________________ Date: ________");
        out.PlainDetail(" Period: " + state);
    }
}

}  // namespace detail

}  // namespace horalog
