#pragma once
// "Web Reporter Settings": a thin view over WebSettingsForm.

#include <QDialog>

#include "net/web_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace horalog {

class Messages;

class TWebSettings : public QDialog {
    Q_OBJECT
public:
    TWebSettings(Messages& messages, QWidget* parent = nullptr);

    // The controls, for the window's tests.
    QSpinBox* sePort = nullptr;
    QLineEdit* eBind = nullptr;
    QLabel* lPasswordState = nullptr;
    QLineEdit* ePassword = nullptr;
    QCheckBox* cbNoPassword = nullptr;
    QLineEdit* eCertificate = nullptr;
    QLineEdit* eKey = nullptr;

    // "Confirm": checks, stores and closes with success, or shows the message and stays.
    void confirm();

private:
    WebSettingsForm form() const;
    Messages& messages_;
    bool hadPassword_ = false;
};

}  // namespace horalog
