// First in / last out (kind 2), two sessions (kind 3) and Total Hours Detail (kinds 0 and 1).

#include "common/format.h"
#include "attendance/pair_finders.h"
#include "attendance/report_context.h"

namespace horalog::detail {

namespace {

bool IsSaturday(DateTime t) {
    return t.date().dayOfWeek() == 6;
}

DateTime Shifted(DateTime timeOfDay, double shift) {
    double v = timeOfDay.timePart().value - shift;
    if (v < 0) v += 1.0;
    return DateTime(v);
}

// The group's hours in the report's frame.
WorkGroup ShiftedHours(WorkGroup w, double shift) {
    if (shift != 0) {
        // Overnight: the group's hours are kept as the clock reads them (a night shift is
        // entered as 22:00 to 06:00), so they move back by the shift like every time stamp
        // and late, early and overtime compare within one frame.
        for (DateTime* t : {&w.wd_from_1, &w.wd_to_1, &w.wd_from_2, &w.wd_to_2, &w.sat_from_1,
                            &w.sat_to_1, &w.sat_from_2, &w.sat_to_2})
            *t = Shifted(*t, shift);
    }
    return w;
}

class FiloReport {
public:
    FiloReport(int kind, const ReportContext& ctx, BandWriter& out)
        : kind_(kind), ctx_(ctx), out_(out) {}

    void Run(const std::vector<SelectedHolder>& holders) {
        QStringList told;  // groups already said to have no hours
        for (size_t i = 0; i < holders.size(); ++i) {
            const auto& h = holders[i];
            ctx_.Step();
            const WorkGroup group = ctx_.GroupOf(h);
            groupHours_ = ShiftedHours(group, ctx_.shift);
            const auto rows = ctx_.HolderRecords(h.holder.cardno);
            track_ = StartTrack(ctx_, h);
            QString heading = " [" + QString::number(h.holder.cardno) + "] " + h.holder.name +
                              " (" + h.groupName + ") ";
            if (kind_ == 0) heading += " (" + QString::number(rows.size()) + " record(s))";
            out_.Heading(heading, ctx_.params.newPage);
            if (kind_ >= 2 && !GroupHasHours(group) && !told.contains(group.descx)) {
                // Else every day of the group reads as an error, with nothing to say why.
                told << group.descx;
                out_.PlainDetail(QString(" Group %1 has no working hours: set them under "
                                         "Setup > Group Definition.")
                                     .arg(group.descx));
            }
            RecordCursor cursor(rows);
            while (!cursor.AtEnd()) DetailLine(cursor);
            QString trailing;
            while (TrailingLine(ctx_, track_, trailing)) out_.Detail(trailing);
            TotalLine();
            if (i + 1 < holders.size()) out_.Blank();
        }
    }

private:
    void DetailLine(RecordCursor& rows) {
        QString text = "  ";
        const DateTime cur = rows.Current().systime;
        switch (StartLine(ctx_, track_, cur, text)) {
            case DayStep::GapLine:
                out_.Detail(text);
                return;
            case DayStep::NewDay:
                pairIndex_ = 0;
                StartDay();
                break;
            case DayStep::SameDay:
                ++pairIndex_;
                break;
        }
        if (kind_ == 0) {
            ByPositionLine(rows, cur, text);
        } else {
            const bool byMode = kind_ == 1 || ctx_.params.records == RecordsOfInterest::InOut;
            const Pair pair = kind_ == 2 ? DaySpan(rows, cur, byMode) : NextPair(rows, cur, byMode);
            PairLine(rows, pair, text);
        }
        text += dayOff_;
        dayOff_.clear();
        out_.Detail(text);
    }

    // The day's hours and what is off of it.
    void StartDay() {
        hours_ = groupHours_;
        halfDay_ = {};
        wholeDayOff_ = false;
        dayOff_ = DayOffSuffix(track_);
        if (const DayOff* off = track_.Off()) {
            wholeDayOff_ = off->WholeDay();
            const bool sat = DateTime(double(track_.lastDate)).date().dayOfWeek() == 6;
            halfDay_ = MoveForHalfDay(hours_, *off, sat);
        }
    }

    // Kind 0: the next two records of the day, whatever their modes.
    void ByPositionLine(RecordCursor& rows, DateTime cur, QString& text) {
        const Pair pair = NextPair(rows, cur, false);
        text += ctx_.Time(pair.in) + " " + ModeTag(pair.inMode);
        if (pair.HasOut()) {
            const qint64 d = SecondsBetween(pair.in, pair.out);
            text +=
                ctx_.Time(pair.out) + " " + ModeTag(pair.outMode) + "  (" + FormatDuration(d) + ")";
            totalTime_ += d;
        }
    }

