#include "shell/ui/main_window.h"

namespace horalog {

TTimeRec::TTimeRec(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Horalog");
    setMinimumSize(320, 504);
}

}  // namespace horalog
