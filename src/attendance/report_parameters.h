#pragma once
// What a scope dialog yields, and the two operations that turn it into data: the period
// (`ReportPeriod`) and the chosen holders (`OpenSelectedHolders`).

#include <QString>
#include <vector>

#include "common/datetime.h"
#include "attendance/report_source.h"

namespace horalog {

enum class PersonsChoice { All = 0, Group = 1, List = 2 };
enum class PeriodChoice {
    ThisWeek = 0,
    LastWeek = 1,
    ThisMonth = 2,
    LastMonth = 3,
    All = 4,
    Range = 5
};

// The "Record format" items, each used verbatim as a date-time format.
inline constexpr const char* kRecordFormats[4] = {" AM/PMhh:mm:ss", " HH:mm:ss", " AM/PMhh:mm",
                                                  " HH:mm"};

struct ReportParameters {
    PersonsChoice persons = PersonsChoice::All;
    QString groupName;  // with PersonsChoice::Group
    PeriodChoice period = PeriodChoice::ThisWeek;
    DateTime rangeFrom, rangeTo;  // with PeriodChoice::Range
    RecordsOfInterest records = RecordsOfInterest::All;
    int recordFormat = 0;    // index into kRecordFormats
    int recordsPerLine = 4;  // 2, 4, 6 or 8
    bool blankLines = false;
    bool newPage = false;  // "New page on each person" / "New page on new category"
    bool enhanced = true;
    bool previewOnly = true;
    bool firstInLastOutOnly = false;
    bool overnight = false;
    DateTime dayOfInterest;  // Daily Individual and Who's IN / OUT

    QString RecordFormatText() const;
};

struct Period {
    DateTime from;
    DateTime to;
    bool allDates = false;
};

// The period of a choice at the time now. Weeks run Monday to Sunday.
Period ReportPeriod(const ReportParameters& p, DateTime now);

// One row of the holder query: the holder and its group's name (empty when the group does not
// exist).
struct SelectedHolder {
    HolderRecord holder;
    bool groupExists = false;
    QString groupName;
};

// The chosen holders: "All" in group order then name (holders of a missing group first),
// "Group" in name order, "List" the picked ones. Throws DbError when the store fails.
std::vector<SelectedHolder> OpenSelectedHolders(ReportSource& source, const ReportParameters& p);

// Which scope dialog reads or writes its settings: they differ in what they keep.
enum class ScopeDialog { Scope, LateScope, TwoSessionScope, WhoScope };

// The dialog's choices as stored by its last "Confirm" (defaults for a fresh user).
ReportParameters LoadScopeSettings(ScopeDialog dialog);
void StoreScopeSettings(ScopeDialog dialog, const ReportParameters& p);

}  // namespace horalog
