#include "attendance/scope_hours.h"

#include "storage/settings.h"

namespace horalog {

namespace {

void LoadTime(const char* name, DateTime& t) {
    t = ReadSettingTime(name, t);
}

OvertimeOptions LoadOvertime() {
    OvertimeOptions o;
    o.minimum = ReadSettingInt("LastOtMinimum", o.minimum);
    o.multiple = ReadSettingInt("LastOtMultiple", o.multiple);
    o.noPay = ReadSettingInt("LastOtFree", o.noPay);
    return o;
}

void StoreOvertime(const OvertimeOptions& o) {
    WriteSettingInt("LastOtMinimum", o.minimum);
    WriteSettingInt("LastOtMultiple", o.multiple);
    WriteSettingInt("LastOtFree", o.noPay);
}

bool Later(DateTime a, DateTime b) {
    return CompareTimeOfDay(a, b) > 0;
}

}  // namespace

LateScopeHours LoadLateScopeHours() {
    LateScopeHours h;
    LoadTime("LastStdStart", h.stdStart);
    LoadTime("LastStdEnd", h.stdEnd);
    h.satEnable = ReadSettingBool("LastSatEnable", h.satEnable);
    LoadTime("LastSatStart", h.satStart);
    LoadTime("LastSatEnd", h.satEnd);
    h.overtime = LoadOvertime();
    return h;
}

void StoreLateScopeHours(const LateScopeHours& h) {
    WriteSettingTime("LastStdStart", h.stdStart);
    WriteSettingTime("LastStdEnd", h.stdEnd);
    WriteSettingBool("LastSatEnable", h.satEnable);
    WriteSettingTime("LastSatStart", h.satStart);
    WriteSettingTime("LastSatEnd", h.satEnd);
    StoreOvertime(h.overtime);
}

TwoSessionScopeHours LoadTwoSessionScopeHours() {
    TwoSessionScopeHours h;
    LoadTime("LastStdStart1", h.std1Start);
    LoadTime("LastStdEnd1", h.std1End);
    LoadTime("LastStdStart2", h.std2Start);
    LoadTime("LastStdEnd2", h.std2End);
    h.sat1Enable = ReadSettingBool("LastSatEnable1", h.sat1Enable);
    LoadTime("LastSatStart1", h.sat1Start);
    LoadTime("LastSatEnd1", h.sat1End);
    h.sat2Enable = ReadSettingBool("LastSatEnable2", h.sat2Enable);
    LoadTime("LastSatStart2", h.sat2Start);
    LoadTime("LastSatEnd2", h.sat2End);
    h.overtime = LoadOvertime();
    return h;
}

void StoreTwoSessionScopeHours(const TwoSessionScopeHours& h) {
    WriteSettingTime("LastStdStart1", h.std1Start);
    WriteSettingTime("LastStdEnd1", h.std1End);
    WriteSettingTime("LastStdStart2", h.std2Start);
    WriteSettingTime("LastStdEnd2", h.std2End);
    WriteSettingBool("LastSatEnable1", h.sat1Enable);
    WriteSettingTime("LastSatStart1", h.sat1Start);
    WriteSettingTime("LastSatEnd1", h.sat1End);
    WriteSettingBool("LastSatEnable2", h.sat2Enable);
    WriteSettingTime("LastSatStart2", h.sat2Start);
    WriteSettingTime("LastSatEnd2", h.sat2End);
    StoreOvertime(h.overtime);
}

LateScopeHours LateScopeHoursOf(const WorkGroup& g, const LateScopeHours& current) {
    LateScopeHours h = current;
    h.stdStart = g.wd_from_1;
    h.stdEnd = g.wd_to_2;
    h.satEnable = g.sat_enable_1;
    h.satStart = g.sat_from_1;
    h.satEnd = g.sat_enable_1 && g.sat_enable_2 ? g.sat_to_2 : g.sat_to_1;
    h.overtime.minimum = g.ot_min;
    h.overtime.multiple = g.ot_multi;
    return h;
}

TwoSessionScopeHours TwoSessionScopeHoursOf(const WorkGroup& g,
                                            const TwoSessionScopeHours& current) {
    TwoSessionScopeHours h = current;
    h.std1Start = g.wd_from_1;
    h.std1End = g.wd_to_1;
    h.std2Start = g.wd_from_2;
    h.std2End = g.wd_to_2;
    h.sat1Enable = g.sat_enable_1;
    h.sat1Start = g.sat_from_1;
    h.sat1End = g.sat_to_1;
    h.sat2Enable = g.sat_enable_2;
    h.sat2Start = g.sat_from_2;
    h.sat2End = g.sat_to_2;
    h.overtime.minimum = g.ot_min;
    h.overtime.multiple = g.ot_multi;
    return h;
}

ScopeField CheckLateScope(DateTime from, DateTime to, const LateScopeHours& h, bool overnight) {
    if (overnight) return ScopeField::None;
    if (to.dayNumber() < from.dayNumber()) return ScopeField::From;
    if (!Later(h.stdEnd, h.stdStart)) return ScopeField::StdStart;
    if (h.satEnable && !Later(h.satEnd, h.satStart)) return ScopeField::SatStart;
    return ScopeField::None;
}

ScopeField CheckTwoSessionScope(DateTime from, DateTime to, const TwoSessionScopeHours& h) {
    if (to.dayNumber() < from.dayNumber()) return ScopeField::From;
    if (!Later(h.std1End, h.std1Start)) return ScopeField::Std1Start;
    if (!Later(h.std2End, h.std2Start)) return ScopeField::Std2Start;
    if (CompareTimeOfDay(h.std2Start, h.std1Start) < 0) return ScopeField::Std2Start;
    if (h.sat1Enable && !Later(h.sat1End, h.sat1Start)) return ScopeField::Sat1Start;
    if (h.sat2Enable) {
        if (!h.sat1Enable) return ScopeField::Sat1Enable;
        if (!Later(h.sat2End, h.sat2Start)) return ScopeField::Sat2Start;
        if (!Later(h.sat2Start, h.sat1End)) return ScopeField::Sat2Start;
    }
    return ScopeField::None;
}

}  // namespace horalog
