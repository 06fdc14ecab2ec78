#include "shell/ui/main_window.h"
#include "shell/ui/program.h"

namespace horalog {

void AttachRooms(TTimeRec& window) {
    // Each room adds its line here when it lands: its commands through
    // window.setCommand(name, handler) and its hooks through window.hooks().
    (void)window;
}

}  // namespace horalog
