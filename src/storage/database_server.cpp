#include "storage/database_server.h"

#include <libpq-fe.h>

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

QString LoadDatabaseUrl() {
    return ReadSettingText("DatabaseUrl", QString()).trimmed();
}

void SaveDatabaseUrl(const QString& url) {
    WriteSettingText("DatabaseUrl", url.trimmed());
}

}  // namespace horalog
