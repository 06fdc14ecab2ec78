#include "net/ui/email_settings_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/ports.h"
#include "common/ui/confirm_buttons.h"
#include "net/mail_queue.h"

namespace horalog {

TEmailSettings::TEmailSettings(Messages& messages, QWidget* parent)
    : QDialog(parent), messages_(messages) {
    setWindowTitle("Email Settings");

    auto* server = new QGroupBox("Email Server Information");
    auto* grid = new QGridLayout(server);
    auto line = [&](int row, const char* caption, const char* hint) {
        auto* edit = new QLineEdit;
        edit->setToolTip(hint);
        grid->addWidget(new QLabel(caption), row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    eServer = line(0, "SMTP server", "SMTP mail server.");
    eRecipients =
        line(1, "Recipant Email", "The attendance email recipants (separated by semicolon).");
    eSender = line(2, "Sender's Email", "Your email address.");
    cbUsePassword = new QCheckBox("Use Password");
    ePassword = new QLineEdit;
    ePassword->setEchoMode(QLineEdit::Password);
    grid->addWidget(cbUsePassword, 3, 0);
    grid->addWidget(ePassword, 3, 1);
    cbUsePassword->hide();
    ePassword->hide();

    cbEnable = new QCheckBox("Enable automatic email sending");
    cbEnable->setToolTip("Enable the attendance email system.");

    auto* interval = new QGroupBox("Email Sending Interval");
    auto* il = new QGridLayout(interval);
    rbEachRecord = new QRadioButton("Each record");
    rbEachRecord->setToolTip("Send email immediately.");
    rbRegular = new QRadioButton("Regular intervals");
    rbRegular->setToolTip("Send email on a regular intervals.");
    seMinutes = new QSpinBox;
    seMinutes->setRange(kMailMinutesMin, kMailMinutesMax);
    seMinutes->setSingleStep(kMailMinutesStep);
    seMinutes->setValue(kMailMinutesDefault);
    il->addWidget(rbEachRecord, 0, 0);
    il->addWidget(rbRegular, 1, 0);
    il->addWidget(seMinutes, 1, 1);
    il->addWidget(new QLabel("Minutes"), 1, 2);
    connect(rbRegular, &QRadioButton::toggled, seMinutes, &QSpinBox::setEnabled);

    auto* options = new QGroupBox("Options");
    auto* ol = new QVBoxLayout(options);
    cbSendCapture = new QCheckBox("Send captured photo");
    cbStaffOnly = new QCheckBox("Email registered card only");
    cbStaffOnly->setToolTip("Send email only when the card is registered.");
    ol->addWidget(cbSendCapture);
    ol->addWidget(cbStaffOnly);

    auto* buttons = ConfirmCancelRow(this, "Confirm the settings and exit.",
                                     "Cancel operation and quit.", [this] { confirm(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(server);
    layout->addWidget(cbEnable);
    layout->addWidget(interval);
    layout->addWidget(options);
    layout->addLayout(buttons);

    showForm(LoadMailSettingsForm());
}

void TEmailSettings::showForm(const MailSettingsForm& f) {
    eServer->setText(f.server);
    eRecipients->setText(f.recipients);
    eSender->setText(f.sender);
    cbEnable->setChecked(f.enabled);
    cbStaffOnly->setChecked(f.staffOnly);
    cbSendCapture->setChecked(f.sendCapture);
    seMinutes->setValue(f.minutes);
    rbEachRecord->setChecked(f.eachRecord);
    rbRegular->setChecked(!f.eachRecord);
    seMinutes->setEnabled(!f.eachRecord);
}

MailSettingsForm TEmailSettings::form() const {
    MailSettingsForm f;
    f.server = eServer->text();
    f.recipients = eRecipients->text();
    f.sender = eSender->text();
    f.enabled = cbEnable->isChecked();
    f.staffOnly = cbStaffOnly->isChecked();
    f.sendCapture = cbSendCapture->isChecked();
    f.eachRecord = rbEachRecord->isChecked();
    f.minutes = seMinutes->value();
    return f;
}

void TEmailSettings::confirm() {
    MailSettingsForm f = form();
    MailSettingsCheck check = CheckMailSettingsForm(f);
    // The trimmed texts go back into their boxes.
    eServer->setText(f.server);
    eRecipients->setText(f.recipients);
    eSender->setText(f.sender);
    if (!check.ok()) {
        QLineEdit* box = check.field == MailField::Server       ? eServer
                         : check.field == MailField::Recipients ? eRecipients
                                                                : eSender;
        box->setFocus();
        messages_.error(check.message);
        return;
    }
    SaveMailSettingsForm(f);
    accept();
}

void OpenEmailSettings(QWidget* parent, Messages& messages, MailQueue& queue) {
    TEmailSettings dialog(messages, parent);
    if (dialog.exec() == QDialog::Accepted) queue.arm();
}

}  // namespace horalog
