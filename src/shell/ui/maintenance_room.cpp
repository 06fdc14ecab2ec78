// The Database menu joined to the main window. Each command runs with the Qt screen ports;
// the live log is hidden while it works and comes back at its last row whatever happened.
#include "shell/ui/main_window.h"
#include "shell/ui/rooms.h"
#include "maintenance/ui/maintenance_commands.h"

namespace horalog {

void AttachMaintenance(TTimeRec& window) {
    using Command = void (MaintenanceCommands::*)();
    static const struct {
        const char* action;
        Command run;
    } commands[] = {
        {"actBackupLog", &MaintenanceCommands::backupLogDatabase},
        {"actBackupSys", &MaintenanceCommands::backupSystemDatabase},
        {"actRestoreLog", &MaintenanceCommands::restoreLogDatabase},
        {"actRestoreSys", &MaintenanceCommands::restoreSystemDatabase},
        {"actExportExcel", &MaintenanceCommands::exportToExcelFile},
        {"actExportText", &MaintenanceCommands::exportToTextFile},
        {"actEraseLog", &MaintenanceCommands::eraseLogDatabase},
        {"actEraseStaff", &MaintenanceCommands::eraseStaffRecords},
        {"actFormat", &MaintenanceCommands::formatDatabase},
        {"actImportLog", &MaintenanceCommands::importLogRecords},
        {"actImportStaff", &MaintenanceCommands::importStaffRecords},
    };
    TTimeRec* w = &window;
    for (const auto& c : commands) {
        window.setCommand(c.action, [w, run = c.run] {
            RunCommand(*w, [w, run] {
                // Backup, restore and format close and reopen the store: the window's store
                // hooks hide and bring back the grid and the reader ports for them.
                MaintenanceCommands commands(w, w->store(), LiveLogOf(*w));
                (commands.*run)();
            });
        });
    }
}

}  // namespace horalog
