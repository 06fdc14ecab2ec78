#include "cli/holders_command.h"

#include <QFileInfo>

#include "cli/command_program.h"
#include "cli/commands.h"
#include "cli/parsing.h"
#include "maintenance/holder_import.h"
#include "storage/database.h"

namespace horalog {

namespace {

const char* const kHoldersUsage =
    "Usage: horalog holders import FILE [--no-new-groups] [--data DIR]\n"
    "       horalog holders export FILE [--data DIR]\n"
    "FILE is .csv (UTF-8, comma or semicolon, header row) or .xlsx with the columns CARDNO,\n"
    "NAME, GROUP, MEMO and optional COM1 to COM8 and PROFILE (a time profile by name). An\n"
    "import is refused whole, with the list of bad rows, unless every row is good;\n"
    "--no-new-groups refuses rows of unknown groups.\n";

}  // namespace

int RunHoldersCommand(const QStringList& words, const QString& folder, QTextStream& out,
                      QTextStream& err) {
    CLI::App parser;
    PrepareParser(parser);
    bool noNewGroups = false;
    QString verb, file;
    AddText(parser, "verb", verb);
    AddText(parser, "file", file);
    parser.add_flag("--no-new-groups", noNewGroups);
    if (const auto status = ReadWords(parser, words, "holders", kHoldersUsage, out, err))
        return *status;
    if (verb.isEmpty()) return BadWord(err, "holders", "(nothing)");
    if (verb != "import" && verb != "export") return BadWord(err, "holders", verb);
    if (noNewGroups && verb != "import") return BadWord(err, "holders", "--no-new-groups");
    if (file.isEmpty()) return BadWord(err, "holders", verb + " (no FILE)");
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix != "csv" && suffix != "xlsx") return BadWord(err, "holders", file);
    HolderImportOptions options;
    options.createGroups = !noNewGroups;

    auto src = OpenSystemDb(folder, OpenMode::ReadWrite, err, "holders");
    if (!src) return 1;
    if (verb == "export") {
        QString error;
        if (!ExportHolders(*src, file, error)) {
            err << "horalog holders: " << error << Qt::endl;
            return 1;
        }
        auto q = src->prepare("SELECT count(*) FROM staffs");
        q.next();
        out << "Exported " << q.value(0).toLongLong() << " holders to " << file << Qt::endl;
        return 0;
    }
    const HolderImportResult r = ImportHolders(*src, file, options);
    if (!r.ok) {
        err << HolderImportSummary(r) << Qt::endl;
        return 1;
    }
    out << HolderImportSummary(r) << Qt::endl;
    return 0;
}

int RunHoldersProgram(Invocation& run) {
    return RunOnStandardStreams(run, RunHoldersCommand);
}

}  // namespace horalog
