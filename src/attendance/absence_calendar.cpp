#include "attendance/absence_calendar.h"

#include <algorithm>

namespace horalog {

namespace {

constexpr const char* kHoliday = "Holiday";

qint64 Seconds(DateTime t) {
    return (t.msecsOfDay() + 500) / 1000;
}

DateTime Moved(DateTime t, qint64 seconds) {
    return DateTime(t.value + double(seconds) / 86400.0);
}

qint64 Length(DateTime from, DateTime to) {
    return std::max<qint64>(0, Seconds(to) - Seconds(from));
}

QString HalfText(const QString& name, HalfDay half) {
    return name + (half == HalfDay::First ? " (first half)" : " (second half)");
}

}  // namespace

bool GroupWorksOn(const WorkGroup& group, int weekday) {
    if (weekday == 7) return false;
    if (weekday == 6) return group.sat_enable_1;
    return true;
}

bool GroupHasHours(const WorkGroup& g) {
    return Length(g.wd_from_1, g.wd_to_1) > 0 || Length(g.wd_from_2, g.wd_to_2) > 0 ||
           g.sat_enable_1;
}

const DayOff* HolderDays::At(int day) const {
    auto it = days_.find(day);
    return it == days_.end() ? nullptr : &it->second;
}

int HolderDays::NextFrom(int day) const {
    auto it = days_.lower_bound(day);
    return it == days_.end() ? -1 : it->first;
}

QString HolderDays::Summary() const {
    QStringList parts;
    for (const auto& [name, days] : counts_)
        if (days > 0) parts << name + " " + QString::number(days);
    return parts.isEmpty() ? QString() : "Absent: " + parts.join(", ");
}

AbsenceCalendar::AbsenceCalendar(AbsenceBook book) : book_(std::move(book)) {
    for (const Absence& a : book_.absences) byCard_[a.cardno].push_back(&a);
    for (const Holiday& h : book_.holidays)
        holidays_[DateTime::fromDate(h.date).dayNumber()] = h.name;
}

HolderDays AbsenceCalendar::For(int card, const WorkGroup& group, int firstDay, int lastDay) const {
    HolderDays out;
    std::map<QString, double> count;  // by type code; holidays under "~" to come last
    auto works = [&](int day) {
        return GroupWorksOn(group, DateTime(double(day)).date().dayOfWeek());
    };
    for (auto it = holidays_.lower_bound(firstDay); it != holidays_.end() && it->first <= lastDay;
         ++it) {
        if (!works(it->first)) continue;
        DayOff& off = out.days_[it->first];
        off.text = it->second.isEmpty() ? QString(kHoliday) : kHoliday + QString(": ") + it->second;
        off.firstHalf = off.secondHalf = true;
        off.paidShare = 1;
        count["~"] += 1;
    }
    if (auto found = byCard_.find(card); found != byCard_.end()) {
        for (const Absence* a : found->second) {
            const auto type = std::find_if(book_.types.begin(), book_.types.end(),
                                           [&](const AbsenceType& t) { return t.code == a->type; });
            const QString name = type != book_.types.end() ? type->name : a->type;
            const bool paid = type != book_.types.end() && type->paid;
            const bool fixed = paid && type->hours >= 0;
            const int from = std::max(firstDay, DateTime::fromDate(a->from).dayNumber());
            const int to = std::min(lastDay, DateTime::fromDate(a->to).dayNumber());
            for (int day = from; day <= to; ++day) {
                if (!works(day) || holidays_.count(day)) continue;
                DayOff& off = out.days_[day];
                const double share = a->half == HalfDay::Full ? 1 : 0.5;
                if (fixed)
                    off.paidHours += type->hours * share;
                else if (paid)
                    off.paidShare += share;
                if (a->half == HalfDay::Full) {
                    off.text = name;
                    off.firstHalf = off.secondHalf = true;
                    count[a->type] += 1;
                    continue;
                }
                // The two halves of one day may be of two types: morning first.
                const QString part = HalfText(name, a->half);
                if (a->half == HalfDay::First) {
                    off.text = off.text.isEmpty() ? part : part + ", " + off.text;
                    off.firstHalf = true;
                } else {
                    off.text = off.text.isEmpty() ? part : off.text + ", " + part;
                    off.secondHalf = true;
                }
                count[a->type] += 0.5;
            }
        }
    }
    for (const AbsenceType& t : book_.types)
        if (auto it = count.find(t.code); it != count.end())
            out.counts_.emplace_back(t.name, it->second);
    for (const auto& entry : count) {
        const QString& code = entry.first;
        if (code == "~") continue;
        const bool known = std::any_of(book_.types.begin(), book_.types.end(),
                                       [&](const AbsenceType& t) { return t.code == code; });
        if (!known) out.counts_.emplace_back(code, entry.second);  // a type deleted since
    }
    if (auto it = count.find("~"); it != count.end())
        out.counts_.emplace_back(kHoliday, it->second);
    return out;
}

HalfDayHours MoveForHalfDay(WorkGroup& h, const DayOff& off, bool saturday) {
    HalfDayHours result;
    if (off.WholeDay() || (!off.firstHalf && !off.secondHalf)) return result;
    DateTime& from1 = saturday ? h.sat_from_1 : h.wd_from_1;
    DateTime& to1 = saturday ? h.sat_to_1 : h.wd_to_1;
    DateTime& from2 = saturday ? h.sat_from_2 : h.wd_from_2;
    DateTime& to2 = saturday ? h.sat_to_2 : h.wd_to_2;
    const bool two = !saturday || h.sat_enable_2;
    const qint64 len1 = Length(from1, to1);
    const qint64 len2 = two ? Length(from2, to2) : 0;
    const qint64 half = (len1 + len2) / 2;
    if (off.firstHalf) {
        if (!two || half < len1) {
            from1 = Moved(from1, half);
        } else {
            result.firstSessionOff = true;
            from2 = Moved(from2, half - len1);
            from1 = from2;
        }
    } else {
        if (!two) {
            to1 = Moved(to1, -half);
        } else if (half < len2) {
            to2 = Moved(to2, -half);
        } else {
            result.secondSessionOff = true;
            to1 = Moved(to1, -(half - len2));
            to2 = to1;
        }
    }
    return result;
}

}  // namespace horalog
