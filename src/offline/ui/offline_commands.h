#pragma once
// The offline reader commands: "Offline Reader" (menu and button), "Set Master PIN" and
// "Offline Access Table". The window attaches them in shell/ui/offline_room.cpp.

#include "offline/ui/offline_dialog.h"
#include "storage/live_log_control.h"

class QWidget;

namespace horalog {

class ReaderLinks;
class Tdsrc;

// The reader dialog in either mode, modally.
void RunOfflineReader(ReaderLinks& links, Tdsrc& store, OfflineDialogMode mode,
                      const LiveLogControl& live, QWidget* parent);
void RunOfflineAccessTable(ReaderLinks& links, Tdsrc& store, QWidget* parent);

}  // namespace horalog
