#pragma once
// The working hours kept by the two late/early scope dialogs. They are never shown and the
// reports take each holder's hours from the group, but the dialogs still load, check and store
// them (a group with hours that end before they start makes the dialog refuse).
#include "common/datetime.h"
#include "people/groups.h"

namespace horalog {

struct OvertimeOptions {
    int minimum = 15;  // "Min. O.T."
    int multiple = 5;  // "O.T. Multiple"
    int noPay = 0;     // "No pay O.T."
};

// TSetLateScope: one weekday span and one Saturday span.
struct LateScopeHours {
    DateTime stdStart = EncodeTime(9, 0, 0), stdEnd = EncodeTime(17, 0, 0);
    bool satEnable = false;
    DateTime satStart = EncodeTime(9, 0, 0), satEnd = EncodeTime(13, 0, 0);
    OvertimeOptions overtime;
};

// TSetnLateScope: two sessions on weekdays and on Saturdays.
struct TwoSessionScopeHours {
    DateTime std1Start = EncodeTime(9, 0, 0), std1End = EncodeTime(13, 0, 0);
    DateTime std2Start = EncodeTime(14, 0, 0), std2End = EncodeTime(17, 30, 0);
    bool sat1Enable = false;
    DateTime sat1Start = EncodeTime(9, 0, 0), sat1End = EncodeTime(13, 0, 0);
    bool sat2Enable = false;
    DateTime sat2Start = EncodeTime(14, 0, 0), sat2End = EncodeTime(15, 30, 0);
    OvertimeOptions overtime;
};

LateScopeHours LoadLateScopeHours();
void StoreLateScopeHours(const LateScopeHours& h);
TwoSessionScopeHours LoadTwoSessionScopeHours();
void StoreTwoSessionScopeHours(const TwoSessionScopeHours& h);

// Choosing a group loads its hours ("No pay O.T." stays).
LateScopeHours LateScopeHoursOf(const WorkGroup& g, const LateScopeHours& current);
TwoSessionScopeHours TwoSessionScopeHoursOf(const WorkGroup& g,
                                            const TwoSessionScopeHours& current);

// The field a refused "Confirm" moves the focus to; None when the input is accepted.
enum class ScopeField {
    None,
    From,
    StdStart,
    SatStart,
    Std1Start,
    Std2Start,
    Sat1Start,
    Sat1Enable,
    Sat2Start
};

// From and to compare by date. The overnight dialog skips every check.
ScopeField CheckLateScope(DateTime from, DateTime to, const LateScopeHours& h, bool overnight);
ScopeField CheckTwoSessionScope(DateTime from, DateTime to, const TwoSessionScopeHours& h);

}  // namespace horalog
