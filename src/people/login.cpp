#include "people/login.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <QByteArray>
#include <QStringList>
#include <optional>

#include "common/ports.h"
#include "common/texts.h"
#include "storage/audit.h"
#include "storage/database.h"

namespace horalog {

namespace {

constexpr const char* kScheme = "pbkdf2-sha256";
constexpr int kIterations = 120000;
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;

QByteArray pbkdf2(const QString& password, const QByteArray& salt, int iterations) {
    const QByteArray pw = password.toUtf8();
    QByteArray out(kHashBytes, '\0');
    if (PKCS5_PBKDF2_HMAC(pw.constData(), int(pw.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()),
                          int(salt.size()), iterations, EVP_sha256(), int(out.size()),
                          reinterpret_cast<unsigned char*>(out.data())) != 1)
        throw std::runtime_error("PBKDF2 failed");
    return out;
}

std::optional<QString> storedPassword(Connection& src) {
    auto q = src.prepare("SELECT PASSWORD FROM passwd ORDER BY rowid LIMIT 1");
    if (!q.next()) return std::nullopt;
    return q.isNull("PASSWORD") ? QString() : q.text("PASSWORD");
}

}  // namespace

QString HashPassword(const QString& password) {
    QByteArray salt(kSaltBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), int(salt.size())) != 1)
        throw std::runtime_error("no random bytes for the password salt");
    return QString("%1$%2$%3$%4")
        .arg(kScheme)
        .arg(kIterations)
        .arg(QString::fromLatin1(salt.toBase64()),
             QString::fromLatin1(pbkdf2(password, salt, kIterations).toBase64()));
}

bool VerifyPassword(const QString& typed, const QString& stored) {
    if (stored.isEmpty()) return typed.isEmpty();
    const QStringList parts = stored.split('$');
    if (parts.size() != 4 || parts[0] != kScheme) return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10000000) return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray want = QByteArray::fromBase64(parts[3].toLatin1());
    if (salt.isEmpty() || want.size() != kHashBytes) return false;
    const QByteArray got = pbkdf2(typed, salt, iterations);
    return CRYPTO_memcmp(got.constData(), want.constData(), kHashBytes) == 0;
}

bool PasswordRegistered(Connection& src) {
    return storedPassword(src).has_value();
}

bool PasswordMatches(Connection& src, const QString& typed) {
    auto stored = storedPassword(src);
    return stored && VerifyPassword(typed, *stored);
}

void StorePassword(Connection& src, const QString& password) {
    const QString hash = HashPassword(password);
    Transaction t(src);
    auto q =
        src.prepare("UPDATE passwd SET PASSWORD = ? WHERE rowid = (SELECT min(rowid) FROM passwd)");
    q.bindAll(hash);
    q.exec();
    if (src.changes() == 0) {
        auto ins = src.prepare("INSERT INTO passwd (PASSWORD) VALUES (?)");
        ins.bindAll(hash);
        ins.exec();
    }
    AuditLog(src).write(audit::kPasswordChanged, QString());  // never the password itself
    t.commit();
}

void LoginState::setLoggedIn(bool in) {
    if (in == loggedIn_) return;
    loggedIn_ = in;
    emit changed(in);
}

bool AcceptPassword(Connection& src, Messages& messages, const QString& typed) {
    bool match = false;
    try {
        match = PasswordMatches(src, typed);
    } catch (const DbError&) {
        messages.error(text::kDatabaseError);
        return false;
    }
    if (!match) messages.error(kPasswordIncorrect);
    return match;
}

bool AcceptNewPassword(Messages& messages, const QString& first, const QString& second,
                       const std::function<void()>& focusFirst) {
    if (first == second) return true;
    if (focusFirst) focusFirst();
    messages.error(kPasswordInconsistent);
    return false;
}

bool RunLogin(Connection& src, Messages& messages, PasswordPrompts& prompts, LoginState& state) {
    bool registered = false;
    try {
        registered = PasswordRegistered(src);
    } catch (const DbError&) {
        messages.error(text::kDatabaseError);
        return false;
    }
    if (!registered) {
        messages.information(kNoPasswordYet);
    } else if (!prompts.askPassword("Password Dialog", [&](const QString& typed) {
                   return AcceptPassword(src, messages, typed);
               })) {
        return false;
    }
    state.setLoggedIn(true);
    try {
        AuditLog(src).write(audit::kLogin, QString());
    } catch (const DbError&) {
        // the operator is in; a trail that cannot be written must not lock them out
    }
    return true;
}

bool RunSetPassword(Connection& src, Messages& messages, PasswordPrompts& prompts) {
    bool registered = false;
    try {
        registered = PasswordRegistered(src);
    } catch (const DbError&) {
        messages.error(text::kDatabaseError);
        return false;
    }
    if (registered && !prompts.askPassword("Old password", [&](const QString& typed) {
            return AcceptPassword(src, messages, typed);
        }))
        return false;
    QString chosen;
    if (!prompts.askNewPassword(
            [&](const QString& a, const QString& b, const std::function<void()>& focusFirst) {
                if (!AcceptNewPassword(messages, a, b, focusFirst)) return false;
                chosen = a;
                return true;
            }))
        return false;
    try {
        StorePassword(src, chosen);
    } catch (const DbError&) {
        messages.error(text::kUpdateFailed);
        return false;
    }
    messages.information(kPasswordRegistered);
    return true;
}

}  // namespace horalog
