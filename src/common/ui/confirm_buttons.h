#pragma once
// The "Confirm" / "Cancel" row of the settings dialogs: Confirm is the default button and
// runs confirm (which closes the dialog when the form is good); Cancel rejects.

#include <QString>
#include <functional>

class QDialog;
class QHBoxLayout;

namespace horalog {

QHBoxLayout* ConfirmCancelRow(QDialog* dialog, const QString& confirmTip,
                              const QString& cancelTip, std::function<void()> confirm);

}  // namespace horalog
