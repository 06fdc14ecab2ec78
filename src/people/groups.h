#pragma once
// Work groups and timetables: the group value with every gid column, the checks of the group
// editor and of the period editors (timetable, automatic IN periods), and the overlap test
// they share. Pure logic over plain values; storing and looking up is the caller's.

#include <QString>
#include <functional>
#include <span>
#include <vector>

#include "common/datetime.h"
#include "common/ports.h"
#include "people/input_check.h"

namespace horalog {

inline constexpr int kDefaultGroupId = 1;  // cannot be deleted; StoreGroup's answer on failure
inline constexpr int kGroupNameMaxLength = 20;
inline constexpr int kOtMinMax = 120;   // minutes
inline constexpr int kOtMultiMax = 60;  // minutes

namespace text {
inline constexpr const char* kCannotDeleteDefaultGroup = "Cannot delete default group.";
}  // namespace text

// One row of gid. Times are times of day (date part zero); Saturday sessions are kept whether
// or not they are enabled.
struct WorkGroup {
    int id = 0;  // 0 until stored
    QString descx;
    DateTime wd_from_1, wd_to_1, wd_from_2, wd_to_2;
    bool sat_enable_1 = false;
    DateTime sat_from_1, sat_to_1;
    bool sat_enable_2 = false;
    DateTime sat_from_2, sat_to_2;
    int ot_min = 0;    // 0 to 120
    int ot_multi = 0;  // 0 to 60

    friend bool operator==(const WorkGroup&, const WorkGroup&) = default;
};

// The editor's contents for "New": 09:00-13:00 and 14:00-17:00 on working days and on
// Saturday (both Saturday sessions off), minimum overtime 15, multiple 5.
WorkGroup NewWorkGroup();

// Fields of the group editor, for the focus after a refused Confirm.
enum class GroupField {
    Name,
    WdFrom1,
    WdTo1,
    WdFrom2,
    WdTo2,
    SatEnable1,
    SatFrom1,
    SatTo1,
    SatEnable2,
    SatFrom2,
    SatTo2,
    OtMin,
    OtMulti,
};

// Group names are entered in upper case: the editor's name box forces what is typed.
QString GroupNameInput(const QString& typed);

// Group names compare like holder names (SameHolderName): ASCII letters without regard to case,
// as the NOCASE unique index on gid.DESCX does. Names are upper case anyway; this only
// matters for names that arrived by import.
bool SameGroupName(const QString& a, const QString& b);

// "Confirm" of "Work Group Information", in the order the operator meets the refusals:
//  1. the name, trimmed and upper-cased, must not be empty (nor longer than 20 characters);
//  2. when groupExists(name), asks "Are you sure to overwrite this record?"; Cancel focuses
//     the name without a message;
//  3.-5. working days: session 1 and session 2 each end later than they start, session 2
//     does not start before session 1 starts (the sessions may overlap);
//  6.-7. Saturday: a ticked session ends later than it starts; a ticked session 2 needs
//     session 1 ticked and starts later than session 1 ends;
//  then overtime within 0-120 and 0-60 (the spin boxes already hold them there).
// Every refusal but the Cancel carries "Invalid input.". On acceptance the group holds the
// normalised name and its eight times as times of day, ready for StoreGroup.
InputCheck<GroupField> ConfirmGroupInput(WorkGroup& group,
                                         const std::function<bool(const QString&)>& groupExists,
                                         Messages& messages);

// Why "Delete" of the group list refuses ("No data record.", "Cannot delete default
// group."), or an empty text when it may go on to ask for confirmation.
QString GroupDeleteRefusal(int groupCount, int groupId);
// The question before a group is deleted: "Are you sure to delete this record?", after a
// sentence naming how many holders move to the default group when it has any.
QString GroupDeleteQuestion(qint64 members, const QString& defaultGroupName);

// The group choice list: the index of the item to select among the groups' IDs listed in
// name order; the first item for group 0, none (-1) for a group that does not exist.
int GroupChoiceIndex(std::span<const int> idsInNameOrder, int groupId);

// An IN/OUT period of a day: from `from` up to, not including, `to`, by time of day.
struct TimePeriod {
    DateTime from;
    DateTime to;
    friend bool operator==(const TimePeriod&, const TimePeriod&) = default;
};

// True when either period has its start or its end inside the other one ("inside" meaning
// start <= t < end by time of day, 1 ms tolerance). Periods that merely touch overlap too:
// 13:00-14:00 and 08:00-09:00 both overlap 09:00-13:00.
bool PeriodsOverlap(const TimePeriod& added, const TimePeriod& existing);

enum class PeriodField { From, To };

// "Add" of the timetable editor and of the automatic IN periods: the end must be later than
// the start ("Wrong time entry.", so no period crosses midnight) and the period must not
// overlap any existing one ("Time overlapped."); the focus goes to the start in both cases.
InputCheck<PeriodField> CheckNewPeriod(const TimePeriod& added,
                                       std::span<const TimePeriod> existing);

}  // namespace horalog
