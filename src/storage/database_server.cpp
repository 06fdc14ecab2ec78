#include "storage/database_server.h"

#include <libpq-fe.h>

#include "storage/database_choice.h"
#include "storage/postgres_driver.h"
#include "storage/settings.h"

namespace horalog {

QString DatabaseUrlProblem(const QString& url) {
    const QString trimmed = url.trimmed();
    if (trimmed.isEmpty()) return {};
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(trimmed.toUtf8().constData(), &error);
    if (!options) {
        const QString why = error ? QString::fromUtf8(error).trimmed() : QString("out of memory");
        PQfreemem(error);
        return "This is no server address: " + why;
    }
    bool password = false;
    for (PQconninfoOption* o = options; o->keyword; ++o)
        if (QByteArray(o->keyword) == "password" && o->val && *o->val) password = true;
    PQconninfoFree(options);
    if (password)
        return "The address holds a password. Passwords are never stored in the settings: put "
               "it into ~/.pgpass (host:port:database:user:password, mode 0600) or a service "
               "file, and leave it out of the address.";
    return {};
}

DatabaseServerTest TestDatabaseServer(const QString& url) {
    const QString trimmed = url.trimmed();
    if (trimmed.isEmpty()) return {true, kEmbeddedDatabaseText};
    if (QString problem = DatabaseUrlProblem(trimmed); !problem.isEmpty()) return {false, problem};
    try {
        auto c = OpenServerDatabase(trimmed, OpenMode::ReadOnly);
        auto q = c->prepare("SELECT current_setting('server_version') AS V");
        const QString version = q.next() ? q.text("V").section(' ', 0, 0) : QString("?");
        const bool ours = c->hasTable("schema_version") && c->hasTable("recorder");
        QString text = QString("Connected to %1 (PostgreSQL %2): ")
                           .arg(UrlWithoutPassword(trimmed), version);
        text += ours ? QString("the database holds this program's tables.")
                           : QString("the database holds no tables of this program yet; they "
                                     "are made at the next start.");
        return {true, text};
    } catch (const DbError& e) {
        return {false, e.text()};
    }
}

bool CheckServerDatabase(const QString& url, QString& report) {
    const DatabaseServerTest test = TestDatabaseServer(url);
    bool ok = test.ok;
    QString line = test.text;
    if (ok) {
        try {
            auto c = OpenServerDatabase(url.trimmed(), OpenMode::ReadOnly);
            if (c->hasTable("recorder")) {
                auto q = c->prepare("SELECT count(*) FROM recorder");
                q.next();
                line = QString("%1: ok, %2 log records")
                           .arg(UrlWithoutPassword(url.trimmed()))
                           .arg(q.value(0).toLongLong());
            } else {
                ok = false;
            }
        } catch (const DbError& e) {
            ok = false;
            line = e.text();
        }
    }
    report += line + "\n";
    return ok;
}

QString LoadDatabaseUrl() {
    return ReadSettingText(kDatabaseUrlSetting, QString()).trimmed();
}

void SaveDatabaseUrl(const QString& url) {
    WriteSettingText(kDatabaseUrlSetting, url.trimmed());
}

}  // namespace horalog
