#include <QApplication>
#include <QCoreApplication>
#include <cstdio>

#include "capture/capture_service.h"
#include "common/paths.h"
#include "reports/report_program.h"
#include "shell/display.h"
#include "shell/ui/program.h"
#include "storage/log_repair.h"
#include "storage/store.h"

using namespace horalog;

namespace {

bool hasArg(int argc, char** argv, const char* arg) {
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], arg) == 0) return true;
    return false;
}

// horalog --check-db: whether both files open with their passwords and the reader table is
// whole; one line each, exit status 0 or 1.
int checkDb(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString report;
    bool ok = CheckDatabases(ResolveDataFolder(QCoreApplication::arguments()), report);
    std::fputs(report.toLocal8Bit().constData(), stdout);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (hasArg(argc, argv, "--check-db")) return checkDb(argc, argv);
    if (hasArg(argc, argv, "--capture-only")) {
        QCoreApplication app(argc, argv);
        return RunCaptureOnly(QCoreApplication::arguments());
    }
    if (argc > 1 && qstrcmp(argv[1], "repair") == 0) {
        QCoreApplication app(argc, argv);
        return RunRepairCommand(QCoreApplication::arguments());
    }
    if (IsReportCommand(argc, argv)) return RunReportProgram(argc, argv);
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "horalog: no display (set DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationName("Horalog");
    return RunProgram();
}
