#include "cli/migrate_command.h"

#include "cli/command_program.h"
#include "cli/commands.h"
#include "cli/parsing.h"
#include "maintenance/migrate.h"

namespace horalog {

namespace {

const char* const kUsage =
    "Usage: horalog migrate --to URL [--station NAME] [--data DIR]\n"
    "Copies the data folder's files (log, holders with photos, groups, timetables, profiles\n"
    "and holidays, the reader table, passage states, audit trail, mail queue) into an empty\n"
    "database on a PostgreSQL server, e.g. postgresql://horalog@dbhost/horalog, keeping every\n"
    "id; then compares the row counts of every table. A database that holds rows already is\n"
    "refused. The password comes from ~/.pgpass or a service file, never from the url.\n"
    "The data folder is only read. Afterwards, point each PC at the server with the setting\n"
    "DatabaseUrl or --database URL. The log and the reader table are recorded under the\n"
    "station NAME (default: this PC's setting Station, else its host name), the name the PC\n"
    "must keep on the server. Exit status 0 when every count is equal.\n";

}  // namespace

int RunMigrateCommand(const QStringList& words, const QString& folder, QTextStream& out,
                      QTextStream& err) {
    CLI::App parser;
    PrepareParser(parser);
    MigrateOptions options;
    AddText(parser, "--to", options.url);
    AddText(parser, "--station", options.station);
    if (const auto status = ReadWords(parser, words, "migrate", kUsage, out, err)) return *status;
    if (options.url.trimmed().isEmpty()) return BadWord(err, "migrate", "(no --to URL)");
    return MigrateFolder(folder, options, out, err);
}

int RunMigrateProgram(Invocation& run) {
    return RunOnStandardStreams(run, RunMigrateCommand);
}

}  // namespace horalog
