#pragma once
// horalog --capture-only: the capture spine without a window, for integrators and tests.

#include <QStringList>

namespace horalog {

// Opens the store of the data folder and the enabled reader ports, prints one line per logged
// row ("2004-06-26 18:24:06 COM1 1234567 IN LOCK=COM2") and runs until SIGINT or SIGTERM.
// Needs a QCoreApplication. Returns the exit status.
int RunCaptureOnly(const QStringList& arguments);

}  // namespace horalog
