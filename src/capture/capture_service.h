#pragma once
// horalog --capture-only: the capture spine without a window; the capture service under
// systemd (horalog-capture.service) runs it.

#include <QString>

namespace horalog {

// SIGINT and SIGTERM stop the run cleanly, SIGHUP reloads the reader set-up. Installed first
// thing, before anything is printed or opened, so a stop asked for during the start ends
// with status 0 and nothing written. Safe to call more than once.
void InstallCaptureSignalHandlers();

// Checks both databases read-only first (a bad file is named and left untouched), takes the
// data folder's lock, opens the store and the enabled reader ports, and runs until SIGINT or
// SIGTERM: one line per logged row on standard output ("2004-06-26 18:24:06 COM1 1234567 IN
// LOCK=COM2"), errors and mails sent or failed on standard error. The mail queue is sent from
// the stored settings. Under systemd, READY=1 goes out once the databases are open and the
// ports set up. Needs a QCoreApplication. Returns the exit status.
int RunCaptureOnly(const QString& folder);

}  // namespace horalog
