#pragma once
// The offline reader commands of the main window: "Offline Reader" (menu and button),
// "Set Master PIN" and "Offline Access Table".

#include "offline/ui/offline_dialog.h"
#include "storage/live_log_control.h"

class QWidget;

namespace horalog {

class ReaderLinks;
class Tdsrc;
class TTimeRec;

// Registers the three commands on the window; the live log hides while the reader dialog is
// open and comes back at its newest row afterwards.
void AttachOfflineCommands(TTimeRec& window, ReaderLinks& links, Tdsrc& store);

// The reader dialog in either mode, modally.
void RunOfflineReader(ReaderLinks& links, Tdsrc& store, OfflineDialogMode mode,
                      const LiveLogControl& live, QWidget* parent);
void RunOfflineAccessTable(ReaderLinks& links, Tdsrc& store, QWidget* parent);

}  // namespace horalog
