// Card printing joined to the main window: "Card Manager" > "Print Cards" and "Print Member
// List".
#include "common/ui/qt_ports.h"
#include "printing/ui/card_commands.h"
#include "shell/ui/main_window.h"
#include "shell/ui/rooms.h"

namespace horalog {

void AttachCards(TTimeRec& window) {
    TTimeRec* w = &window;
    w->setCommand("actPrintCards", [w] {
        RunCommand(*w, [w] {
            QtFileDialogs files(w);
            QtProgress progress;
            RunPrintCardsCommand(w->store(), w->messages(), files, progress, w);
        });
    });
    w->setCommand("actPrintMembers", [w] {
        RunCommand(*w, [w] {
            QtFileDialogs files(w);
            RunPrintMembersCommand(w->store(), w->messages(), files, w);
        });
    });
}

}  // namespace horalog
