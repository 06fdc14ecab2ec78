#include "cli/holder_command.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "common/paths.h"
#include "maintenance/holder_import.h"
#include "people/time_profiles.h"
#include "storage/audit.h"
#include "storage/audit_model.h"
#include "storage/database_choice.h"
#include "storage/postgres_driver.h"
#include "storage/schema_upgrade.h"
#include "storage/staff_table.h"
#include "storage/store.h"

namespace horalog {

namespace {

bool FirstWordIs(int argc, char** argv, const char* word) {
    const QStringList words = CommandWords(ArgumentList(argc, argv));
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

// The system tables: the chosen database server's, else the folder's file, upgraded to this
// program's tables; the file is never created here.
std::unique_ptr<Connection> OpenSystemDb(const QString& folder, OpenMode mode, QTextStream& err,
                                         const char* command) {
    if (const QString url = ChosenDatabaseUrl(); !url.isEmpty()) {
        try {
            auto c = OpenServerDatabase(url, mode);
            if (mode == OpenMode::ReadWrite) UpgradeServerSchema(*c);
            return c;
        } catch (const DbError& e) {
            err << "horalog " << command << ": " << QString(kCannotOpenServerDb).arg(e.text())
                << Qt::endl;
            return nullptr;
        }
    }
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
    "NAME, GROUP, MEMO and optional COM1 to COM8 and PROFILE (a time profile by name). An\n"
    "import is refused whole, with the list of bad rows, unless every row is good;\n"
    "--no-new-groups refuses rows of unknown groups.\n";

const char* const kAuditUsage =
    "Usage: horalog audit [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--text TEXT] [--csv FILE]\n"
    "                     [--data DIR]\n"
    "Prints the audit trail, oldest first, or writes it to a CSV file.\n";

const char* const kSchedulesUsage =
    "Usage: horalog schedules [--data DIR]\n"
    "       horalog schedules check CARD COMn [--at \"YYYY-MM-DD HH:MM\"] [--data DIR]\n"
    "Lists the time profiles and holidays, or tells whether and why the card would be\n"
    "admitted at the reader of port n at that time (default: now). Anti-passback depends on\n"
    "the last pass and is not judged.\n";

const char* const kPickListUsage =
    "Usage: horalog pick-list [--data DIR]\n"
    "       horalog pick-list add|remove CARD... [--data DIR]\n"
    "       horalog pick-list clear [--data DIR]\n"
    "Lists the holders of the pick list (the holders of --persons list in reports, exports\n"
    "and cards) by name, or changes it. Every card must be a holder's, else nothing changes.\n";

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
int RunSchedulesProgram(int argc, char** argv) {
    return RunProgram(
        argc, argv,
        [](const QStringList& words, const QString& folder, QTextStream& out, QTextStream& err) {
            return RunSchedulesCommand(words, folder, out, err, SystemClock()());
        });
}

int RunPickListProgram(int argc, char** argv) {
    return RunProgram(argc, argv, RunPickListCommand);
}

int RunPickListCommand(const QStringList& words, const QString& folder, QTextStream& out,
                       QTextStream& err) {
    if (words.contains("--help")) {
        out << kPickListUsage;
        return 0;
    }
    const QString verb = words.value(1);
    if (!verb.isEmpty() && verb != "add" && verb != "remove" && verb != "clear")
        return BadWord(err, "pick-list", verb);
    QList<int> cards;
    for (int i = 2; i < words.size(); ++i) {
        bool ok = false;
        const int card = words[i].toInt(&ok);
        if (verb == "clear" || !ok || card <= 0) return BadWord(err, "pick-list", words[i]);
        cards << card;
    }
    if ((verb == "add" || verb == "remove") && cards.isEmpty())
        return BadWord(err, "pick-list", verb + " (no CARD)");

    auto src = OpenSystemDb(folder, OpenMode::ReadWrite, err, "pick-list");
    if (!src) return 1;
    try {
        if (verb.isEmpty()) {
            auto q = src->prepare(
                "SELECT staffs.CARDNO AS CARDNO, staffs.NAME AS NAME, gid.DESCX AS WORKGROUP "
                "FROM staffs LEFT JOIN gid ON staffs.WORKGRP = gid.ID "
                "WHERE staffs.PICKED <> 0 ORDER BY staffs.NAME, staffs.CARDNO");
            int n = 0;
            while (q.next()) {
                out << QString::number(q.integer("CARDNO")).leftJustified(10) << ' '
                    << q.text("NAME").leftJustified(24) << ' '
                    << (q.isNull("WORKGROUP") ? QString() : q.text("WORKGROUP")) << "\n";
                ++n;
            }
            out << n << " holder(s) on the pick list" << Qt::endl;
            return 0;
        }
        Transaction t(*src);
        if (verb == "clear") {
            src->execute("UPDATE staffs SET PICKED = 0 WHERE PICKED <> 0");
        } else {
            StaffTable staffs(*src);
            for (int card : cards) {
                if (!staffs.byCard(card)) {
                    err << "horalog pick-list: no holder has card " << card
                        << "; the pick list is unchanged" << Qt::endl;
                    return 1;
                }
                auto u = src->prepare("UPDATE staffs SET PICKED = ? WHERE CARDNO = ?");
                u.bindAll(verb == "add" ? 1 : 0, card);
                u.exec();
            }
        }
        t.commit();
        auto q = src->prepare("SELECT count(*) FROM staffs WHERE PICKED <> 0");
        q.next();
        out << q.value(0).toLongLong() << " holder(s) on the pick list" << Qt::endl;
        return 0;
    } catch (const DbError& e) {
        err << "horalog pick-list: " << e.text() << Qt::endl;
        return 1;
    }
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

namespace {

// The steps of the decision at the door for one read, one line each, and the verdict.
int CheckAccess(Connection& src, int card, int port, DateTime t, QTextStream& out,
                QTextStream& err) {
    const auto holder = StaffTable(src).byCard(card);
    if (!holder) {
        err << "No holder with card " << card << "." << Qt::endl;
        return 1;
    }
    auto r = src.prepare("SELECT \"DESC\", OUTPORT FROM reader WHERE STATION = ? AND PORTNO = ?");
    r.bindAll(src.station(), port);
    if (!r.next()) {
        err << "No reader COM" << port << "." << Qt::endl;
        return 1;
    }
    const int lock = r.integer("OUTPORT");
    out << "Card " << card << " (" << holder->name << ") at COM" << port << " (" << r.text("DESC")
        << "), " << t.date().toString("dddd yyyy-MM-dd") << " " << t.time().toString("HH:mm")
        << "\n";
    QString verdict;
    const bool right = holder->com[std::size_t(port - 1)];
    out << "May pass at COM" << port << ": " << (right ? "yes" : "no") << "\n";
    if (!right) verdict = "refused: no right for this reader";

    ScheduleBook book;
    book.refresh(src);
    const TimeProfile* profile = book.profile(holder->accessgrp);
    out << "Profile: "
        << (profile ? ProfileText(*profile) : QString("%1 (missing)").arg(holder->accessgrp))
        << "\n";
    for (const Holiday& h : ScheduleStore(src).holidays())
        if (h.date == t.date()) out << "Holiday: " << h.name << "\n";
    const ScheduleAnswer answer = book.decide(holder->accessgrp, t);
    out << "Schedule: " << ScheduleAnswerText(answer) << "\n";
    if (verdict.isEmpty() && !Admits(answer)) verdict = ScheduleAnswerText(answer);

    if (lock < 1 || lock > 8) {
        out << "Lock: none\n";
        if (verdict.isEmpty()) verdict = "refused: the reader releases no lock";
    } else {
        const bool lockRight = holder->com[std::size_t(lock - 1)];
        out << "Lock: COM" << lock << ", may pass at it: " << (lockRight ? "yes" : "no") << "\n";
        if (verdict.isEmpty() && !lockRight) verdict = "refused: no right for the lock's port";
    }
    out << "Verdict: " << (verdict.isEmpty() ? QString("admitted") : verdict) << Qt::endl;
    return 0;
}

}  // namespace

int RunSchedulesCommand(const QStringList& words, const QString& folder, QTextStream& out,
                        QTextStream& err, DateTime now) {
    if (words.contains("--help")) {
        out << kSchedulesUsage;
        return 0;
    }
    const bool check = words.value(1) == "check";
    if (!check && words.size() > 1) return BadWord(err, "schedules", words[1]);
    int card = 0, port = 0;
    DateTime at = now;
    if (check) {
        bool ok = false;
        card = words.value(2).toInt(&ok);
        if (!ok || card <= 0) return BadWord(err, "schedules", words.value(2, "(no CARD)"));
        const QString com = words.value(3);
        port = com.startsWith("COM", Qt::CaseInsensitive) ? com.mid(3).toInt(&ok) : 0;
        if (!ok || port < 1 || port > 8)
            return BadWord(err, "schedules", words.value(3, "(no COMn)"));
        for (int i = 4; i < words.size(); ++i) {
            if (words[i] == "--at" && i + 1 < words.size()) {
                const QDateTime t = QDateTime::fromString(words[++i], "yyyy-MM-dd HH:mm");
                if (!t.isValid()) return BadWord(err, "schedules", words[i]);
                at = DateTime::fromQDateTime(t);
            } else {
                return BadWord(err, "schedules", words[i]);
            }
        }
    }
    // Read-write only to bring an older file up to the schedule tables.
    auto src = OpenSystemDb(folder, OpenMode::ReadWrite, err, "schedules");
    if (!src) return 1;
    try {
        if (check) return CheckAccess(*src, card, port, at, out, err);
        ScheduleStore store(*src);
        out << "Time profiles:\n";
        for (const TimeProfile& p : store.profiles())
            out << QString("%1").arg(p.id, 4) << "  " << ProfileText(p) << " ("
                << store.holdersOn(p.id) << " holder(s))\n";
        const auto holidays = store.holidays();
        out << "Holidays:" << (holidays.empty() ? " none" : "") << "\n";
        for (const Holiday& h : holidays)
            out << "  " << h.date.toString("yyyy-MM-dd ddd") << "  " << h.name << "\n";
        out.flush();
    } catch (const DbError& e) {
        err << "horalog schedules: " << e.text() << Qt::endl;
        return 1;
    }
    return 0;
}

}  // namespace horalog
