#pragma once
// Switching the web reporter on and off, at start and from the "Web Reporter" toggle.

#include <QString>
#include <QStringList>

namespace horalog {

class WebReporter;

inline constexpr const char* kWebDisabled = "Web Reporter features are disabled";
inline constexpr const char* kWebEnabled =
    "Web Reporter features are enabled. You can browse the attendance records by your web "
    "browser. Just for your reference, the IP address of your machine is found as follows: ";

// The machine's IPv4 addresses in dotted decimal form (loopback left out).
QStringList MachineIPv4Addresses();
// The addresses joined with ", "; the host name when there is none; empty when even the
// host name cannot be had.
QString MachineAddressText();

// The addresses of a running server with scheme and port ("http://192.168.1.5:80/"), joined
// with ", ": the bound address, else every address of the machine.
QString WebAddressText(const WebReporter& reporter, const QString& bind);

// Port of the server: setting WebPort, default 80.
int WebReporterPort();

struct WebSwitchResult {
    bool checked = false;  // the new check mark (already stored in WebEnabled)
    bool failed = false;   // the server could not start: show message as an error
    QString message;       // information box text, or the platform's error text
};

// The "Web Reporter" toggle: the new state is the opposite of the current check mark; it is
// stored in WebEnabled, then the server is started on WebReporterPort() or stopped.
WebSwitchResult ToggleWebReporter(WebReporter& reporter, bool currentlyChecked,
                                  const QString& dataFolder);

// Starts the server (again, when it runs) with the settings as they are now; the message
// names its addresses.
WebSwitchResult StartWebReporter(WebReporter& reporter, const QString& dataFolder);

// At start: the check mark is WebEnabled; the server starts when it is true. Answers the
// error text to show when it cannot start, else empty.
QString StartWebReporterAtLaunch(WebReporter& reporter, const QString& dataFolder,
                                 bool* checked = nullptr);

}  // namespace horalog
