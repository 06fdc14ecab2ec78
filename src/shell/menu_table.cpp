#include "shell/menu_table.h"

namespace horalog {

namespace {

constexpr Gate In = Gate::LoggedIn;
constexpr Gate Out = Gate::LoggedOut;
constexpr Gate Any = Gate::Always;

MenuRow sep(const char* menu) {
    return {menu, nullptr, nullptr, Any};
}

}  // namespace

const std::vector<MenuRow>& MenuTable() {
    static const std::vector<MenuRow> rows = {
        {"&Actions", kActLogin, "&Login", Out},
        {"&Actions", kActLogout, "L&ogout", In},
        {"&Actions", kActSetPassword, "&Set Password", Any},
        sep("&Actions"),
        {"&Actions", kActHideToSystray, "Hide to Systray", In},
        {"&Actions", kActExit, "Exit", Any},
        sep("&Actions"),
        {"&Actions", kActAbout, "About Horalog", Any},

        {"&Database", "actBackupLog", "Backup Log Database"},
        {"&Database", "actBackupSys", "Backup System Database"},
        sep("&Database"),
        {"&Database", "actRestoreLog", "Restore Log Database"},
        {"&Database", "actRestoreSys", "Restore System Database"},
        sep("&Database"),
        {"&Database", "actExportExcel", "Export to Excel File"},
        {"&Database", "actExportText", "Export to Text File"},
        sep("&Database"),
        {"&Database", "actEraseLog", "Erase Log Database"},
        {"&Database", "actEraseStaff", "Erase Staff Records"},
        sep("&Database"),
        {"&Database", "actFormat", "Format Database"},
        sep("&Database"),
        {"&Database", "actImportLog", "Import Log Records"},
        {"&Database", "actImportStaff", "Import Staff Records"},
        {"&Database", "actImportHolders", "Import Holders from CSV/Excel"},
        sep("&Database"),
        {"&Database", "actClosePeriod", "Close Period..."},
        {"&Database", "actReopenPeriod", "Reopen Period..."},
        sep("&Database"),
        {"&Database", "actAuditTrail", "Audit Trail"},

        {"&Setup", "actAutoIO", "Auto IN/OUT Time"},
        {"&Setup", "actEmail", "&Email", In, false, true},
        {"&Setup", "actGroups", "Group Definition"},
        {"&Setup", "actReaders", "Readers"},
        {"&Setup", "actDoorOpenSetup", "Door Open Button"},
        {"&Setup", "actAccessSchedules", "Access Schedules"},
        {"&Setup", "actAbsenceTypes", "Absence Types"},
        {"&Setup", "actWebcam", "Webcam", In, false, true},
        {"&Setup", "actDatabaseServer", "Database Server"},
        {"&Setup", kActWebReporter, "We&b Reporter", In, true},
        {"&Setup", kActWebSettings, "Web Reporter Settings"},
        sep("&Setup"),
        {"&Setup", kActOffline, "&Offline Reader"},
        sep("&Setup"),
        {"&Setup", kActHideOnStartup, "Hide On Startup", In, true},
        {"&Setup", kActHideWebcam, "Hide Webcam", In, true, true},
        sep("&Setup"),
        {"&Setup", kActSpeech, "Enable Speech Feedback", In, true},

        {"Card &Manager", "actCardInfo", "Edit Card Information"},
        {"Card &Manager", "actDoorAccess", "Door Access"},
        {"Card &Manager", "actAbsences", "Absences"},
        sep("Card &Manager"),
        {"Card &Manager", "actPrintCards", "Print Cards"},
        {"Card &Manager", "actPrintMembers", "Print Member List"},

        {"&Reports>Attendance", "actFilo", "First In / Last Out"},
        {"&Reports>Attendance", "act2Session", "2-session"},
        {"&Reports>Attendance", "actFiloOvernight", "First In / Last Out (Overnight)", In, false,
         true},
        {"&Reports>Attendance", "actTimesheet", "Monthly Timesheet"},
        {"&Reports>P&rintouts", "actinout", "&Daily Individual"},
        {"&Reports>P&rintouts", "actlogs", "T&ime Logs"},
        {"&Reports>P&rintouts", "actTotalHours", "Total Hours"},
        {"&Reports>P&rintouts", "actTotalHoursDetail", "Total Hours Detail"},
        {"&Reports>P&rintouts", "actwho", "&Who's IN / OUT"},
        {"&Reports>Spreadsheet", "actXlsFilo", "First IN / Last OUT"},
        {"&Reports>Spreadsheet", "actXlsPairs", "IN/OUT Pairs"},
        {"&Reports>Spreadsheet", "actXlsTimeLogs", "Time Logs"},
        {"&Reports>Spreadsheet", "actXlsPayroll", "Payroll"},
        sep("&Reports>Spreadsheet"),
        {"&Reports>Spreadsheet>IN/OUT Pairs (Late and Early Leave)", "actTimeTable",
         "Define Time Attendance Table"},
        {"&Reports>Spreadsheet>IN/OUT Pairs (Late and Early Leave)", "actXlsLateEarly",
         "Late and Early Leave"},

        {kLiveLogMenu, "actAddRecord", "Add an Attendance Record"},
        {kLiveLogMenu, "actEditRecord", "Edit this Attendance Record"},
        {kLiveLogMenu, "actDeleteRecord", "Delete this Attendance Record"},

        {kTrayMenu, kActAbout, "About Horalog", Any},
        sep(kTrayMenu),
        {kTrayMenu, kActTrayLogin, "Login", Out},
        sep(kTrayMenu),
        {kTrayMenu, kActShowMe, "Show me", Any},
        sep(kTrayMenu),
        {kTrayMenu, kActExit, "Exit", Any},

        {kNoMenu, "actMemberList", "Member List"},
        {kNoMenu, "actOfflineAccess", "Offline Access Table"},
        {kNoMenu, "actMasterPin", "Set Master PIN"},
    };
    return rows;
}

const MenuRow* FindCommand(const QString& name) {
    for (const MenuRow& r : MenuTable())
        if (r.name && name == QLatin1String(r.name)) return &r;
    return nullptr;
}

bool EnabledWhen(Gate gate, bool loggedIn) {
    switch (gate) {
        case Gate::LoggedIn:
            return loggedIn;
        case Gate::LoggedOut:
            return !loggedIn;
        default:
            return true;
    }
}

}  // namespace horalog
