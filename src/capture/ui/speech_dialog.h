#pragma once
// "Speech Options" (TDlgSpeech): switches the spoken feedback (SpeechEnable).

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;

namespace horalog {

class TDlgSpeech : public QDialog {
    Q_OBJECT
public:
    explicit TDlgSpeech(QWidget* parent = nullptr);
    QCheckBox* enableBox() const { return cbEnable_; }
    QDialogButtonBox* buttons() const { return buttons_; }

private:
    QCheckBox* cbEnable_;
    QDialogButtonBox* buttons_;
};

}  // namespace horalog
