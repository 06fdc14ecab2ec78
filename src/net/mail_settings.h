#pragma once
// The "Email Settings" dialog's model: what it loads from the settings store, the checks of
// "Confirm" and what it stores.

#include <QString>

namespace horalog {

inline constexpr const char* kInvalidSmtpServer =
    "The SMTP server entry is invalid. Please re-enter.";
inline constexpr const char* kInvalidRecipients =
    "The recipant email entry is invalid. Please re-enter.";
inline constexpr const char* kInvalidSender = "The sender email entry is invalid. Please re-enter.";

inline constexpr int kMailMinutesMin = 5;
inline constexpr int kMailMinutesMax = 240;
inline constexpr int kMailMinutesStep = 5;
inline constexpr int kMailMinutesDefault = 30;

struct MailSettingsForm {
    QString server;
    QString recipients;
    QString sender;
    bool enabled = false;
    bool staffOnly = true;
    bool sendCapture = false;
    bool eachRecord = false;            // "Each record", else "Regular intervals"
    int minutes = kMailMinutesDefault;  // the spin box
};

enum class MailField { None, Server, Recipients, Sender };

struct MailSettingsCheck {
    MailField field = MailField::None;  // the box at fault
    QString message;                    // its error message
    bool ok() const { return field == MailField::None; }
};

// The form as the dialog opens: "Regular intervals" with the stored minutes unless
// EmailIntervals (default 30) is 0, then "Each record" with the spin box at 30.
MailSettingsForm LoadMailSettingsForm();

// "Confirm" steps 1 to 3: trims the server, recipients and sender texts in turn, in place,
// and stops at the first that is empty.
MailSettingsCheck CheckMailSettingsForm(MailSettingsForm& form);

// "Confirm" step 4.
void SaveMailSettingsForm(const MailSettingsForm& form);

}  // namespace horalog
