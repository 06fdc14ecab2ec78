#include "cli/card_command.h"

#include <QTextStream>

#include "common/paths.h"
#include "common/texts.h"
#include "cli/command_options.h"
#include "cli/command_program.h"
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

Options Parse(QStringList args) {
    Options o;
    o.cards = args.front() == "cards";
    args.pop_front();
    PersonsOptions persons;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (persons.Take(args, i)) {
            continue;
        } else if (a == "--style" && o.cards) {
            const QString v = OptionValue(args, i);
            if (v == "horizontal")
                o.style = CardStyle::Horizontal;
            else if (v == "vertical")
                o.style = CardStyle::Vertical;
            else
                throw BadOption{"bad style: " + v + " (horizontal, vertical)"};
        } else if (a == "--pdf") {
            o.pdf = OptionValue(args, i);
            if (o.pdf.isEmpty()) throw BadOption{"--pdf needs a file name"};
        } else if (a.startsWith("-")) {
            throw BadOption{"unknown option " + a};
        } else {
            throw BadOption{"unexpected argument " + a};
        }
    }
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

std::vector<CardHolder> PrintedHolders(const std::vector<SelectedHolder>& holders) {
    std::vector<CardHolder> out;
    out.reserve(holders.size());
    for (const SelectedHolder& s : holders)
        out.push_back({s.holder.cardno, s.holder.name, s.groupName, s.holder.memo});
    return out;
}

CardJob MakeCardJob(const CardLayout& layout, std::vector<CardHolder> holders,
                    std::function<QByteArray(int cardno)> photoOf) {
    CardJob job;
    job.options = layout.options;
    job.background = ToImage(layout.background);
    job.logo = ToImage(layout.logo);
    job.holders = std::move(holders);
    job.photoOf = std::move(photoOf);
    return job;
}

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

bool IsCardCommand(int argc, char** argv) {
    const QStringList words = CommandWords(ArgumentList(argc, argv));
    return !words.isEmpty() && (words.front() == "cards" || words.front() == "member-list");
}

int RunCardProgram(int argc, char** argv) {
    // The words as given: a GUI application takes "--style" for itself and drops it.
    const QStringList arguments = ArgumentList(argc, argv);
    const QStringList words = CommandWords(arguments);
    const auto app = MakeCommandApplication(argc, argv, words.contains("--pdf"));
    const QString folder = ResolveDataFolder(arguments);
    SetDataFolder(folder);  // the card pictures
    ReadOnlyStore store(folder);
    QTextStream out(stdout), err(stderr);
    HolderAccess access;
    access.open = [&]() -> ReportSource* { return store.Open(err, "horalog " + words.value(0)); };
    access.photoOf = [&](int cardno) {
        const auto h = StaffTable(store.src()).byCard(cardno, true);
        return h ? h->photo : QByteArray();
    };
    const int status = RunCardCommand(words, access, out, err);
    out.flush();
    err.flush();
    return status;
}

}  // namespace horalog
