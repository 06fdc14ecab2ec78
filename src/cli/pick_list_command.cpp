#include "cli/pick_list_command.h"

#include "cli/command_program.h"
#include "cli/commands.h"
#include "cli/parsing.h"
#include "storage/staff_table.h"

namespace horalog {

namespace {

const char* const kPickListUsage =
    "Usage: horalog pick-list [--data DIR]\n"
    "       horalog pick-list add|remove CARD... [--data DIR]\n"
    "       horalog pick-list clear [--data DIR]\n"
    "Lists the holders of the pick list (the holders of --persons list in reports, exports\n"
    "and cards) by name, or changes it. Every card must be a holder's, else nothing changes.\n";

}  // namespace

int RunPickListCommand(const QStringList& words, const QString& folder, QTextStream& out,
                       QTextStream& err) {
    CLI::App parser;
    PrepareParser(parser);
    QString verb;
    std::vector<std::string> cardWords;
    AddText(parser, "verb", verb);
    parser.add_option("cards", cardWords);
    if (const auto status = ReadWords(parser, words, "pick-list", kPickListUsage, out, err))
        return *status;
    if (!verb.isEmpty() && verb != "add" && verb != "remove" && verb != "clear")
        return BadWord(err, "pick-list", verb);
    QList<int> cards;
    for (const std::string& word : cardWords) {
        bool ok = false;
        const int card = QString::fromStdString(word).toInt(&ok);
        if (verb == "clear" || !ok || card <= 0)
            return BadWord(err, "pick-list", QString::fromStdString(word));
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

int RunPickListProgram(Invocation& run) {
    return RunOnStandardStreams(run, RunPickListCommand);
}

}  // namespace horalog
