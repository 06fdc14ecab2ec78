#include "offline/ui/offline_commands.h"

#include "common/ui/qt_ports.h"
#include "offline/ui/access_table_dialog.h"
#include "shell/menu_table.h"
#include "shell/ui/main_window.h"
#include "storage/store.h"

namespace horalog {

void RunOfflineReader(ReaderLinks& links, Tdsrc& store, OfflineDialogMode mode,
                      const LiveLogControl& live, QWidget* parent) {
    QtMessages messages(parent);
    QtProgress progress;
    TDlgOffline dialog(links, store, messages, progress, mode, parent);
    LiveLogHidden hidden(live);
    if (!dialog.prepare()) return;
    dialog.exec();
}

void RunOfflineAccessTable(ReaderLinks& links, Tdsrc& store, QWidget* parent) {
    QtMessages messages(parent);
    QtProgress progress;
    TFmOfflineAccess dialog(store.src(), links, messages, progress, parent);
    dialog.exec();
}

void AttachOfflineCommands(TTimeRec& window, ReaderLinks& links, Tdsrc& store) {
    TTimeRec* w = &window;
    LiveLogControl live;
    live.hide = [w] { w->RefreshLiveLog(false); };
    live.reopenAtEnd = [w] { w->RefreshLiveLog(true); };
    window.setCommand(kActOffline, [=, &links, &store] {
        RunOfflineReader(links, store, OfflineDialogMode::Settings, live, w);
    });
    window.setCommand("actMasterPin", [=, &links, &store] {
        RunOfflineReader(links, store, OfflineDialogMode::MasterPin, live, w);
    });
    window.setCommand("actOfflineAccess",
                      [w, &links, &store] { RunOfflineAccessTable(links, store, w); });
}

}  // namespace horalog
