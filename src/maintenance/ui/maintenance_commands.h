#pragma once
// The Database menu's maintenance, import and export commands with the Qt screen ports: one
// call per menu entry. Errors of the store's reopening (StoreError) reach the caller, which
// ends the program as at start.

#include "common/datetime.h"
#include "common/ui/qt_ports.h"
#include "storage/live_log_control.h"

namespace horalog {

class Tdsrc;

class MaintenanceCommands {
public:
    MaintenanceCommands(QWidget* parent, Tdsrc& store, LiveLogControl live,
                        Clock clock = SystemClock());

    void backupLogDatabase();      // "Backup Log Database"
    void backupSystemDatabase();   // "Backup System Database"
    void restoreLogDatabase();     // "Restore Log Database"
    void restoreSystemDatabase();  // "Restore System Database"
    void eraseLogDatabase();       // "Erase Log Database"
    void eraseStaffRecords();      // "Erase Staff Records"
    void formatDatabase();         // "Format Database"
    void importLogRecords();       // "Import Log Records"
    void importStaffRecords();     // "Import Staff Records"
    void exportToTextFile();       // "Export to Text File"
    void exportToExcelFile();      // "Export to Excel File"

private:
    QWidget* parent_;
    Tdsrc& store_;
    LiveLogControl live_;
    Clock clock_;
    QtMessages messages_;
    QtProgress progress_;
    QtFileDialogs dialogs_;
};

}  // namespace horalog
