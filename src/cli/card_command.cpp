#include "cli/card_command.h"

#include <QTextStream>

#include "attendance/card_holders.h"
#include "cli/command_program.h"
#include "cli/commands.h"
#include "cli/scope_options.h"
#include "common/paths.h"
#include "common/texts.h"
#include "printing/member_list.h"
#include "storage/staff_table.h"

namespace horalog {

namespace {

struct Options {
    bool cards = true;  // else the member list
    ReportParameters params;
    std::optional<CardStyle> style;
    QString pdf;
    bool help = false;
};

Options Parse(const QStringList& args) {
    CLI::App parser;
    PrepareParser(parser);
    Options o;
    o.cards = args.front() == "cards";
    PersonsOptions persons;
    std::optional<QString> style, pdf;
    parser.add_flag("--help,-h", o.help);
    persons.Add(parser);
    if (o.cards) AddText(parser, "--style", style);
    AddText(parser, "--pdf", pdf);
    ParseWords(parser, args.mid(1));
    if (style == "horizontal")
        o.style = CardStyle::Horizontal;
    else if (style == "vertical")
        o.style = CardStyle::Vertical;
    else if (style)
        throw BadOption{"bad style: " + *style + " (horizontal, vertical)", *style};
    if (pdf && pdf->isEmpty()) throw BadOption{"--pdf needs a file name"};
    o.pdf = pdf.value_or(QString());
    persons.ApplyTo(o.params);
    return o;
}

QString Tail() {
    return QString(PersonsOptions::Usage()) +
           "  --pdf FILE                           write a PDF instead of text lines\n"
           "  --data DIR                           the data folder (else HORALOG_DATA, else\n"
           "                                       ~/.local/share/Horalog)\n";
}

int Cards(const Options& o, const std::vector<CardHolder>& holders, const HolderAccess& access,
          QTextStream& out, QTextStream& err) {
    if (o.pdf.isEmpty()) {
        for (const CardHolder& h : holders) {
            QStringList cells{QString::number(h.cardno), h.name, h.group};
            for (const QString& r : CardRemarkValues(h.memo))
                if (!r.isEmpty()) cells << r;
            out << cells.join('\t') << '\n';
        }
        out.flush();
        return 0;
    }
    CardLayout layout;
    layout.Load();
    if (o.style) layout.options.style = *o.style;
    QString why;
    if (!WriteCardsPdf(MakeCardJob(layout, holders, access.photoOf), o.pdf, &why)) {
        err << "horalog cards: cannot write " << o.pdf << ": " << why << Qt::endl;
        return 1;
    }
    return 0;
}

int Members(const Options& o, std::vector<CardHolder> holders, DateTime now, QTextStream& out,
            QTextStream& err) {
    const MemberList list{std::move(holders), now};
    if (o.pdf.isEmpty()) {
        for (const QString& line : MemberListTextLines(list)) out << line << '\n';
        out.flush();
        return 0;
    }
    QString why;
    if (!WriteMemberListPdf(list, o.pdf, &why)) {
        err << "horalog member-list: cannot write " << o.pdf << ": " << why << Qt::endl;
        return 1;
    }
    return 0;
}

}  // namespace

QString CardsCommandUsage() {
    return "usage: horalog cards [options]\n"
           "Identity cards of the chosen holders, with the card options and pictures saved in\n"
           "the card layout dialog.\n"
           "  --style horizontal|vertical          the card layout (default: the saved one)\n" +
           Tail();
}

QString MemberListCommandUsage() {
    return "usage: horalog member-list [options]\n"
           "The member list of the chosen holders: card number, name, group and remarks.\n" +
           Tail();
}

int RunCardCommand(const QStringList& args, const HolderAccess& access, QTextStream& out,
                   QTextStream& err, const Clock& clock) {
    const QString name = args.value(0) == "cards" ? "cards" : "member-list";
    Options o;
    try {
        if (args.isEmpty() || (args.front() != "cards" && args.front() != "member-list"))
            throw BadOption{"which command? (cards, member-list)"};
        o = Parse(args);
    } catch (const BadOption& bad) {
        err << "horalog " << name << ": " << bad.message << Qt::endl;
        return 2;
    }
    if (o.help) {
        out << (o.cards ? CardsCommandUsage() : MemberListCommandUsage());
        out.flush();
        return 0;
    }
    ReportSource* source = access.open();
    if (!source) return 1;
    try {
        auto holders = PrintedHolders(OpenSelectedHolders(*source, o.params));
        if (holders.empty()) {
            err << "horalog " << name << ": no holder selected, nothing printed" << Qt::endl;
            return 0;
        }
        return o.cards ? Cards(o, holders, access, out, err)
                       : Members(o, std::move(holders), clock(), out, err);
    } catch (const DbError&) {
        err << text::kDatabaseError << Qt::endl;
        return 1;
    }
}

int RunCardProgram(Invocation& run) {
    const auto app = MakeCommandApplication(run.argc, run.argv, HasOption(run.words, "--pdf"));
    SetDataFolder(run.folder);  // the card pictures
    ReadOnlyStore store(run.folder);
    QTextStream out(stdout), err(stderr);
    HolderAccess access;
    access.open = [&]() -> ReportSource* { return store.Open(err, "horalog " + run.words[0]); };
    access.photoOf = [&](int cardno) {
        const auto h = StaffTable(store.src()).byCard(cardno, true);
        return h ? h->photo : QByteArray();
    };
    const int status = RunCardCommand(run.words, access, out, err);
    out.flush();
    err.flush();
    return status;
}

}  // namespace horalog
