// `horalog --capture-only`: the readers served without a window, as the capture service.

#include <QCoreApplication>

#include "capture/capture_service.h"
#include "cli/commands.h"

namespace horalog {

namespace {

const char* const kUsage =
    "usage: horalog --capture-only [--data DIR] [--database URL]\n"
    "Serves the enabled readers without a window: one line per read on standard output,\n"
    "every error on standard error. SIGTERM or Ctrl+C stops it, SIGHUP reopens the\n"
    "reader ports from the reader table and the settings. Sends the mail queue when\n"
    "EmailEnabled is on. Under systemd (NOTIFY_SOCKET) it reports ready once the\n"
    "databases are open and the ports set up.";

}  // namespace

int RunCaptureCommand(Invocation& run) {
    if (const auto status = TakesOnlyHelp(run, kUsage)) return *status;
    // Before anything else: a stop asked for during the start ends the run cleanly.
    InstallCaptureSignalHandlers();
    QCoreApplication app(run.argc, run.argv);
    return RunCaptureOnly(run.folder);
}

}  // namespace horalog
