#include "maintenance/ui/maintenance_commands.h"

#include "maintenance/log_export.h"
#include "maintenance/log_import.h"
#include "maintenance/maintenance.h"
#include "maintenance/staff_import.h"
#include "maintenance/ui/erase_log_dialog.h"

namespace horalog {

MaintenanceCommands::MaintenanceCommands(QWidget* parent, Tdsrc& store, LiveLogControl live,
                                         Clock clock)
    : parent_(parent),
      store_(store),
      live_(std::move(live)),
      clock_(std::move(clock)),
      messages_(parent),
      dialogs_(parent) {}

void MaintenanceCommands::backupLogDatabase() {
    BackupDatabase(store_, DatabaseKind::Log, messages_, dialogs_);
}
void MaintenanceCommands::backupSystemDatabase() {
    BackupDatabase(store_, DatabaseKind::System, messages_, dialogs_);
}
void MaintenanceCommands::restoreLogDatabase() {
    RestoreDatabase(store_, DatabaseKind::Log, messages_, dialogs_);
}
void MaintenanceCommands::restoreSystemDatabase() {
    RestoreDatabase(store_, DatabaseKind::System, messages_, dialogs_);
}
void MaintenanceCommands::eraseLogDatabase() {
    if (auto choice = TEraseLogDialog::ask(parent_, clock_))
        EraseLogDatabase(store_, *choice, messages_, progress_, live_);
}
void MaintenanceCommands::eraseStaffRecords() {
    EraseStaffRecords(store_, messages_, progress_, live_);
}
void MaintenanceCommands::formatDatabase() {
    FormatDatabase(store_, messages_);
}
void MaintenanceCommands::importLogRecords() {
    ImportLogRecords(store_, messages_, progress_, dialogs_, live_);
}
void MaintenanceCommands::importStaffRecords() {
    ImportStaffRecords(store_, messages_, progress_, dialogs_, live_);
}
void MaintenanceCommands::exportToTextFile() {
    ExportToTextFile(store_, messages_, progress_, dialogs_, live_);
}
void MaintenanceCommands::exportToExcelFile() {
    ExportToExcelFile(store_, messages_, progress_, dialogs_, live_);
}

}  // namespace horalog