    void PairLine(RecordCursor& rows, const Pair& pair, QString& text) {
        if (!pair.HasIn() && !pair.HasOut()) {
            text += " No record matched";
            return;
        }
        text += ctx_.PairPart(pair.in, pair.inMode, " No IN");
        text += ctx_.PairPart(pair.out, pair.outMode, " No OUT");
        const bool sat = pair.HasIn() && IsSaturday(pair.in);
        bool ok = true;
        bool missing = false;
        if (kind_ >= 2 && !wholeDayOff_) Validate(pair, sat, ok, missing);
        if (!pair.HasIn() || !pair.HasOut() || pair.out < pair.in) {
            text += " Incorrect";
            return;
        }
        if (kind_ == 1) {
            const qint64 d = SecondsOfDay(pair.out) - SecondsOfDay(pair.in);
            text += " " + FormatDurationParen(d);
            totalTime_ += SecondsBetween(pair.in, pair.out);
            return;
        }
        const auto& h = hours_;
        const int idx = pairIndex_;
        if (wholeDayOff_) {
            // Nobody expected the holder: the reads stand as they are, and the day is good.
            if (idx == 0) {
                ++okDays_;
                ++completeDays_;
            }
            return;
        }
        if (ok) {
            if (!sat && idx < 2) ++okDays_;
            if (sat && ((kind_ == 2 && idx == 0) || (kind_ == 3 && idx == 0 && h.sat_enable_1) ||
                        (kind_ == 3 && idx == 1 && h.sat_enable_2)))
                ++okDays_;
        }
        qint64 late = 0, early = 0, rawOt = 0;
        auto session = [&](DateTime start, DateTime end, bool overtime) {
            if (Later(pair.in, start)) {
                late = SecondsOfDay(pair.in) - SecondsOfDay(start);
                ++lateCount_;
            }
            if (Earlier(pair.out, end)) {
                early = SecondsOfDay(end) - SecondsOfDay(pair.out);
                ++earlyCount_;
            } else if (overtime) {
                rawOt = SecondsOfDay(pair.out) - SecondsOfDay(end);
            }
        };
        if (ok) {
            if (kind_ == 2) {
                if (sat && h.sat_enable_1)
                    session(h.sat_from_1,
                            h.sat_enable_1 && h.sat_enable_2 ? h.sat_to_2 : h.sat_to_1, true);
                else
                    session(h.wd_from_1, h.wd_to_2, true);
            } else if (sat && h.sat_enable_1) {
                if (idx == 0)
                    session(h.sat_from_1, h.sat_to_1, true);
                else if (idx == 1 && h.sat_enable_2)
                    session(h.sat_from_2, h.sat_to_2, true);
            } else {
                if (idx == 0)
                    session(h.wd_from_1, h.wd_to_1, false);
                else if (idx == 1)
                    session(h.wd_from_2, h.wd_to_2, true);
            }
        }
        const bool dayEnded = rows.DayEnded(pair.out);
        if (kind_ == 3 && dayEnded && idx == 0 && (!sat || h.sat_enable_2) &&
            !halfDay_.secondSessionOff)
            missing = true;
        if (idx < 2) {
            totalLate_ += late;
            totalEarly_ += early;
        }
        auto tags = [&](bool overtimeApplies) {
            QString t;
            if (late > 0) t += "L" + FormatDurationParen(late);
            if (early > 0) t += QString(t.isEmpty() ? "" : ",") + "E" + FormatDurationParen(early);
            if (overtimeApplies) {
                const qint64 ot = OvertimeRule(rawOt, h.ot_min, h.ot_multi, 0);
                if (ot > 0) {
                    ++overtimeCount_;
                    totalOvertime_ += ot;
                    t += QString(t.isEmpty() ? "" : ",") + "OT" + FormatDurationParen(ot);
                }
            }
            if (!t.isEmpty()) text += " [" + t + "]";
            if (missing) text += " Missing";
        };
        if (!sat) {
            if (idx >= 2)
                text += " Excessive";
            else
                tags(kind_ == 2 || (kind_ == 3 && idx == 1));
        } else if (idx == 0 || (idx == 1 && h.sat_enable_2)) {
            tags(kind_ == 2 || (kind_ == 3 && idx == 1 && h.sat_enable_2) ||
                 (kind_ == 3 && idx == 0 && !h.sat_enable_2));
        } else {
            text += " Excessive";
        }
        if (kind_ == 3 && ok && !missing && dayEnded) {
            const bool lastSat = DateTime(double(track_.lastDate)).date().dayOfWeek() == 6;
            if ((lastSat && h.sat_enable_1 && !h.sat_enable_2) || halfDay_.secondSessionOff) {
                if (idx == 0) ++completeDays_;
            } else if (idx == 1) {
                ++completeDays_;
            }
        }
        if (!ok) text += " Error";
    }

