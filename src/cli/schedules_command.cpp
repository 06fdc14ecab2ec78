#include "cli/schedules_command.h"

#include <QDateTime>
#include <algorithm>

#include "cli/command_program.h"
#include "cli/commands.h"
#include "cli/parsing.h"
#include "people/time_profiles.h"
#include "storage/staff_table.h"

namespace horalog {

namespace {

const char* const kSchedulesUsage =
    "Usage: horalog schedules [--data DIR]\n"
    "       horalog schedules check CARD COMn [--at \"YYYY-MM-DD HH:MM\"] [--data DIR]\n"
    "       horalog schedules holiday YYYY-MM-DD NAME [--data DIR]\n"
    "       horalog schedules holiday-remove YYYY-MM-DD [--data DIR]\n"
    "Lists the time profiles and holidays, or tells whether and why the card would be\n"
    "admitted at the reader of port n at that time (default: now). Anti-passback depends on\n"
    "the last pass and is not judged. holiday adds a public holiday (or renames the one of\n"
    "that date): the doors follow it, and the attendance results count it as a paid day off.\n";

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
    CLI::App parser;
    PrepareParser(parser);
    QString verb, cardWord, portWord;
    std::optional<QString> atWord;
    AddText(parser, "verb", verb);
    AddText(parser, "card", cardWord);
    AddText(parser, "port", portWord);
    AddText(parser, "--at", atWord);
    if (const auto status = ReadWords(parser, words, "schedules", kSchedulesUsage, out, err))
        return *status;
    const bool check = verb == "check";
    const bool holiday = verb == "holiday" || verb == "holiday-remove";
    if (!check && !holiday && !verb.isEmpty()) return BadWord(err, "schedules", verb);
    if (!check && atWord) return BadWord(err, "schedules", "--at");
    int card = 0, port = 0;
    DateTime at = now;
    if (check) {
        bool ok = false;
        card = cardWord.toInt(&ok);
        if (!ok || card <= 0)
            return BadWord(err, "schedules", cardWord.isEmpty() ? "(no CARD)" : cardWord);
        port = portWord.startsWith("COM", Qt::CaseInsensitive) ? portWord.mid(3).toInt(&ok) : 0;
        if (!ok || port < 1 || port > 8)
            return BadWord(err, "schedules", portWord.isEmpty() ? "(no COMn)" : portWord);
        if (atWord) {
            const QDateTime t = QDateTime::fromString(*atWord, "yyyy-MM-dd HH:mm");
            if (!t.isValid()) return BadWord(err, "schedules", *atWord);
            at = DateTime::fromQDateTime(t);
        }
    }
    QDate day;
    if (holiday) {
        day = QDate::fromString(cardWord, Qt::ISODate);
        if (!day.isValid())
            return BadWord(err, "schedules", cardWord.isEmpty() ? "(no date)" : cardWord);
        if (verb == "holiday" && portWord.trimmed().isEmpty())
            return BadWord(err, "schedules", "(no NAME)");
        if (verb == "holiday-remove" && !portWord.isEmpty())
            return BadWord(err, "schedules", portWord);
    }
    // Read-write only to bring an older file up to the schedule tables.
    auto src = OpenSystemDb(folder, OpenMode::ReadWrite, err, "schedules");
    if (!src) return 1;
    try {
        if (check) return CheckAccess(*src, card, port, at, out, err);
        ScheduleStore store(*src);
        if (holiday) {
            const std::vector<Holiday> all = store.holidays();
            const bool known = std::any_of(all.begin(), all.end(),
                                           [&](const Holiday& h) { return h.date == day; });
            if (verb == "holiday") {
                store.saveHoliday({day, portWord.trimmed()});
                out << (known ? "Renamed " : "Added ") << day.toString("yyyy-MM-dd ddd") << "  "
                    << portWord.trimmed() << Qt::endl;
                return 0;
            }
            if (!known) {
                err << "horalog schedules: No holiday on " << day.toString(Qt::ISODate) << "."
                    << Qt::endl;
                return 1;
            }
            store.deleteHoliday(day);
            out << "Removed " << day.toString("yyyy-MM-dd ddd") << Qt::endl;
            return 0;
        }
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

int RunSchedulesProgram(Invocation& run) {
    return RunOnStandardStreams(run, [](const QStringList& words, const QString& folder,
                                        QTextStream& out, QTextStream& err) {
        return RunSchedulesCommand(words, folder, out, err, SystemClock()());
    });
}

}  // namespace horalog
