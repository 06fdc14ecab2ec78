// Groups, timetables, holders and manual records joined to the main window: their menu
// entries, the live log's double click and its pop-up menu, and what is shown again after a
// change (live log, record count, holder photo).
#include <QTableView>

#include "capture/card_capture.h"
#include "people/holders.h"
#include "people/ui/access_schedules_dialog.h"
#include "people/ui/people_commands.h"
#include "shell/live_log_model.h"
#include "shell/ui/main_window.h"
#include "shell/ui/rooms.h"
#include "storage/store.h"
#include "storage/ui/database_server_dialog.h"

namespace horalog {

namespace {

std::optional<LogRecord> currentRow(TTimeRec& w) {
    LiveLogModel* model = w.liveLogModel();
    const QModelIndex cur = w.liveLog()->currentIndex();
    if (!model->attached() || model->count() < 1 || !cur.isValid()) return std::nullopt;
    return model->record(cur.row());
}

std::optional<qint64> currentRowId(TTimeRec& w) {
    if (auto row = currentRow(w)) return row->id;
    return std::nullopt;
}

// The grid at its last row with the record count, and the displays on that row.
void reopenAtLastRow(TTimeRec& w) {
    w.RefreshLiveLog(true);
    LiveLogModel* model = w.liveLogModel();
    const auto last = model->count() > 0 ? model->record(int(model->count() - 1)) : std::nullopt;
    if (last && w.hooks().showFeedback)
        w.hooks().showFeedback(last->cardno, last->systime);
    else if (!last && w.hooks().clearFeedback)
        w.hooks().clearFeedback();
}

}  // namespace

void AttachPeople(TTimeRec& window, CaptureRoom& capture) {
    TTimeRec* w = &window;
    auto command = [w](const char* action, std::function<void()> run) {
        w->setCommand(action, [w, run = std::move(run)] { RunCommand(*w, run); });
    };

    command("actGroups", [w] {
        RunGroupListCommand(w->store(), w);
        // Holder texts of the grid carry group names: read them afresh.
        w->RefreshLiveLog(true);
    });
    command("actTimeTable", [w] { RunTimeTableCommand(w->store(), w); });
    command("actCardInfo", [w] {
        LiveLogControl live = LiveLogOf(*w);
        LiveLogHidden hidden(live);
        RunCardInformationCommand(w->store(), w);
    });

    command("actDoorAccess", [w] { RunDoorAccessCommand(w->store(), w); });
    command("actAbsences", [w] { RunAbsencesWindowCommand(w->store(), w); });
    command("actAbsenceTypes", [w] { RunAbsenceTypesCommand(w->store(), w); });
    command("actClosePeriod", [w] { RunClosePeriodCommand(w->store(), w); });
    command("actReopenPeriod", [w] { RunReopenPeriodCommand(w->store(), w); });
    command("actAccessSchedules", [w] { RunAccessSchedulesCommand(w->store().src(), w); });
    command("actImportHolders", [w] {
        if (RunImportHoldersCommand(w->store(), w)) w->RefreshLiveLog(true);
    });
    command("actAuditTrail", [w] { RunAuditTrailCommand(w->store(), w); });
    command("actDatabaseServer", [w] { RunDatabaseServerCommand(w->messages(), w); });

    // Double click, logged in (the window refuses it otherwise).
    window.hooks().openHolderEditor = [w, &capture](std::optional<int> card) {
        RunCommand(*w, [w, &capture, card] {
            RunLiveLogDoubleClick(w->store(), true, card, w);
            if (!card || !IsHolderCard(*card)) return;  // nothing was opened
            if (CardCapture* c = capture.capture()) w->ShowPhoto(c->ShowHolderPhoto(*card));
            w->RefreshLiveLog(true);
        });
    };

    command("actAddRecord", [w] {
        if (RunAddAttendanceRecord(w->store(), w)) w->RefreshLiveLog(true);
    });
    command("actEditRecord", [w] {
        if (RunEditAttendanceRecord(w->store(), currentRowId(*w), w)) w->RefreshLiveLog(true);
    });
    command("actDeleteRecord", [w] {
        if (RunDeleteAttendanceRecord(w->store(), currentRowId(*w), w)) reopenAtLastRow(*w);
    });
}

}  // namespace horalog
