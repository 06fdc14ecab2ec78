#pragma once
// The "Web Reporter Settings" dialog's model: port, listening address, page password and the
// HTTPS files, loaded from and stored into the settings WebPort, WebBind, WebPassword,
// WebCertificate and WebKey.

#include <QString>

namespace horalog {

struct WebSettingsForm {
    int port = 80;
    QString bind;         // empty: every address of the machine
    bool hasPassword = false;  // a password is stored now (only its hash is)
    QString newPassword;  // typed: replaces the stored one; empty: keeps it
    bool clearPassword = false;  // the pages are open to anyone again
    QString certificate;  // PEM files; both or neither
    QString key;
};

enum class WebField { None, Port, Bind, Certificate, Key };

struct WebSettingsCheck {
    WebField field = WebField::None;  // the box at fault
    QString message;
    bool ok() const { return field == WebField::None; }
};

WebSettingsForm LoadWebSettingsForm();
// Trims the texts in place and stops at the first fault.
WebSettingsCheck CheckWebSettingsForm(WebSettingsForm& form);
// Stores a checked form; a new password goes in as its salted hash only.
void SaveWebSettingsForm(const WebSettingsForm& form);

}  // namespace horalog
