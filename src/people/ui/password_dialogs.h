#pragma once
// The password dialogs: thin views whose "OK" asks the core check (people/login.h).

#include <QDialog>
#include <functional>

#include "people/login.h"

class QLineEdit;

namespace horalog {

// "Password Dialog" (or "Old password"): "Enter Password:" and one masked box.
class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    TPasswordDlg(const QString& caption, std::function<bool(const QString&)> accept,
                 QWidget* parent = nullptr);
    QLineEdit* edit() const { return edit_; }

private:
    void onOk();
    std::function<bool(const QString&)> accept_;
    QLineEdit* edit_;
};

// "Password Dialog" with "New password:" and "Retype password:".
class TNewPasswordDlg : public QDialog {
    Q_OBJECT
public:
    using Accept = std::function<bool(const QString&, const QString&,
                                      const std::function<void()>& focusFirst)>;
    explicit TNewPasswordDlg(Accept accept, QWidget* parent = nullptr);
    QLineEdit* first() const { return first_; }
    QLineEdit* second() const { return second_; }

private:
    void onOk();
    Accept accept_;
    QLineEdit* first_;
    QLineEdit* second_;
};

class QtPasswordPrompts : public PasswordPrompts {
public:
    explicit QtPasswordPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    bool askPassword(const QString& caption,
                     const std::function<bool(const QString&)>& accept) override;
    bool askNewPassword(const TNewPasswordDlg::Accept& accept) override;

private:
    QWidget* parent_;
};

}  // namespace horalog
