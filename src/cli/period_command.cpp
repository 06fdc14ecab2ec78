#include "cli/period_command.h"

#include "cli/command_program.h"
#include "cli/commands.h"
#include "cli/parsing.h"
#include "people/period_close.h"

namespace horalog {

namespace {

const char* const kUsage =
    "Usage: horalog period [--data DIR]\n"
    "       horalog period close YYYY-MM-DD [--data DIR]\n"
    "       horalog period reopen [YYYY-MM-DD] [--data DIR]\n"
    "Tells how far the period is closed, closes every day up to a date, or reopens the closed\n"
    "days from a date on (every closed day without one). Within the closed period manual\n"
    "records and absences are refused; the doors go on logging every read. Each close and\n"
    "reopen is audited.\n";

QString StateText(const PeriodState& s) {
    return s.closedTo.isValid()
               ? QString("Closed up to %1 (%2).").arg(s.closedTo.toString(Qt::ISODate), s.Text())
               : QString("No day is closed.");
}

}  // namespace

int RunPeriodCommand(const QStringList& words, const QString& folder, QTextStream& out,
                     QTextStream& err) {
    CLI::App parser;
    PrepareParser(parser);
    QString verb, dateWord;
    AddText(parser, "verb", verb);
    AddText(parser, "date", dateWord);
    if (const auto status = ReadWords(parser, words, "period", kUsage, out, err)) return *status;
    if (!verb.isEmpty() && verb != "close" && verb != "reopen") return BadWord(err, "period", verb);
    if (verb.isEmpty() && !dateWord.isEmpty()) return BadWord(err, "period", dateWord);
    if (verb == "close" && dateWord.isEmpty()) return BadWord(err, "period", "close (no date)");
    QDate day;
    if (!dateWord.isEmpty()) {
        day = QDate::fromString(dateWord, Qt::ISODate);
        if (!day.isValid()) return BadWord(err, "period", dateWord);
    }
    // Read-write also to look: an older file gets its period table first.
    auto src = OpenSystemDb(folder, OpenMode::ReadWrite, err, "period");
    if (!src) return 1;
    try {
        if (verb == "close") {
            ClosePeriod(*src, day);
            out << "Every day up to " << day.toString(Qt::ISODate) << " is closed." << Qt::endl;
        } else if (verb == "reopen") {
            const PeriodState before = CurrentPeriod(*src);
            QString effect = ReopenText(before, day);
            if (ReopenPeriod(*src, day) == 0) {
                out << effect << Qt::endl;
                return 0;
            }
            out << effect.replace("Reopens", "Reopened") << Qt::endl;
        } else {
            out << StateText(CurrentPeriod(*src)) << Qt::endl;
        }
    } catch (const PeriodClosed& closed) {
        err << "horalog period: " << closed.message << Qt::endl;
        return 1;
    } catch (const DbError& e) {
        err << "horalog period: " << e.text() << Qt::endl;
        return 1;
    }
    return 0;
}

int RunPeriodProgram(Invocation& run) {
    return RunOnStandardStreams(run, RunPeriodCommand);
}

}  // namespace horalog
