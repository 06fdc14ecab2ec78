#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <vector>

#include "capture/capture_service.h"
#include "common/paths.h"
#include "cli/holder_command.h"
#include "cli/card_command.h"
#include "cli/report_program.h"
#include "shell/display.h"
#include "shell/ui/program.h"
#include "storage/database_choice.h"
#include "storage/database_server.h"
#include "maintenance/log_repair.h"
#include "maintenance/migrate.h"
#include "storage/store.h"

using namespace horalog;

namespace {

// The words after the program name. "--data DIR" and "--database URL" may stand anywhere and
// belong to every mode; the first other word chooses the mode, the rest belong to it.
struct CommandLine {
    int argc = 0;
    char** argv = nullptr;
    const char* word = nullptr;  // nullptr: the window
    std::vector<const char*> rest;
    const char* error = nullptr;  // the bad word
    const char* databaseUrl = nullptr;
};

CommandLine Parse(int argc, char** argv) {
    CommandLine line;
    line.argc = argc;
    line.argv = argv;
    std::vector<const char*> words;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data") == 0 || std::strcmp(argv[i], "--database") == 0) {
            if (i + 1 >= argc)
                line.error = argv[i];
            else if (argv[i][6] == 'b')
                line.databaseUrl = argv[i + 1];
            ++i;
        } else if (std::strncmp(argv[i], "--database=", 11) == 0) {
            line.databaseUrl = argv[i] + 11;
        } else if (std::strncmp(argv[i], "--data=", 7) != 0) {
            words.push_back(argv[i]);
        }
    }
    // "--screenshot FILE" and "--screenshot-editor CARD FILE" are options of the window, not
    // modes.
    if (!words.empty() && std::strcmp(words.front(), "--screenshot") != 0 &&
        std::strcmp(words.front(), "--screenshot-editor") != 0) {
        line.word = words.front();
        words.erase(words.begin());
    }
    line.rest = words;
    return line;
}

int BadWord(const char* word) {
    std::fprintf(stderr, "horalog: unknown command or option '%s' (horalog --help lists them)\n",
                 word);
    return 2;
}

bool AsksHelp(const CommandLine& line) {
    return line.rest.size() == 1 && std::strcmp(line.rest[0], "--help") == 0;
}

// The window's own options; the window itself is opened by main, after the display check.
int RunWindow(const CommandLine& line) {
    const auto& rest = line.rest;
    if (rest.empty()) return 0;
    // The picture switches and how many words each takes with it.
    const size_t taken = std::strcmp(rest[0], "--screenshot") == 0          ? 2
                         : std::strcmp(rest[0], "--screenshot-editor") == 0 ? 3
                                                                            : 0;
    if (taken && rest.size() == taken) return 0;
    return BadWord(taken && rest.size() > taken ? rest[taken] : rest[0]);
}

int CheckDb(const CommandLine& line) {
    if (AsksHelp(line)) {
        std::puts(
            "usage: horalog --check-db [--data DIR] [--database URL]\n"
            "Tells, one line per file, whether both databases open with their passwords and the\n"
            "reader table has its eight rows; on a database server, whether it answers and holds\n"
            "this program's tables. Exit status 0 when all is well, else 1.");
        return 0;
    }
    if (!line.rest.empty()) return BadWord(line.rest.front());
    int argc = line.argc;
    QCoreApplication app(argc, line.argv);
    QString report;
    const QString url = ChosenDatabaseUrl();
    const bool ok = url.isEmpty()
                        ? CheckDatabases(ResolveDataFolder(QCoreApplication::arguments()), report)
                        : CheckServerDatabase(url, report);
    std::fputs(report.toLocal8Bit().constData(), stdout);
    return ok ? 0 : 1;
}

int CaptureOnly(const CommandLine& line) {
    if (AsksHelp(line)) {
        std::puts(
            "usage: horalog --capture-only [--data DIR] [--database URL]\n"
            "Serves the enabled readers without a window: one line per read on standard output,\n"
            "every error on standard error. SIGTERM or Ctrl+C stops it, SIGHUP reopens the\n"
            "reader ports from the reader table and the settings. Sends the mail queue when\n"
            "EmailEnabled is on. Under systemd (NOTIFY_SOCKET) it reports ready once the\n"
            "databases are open and the ports set up.");
        return 0;
    }
    if (!line.rest.empty()) return BadWord(line.rest.front());
    // Before anything else: a stop asked for during the start ends the run cleanly.
    InstallCaptureSignalHandlers();
    int argc = line.argc;
    QCoreApplication app(argc, line.argv);
    return RunCaptureOnly(QCoreApplication::arguments());
}

