#include "people/ui/password_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace horalog {

namespace {

QDialogButtonBox* okCancel(QDialog* dlg) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dlg);
    box->button(QDialogButtonBox::Ok)->setText("OK");
    box->button(QDialogButtonBox::Ok)->setDefault(true);
    box->button(QDialogButtonBox::Cancel)->setText("Cancel");
    QObject::connect(box, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
    return box;
}

QLineEdit* masked(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setEchoMode(QLineEdit::Password);
    return e;
}

}  // namespace

TPasswordDlg::TPasswordDlg(const QString& caption, std::function<bool(const QString&)> accept,
                           QWidget* parent)
    : QDialog(parent), accept_(std::move(accept)), edit_(masked(this)) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Enter Password:", this));
    layout->addWidget(edit_);
    auto* buttons = okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TPasswordDlg::onOk);
    layout->addWidget(buttons);
}

void TPasswordDlg::onOk() {
    if (accept_(edit_->text())) {
        accept();
    } else {
        edit_->setFocus();
        edit_->selectAll();
    }
}

TNewPasswordDlg::TNewPasswordDlg(Accept accept, QWidget* parent)
    : QDialog(parent), accept_(std::move(accept)), first_(masked(this)), second_(masked(this)) {
    setWindowTitle("Password Dialog");
    auto* form = new QFormLayout;
    form->addRow("New password:", first_);
    form->addRow("Retype password:", second_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* buttons = okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TNewPasswordDlg::onOk);
    layout->addWidget(buttons);
}

void TNewPasswordDlg::onOk() {
    auto focusFirst = [this] {
        first_->setFocus();
        first_->selectAll();
    };
    if (accept_(first_->text(), second_->text(), focusFirst)) accept();
}

bool QtPasswordPrompts::askPassword(const QString& caption,
                                    const std::function<bool(const QString&)>& accept) {
    TPasswordDlg dlg(caption, accept, parent_);
    return dlg.exec() == QDialog::Accepted;
}

bool QtPasswordPrompts::askNewPassword(const TNewPasswordDlg::Accept& accept) {
    TNewPasswordDlg dlg(accept, parent_);
    return dlg.exec() == QDialog::Accepted;
}

}  // namespace horalog
