#include <QString>
#include <cstdio>

#include "cli/commands.h"
#include "cli/parsing.h"
#include "common/paths.h"

namespace horalog {

namespace {

int Help(Invocation& run);
int Version(Invocation& run);

// Every command of the program, one row each; --help prints them in this order.
struct Command {
    const char* word;  // nullptr: the window
    const char* usage;
    const char* summary;
    int (*run)(Invocation&);
    // Whether the command reads and writes a database server; the others know only the data
    // folder's files, and refuse --database rather than read the files instead.
    bool server = true;
};

const Command kCommands[] = {
    {nullptr, "horalog [--data DIR] [--database URL] [--screenshot FILE]",
     "the window (needs a display)", RunWindowCommand},
    {"--capture-only", "horalog --capture-only [--data DIR] [--database URL]",
     "the readers without a window (capture service)", RunCaptureCommand},
    {"--check-db", "horalog --check-db [--data DIR] [--database URL]",
     "check both databases and the reader table", RunCheckDbCommand},
    {"report", "horalog report KIND [options] [--data DIR]",
     "a report as text or PDF (report --help)", RunReportProgram},
    {"export", "horalog export KIND --xlsx|--csv FILE [options]",
     "attendance results as a workbook or CSV (export --help)", RunExportProgram},
    {"cards", "horalog cards [options] [--pdf FILE]", "identity cards (cards --help)",
     RunCardProgram},
    {"member-list", "horalog member-list [options] [--pdf FILE]",
     "the member list (member-list --help)", RunCardProgram},
    {"repair", "horalog repair [--swap]", "copy the readable rows of a damaged log (repair --help)",
     RunRepairProgram, false},
    {"holders", "horalog holders import|export FILE [options]",
     "holders from or to a .csv or .xlsx file (holders --help)", RunHoldersProgram},
    {"pick-list", "horalog pick-list [add|remove CARD... | clear]",
     "the holders that --persons list chooses (pick-list --help)", RunPickListProgram},
    {"absences", "horalog absences list|add|remove|import|export|types|type-set|type-remove ...",
     "holders' absences and their types: vacation, sick days, ... (absences --help)",
     RunAbsencesProgram},
    {"period", "horalog period [close DATE | reopen [DATE]]",
     "the closed period: days whose records and absences stay as they are (period --help)",
     RunPeriodProgram},
    {"audit", "horalog audit [--from DATE] [--to DATE] [--csv FILE]",
     "the audit trail of changes (audit --help)", RunAuditProgram},
    {"schedules", "horalog schedules [check CARD COMn [--at TIME] | holiday[-remove] DATE ...]",
     "time profiles and holidays; why a card is admitted or not (schedules --help)",
     RunSchedulesProgram},
    {"migrate", "horalog migrate --to URL [--station NAME]",
     "copy the data folder's files into an empty server database (migrate --help)",
     RunMigrateProgram, false},
    {"--help", "horalog --help", "this list", Help},
    {"--version", "horalog --version", "the program's version", Version},
};

int Help(Invocation& run) {
    if (const auto status = TakesOnlyHelp(run, nullptr)) return *status;
    std::printf("Horalog %s: attendance recorder with door access control.\n\n", HORALOG_VERSION);
    for (const Command& c : kCommands) std::printf("  %s\n      %s\n", c.usage, c.summary);
    std::puts(
        "\nThe data folder is --data DIR, else $HORALOG_DATA, else ~/.local/share/Horalog.\n"
        "The database is the data folder's files, or the PostgreSQL server of --database URL\n"
        "(else the setting DatabaseUrl), e.g. postgresql://user@host/db; its password comes\n"
        "from ~/.pgpass or a service file, never from the command line or the settings.\n"
        "Each command takes --help. Exit status: 0 done, 1 failure, 2 bad command line.");
    return 0;
}

int Version(Invocation& run) {
    if (const auto status = TakesOnlyHelp(run, nullptr)) return *status;
    std::printf("horalog %s\n", HORALOG_VERSION);
    return 0;
}

// The window's words stand without a command word of their own.
bool IsWindowWord(const QString& word) {
    return word.isEmpty() || word == "--screenshot" || word == "--screenshot-editor" ||
           word.startsWith("--screenshot=") || word.startsWith("--screenshot-editor=");
}

}  // namespace

int BadWord(const QString& word) {
    std::fprintf(stderr, "horalog: unknown command or option '%s' (horalog --help lists them)\n",
                 qPrintable(word));
    return 2;
}

std::optional<int> TakesOnlyHelp(Invocation& run, const char* usage) {
    CLI::App parser;
    PrepareParser(parser);
    bool help = false;
    if (usage) parser.add_flag("--help,-h", help);
    try {
        ParseWords(parser, run.words, run.words.value(0));
    } catch (const BadOption& bad) {
        return BadWord(bad.word);
    }
    if (!help) return std::nullopt;
    std::puts(usage);
    return 0;
}

int RunCommandLine(int argc, char** argv, const WindowStart& window) {
    // --data and --database belong to every command and may stand anywhere; the first other
    // word names the command, and the command reads the rest.
    CLI::App parser;
    PrepareParser(parser);
    std::optional<QString> data, database;
    AddText(parser, "--data", data);
    AddText(parser, "--database", database);
    QStringList words;
    try {
        words = ParseKnown(parser, Words(argc, argv));
    } catch (const BadOption& bad) {
        std::fprintf(stderr, "horalog: %s needs a %s\n", qPrintable(bad.word),
                     bad.word == "--database" ? "url" : "folder");
        return 2;
    }

    QString word = words.value(0);
    if (word == "-h" || word == "help") word = words[0] = "--help";
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (c.word ? word == c.word : IsWindowWord(word)) command = &c;
    if (!command) return BadWord(word);
    if (database) {
        if (!command->server) {
            std::fprintf(stderr,
                         "horalog: %s does not use a database server yet; run it without "
                         "--database\n",
                         command->word);
            return 2;
        }
        SetCommandLineDatabaseUrl(*database);
    }
    Invocation run{argc, argv, words, ResolveDataFolder(data.value_or(QString())), window};
    return command->run(run);
}

}  // namespace horalog
