#include "cli/absences_command.h"

#include <QFileInfo>

#include "cli/command_program.h"
#include "cli/commands.h"
#include "cli/parsing.h"
#include "maintenance/absence_file.h"
#include "people/absences.h"
#include "storage/staff_table.h"

namespace horalog {

namespace {

const char* const kUsage =
    "Usage: horalog absences list [--card CARD] [--from YYYY-MM-DD] [--to YYYY-MM-DD]\n"
    "       horalog absences add CARD FROM [TO] TYPE [--half first|second] [--note TEXT]\n"
    "       horalog absences remove CARD FROM [TO]\n"
    "       horalog absences import FILE\n"
    "       horalog absences export FILE [--card CARD] [--from YYYY-MM-DD] [--to YYYY-MM-DD]\n"
    "       horalog absences types\n"
    "       horalog absences type-set CODE NAME [--paid] [--hours N] [--colour #rrggbb]\n"
    "       horalog absences type-remove CODE\n"
    "Every command takes --data DIR. FROM and TO are dates YYYY-MM-DD (TO: the last day, the\n"
    "FROM day when left out); TYPE is the one-letter code of an absence type (types lists\n"
    "them). remove takes away the holder's absences that touch the days. FILE is .csv or .xlsx\n"
    "with the columns CARDNO, FROM, TO, TYPE, HALF, NOTE; an import is refused whole, with the\n"
    "list of bad rows, unless every row is good. type-set adds or changes a type: --paid\n"
    "with the group's hours of the weekday, or --hours N a day; a type no absence is of can\n"
    "be removed.\n";

QString FileKind(const QString& file) {
    return QFileInfo(file).suffix().toLower();
}

}  // namespace

int RunAbsencesCommand(const QStringList& words, const QString& folder, QTextStream& out,
                       QTextStream& err) {
    CLI::App parser;
    PrepareParser(parser);
    QString verb;
    std::vector<std::string> rest;
    std::optional<QString> card, from, to, half, hours, colour;
    QString note;
    bool paid = false;
    AddText(parser, "verb", verb);
    parser.add_option("words", rest);
    AddText(parser, "--card", card);
    AddText(parser, "--from", from);
    AddText(parser, "--to", to);
    AddText(parser, "--half", half);
    AddText(parser, "--note", note);
    AddText(parser, "--hours", hours);
    AddText(parser, "--colour", colour);
    AddSwitch(parser, "--paid", paid, true);
    if (const auto status = ReadWords(parser, words, "absences", kUsage, out, err)) return *status;
    std::vector<QString> args;
    for (const std::string& w : rest) args.push_back(QString::fromStdString(w));

    const bool listing = verb == "list" || verb == "export";
    if (verb.isEmpty()) return BadWord(err, "absences", "(nothing)");
    const bool typeSet = verb == "type-set";
    if (!listing && verb != "add" && verb != "remove" && verb != "import" && verb != "types" &&
        !typeSet && verb != "type-remove")
        return BadWord(err, "absences", verb);
    if (!typeSet && (paid || hours || colour))
        return BadWord(err, "absences", paid ? "--paid" : hours ? "--hours" : "--colour");
    // the range options belong to the listings, half and note to add
    if (!listing && (card || from || to))
        return BadWord(err, "absences", card ? "--card" : from ? "--from" : "--to");
    if (verb != "add" && (half || !note.isEmpty()))
        return BadWord(err, "absences", half ? "--half" : "--note");
    std::optional<int> cardFilter;
    std::optional<QDate> fromFilter, toFilter;
    if (card) {
        bool ok = false;
        cardFilter = card->toInt(&ok);
        if (!ok || *cardFilter <= 0) return BadWord(err, "absences", *card);
    }
    for (auto [text, date] : {std::pair{&from, &fromFilter}, std::pair{&to, &toFilter}}) {
        if (!*text) continue;
        *date = QDate::fromString(**text, Qt::ISODate);
        if (!(*date)->isValid()) return BadWord(err, "absences", **text);
    }

    Absence a;
    const std::size_t wanted = verb == "list" || verb == "types" ? 0
                               : verb == "add"                   ? 4
                               : verb == "remove"                ? 3
                               : typeSet                         ? 2
                                                                 : 1;
    const std::size_t least = verb == "add" ? 3 : verb == "remove" ? 2 : wanted;
    if (args.size() > wanted) return BadWord(err, "absences", args[wanted]);
    if (args.size() < least) return BadWord(err, "absences", verb + " (too few words)");
    if (verb == "add" || verb == "remove") {
        bool ok = false;
        a.cardno = args[0].toInt(&ok);
        if (!ok || a.cardno <= 0) return BadWord(err, "absences", args[0]);
        const bool withTo = args.size() == (verb == "add" ? 4u : 3u);
        for (auto [word, day] :
             {std::pair{args[1], &a.from}, std::pair{withTo ? args[2] : args[1], &a.to}}) {
            *day = QDate::fromString(word, Qt::ISODate);
            if (!day->isValid()) return BadWord(err, "absences", word);
        }
    }
    if (verb == "add") {
        a.type = args.back().toUpper();
        if (half == "first")
            a.half = HalfDay::First;
        else if (half == "second")
            a.half = HalfDay::Second;
        else if (half)
            return BadWord(err, "absences", *half);
        a.note = note;
    }
    if ((verb == "import" || verb == "export") && FileKind(args[0]) != "csv" &&
        FileKind(args[0]) != "xlsx")
        return BadWord(err, "absences", args[0]);

    AbsenceType kind;
    if (typeSet || verb == "type-remove") kind.code = args[0].toUpper();
    if (typeSet) {
        kind.name = args[1];
        kind.paid = paid || hours;
        if (hours) {
            bool ok = false;
            kind.hours = hours->toDouble(&ok);
            if (!ok) return BadWord(err, "absences", *hours);
        }
    }

    auto src =
        OpenSystemDb(folder,
                     verb == "list" || verb == "types" || verb == "export" ? OpenMode::ReadOnly
                                                                           : OpenMode::ReadWrite,
                     err, "absences");
    if (!src) return 1;
    try {
        AbsenceStore store(*src);
        if (verb == "types") {
            for (const AbsenceType& t : store.types())
                out << t.code << "  " << t.name.leftJustified(16) << ' '
                    << (t.paid ? "paid" : "unpaid") << Qt::endl;
            return 0;
        }
        if (typeSet) {
            // A change keeps the colour unless a new one is given.
            const std::optional<AbsenceType> before = store.type(kind.code);
            kind.colour = colour ? *colour : before ? before->colour : QString("#999999");
            store.saveType(kind);
            out << (before ? "Changed " : "Added ") << AbsenceTypeText(kind) << Qt::endl;
            return 0;
        }
        if (verb == "type-remove") {
            if (!store.type(kind.code)) {
                err << "horalog absences: There is no absence type \"" << kind.code << "\"."
                    << Qt::endl;
                return 1;
            }
            store.deleteType(kind.code);
            out << "Removed type " << kind.code << Qt::endl;
            return 0;
        }
        if (verb == "list") {
            StaffTable staffs(*src);
            int n = 0;
            for (const Absence& x : store.absences(cardFilter, fromFilter, toFilter)) {
                const auto holder = staffs.byCard(x.cardno);
                out << QString::number(x.cardno).leftJustified(10) << ' '
                    << (holder ? holder->name : QString()).leftJustified(16) << ' ' << x.type
                    << "  " << AbsenceDaysText(x) << (x.note.isEmpty() ? "" : "  " + x.note)
                    << "\n";
                ++n;
            }
            out << n << " absence(s)" << Qt::endl;
            return 0;
        }
        if (verb == "add") {
            store.add(a);
            out << "Added " << AbsenceDaysText(a) << Qt::endl;
            return 0;
        }
        if (verb == "remove") {
            out << "Removed " << store.remove(a.cardno, a.from, a.to) << " absence(s)" << Qt::endl;
            return 0;
        }
        if (verb == "import") {
            const AbsenceImportResult r = ImportAbsences(*src, args[0]);
            (r.ok ? out : err) << AbsenceImportSummary(r) << Qt::endl;
            return r.ok ? 0 : 1;
        }
        QString error;
        const int n = ExportAbsences(*src, args[0], cardFilter, fromFilter, toFilter, error);
        if (n < 0) {
            err << "horalog absences: " << error << Qt::endl;
            return 1;
        }
        out << "Exported " << n << " absence(s) to " << args[0] << Qt::endl;
        return 0;
    } catch (const AbsenceRefused& r) {
        err << "horalog absences: " << r.message << Qt::endl;
    } catch (const DbError& e) {
        err << "horalog absences: " << e.text() << Qt::endl;
    }
    return 1;
}

int RunAbsencesProgram(Invocation& run) {
    return RunOnStandardStreams(run, RunAbsencesCommand);
}

}  // namespace horalog
