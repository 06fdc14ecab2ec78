#include "net/mail_settings.h"

#include "storage/settings.h"

namespace horalog {

MailSettingsForm LoadMailSettingsForm() {
    MailSettingsForm f;
    f.enabled = ReadSettingBool("EmailEnabled", false);
    f.staffOnly = ReadSettingBool("EmailStaffOnly", true);
    f.sendCapture = ReadSettingBool("EmailSendCapture", false);
    f.server = ReadSettingText("EmailSmtpServer", "");
    f.recipients = ReadSettingText("EmailRecipant", "");
    f.sender = ReadSettingText("EmailSender", "");
    const int minutes = ReadSettingInt("EmailIntervals", kMailMinutesDefault);
    f.eachRecord = minutes == 0;
    if (!f.eachRecord) f.minutes = minutes;
    return f;
}

MailSettingsCheck CheckMailSettingsForm(MailSettingsForm& form) {
    struct Step {
        QString* text;
        MailField field;
        const char* message;
    };
    const Step steps[] = {{&form.server, MailField::Server, kInvalidSmtpServer},
                          {&form.recipients, MailField::Recipients, kInvalidRecipients},
                          {&form.sender, MailField::Sender, kInvalidSender}};
    for (const Step& s : steps) {
        *s.text = s.text->trimmed();
        if (s.text->isEmpty()) return {s.field, s.message};
    }
    return {};
}

void SaveMailSettingsForm(const MailSettingsForm& form) {
    WriteSettingBool("EmailEnabled", form.enabled);
    WriteSettingBool("EmailStaffOnly", form.staffOnly);
    WriteSettingText("EmailSmtpServer", form.server);
    WriteSettingText("EmailRecipant", form.recipients);
    WriteSettingText("EmailSender", form.sender);
    WriteSettingInt("EmailIntervals", form.eachRecord ? 0 : form.minutes);
    WriteSettingBool("EmailSendCapture", form.sendCapture);
}

}  // namespace horalog
