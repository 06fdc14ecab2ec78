#include "net/ui/web_settings_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/ports.h"
#include "common/ui/confirm_buttons.h"

namespace horalog {

TWebSettings::TWebSettings(Messages& messages, QWidget* parent)
    : QDialog(parent), messages_(messages) {
    setWindowTitle("Web Reporter Settings");
    const WebSettingsForm f = LoadWebSettingsForm();
    hadPassword_ = f.hasPassword;

    auto* where = new QGroupBox("Address");
    auto* wl = new QGridLayout(where);
    sePort = new QSpinBox;
    sePort->setRange(1, 65535);
    sePort->setValue(qBound(1, f.port, 65535));
    eBind = new QLineEdit(f.bind);
    eBind->setPlaceholderText("all addresses of this machine");
    eBind->setToolTip("Listen on one IPv4 address of this machine only, e.g. 127.0.0.1.");
    wl->addWidget(new QLabel("Port"), 0, 0);
    wl->addWidget(sePort, 0, 1, Qt::AlignLeft);
    wl->addWidget(new QLabel("Listen on"), 1, 0);
    wl->addWidget(eBind, 1, 1);

    auto* who = new QGroupBox("Password");
    auto* pl = new QVBoxLayout(who);
    lPasswordState = new QLabel(f.hasPassword
                                    ? "A password is set: browsers ask for it (any user name)."
                                    : "No password: anyone on the network can read the pages.");
    lPasswordState->setWordWrap(true);
    ePassword = new QLineEdit;
    ePassword->setEchoMode(QLineEdit::Password);
    ePassword->setPlaceholderText(f.hasPassword ? "type to change it" : "type to set one");
    cbNoPassword = new QCheckBox("Ask no password");
    cbNoPassword->setVisible(f.hasPassword);
    connect(cbNoPassword, &QCheckBox::toggled, ePassword, &QLineEdit::setDisabled);
    pl->addWidget(lPasswordState);
    pl->addWidget(ePassword);
    pl->addWidget(cbNoPassword);

    auto* https = new QGroupBox("HTTPS (PEM files; leave empty for HTTP)");
    auto* hl = new QGridLayout(https);
    auto fileRow = [&](int row, const char* caption, const QString& value) {
        auto* edit = new QLineEdit(value);
        auto* browse = new QPushButton("Browse...");
        connect(browse, &QPushButton::clicked, this, [this, edit, caption] {
            const QString path = QFileDialog::getOpenFileName(
                this, caption, edit->text(), "PEM files (*.pem *.crt *.key);;All files (*)");
            if (!path.isEmpty()) edit->setText(path);
        });
        hl->addWidget(new QLabel(caption), row, 0);
        hl->addWidget(edit, row, 1);
        hl->addWidget(browse, row, 2);
        return edit;
    };
    eCertificate = fileRow(0, "Certificate", f.certificate);
    eKey = fileRow(1, "Private key", f.key);

    auto* buttons = ConfirmCancelRow(
        this, "Store the settings; a running web reporter starts again with them.", {},
        [this] { confirm(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(where);
    layout->addWidget(who);
    layout->addWidget(https);
    layout->addLayout(buttons);
    setMinimumWidth(460);
}

WebSettingsForm TWebSettings::form() const {
    WebSettingsForm f;
    f.port = sePort->value();
    f.bind = eBind->text();
    f.hasPassword = hadPassword_;
    f.clearPassword = cbNoPassword->isChecked();
    f.newPassword = ePassword->text();
    f.certificate = eCertificate->text();
    f.key = eKey->text();
    return f;
}

void TWebSettings::confirm() {
    WebSettingsForm f = form();
    const WebSettingsCheck check = CheckWebSettingsForm(f);
    eBind->setText(f.bind);
    eCertificate->setText(f.certificate);
    eKey->setText(f.key);
    if (!check.ok()) {
        QWidget* box = check.field == WebField::Port    ? static_cast<QWidget*>(sePort)
                       : check.field == WebField::Bind  ? eBind
                       : check.field == WebField::Key   ? eKey
                                                        : eCertificate;
        box->setFocus();
        messages_.error(check.message);
        return;
    }
    SaveWebSettingsForm(f);
    accept();
}

}  // namespace horalog
