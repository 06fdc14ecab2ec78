// "Reports" > "Spreadsheet" joined to the main window: the four exports of attendance results.
#include "exports/ui/export_scope.h"
#include "shell/ui/main_window.h"
#include "shell/ui/rooms.h"
#include "storage/store.h"

namespace horalog {

void AttachExports(TTimeRec& window) {
    static const struct {
        const char* action;
        ExportKind kind;
    } actions[] = {
        {"actXlsFilo", ExportKind::FirstLast},    {"actXlsPairs", ExportKind::Pairs},
        {"actXlsTimeLogs", ExportKind::TimeLogs}, {"actXlsLateEarly", ExportKind::LateEarly},
        {"actXlsPayroll", ExportKind::Payroll},
    };
    TTimeRec* w = &window;
    for (const auto& a : actions) {
        window.setCommand(a.action, [w, kind = a.kind] {
            RunCommand(*w, [w, kind] {
                RunSpreadsheetExport(kind, w->store().att(), w->store().src(), w);
            });
        });
    }
}

}  // namespace horalog
