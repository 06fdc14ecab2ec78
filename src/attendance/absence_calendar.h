#pragma once
// The days a holder was not expected at work: the site's holidays and the holder's absences,
// as the attendance results print and count them.
//
// A day off counts only on a day the holder's group works (Monday to Friday, and Saturday
// when its first Saturday session is on): a week of vacation is five days, and a holiday on
// a Sunday is nobody's day off. A holiday wins over an absence on the same day.

#include <QDate>
#include <QString>
#include <map>
#include <unordered_map>
#include <vector>

#include "people/absences.h"
#include "people/groups.h"
#include "people/time_profiles.h"

namespace horalog {

// What the store holds for a period: the types, the holidays and every holder's absences.
struct AbsenceBook {
    std::vector<AbsenceType> types;  // by code
    std::vector<Holiday> holidays;
    std::vector<Absence> absences;
};

// Whether the group works on a weekday (1 Monday .. 7 Sunday).
bool GroupWorksOn(const WorkGroup& group, int weekday);
// Whether the group has any working hours: on a working day a session that ends after it
// starts, or a Saturday session. Groups made by an import have none until they are set.
bool GroupHasHours(const WorkGroup& group);

// One day off of a holder.
struct DayOff {
    QString text;             // "Vacation", "Sick (first half)", "Holiday: Christmas Day"
    bool firstHalf = false;   // the morning is off
    bool secondHalf = false;  // the afternoon is off
    // Paid time off: the share of the group's hours of the day (a holiday or a paid full day
    // 1, a paid half day 0.5), and hours of types that pay a fixed number.
    double paidShare = 0;
    double paidHours = 0;
    bool WholeDay() const { return firstHalf && secondHalf; }
};

// A holder's days off within a period, by day number (DateTime::dayNumber).
class HolderDays {
public:
    const DayOff* At(int day) const;
    // The first day off on or after day; -1 when there is none.
    int NextFrom(int day) const;
    bool Empty() const { return days_.empty(); }
    // "Absent: Vacation 3, Sick 0.5, Holiday 1": days per type (half days as 0.5), types in
    // code order, holidays last. Empty when the period holds no day off.
    QString Summary() const;

private:
    friend class AbsenceCalendar;
    std::map<int, DayOff> days_;
    std::vector<std::pair<QString, double>> counts_;
};

class AbsenceCalendar {
public:
    AbsenceCalendar() = default;
    explicit AbsenceCalendar(AbsenceBook book);
    // The index points into the book: moved together, never copied.
    AbsenceCalendar(AbsenceCalendar&&) = default;
    AbsenceCalendar& operator=(AbsenceCalendar&&) = default;
    AbsenceCalendar(const AbsenceCalendar&) = delete;
    AbsenceCalendar& operator=(const AbsenceCalendar&) = delete;

    // The days off of a holder of that group within firstDay..lastDay.
    HolderDays For(int card, const WorkGroup& group, int firstDay, int lastDay) const;

private:
    AbsenceBook book_;
    std::unordered_map<int, std::vector<const Absence*>> byCard_;
    std::map<int, QString> holidays_;  // by day number
};

// The day's hours of a holder with half a day off. Half the day's working time (its sessions'
// lengths added) is taken off the start (morning off) or the end (afternoon off), walking over
// the break between sessions: 08:00-12:00 and 13:00-17:00 with the afternoon off end at 12:00.
// A session wholly off is flagged; it keeps its times but is not expected.
struct HalfDayHours {
    bool firstSessionOff = false;
    bool secondSessionOff = false;
};
HalfDayHours MoveForHalfDay(WorkGroup& hours, const DayOff& off, bool saturday);

}  // namespace horalog
