#include "reports/scope_hours.h"

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
    h.stdStart = g.wdFrom1;
    h.stdEnd = g.wdTo2;
    h.satEnable = g.satEnable1;
    h.satStart = g.satFrom1;
    h.satEnd = g.satEnable1 && g.satEnable2 ? g.satTo2 : g.satTo1;
    h.overtime.minimum = g.otMin;
    h.overtime.multiple = g.otMulti;
    return h;
}

TwoSessionScopeHours TwoSessionScopeHoursOf(const WorkGroup& g,
                                            const TwoSessionScopeHours& current) {
    TwoSessionScopeHours h = current;
    h.std1Start = g.wdFrom1;
    h.std1End = g.wdTo1;
    h.std2Start = g.wdFrom2;
    h.std2End = g.wdTo2;
    h.sat1Enable = g.satEnable1;
    h.sat1Start = g.satFrom1;
    h.sat1End = g.satTo1;
    h.sat2Enable = g.satEnable2;
    h.sat2Start = g.satFrom2;
    h.sat2End = g.satTo2;
    h.overtime.minimum = g.otMin;
    h.overtime.multiple = g.otMulti;
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
