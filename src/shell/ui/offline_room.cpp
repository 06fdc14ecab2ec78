// The offline reader commands joined to the main window.
#include "offline/ui/offline_commands.h"
#include "shell/menu_table.h"
#include "shell/ui/main_window.h"
#include "shell/ui/rooms.h"

namespace horalog {

void AttachOffline(TTimeRec& window, ReaderLinks& links) {
    TTimeRec* w = &window;
    LiveLogControl live;
    live.hide = [w] { w->RefreshLiveLog(false); };
    live.reopenAtEnd = [w] { w->RefreshLiveLog(true); };
    window.setCommand(kActOffline, [=, &links] {
        RunOfflineReader(links, w->store(), OfflineDialogMode::Settings, live, w);
    });
    window.setCommand("actMasterPin", [=, &links] {
        RunOfflineReader(links, w->store(), OfflineDialogMode::MasterPin, live, w);
    });
    window.setCommand("actOfflineAccess",
                      [w, &links] { RunOfflineAccessTable(links, w->store(), w); });
}

}  // namespace horalog
