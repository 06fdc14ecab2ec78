#include "people/holder_command.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "common/paths.h"
#include "people/holder_import.h"
#include "storage/audit.h"
#include "storage/audit_model.h"
#include "storage/schema_upgrade.h"
#include "storage/store.h"

namespace horalog {

namespace {

QStringList CommandWords(const QStringList& arguments) {
    QStringList words;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--data") {
            ++i;
            continue;
        }
        if (arguments[i].startsWith("--data=")) continue;
        words << arguments[i];
    }
    return words;
}

QStringList Arguments(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
    return list;
}

bool FirstWordIs(int argc, char** argv, const char* word) {
    const QStringList words = CommandWords(Arguments(argc, argv));
    return !words.isEmpty() && words.front() == QLatin1String(word);
}

int RunProgram(int argc, char** argv,
               int (*command)(const QStringList&, const QString&, QTextStream&, QTextStream&)) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Quorvane");
    QCoreApplication::setApplicationName("Horalog");
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream out(stdout), err(stderr);
    const int status = command(CommandWords(arguments), ResolveDataFolder(arguments), out, err);
    out.flush();
    err.flush();
    return status;
}

// The system database of the folder, upgraded to this program's tables; never created here.
std::unique_ptr<Connection> OpenSystemDb(const QString& folder, OpenMode mode, QTextStream& err,
                                         const char* command) {
    const QString path = QDir(folder).filePath(kSysDbFile);
    try {
        if (!QFileInfo::exists(path)) throw DbError("no such file " + path);
        auto c = OpenDatabase(path, kSysDbPassword, mode);
        if (mode == OpenMode::ReadWrite) UpgradeSchema(*c, "sysdat");
        return c;
    } catch (const DbError& e) {
        err << "horalog " << command << ": " << kCannotOpenSysDb << " (" << e.text() << ")"
            << Qt::endl;
        return nullptr;
    }
}

const char* const kHoldersUsage =
    "Usage: horalog holders import FILE [--no-new-groups] [--data DIR]\n"
    "       horalog holders export FILE [--data DIR]\n"
    "FILE is .csv (UTF-8, comma or semicolon, header row) or .xlsx with the columns CARDNO,\n"
    "NAME, GROUP, MEMO and optional COM1 to COM8. An import is refused whole, with the list of\n"
    "bad rows, unless every row is good; --no-new-groups refuses rows of unknown groups.\n";

const char* const kAuditUsage =
    "Usage: horalog audit [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--text TEXT] [--csv FILE]\n"
    "                     [--data DIR]\n"
    "Prints the audit trail, oldest first, or writes it to a CSV file.\n";

int BadWord(QTextStream& err, const char* command, const QString& word) {
    err << "horalog " << command << ": bad word \"" << word << "\" (see --help)" << Qt::endl;
    return 2;
}

}  // namespace

bool IsHoldersCommand(int argc, char** argv) {
    return FirstWordIs(argc, argv, "holders");
}
bool IsAuditCommand(int argc, char** argv) {
    return FirstWordIs(argc, argv, "audit");
}
int RunHoldersProgram(int argc, char** argv) {
    return RunProgram(argc, argv, RunHoldersCommand);
}
int RunAuditProgram(int argc, char** argv) {
    return RunProgram(argc, argv, RunAuditCommand);
}

int RunHoldersCommand(const QStringList& words, const QString& folder, QTextStream& out,
                      QTextStream& err) {
    if (words.contains("--help")) {
        out << kHoldersUsage;
        return 0;
    }
    if (words.size() < 2) return BadWord(err, "holders", words.value(1, "(nothing)"));
    const QString verb = words[1];
    if (verb != "import" && verb != "export") return BadWord(err, "holders", verb);
    QString file;
    HolderImportOptions options;
    for (int i = 2; i < words.size(); ++i) {
        if (verb == "import" && words[i] == "--no-new-groups")
            options.createGroups = false;
        else if (file.isEmpty() && !words[i].startsWith("--"))
            file = words[i];
        else
            return BadWord(err, "holders", words[i]);
    }
    if (file.isEmpty()) return BadWord(err, "holders", verb + " (no FILE)");
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix != "csv" && suffix != "xlsx") return BadWord(err, "holders", file);

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

int RunAuditCommand(const QStringList& words, const QString& folder, QTextStream& out,
                    QTextStream& err) {
    if (words.contains("--help")) {
        out << kAuditUsage;
        return 0;
    }
    AuditFilter filter;
    QString csv;
    for (int i = 1; i < words.size(); ++i) {
        const QString& w = words[i];
        if ((w == "--from" || w == "--to" || w == "--text" || w == "--csv") &&
            i + 1 < words.size()) {
            const QString value = words[++i];
            if (w == "--text") {
                filter.text = value;
            } else if (w == "--csv") {
                csv = value;
            } else {
                const QDate d = QDate::fromString(value, "yyyy-MM-dd");
                if (!d.isValid()) return BadWord(err, "audit", value);
                (w == "--from" ? filter.from : filter.to) = d;
            }
        } else {
            return BadWord(err, "audit", w);
        }
    }
    // Read-write only to bring an older file up to the audit table; nothing else is written.
    auto src = OpenSystemDb(folder, OpenMode::ReadWrite, err, "audit");
    if (!src) return 1;
    qint64 n = 0;
    try {
        AuditLog log(*src);
        if (!csv.isEmpty()) {
            QString error;
            if (!ExportAuditCsv(*src, filter, csv, error, &n)) {
                err << "horalog audit: " << error << Qt::endl;
                return 1;
            }
            out << "Wrote " << n << " audit rows to " << csv << Qt::endl;
            return 0;
        }
        log.forEach(filter, [&](const AuditRecord& r) {
            out << AuditTimeText(r.stamp) << "  " << r.station << "  " << r.action << "  "
                << r.subject;
            if (!r.oldText.isEmpty()) out << "  before: " << r.oldText;
            if (!r.newText.isEmpty()) out << "  after: " << r.newText;
            out << "\n";
            ++n;
            return true;
        });
    } catch (const DbError& e) {
        err << "horalog audit: " << e.text() << Qt::endl;
        return 1;
    }
    if (n == 0) {
        err << "No record." << Qt::endl;
        return 1;
    }
    return 0;
}

}  // namespace horalog