    // The validity of the in time against the day's hours (an absent in counts as 00:00).
    void Validate(const Pair& pair, bool sat, bool& ok, bool& missing) {
        const auto& h = hours_;
        const DateTime in = pair.HasIn() ? pair.in : DateTime(0);
        if (kind_ == 2) {
            if (pairIndex_ == 0) {
                if (sat && h.sat_enable_1) {
                    if (Later(in, h.sat_enable_1 && h.sat_enable_2 ? h.sat_to_2 : h.sat_to_1))
                        ok = false;
                } else if (Later(in, h.wd_to_2)) {
                    ok = false;
                }
            }
            return;
        }
        if (pairIndex_ == 0) {
            if (sat && (h.sat_enable_1 || h.sat_enable_2)) {
                if (Later(in, h.sat_to_1) && h.sat_enable_2) {
                    if (Later(in, h.sat_to_2)) {
                        ok = false;
                    } else {
                        pairIndex_ = 1;
                        missing = !halfDay_.firstSessionOff;
                    }
                }
            } else if (Later(in, h.wd_to_1)) {
                if (Later(in, h.wd_to_2)) {
                    ok = false;
                } else {
                    pairIndex_ = 1;  // the first pair is the second session
                    missing = !halfDay_.firstSessionOff;
                }
            }
        } else if (pairIndex_ == 1) {
            if (!Later(in, h.wd_to_1) || Later(in, h.wd_to_2)) ok = false;
        }
    }

    void TotalLine() {
        QString t;
        const QString clocked = QString::number(track_.clockedDays);
        auto n = [](qint64 v) { return QString::number(v); };
        if (kind_ == 2) {
            t = " Clocked day=" + clocked + ", Error day=" + n(track_.clockedDays - okDays_) +
                ", Late day=" + n(lateCount_) + "(" + FormatTotal(totalLate_) + ")" +
                ", Early Leave day=" + n(earlyCount_) + "(" + FormatTotal(totalEarly_) + ")" +
                ", Overtime day=" + n(overtimeCount_) + "(" + FormatTotal(totalOvertime_) + ") ";
        } else if (kind_ == 3) {
            t = " Clocked day=" + clocked + ", Error Day=" + n(track_.clockedDays - completeDays_) +
                ", Late=" + n(lateCount_) + "(" + FormatTotal(totalLate_) + ")" +
                ", Early Leave=" + n(earlyCount_) + "(" + FormatTotal(totalEarly_) + ")" +
                ", Overtime day=" + n(overtimeCount_) + "(" + FormatTotal(totalOvertime_) + ") ";
        } else {
            t = " No of day(s) = " + clocked + " " + "  " + "Total Time=" + FormatTotal(totalTime_);
        }
        out_.Total(t);
        if (const QString off = DaysOffTotal(track_); !off.isEmpty()) out_.Total(off);
        okDays_ = completeDays_ = lateCount_ = earlyCount_ = overtimeCount_ = 0;
        totalLate_ = totalEarly_ = totalOvertime_ = totalTime_ = 0;
        pairIndex_ = 0;
    }

    const int kind_;
    const ReportContext& ctx_;
    BandWriter& out_;
    WorkGroup groupHours_;  // in the report's frame
    WorkGroup hours_;       // of the day: moved for half a day off
    HalfDayHours halfDay_;
    bool wholeDayOff_ = false;
    QString dayOff_;  // ends the day's first line
    DayTrack track_;
    int pairIndex_ = 0;
    int okDays_ = 0, completeDays_ = 0;
    int lateCount_ = 0, earlyCount_ = 0, overtimeCount_ = 0;
    qint64 totalLate_ = 0, totalEarly_ = 0, totalOvertime_ = 0, totalTime_ = 0;
};

}  // namespace

void BuildFiloReport(int kind, const ReportContext& ctx, const std::vector<SelectedHolder>& holders,
                     BandWriter& out) {
    FiloReport(kind, ctx, out).Run(holders);
}

}  // namespace horalog::detail
