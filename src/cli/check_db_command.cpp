// `horalog --check-db`: whether the databases open, pass their check and hold their tables.

#include <QCoreApplication>
#include <cstdio>

#include "cli/commands.h"
#include "storage/database_choice.h"
#include "storage/database_server.h"
#include "storage/store.h"

namespace horalog {

namespace {

const char* const kUsage =
    "usage: horalog --check-db [--data DIR] [--database URL]\n"
    "Tells, one line per file, whether both databases open with their passwords and the\n"
    "reader table has its eight rows; on a database server, whether it answers and holds\n"
    "this program's tables. Exit status 0 when all is well, else 1.";

}  // namespace

int RunCheckDbCommand(Invocation& run) {
    if (const auto status = TakesOnlyHelp(run, kUsage)) return *status;
    QCoreApplication app(run.argc, run.argv);
    QString report;
    const QString url = ChosenDatabaseUrl();
    const bool ok =
        url.isEmpty() ? CheckDatabases(run.folder, report) : CheckServerDatabase(url, report);
    std::fputs(report.toLocal8Bit().constData(), stdout);
    return ok ? 0 : 1;
}

}  // namespace horalog
