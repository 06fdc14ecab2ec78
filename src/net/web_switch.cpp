#include "net/web_switch.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <unistd.h>

#include "net/web_reporter.h"
#include "storage/settings.h"

namespace horalog {

QStringList MachineIPv4Addresses() {
    QStringList out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        auto* in = reinterpret_cast<sockaddr_in*>(a->ifa_addr);
        if ((ntohl(in->sin_addr.s_addr) >> 24) == 127) continue;
        char text[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) {
            QString s = QString::fromLatin1(text);
            if (!out.contains(s)) out << s;
        }
    }
    freeifaddrs(list);
    return out;
}

QString MachineAddressText() {
    QStringList addresses = MachineIPv4Addresses();
    if (!addresses.isEmpty()) return addresses.join(", ");
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return {};
    return QString::fromLocal8Bit(host);
}

QString WebAddressText(const WebReporter& reporter, const QString& bind) {
    QStringList hosts;
    if (!bind.isEmpty() && bind != "0.0.0.0")
        hosts << bind;
    else
        hosts = MachineAddressText().split(", ", Qt::SkipEmptyParts);
    if (hosts.isEmpty()) hosts << "localhost";
    const QString scheme = reporter.https() ? "https" : "http";
    QStringList urls;
    for (const QString& host : hosts)
        urls << QString("%1://%2:%3/").arg(scheme, host).arg(reporter.port());
    return urls.join(", ");
}

int WebReporterPort() {
    return ReadSettingInt("WebPort", 80);
}

WebSwitchResult ToggleWebReporter(WebReporter& reporter, bool currentlyChecked,
                                  const QString& dataFolder) {
    WebSwitchResult r;
    r.checked = !currentlyChecked;
    WriteSettingBool("WebEnabled", r.checked);
    if (!r.checked) {
        reporter.stop();
        r.message = kWebDisabled;
        return r;
    }
    return StartWebReporter(reporter, dataFolder);
}

WebSwitchResult StartWebReporter(WebReporter& reporter, const QString& dataFolder) {
    WebSwitchResult r;
    r.checked = true;
    QString error;
    const WebAccess access = ReadWebAccess(&error);
    if (error.isEmpty()) error = reporter.start(WebReporterPort(), dataFolder, access);
    if (!error.isEmpty()) {
        // The setting and the check mark keep the new state, as the operator chose it.
        r.failed = true;
        r.message = error;
        return r;
    }
    r.message = QString(kWebEnabled) + WebAddressText(reporter, access.bind);
    return r;
}

QString StartWebReporterAtLaunch(WebReporter& reporter, const QString& dataFolder, bool* checked) {
    bool enabled = ReadSettingBool("WebEnabled", false);
    if (checked) *checked = enabled;
    if (!enabled) return {};
    QString error;
    const WebAccess access = ReadWebAccess(&error);
    if (!error.isEmpty()) return error;
    return reporter.start(WebReporterPort(), dataFolder, access);
}

}  // namespace horalog
