#include "common/ui/confirm_buttons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace horalog {

QHBoxLayout* ConfirmCancelRow(QDialog* dialog, const QString& confirmTip,
                              const QString& cancelTip, std::function<void()> confirm) {
    auto* bConfirm = new QPushButton("Confirm");
    bConfirm->setToolTip(confirmTip);
    bConfirm->setDefault(true);
    auto* bCancel = new QPushButton("Cancel");
    if (!cancelTip.isEmpty()) bCancel->setToolTip(cancelTip);
    QObject::connect(bConfirm, &QPushButton::clicked, dialog, std::move(confirm));
    QObject::connect(bCancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(bConfirm);
    row->addWidget(bCancel);
    return row;
}

}  // namespace horalog
