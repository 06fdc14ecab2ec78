#pragma once
// The operator password and the login state.
//
// Table passwd holds at most one row (only the first is read): no row means no password is
// registered; a row, even for the empty password, means one is. The row keeps a salted
// PBKDF2-HMAC-SHA256 hash, never the password itself; comparison is exact and case-sensitive.

#include <QObject>
#include <QString>
#include <functional>

namespace horalog {

class Connection;
class Messages;

inline constexpr const char* kNoPasswordYet = "No password registered yet.";
inline constexpr const char* kPasswordIncorrect = "Password incorrect.";
inline constexpr const char* kPasswordInconsistent = "Password inconsistant. Please re-enter it.";
inline constexpr const char* kPasswordRegistered = "New password registered.";
inline constexpr const char* kFeatureDisabled = "Feature disabled. Please Login to use it.";

// "pbkdf2-sha256$<iterations>$<salt, base64>$<hash, base64>" with a fresh random salt.
QString HashPassword(const QString& password);
// Whether typed is the password of the stored form. A stored empty text stands for the empty
// password; a form this program does not write matches nothing.
bool VerifyPassword(const QString& typed, const QString& stored);

bool PasswordRegistered(Connection& src);
// Compares with the registered password; false when none is registered.
bool PasswordMatches(Connection& src, const QString& typed);
// Stores the password in the first row, creating it when the table is empty. Throws DbError;
// the old password then stays.
void StorePassword(Connection& src, const QString& password);

// Logged in or out: one flag for the whole window, consulted by every gated action.
class LoginState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool loggedIn() const { return loggedIn_; }
    void setLoggedIn(bool in);

signals:
    void changed(bool loggedIn);

private:
    bool loggedIn_ = false;
};

// The password dialogs, as the flows below need them. accept is called at each "OK" and
// answers whether the dialog may close; the call answers true when it closed by "OK".
class PasswordPrompts {
public:
    virtual ~PasswordPrompts() = default;
    // "Password Dialog" (or "Old password"): one masked box.
    virtual bool askPassword(const QString& caption,
                             const std::function<bool(const QString&)>& accept) = 0;
    // "Password Dialog" with "New password:" and "Retype password:". accept gets both texts
    // and a function that puts the focus back on the first box.
    virtual bool askNewPassword(
        const std::function<bool(const QString&, const QString&,
                                 const std::function<void()>& focusFirst)>& accept) = 0;
};

// "Login": true when the state is now logged in.
bool RunLogin(Connection& src, Messages& messages, PasswordPrompts& prompts, LoginState& state);
// "Set Password": true when a new password was stored. Does not change the login state.
bool RunSetPassword(Connection& src, Messages& messages, PasswordPrompts& prompts);

// The checks behind the dialogs' "OK" buttons.
bool AcceptPassword(Connection& src, Messages& messages, const QString& typed);
bool AcceptNewPassword(Messages& messages, const QString& first, const QString& second,
                       const std::function<void()>& focusFirst);

}  // namespace horalog
