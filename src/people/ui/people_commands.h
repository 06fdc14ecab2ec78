#pragma once
// The people commands the main window calls, one per menu entry or gesture. Each runs its
// dialog modally and answers whether a table changed, so the window refreshes what shows it
// (live log grid and record count, holder photo, shared holder set).

#include <QtGlobal>
#include <optional>

class QWidget;

namespace horalog {

class Tdsrc;

// "Setup" > "Group Definition": "Group List".
void RunGroupListCommand(Tdsrc& store, QWidget* parent);

// "Reports" > "Spreadsheet" > "IN/OUT Pairs (Late and Early Leave)" > "Define Time Attendance
// Table": "Time Table".
void RunTimeTableCommand(Tdsrc& store, QWidget* parent);

// The holder editor "Card Information" on one card, saved when confirmed or deleted. True when
// staffs changed.
bool EditHolder(Tdsrc& store, int card, QWidget* parent);

// "Card Manager" > "Edit Card Information": "Card Information List". The caller hides the live
// log grid and clears the photo displays before, and shows the grid again after. True when
// any holder was saved or deleted.
bool RunCardInformationCommand(Tdsrc& store, QWidget* parent);

// "Card Manager" > "Absences": the month grid of holders' absences, opened on this month.
void RunAbsencesWindowCommand(Tdsrc& store, QWidget* parent);

// "Database" > "Close Period..." and "Reopen Period...".
void RunClosePeriodCommand(Tdsrc& store, QWidget* parent);
void RunReopenPeriodCommand(Tdsrc& store, QWidget* parent);

// "Setup" > "Absence Types".
void RunAbsenceTypesCommand(Tdsrc& store, QWidget* parent);

// "Card Manager" > "Door Access". True when a right was set or cleared.
bool RunDoorAccessCommand(Tdsrc& store, QWidget* parent);

// "Database" > "Import Holders from CSV/Excel": asks for the file, imports it whole or refuses
// it with the list of bad rows. True when holders were added or changed.
bool RunImportHoldersCommand(Tdsrc& store, QWidget* parent);

// "Database" > "Audit Trail".
void RunAuditTrailCommand(Tdsrc& store, QWidget* parent);

// Double click on the live log grid with the current row's CARDNO (nullopt: the log is empty).
// Logged out: "Feature disabled. Please Login to use it."; empty log: "No record."; a bypass
// row (-1) opens nothing. Otherwise EditHolder. The caller then refreshes the holder photo of
// that card and reopens the grid at its last row.
bool RunLiveLogDoubleClick(Tdsrc& store, bool loggedIn, std::optional<int> currentCard,
                           QWidget* parent);

// Live log context menu, each with the ID of the grid's current row (nullopt: the log is
// empty). True when the log changed: refresh the grid and the record count.
// "Add an Attendance Record":
bool RunAddAttendanceRecord(Tdsrc& store, QWidget* parent);
// "Edit this Attendance Record" ("No record to delete." on an empty log):
bool RunEditAttendanceRecord(Tdsrc& store, std::optional<qint64> currentRowId, QWidget* parent);
// "Delete this Attendance Record": after a change the caller reopens the grid at its last row,
// refreshes the count and shows the holder photo and capture of that last row.
bool RunDeleteAttendanceRecord(Tdsrc& store, std::optional<qint64> currentRowId, QWidget* parent);

}  // namespace horalog
