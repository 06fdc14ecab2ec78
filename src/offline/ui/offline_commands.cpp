#include "offline/ui/offline_commands.h"

#include "common/ui/qt_ports.h"
#include "offline/ui/access_table_dialog.h"
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

}  // namespace horalog
