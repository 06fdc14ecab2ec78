#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "common/paths.h"
#include "common/ui/qt_ports.h"
#include "reports/report_program.h"
#include "shell/display.h"
#include "shell/ui/main_window.h"
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
    if (IsReportCommand(argc, argv)) return RunReportProgram(argc, argv);
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "horalog: no display (set DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationName("Horalog");
    SetDataFolder(ResolveDataFolder(QApplication::arguments()));
    QtMessages messages;

    Tdsrc store(DataFolder());
    try {
        EnsureDataFolder(DataFolder());
        store.OpenStore();
    } catch (const StoreError& e) {
        messages.plain(e.what());
        return 1;
    } catch (const DbError& e) {
        messages.plain(e.text());
        return 1;
    }
    if (!ReaderTableOk(store.src())) messages.error(kReaderTableError);

    TTimeRec window;
    window.show();
    return QApplication::exec();
}
