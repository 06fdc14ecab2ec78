// Time Logs, Total Hours, Daily Individual and Who's IN / OUT.

#include <unordered_map>

#include "common/format.h"
#include "attendance/pair_finders.h"
#include "attendance/report_context.h"

namespace horalog::detail {

namespace {

QString ShortTag(int mode) {
    switch (mode) {
        case 0:
            return "[C]";
        case 1:
            return "[I]";
        case 2:
            return "[O]";
        default:
            return {};
    }
}

QString Card(const SelectedHolder& h) {
    return QString::number(h.holder.cardno);
}

// Time Logs: a row's records, a fixed number per line.
void TimeLogLine(const ReportContext& ctx, RecordCursor& rows, DayTrack& track, BandWriter& out) {
    QString text = "  ";
    const DayStep step = StartLine(ctx, track, rows.Current().systime, text);
    if (step == DayStep::GapLine) {
        out.Detail(text);
        return;
    }
    const QString off = step == DayStep::NewDay ? DayOffSuffix(track) : QString();
    const int perLine = ctx.params.recordsPerLine > 0 ? ctx.params.recordsPerLine : 8;
    int placed = 0;
    while (!rows.AtEnd() && placed < perLine &&
           rows.Current().systime.dayNumber() == track.lastDate) {
        text += ctx.Time(rows.Current().systime) + ShortTag(rows.Current().mode);
        rows.Next();
        if (++placed % 2 == 0) text += ' ';
    }
    out.Detail(text + off);
}

// Total Hours: the span of the day and its duration.
void TotalHoursLine(const ReportContext& ctx, RecordCursor& rows, DayTrack& track,
                    qint64& totalTime, BandWriter& out) {
    QString text = "  ";
    const DateTime cur = rows.Current().systime;
    if (StartLine(ctx, track, cur, text) == DayStep::GapLine) {
        out.Detail(text);
        return;
    }
    const Pair pair = DaySpan(rows, cur, ctx.params.records == RecordsOfInterest::InOut);
    if (!pair.HasIn() && !pair.HasOut()) {
        out.Detail(text + " No record matched" + DayOffSuffix(track));
        return;
    }
    text += ctx.PairPart(pair.in, pair.inMode, " No IN");
    if (!pair.HasOut())
        text += ctx.PairPart(pair.out, pair.outMode, " No OUT");
    else if (pair.out > pair.in)
        text += ctx.Time(pair.out) + ModeTag(pair.outMode);
    if (pair.Complete()) {
        if (pair.out > pair.in) {
            const qint64 d = SecondsBetween(pair.in, pair.out);
            text += " " + FormatDurationParen(d);
            totalTime += d;
        } else if (pair.out < pair.in) {
            text += " Incorrect";
        }
    }
    out.Detail(text + DayOffSuffix(track));
}

}  // namespace

void BuildLogReport(bool totalHours, const ReportContext& ctx,
                    const std::vector<SelectedHolder>& holders, BandWriter& out) {
    for (const auto& h : holders) {
        ctx.Step();
        const auto rows = ctx.HolderRecords(h.holder.cardno);
        QString heading = " [" + Card(h) + "] " + h.holder.name;
        if (!totalHours) heading += " (" + QString::number(rows.size()) + " record(s))";
        out.Heading(heading, ctx.params.newPage);
        DayTrack track = StartTrack(ctx, h);
        qint64 totalTime = 0;
        RecordCursor cursor(rows);
        while (!cursor.AtEnd()) {
            if (totalHours)
                TotalHoursLine(ctx, cursor, track, totalTime, out);
            else
                TimeLogLine(ctx, cursor, track, out);
        }
        QString trailing;
        while (TrailingLine(ctx, track, trailing)) out.Detail(trailing);
        QString total = " No of day(s) = " + QString::number(track.clockedDays) + " ";
        if (totalHours) total += "  Total Time=" + FormatTotal(totalTime);
        out.Total(total);
        if (const QString off = DaysOffTotal(track); !off.isEmpty()) out.Total(off);
        out.Blank();
    }
}

void BuildDailyIndividual(const ReportContext& ctx, const std::vector<SelectedHolder>& holders,
                          BandWriter& out) {
    const DateRange day = DateRangeClause(ctx.params.dayOfInterest, ctx.params.dayOfInterest);
    const int perLine = ctx.params.recordsPerLine > 0 ? ctx.params.recordsPerLine : 6;
    static const char* const kLabels[] = {"  CLOCK  -", "  IN     -", "  OUT    -"};
    for (size_t i = 0; i < holders.size(); ++i) {
        const auto& h = holders[i];
        ctx.Step();
        const auto rows = ctx.source.CardRecords(h.holder.cardno, RecordsOfInterest::All, day);
        out.Heading(" [" + Card(h) + "] " + h.holder.name + " (" + QString::number(rows.size()) +
                        " record(s))",
                    ctx.params.newPage);
        for (int mode = 0; mode <= 2; ++mode) {
            // Rows of other modes are never printed, wherever they sort.
            std::vector<DateTime> times;
            for (const auto& r : rows)
                if (r.mode == mode) times.push_back(WholeSeconds(r.systime));
            size_t next = 0;
            do {
                QString text = next == 0 ? kLabels[mode] : "         -";
                for (int k = 0; k < perLine && next < times.size(); ++k)
                    text += " " + ctx.Time(times[next++]);
                out.PlainDetail(text);
            } while (next < times.size());
        }
        if (const QString off = ctx.DayOffOfInterest(h); !off.isEmpty())
            out.PlainDetail("  " + off);
        if (i + 1 < holders.size()) out.Blank();
    }
}

void BuildWhosInOut(const ReportContext& ctx, const std::vector<SelectedHolder>& holders,
                    BandWriter& out) {
    // Per card: its last record of the day and the latest one before it of another mode,
    // gathered in one pass over the day's records.
    struct Latest {
        LogRecord last;
        bool hasOther = false;
        LogRecord other;
    };
    std::unordered_map<int, Latest> latest;
    const DateRange day = DateRangeClause(ctx.params.dayOfInterest, ctx.params.dayOfInterest);
    ctx.source.ForEachRecord(day, [&](const LogRecord& r) {
        auto [it, fresh] = latest.try_emplace(r.cardno);
        if (!fresh && it->second.last.mode != r.mode) {
            it->second.other = it->second.last;
            it->second.hasOther = true;
        }
        it->second.last = r;
        return true;
    });
    static const char* const kCategories[] = {"Who's CLOCK", "Who's IN", "Who's OUT", "No record"};
    for (int c = 0; c <= 3; ++c) {
        out.Heading(QString(" ") + kCategories[c], ctx.params.newPage);
        int count = 0;
        for (const auto& h : holders) {
            ctx.Step();
            auto it = latest.find(h.holder.cardno);
            QString text = "  " + h.holder.name;
            if (c == 3) {
                if (it != latest.end()) continue;
                // Not here, and not expected: the roll call should say so.
                if (const QString off = ctx.DayOffOfInterest(h); !off.isEmpty())
                    text = text.leftJustified(22, ' ') + ' ' + off;
            } else {
                if (it == latest.end() || it->second.last.mode != c) continue;
                const DateTime last = WholeSeconds(it->second.last.systime);
                text = text.leftJustified(22, ' ') + ctx.Time(last);
                if (it->second.hasOther) {
                    const DateTime other = WholeSeconds(it->second.other.systime);
                    text += " -" + ctx.Time(other) + " " + ModeTag(it->second.other.mode) +
                            FormatDurationParen(SecondsOfDay(last) - SecondsOfDay(other));
                }
            }
            out.Detail(text);
            ++count;
        }
        out.Total(count == 0   ? QString(" No person")
                  : count == 1 ? QString(" 1 person")
                               : " " + QString::number(count) + " persons");
        if (c < 3) out.Blank();
    }
}

}  // namespace horalog::detail
