#pragma once
// "Email Settings": a thin view over MailSettingsForm.

#include <QDialog>

#include "net/mail_settings.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace horalog {

class Messages;
class MailQueue;

class TEmailSettings : public QDialog {
    Q_OBJECT
public:
    TEmailSettings(Messages& messages, QWidget* parent = nullptr);

    // The controls, for the window's tests.
    QLineEdit* eServer = nullptr;
    QLineEdit* eRecipients = nullptr;
    QLineEdit* eSender = nullptr;
    QLineEdit* ePassword = nullptr;  // never shown: the server is used without a login
    QCheckBox* cbEnable = nullptr;
    QCheckBox* cbUsePassword = nullptr;  // never shown
    QRadioButton* rbEachRecord = nullptr;
    QRadioButton* rbRegular = nullptr;
    QSpinBox* seMinutes = nullptr;
    QCheckBox* cbSendCapture = nullptr;
    QCheckBox* cbStaffOnly = nullptr;

    // "Confirm": checks, stores and closes with success, or shows the message and stays.
    void confirm();

private:
    void showForm(const MailSettingsForm& f);
    MailSettingsForm form() const;
    Messages& messages_;
};

// The action actemail: runs the dialog; after "Confirm" the send timer is re-armed at once.
void OpenEmailSettings(QWidget* parent, Messages& messages, MailQueue& queue);

}  // namespace horalog
