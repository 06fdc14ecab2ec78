#include "net/web_settings.h"

#include <arpa/inet.h>

#include <QFile>

#include "people/login.h"
#include "storage/settings.h"

namespace horalog {

WebSettingsForm LoadWebSettingsForm() {
    WebSettingsForm f;
    f.port = ReadSettingInt("WebPort", 80);
    f.bind = ReadSettingText("WebBind", "").trimmed();
    f.hasPassword = !ReadSettingText("WebPassword", "").isEmpty();
    f.certificate = ReadSettingText("WebCertificate", "");
    f.key = ReadSettingText("WebKey", "");
    return f;
}

namespace {

// Empty when path names a readable PEM file of the kind ("CERTIFICATE", "PRIVATE KEY").
QString PemProblem(const QString& path, const char* kind) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString("%1: %2").arg(path, f.errorString());
    const QByteArray head = f.read(64 * 1024);
    if (!head.contains("-----BEGIN ") || !head.contains(kind))
        return QString("%1 holds no PEM %2.").arg(path, QString::fromLatin1(kind).toLower());
    return {};
}

}  // namespace

WebSettingsCheck CheckWebSettingsForm(WebSettingsForm& f) {
    f.bind = f.bind.trimmed();
    f.certificate = f.certificate.trimmed();
    f.key = f.key.trimmed();
    if (f.port < 1 || f.port > 65535) return {WebField::Port, "The port must be 1 to 65535."};
    in_addr a{};
    if (!f.bind.isEmpty() && inet_pton(AF_INET, f.bind.toLatin1().constData(), &a) != 1)
        return {WebField::Bind,
                "The address must be an IPv4 address of this machine, or empty for all."};
    if (f.certificate.isEmpty() != f.key.isEmpty())
        return {f.certificate.isEmpty() ? WebField::Certificate : WebField::Key,
                "HTTPS needs both a certificate and its key; leave both empty for HTTP."};
    if (!f.certificate.isEmpty()) {
        if (QString p = PemProblem(f.certificate, "CERTIFICATE"); !p.isEmpty())
            return {WebField::Certificate, p};
        if (QString p = PemProblem(f.key, "PRIVATE KEY"); !p.isEmpty()) return {WebField::Key, p};
    }
    return {};
}

void SaveWebSettingsForm(const WebSettingsForm& f) {
    WriteSettingInt("WebPort", f.port);
    WriteSettingText("WebBind", f.bind);
    if (f.clearPassword)
        WriteSettingText("WebPassword", "");
    else if (!f.newPassword.isEmpty())
        WriteSettingText("WebPassword", HashPassword(f.newPassword));
    WriteSettingText("WebCertificate", f.certificate);
    WriteSettingText("WebKey", f.key);
}

}  // namespace horalog
