#include <QApplication>
#include <cstdio>

#include "common/paths.h"
#include "shell/display.h"
#include "shell/ui/main_window.h"

using namespace horalog;

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "horalog: no display (set DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationName("Horalog");
    SetDataFolder(ResolveDataFolder(QApplication::arguments()));

    TTimeRec window;
    window.show();
    return QApplication::exec();
}