int Report(const CommandLine& line) {
    return RunReportProgram(line.argc, line.argv);
}

int Export(const CommandLine& line) {
    return RunExportProgram(line.argc, line.argv);
}

int Cards(const CommandLine& line) {
    return RunCardProgram(line.argc, line.argv);
}

int Repair(const CommandLine& line) {
    int argc = line.argc;
    QCoreApplication app(argc, line.argv);
    return RunRepairCommand(QCoreApplication::arguments());
}

int Holders(const CommandLine& line) {
    return RunHoldersProgram(line.argc, line.argv);
}

int Audit(const CommandLine& line) {
    return RunAuditProgram(line.argc, line.argv);
}

int PickList(const CommandLine& line) {
    return RunPickListProgram(line.argc, line.argv);
}

int Schedules(const CommandLine& line) {
    return RunSchedulesProgram(line.argc, line.argv);
}

int Help(const CommandLine&);

int Version(const CommandLine& line) {
    if (!line.rest.empty()) return BadWord(line.rest.front());
    std::printf("horalog %s\n", HORALOG_VERSION);
    return 0;
}

// Every mode of the program, one row each; --help prints them in this order.
struct Command {
    const char* word;  // nullptr: the window
    const char* usage;
    const char* summary;
    int (*run)(const CommandLine&);
    // Whether the mode reads and writes a database server; the others know only the data
    // folder's files so far, and refuse --database rather than read the files instead.
    bool server = false;
};

const Command kCommands[] = {
    {nullptr, "horalog [--data DIR] [--database URL] [--screenshot FILE]",
     "the window (needs a display)", RunWindow, true},
    {"--capture-only", "horalog --capture-only [--data DIR] [--database URL]",
     "the readers without a window (capture service)", CaptureOnly, true},
    {"--check-db", "horalog --check-db [--data DIR] [--database URL]",
     "check both databases and the reader table", CheckDb, true},
    {"report", "horalog report KIND [options] [--data DIR]",
     "a report as text or PDF (report --help)", Report, true},
    {"export", "horalog export KIND --xlsx|--csv FILE [options]",
     "attendance results as a workbook or CSV (export --help)", Export, true},
    {"cards", "horalog cards [options] [--pdf FILE]", "identity cards (cards --help)", Cards, true},
    {"member-list", "horalog member-list [options] [--pdf FILE]",
     "the member list (member-list --help)", Cards, true},
    {"repair", "horalog repair [--swap]", "copy the readable rows of a damaged log (repair --help)",
     Repair},
    {"holders", "horalog holders import|export FILE [options]",
     "holders from or to a .csv or .xlsx file (holders --help)", Holders, true},
    {"pick-list", "horalog pick-list [add|remove CARD... | clear]",
     "the holders that --persons list chooses (pick-list --help)", PickList, true},
    {"audit", "horalog audit [--from DATE] [--to DATE] [--csv FILE]",
     "the audit trail of changes (audit --help)", Audit, true},
    {"schedules", "horalog schedules [check CARD COMn [--at \"YYYY-MM-DD HH:MM\"]]",
     "time profiles and holidays; why a card is admitted or not (schedules --help)", Schedules, true},
    {"migrate", "horalog migrate --to URL [--station NAME]",
     "copy the data folder's files into an empty server database (migrate --help)",
     [](const CommandLine& l) { return RunMigrateProgram(l.argc, l.argv); }},
    {"--help", "horalog --help", "this list", Help, true},
    {"--version", "horalog --version", "the program's version", Version, true},
};

int Help(const CommandLine& line) {
    if (!line.rest.empty()) return BadWord(line.rest.front());
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

}  // namespace

int main(int argc, char** argv) {
    const CommandLine line = Parse(argc, argv);
    if (line.error) {
        std::fprintf(stderr, "horalog: %s needs a %s\n", line.error,
                     std::strcmp(line.error, "--database") == 0 ? "url" : "folder");
        return 2;
    }
    const char* word = line.word;
    if (word && (std::strcmp(word, "-h") == 0 || std::strcmp(word, "help") == 0)) word = "--help";
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (word ? c.word && std::strcmp(c.word, word) == 0 : !c.word) command = &c;
    if (!command) return BadWord(word);
    if (line.databaseUrl) {
        if (!command->server) {
            std::fprintf(stderr,
                         "horalog: %s does not use a database server yet; run it without "
                         "--database\n",
                         command->word);
            return 2;
        }
        SetCommandLineDatabaseUrl(QString::fromLocal8Bit(line.databaseUrl));
    }
    if (command->word) return command->run(line);

    if (command->run(line) != 0) return 2;
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "horalog: no display (set DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationName("Horalog");
    return RunProgram();
}
