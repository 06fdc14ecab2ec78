#include "attendance/report_parameters.h"

#include <algorithm>
#include <climits>

#include "storage/settings.h"

namespace horalog {

QString ReportParameters::RecordFormatText() const {
    return kRecordFormats[std::clamp(recordFormat, 0, 3)];
}

Period ReportPeriod(const ReportParameters& p, DateTime now) {
    const QDate today = now.date();
    const QDate monday = today.addDays(1 - today.dayOfWeek());  // Monday 1 .. Sunday 7
    const QDate firstOfMonth(today.year(), today.month(), 1);
    switch (p.period) {
        case PeriodChoice::ThisWeek:
            return {DateTime::fromDate(monday), now};
        case PeriodChoice::LastWeek:
            return {DateTime::fromDate(monday.addDays(-7)), DateTime::fromDate(monday.addDays(-1))};
        case PeriodChoice::ThisMonth:
            return {DateTime::fromDate(firstOfMonth), now};
        case PeriodChoice::LastMonth:
            return {DateTime::fromDate(firstOfMonth.addMonths(-1)),
                    DateTime::fromDate(firstOfMonth.addDays(-1))};
        case PeriodChoice::Range:
            return {p.rangeFrom, p.rangeTo};
        case PeriodChoice::All:
            break;
    }
    return {DateTime(), DateTime(), true};
}

std::vector<SelectedHolder> OpenSelectedHolders(ReportSource& source, const ReportParameters& p) {
    const auto groups = source.Groups();
    std::vector<HolderRecord> rows;
    switch (p.persons) {
        case PersonsChoice::All:
            rows = source.Holders(HolderSet::All, 0);
            break;
        case PersonsChoice::Group: {
            // A group that no longer exists selects nobody (not the holders of WORKGRP 0).
            const int id = source.GroupId(p.groupName);
            if (id != 0) rows = source.Holders(HolderSet::Group, id);
            break;
        }
        case PersonsChoice::List:
            rows = source.Holders(HolderSet::Picked, 0);
            break;
    }
    std::vector<SelectedHolder> out;
    out.reserve(rows.size());
    for (auto& h : rows) {
        SelectedHolder s;
        auto g = std::find_if(groups.begin(), groups.end(),
                              [&](const WorkGroup& w) { return w.id == h.workgrp; });
        s.groupExists = g != groups.end();
        if (s.groupExists) s.groupName = g->descx;
        s.holder = std::move(h);
        out.push_back(std::move(s));
    }
    if (p.persons == PersonsChoice::All) {
        // order by gid.id, NAME: a missing group joins as null, which sorts first.
        std::stable_sort(out.begin(), out.end(),
                         [](const SelectedHolder& a, const SelectedHolder& b) {
                             const int ka = a.groupExists ? a.holder.workgrp : INT_MIN;
                             const int kb = b.groupExists ? b.holder.workgrp : INT_MIN;
                             return ka < kb;
                         });
    }
    return out;
}

namespace {
template <typename E>
E choice(const char* name, int count, E def) {
    const int v = ReadSettingInt(name, int(def));
    return v >= 0 && v < count ? E(v) : def;
}

int perLineFromSetting() {
    // item index := value div 2 - 1; an index outside the four items keeps "4"
    const int item = ReadSettingInt("PrintRecordsPerLine", 4) / 2 - 1;
    return item >= 0 && item <= 3 ? item * 2 + 2 : 4;
}
}  // namespace

ReportParameters LoadScopeSettings(ScopeDialog dialog) {
    ReportParameters p;
    p.recordFormat = choice("PrintRecordsFormat", 4, 0);
    p.enhanced = ReadSettingBool("PrintEnhance", true);
    p.previewOnly = ReadSettingBool("PrintPreviewOnly", true);
    if (dialog == ScopeDialog::WhoScope) {
        p.recordsPerLine = perLineFromSetting();
        p.newPage = ReadSettingBool("PrintBreakPage", true);
        return p;
    }
    p.period = choice("PrintDateRange", 6, PeriodChoice::ThisWeek);
    p.records = choice("PrintRecordsScope", 3, RecordsOfInterest::All);
    p.blankLines = ReadSettingBool("PrintBlankLines", false);
    p.newPage = ReadSettingBool("PrintBreakPage", false);
    p.firstInLastOutOnly = ReadSettingBool("PrintFILO", false);
    if (dialog == ScopeDialog::Scope)
        p.recordsPerLine = perLineFromSetting();
    else
        p.persons = choice("PrintPersons", 3, PersonsChoice::All);
    return p;
}

void StoreScopeSettings(ScopeDialog dialog, const ReportParameters& p) {
    WriteSettingInt("PrintRecordsFormat", p.recordFormat);
    WriteSettingBool("PrintEnhance", p.enhanced);
    WriteSettingBool("PrintPreviewOnly", p.previewOnly);
    WriteSettingBool("PrintBreakPage", p.newPage);
    if (dialog == ScopeDialog::Scope || dialog == ScopeDialog::WhoScope)
        WriteSettingInt("PrintRecordsPerLine", std::clamp(p.recordsPerLine / 2 - 1, 0, 3) * 2 + 2);
    if (dialog == ScopeDialog::WhoScope) return;
    WriteSettingInt("PrintDateRange", int(p.period));
    WriteSettingInt("PrintRecordsScope", int(p.records));
    WriteSettingBool("PrintBlankLines", p.blankLines);
    WriteSettingBool("PrintFILO", p.firstInLastOutOnly);
    if (dialog != ScopeDialog::Scope) WriteSettingInt("PrintPersons", int(p.persons));
}

}  // namespace horalog
