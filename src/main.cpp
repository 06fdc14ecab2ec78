#include <QApplication>
#include <cstdio>

#include "cli/commands.h"
#include "shell/display.h"
#include "shell/ui/program.h"

using namespace horalog;

int main(int argc, char** argv) {
    return RunCommandLine(
        argc, argv, [](int& argc, char** argv, const QString& folder, const WindowOptions& o) {
            if (!HasDisplay()) {
                std::fprintf(stderr,
                             "horalog: no display (set DISPLAY, "
                             "WAYLAND_DISPLAY or QT_QPA_PLATFORM)\n");
                return 1;
            }
            QApplication app(argc, argv);
            QApplication::setOrganizationName("Quorvane");
            QApplication::setApplicationName("Horalog");
            return RunProgram(folder, o.screenshot, o.editorCard, o.editorShot);
        });
}
