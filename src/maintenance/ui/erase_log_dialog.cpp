#include "maintenance/ui/erase_log_dialog.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace horalog {

TEraseLogDialog::TEraseLogDialog(const Clock& clock, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Erase Attendance Records");
    auto* scope = new QGroupBox("Scope", this);
    rbAll_ = new QRadioButton("All Attendance Records", scope);
    rbAll_->setToolTip("Erase all attendance records.");
    rbAll_->setStatusTip(rbAll_->toolTip());
    rbAll_->setChecked(true);
    rbBefore_ = new QRadioButton("Before the date", scope);
    rbBefore_->setToolTip("Erase the attendance records before the date.");
    rbBefore_->setStatusTip(rbBefore_->toolTip());
    dtBefore_ = new QDateEdit(clock().date(), scope);
    dtBefore_->setDisplayFormat("MMMM d, yyyy dddd");
    dtBefore_->setCalendarPopup(true);
    dtBefore_->installEventFilter(this);
    connect(dtBefore_, &QDateEdit::dateChanged, this, [this] { rbBefore_->setChecked(true); });

    auto* box = new QVBoxLayout(scope);
    box->addWidget(rbAll_);
    box->addWidget(rbBefore_);
    box->addWidget(dtBefore_);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Confirm", QDialogButtonBox::AcceptRole);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scope);
    layout->addWidget(buttons);
}

bool TEraseLogDialog::eventFilter(QObject* watched, QEvent* event) {
    // Touching the date picker means the date matters.
    if (watched == dtBefore_ &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn))
        rbBefore_->setChecked(true);
    return QDialog::eventFilter(watched, event);
}

EraseLogChoice TEraseLogDialog::choice() const {
    return {rbAll_->isChecked(), DateTime::fromDate(dtBefore_->date())};
}

std::optional<EraseLogChoice> TEraseLogDialog::ask(QWidget* parent, const Clock& clock) {
    TEraseLogDialog dialog(clock, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

}  // namespace horalog
