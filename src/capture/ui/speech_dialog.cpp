#include "capture/ui/speech_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "storage/settings.h"

namespace horalog {

TDlgSpeech::TDlgSpeech(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Speech Options");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("Speech Options", this);
    auto* groupLayout = new QVBoxLayout(group);
    cbEnable_ = new QCheckBox("Enable Speech Feedback", group);
    cbEnable_->setChecked(ReadSettingBool("SpeechEnable", false));
    groupLayout->addWidget(cbEnable_);
    layout->addWidget(group);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
        WriteSettingBool("SpeechEnable", cbEnable_->isChecked());
        accept();
    });
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

}  // namespace horalog
