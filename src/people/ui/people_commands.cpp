#include "people/ui/people_commands.h"

#include <QDir>
#include <QFileInfo>

#include "common/ui/qt_ports.h"
#include "maintenance/holder_import.h"
#include "people/holder_store.h"
#include "people/manual_record_store.h"
#include "people/ui/absence_types_dialog.h"
#include "people/ui/absences_window.h"
#include "people/ui/attendance_record_dialogs.h"
#include "people/ui/door_access_dialog.h"
#include "people/ui/group_dialogs.h"
#include "people/ui/holder_dialogs.h"
#include "people/ui/password_dialogs.h"
#include "people/ui/period_dialogs.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "storage/ui/audit_dialog.h"

namespace horalog {

void RunGroupListCommand(Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    TDlgGrpList dialog(store.src(), messages, parent);
    dialog.exec();
}

void RunTimeTableCommand(Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    TFmTimeTbl dialog(store.src(), messages, parent);
    dialog.exec();
}

bool EditHolder(Tdsrc& store, int card, QWidget* parent) {
    QtMessages messages(parent);
    QtFileDialogs files(parent);
    QtProgress progress;
    Tnadd dialog(store.src(), card, messages, files, progress, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    return SaveHolderEditor(store.src(), dialog.state(), messages);
}

bool RunCardInformationCommand(Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    TCardInfo* self = nullptr;
    TCardInfo dialog(
        store.src(), messages, [&](int card) { return EditHolder(store, card, self); }, parent);
    self = &dialog;
    dialog.exec();
    return dialog.changed();
}

void RunAbsencesWindowCommand(Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    TAbsences dialog(store.src(), store.att(), messages, SystemClock()().date(), parent);
    dialog.exec();
}

namespace {
void RunPeriodDialog(TPeriodDialog::Mode mode, Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    QtPasswordPrompts prompts(parent);
    TPeriodDialog dialog(mode, store.src(), messages, prompts, SystemClock()().date(), parent);
    dialog.exec();
}
}  // namespace

void RunClosePeriodCommand(Tdsrc& store, QWidget* parent) {
    RunPeriodDialog(TPeriodDialog::Mode::Close, store, parent);
}

void RunReopenPeriodCommand(Tdsrc& store, QWidget* parent) {
    RunPeriodDialog(TPeriodDialog::Mode::Reopen, store, parent);
}

void RunAbsenceTypesCommand(Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    TAbsenceTypes dialog(store.src(), messages, parent);
    dialog.exec();
}

bool RunDoorAccessCommand(Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    TDoorAccess dialog(store.src(), messages, parent);
    dialog.exec();
    return dialog.changed();
}

bool RunImportHoldersCommand(Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    QtFileDialogs files(parent);
    const QString last = ReadSettingText("HoldersLastIn", QDir::homePath());
    const QString path = files.openFile("Import Holders from CSV/Excel", last,
                                        "Holders (*.csv *.xlsx);;All File (*)");
    if (path.isEmpty()) return false;
    WriteSettingText("HoldersLastIn", path);
    const HolderImportResult r = ImportHolders(store.src(), path, {});
    if (r.ok)
        messages.plain(HolderImportSummary(r));
    else
        messages.error(HolderImportSummary(r));
    return r.ok && r.added + r.updated > 0;
}

void RunAuditTrailCommand(Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    QtFileDialogs files(parent);
    TAuditTrail dialog(store.src(), messages, files, SystemClock()().date(), parent);
    dialog.exec();
}

bool RunLiveLogDoubleClick(Tdsrc& store, bool loggedIn, std::optional<int> currentCard,
                           QWidget* parent) {
    QtMessages messages(parent);
    const auto card = CardToEditFromLiveLog(loggedIn, currentCard, messages);
    return card && EditHolder(store, *card, parent);
}

bool RunAddAttendanceRecord(Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    TDlgAddRecord dialog(store.att(), store.src(), SystemClock()(), messages, parent);
    dialog.exec();
    return dialog.added();
}

bool RunEditAttendanceRecord(Tdsrc& store, std::optional<qint64> currentRowId, QWidget* parent) {
    QtMessages messages(parent);
    const auto row = currentRowId ? LogTable(store.att()).find(*currentRowId) : std::nullopt;
    if (!row) {
        messages.information(text::kNoRecordToDelete);
        return false;
    }
    TDlgEditRecord dialog(store.att(), store.src(), *row, messages, parent);
    dialog.exec();
    return dialog.updated();
}

bool RunDeleteAttendanceRecord(Tdsrc& store, std::optional<qint64> currentRowId, QWidget* parent) {
    QtMessages messages(parent);
    return DeleteAttendanceRecord(store.att(), currentRowId, messages, store.sysDbPath());
}

}  // namespace horalog
