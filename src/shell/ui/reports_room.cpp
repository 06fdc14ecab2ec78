// The printouts of the Reports menu joined to the main window: each action runs its scope
// dialog, report and preview with the window's message boxes and the Qt file dialogs.
#include "common/ui/qt_ports.h"
#include "printing/ui/report_commands.h"
#include "shell/menu_table.h"
#include "shell/ui/main_window.h"
#include "shell/ui/rooms.h"

namespace horalog {

void AttachReports(TTimeRec& window) {
    static const struct {
        const char* action;
        ReportKind kind;
    } actions[] = {
        {"actFilo", ReportKind::FirstLast},
        {"act2Session", ReportKind::TwoSession},
        {"actFiloOvernight", ReportKind::FirstLastOvernight},
        {"actTimesheet", ReportKind::Timesheet},
        {"actinout", ReportKind::DailyIndividual},
        {"actlogs", ReportKind::TimeLogs},
        {"actTotalHours", ReportKind::TotalHours},
        {"actTotalHoursDetail", ReportKind::TotalHoursDetail},
        {"actwho", ReportKind::WhosInOut},
    };
    TTimeRec* w = &window;
    for (const auto& a : actions) {
        const MenuRow* row = FindCommand(a.action);
        // The scope dialog is captioned with the menu entry, without its accelerator mark.
        const QString caption = row ? QString(row->caption).remove('&') : QString(a.action);
        window.setCommand(a.action, [w, kind = a.kind, caption] {
            RunCommand(*w, [w, kind, caption] {
                QtFileDialogs files(w);
                RunReportAction(kind, caption, w->store(), SystemClock(),
                                {w->messages(), files, w});
            });
        });
    }
}

}  // namespace horalog
