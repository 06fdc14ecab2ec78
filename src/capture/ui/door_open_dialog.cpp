#include "capture/ui/door_open_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace horalog {

TdlgDoorOpen::TdlgDoorOpen(const ReaderLinks& links, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Setup Door Open Button");
    auto* layout = new QVBoxLayout(this);
    const DoorOpenSetup setup = LoadDoorOpenSetup(links);
    choice_ = setup.choice;
    cbEnable_ = new QCheckBox("Enable Door Open Button", this);
    cbEnable_->setChecked(setup.enable);
    cbReader_ = new QComboBox(this);
    cbReader_->addItems(choice_.names);
    cbReader_->setCurrentIndex(choice_.selected);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(cbEnable_);
    layout->addWidget(cbReader_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &TdlgDoorOpen::ok);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TdlgDoorOpen::ok() {
    StoreDoorOpenSetup(cbEnable_->isChecked(), choice_, cbReader_->currentIndex());
    accept();
}

}  // namespace horalog
