#include "cli/report_command.h"

#include <map>
#include <optional>

#include "attendance/attendance_reports.h"
#include "cli/command_program.h"
#include "cli/commands.h"
#include "cli/scope_options.h"
#include "common/texts.h"
#include "printing/report_renderer.h"

namespace horalog {

namespace {

const std::map<QString, ReportKind> kKinds = {
    {"first-last", ReportKind::FirstLast},
    {"two-session", ReportKind::TwoSession},
    {"first-last-overnight", ReportKind::FirstLastOvernight},
    {"total-hours", ReportKind::TotalHours},
    {"total-hours-detail", ReportKind::TotalHoursDetail},
    {"time-logs", ReportKind::TimeLogs},
    {"daily-individual", ReportKind::DailyIndividual},
    {"whos-in-out", ReportKind::WhosInOut},
    {"timesheet", ReportKind::Timesheet},
};

struct Options {
    ReportKind kind = ReportKind::FirstLast;
    ReportParameters params;
    QString pdf;
    bool help = false;
};

Options Parse(const QStringList& args, DateTime now) {
    CLI::App parser;
    PrepareParser(parser);
    Options o;
    ScopeOptions scope;
    QString kindWord;
    std::optional<QString> format, day, pdf;
    parser.add_flag("--help,-h", o.help);
    AddText(parser, "kind", kindWord);
    scope.Add(parser);
    AddText(parser, "--format", format);
    AddSwitch(parser, "--enhanced", o.params.enhanced, true);
    AddSwitch(parser, "--no-enhanced", o.params.enhanced, false);
    AddText(parser, "--day", day);
    AddText(parser, "--pdf", pdf);
    ParseWords(parser, args, "report");
    if (o.help) return o;
    if (kindWord.isEmpty())
        throw BadOption{
            "which report? (first-last, two-session, first-last-overnight, "
            "total-hours, total-hours-detail, time-logs, daily-individual, "
            "whos-in-out, timesheet)"};
    auto it = kKinds.find(kindWord);
    if (it == kKinds.end()) throw BadOption{"unknown report " + kindWord, kindWord};
    o.kind = it->second;
    if (format) o.params.recordFormat = NumberValue("--format", *format, 0, 3);
    o.params.dayOfInterest = day ? DateValue("--day", *day) : now.datePart();
    if (pdf && pdf->isEmpty()) throw BadOption{"--pdf needs a file name"};
    o.pdf = pdf.value_or(QString());
    scope.Apply(o.params);
    // The defaults of each printout's dialog.
    const std::optional<int> perLine = scope.perLine();
    o.params.recordsPerLine = perLine                                 ? *perLine
                              : o.kind == ReportKind::TimeLogs        ? 8
                              : o.kind == ReportKind::DailyIndividual ? 6
                                                                      : 4;
    // The who's-status dialog ticks "New page on new category" for both of its printouts.
    o.params.newPage = scope.newPage.value_or(o.kind == ReportKind::WhosInOut ||
                                              o.kind == ReportKind::DailyIndividual);
    o.params.overnight = o.kind == ReportKind::FirstLastOvernight;
    o.params.firstInLastOutOnly =
        o.kind == ReportKind::TotalHours ||
        (o.kind == ReportKind::TotalHoursDetail && o.params.records == RecordsOfInterest::InOut) ||
        o.kind == ReportKind::FirstLast || o.kind == ReportKind::FirstLastOvernight ||
        o.kind == ReportKind::TwoSession;
    return o;
}

}  // namespace

QString ReportCommandUsage() {
    return "usage: horalog report KIND [options]\n"
           "KIND: first-last, two-session, first-last-overnight, total-hours,\n"
           "      total-hours-detail, time-logs, daily-individual, whos-in-out,\n"
           "      timesheet (a page per holder: use --month YYYY-MM)\n" +
           ScopeOptions::Usage() +
           "  --format 0..3                        0 AM/PMhh:mm:ss, 1 HH:mm:ss, 2 AM/PMhh:mm, 3 "
           "HH:mm\n"
           "  --per-line 2|4|6|8                   records per line\n"
           "  --blank-lines                        print days without records\n"
           "  --new-page | --no-new-page           new page on each person or category\n"
           "  --enhanced | --no-enhanced           coloured bands in the PDF (default on)\n"
           "  --day YYYY-MM-DD                     day of interest (default today)\n"
           "  --pdf FILE                           write a PDF instead of text lines\n"
           "  --data DIR                           the data folder (else HORALOG_DATA, else\n"
           "                                       ~/.local/share/Horalog)\n";
}

int RunReportCommand(const QStringList& args, ReportSource& source, QTextStream& out,
                     QTextStream& err, const Clock& clock) {
    return RunReportCommand(
        args, [&] { return &source; }, out, err, clock);
}

int RunReportCommand(const QStringList& args, const std::function<ReportSource*()>& open,
                     QTextStream& out, QTextStream& err, const Clock& clock) {
    const DateTime now = clock();
    Options o;
    try {
        o = Parse(args, now);
    } catch (const BadOption& bad) {
        err << "horalog report: " << bad.message << Qt::endl;
        return 2;
    }
    if (o.help) {
        out << ReportCommandUsage();
        out.flush();
        return 0;
    }
    ReportSource* opened = open();
    if (!opened) return 1;
    ReportSource& source = *opened;
    try {
        if (LogIsEmpty(source)) {
            err << text::kNoRecord << Qt::endl;
            return 1;
        }
        const ReportDocument doc = BuildReport(o.kind, o.params, source, now);
        if (doc.Empty()) {
            err << "horalog report: no holder selected, nothing printed" << Qt::endl;
            return 0;
        }
        if (!o.pdf.isEmpty()) {
            QString why;
            if (!WriteReportPdf(doc, o.pdf, &why)) {
                err << "horalog report: cannot write " << o.pdf << ": " << why << Qt::endl;
                return 1;
            }
            return 0;
        }
        for (const QString& line : DocumentTextLines(doc)) out << line << '\n';
        out.flush();
        return 0;
    } catch (const DbError&) {
        err << text::kDatabaseError << Qt::endl;
        return 1;
    }
}

int RunReportProgram(Invocation& run) {
    const auto app = MakeCommandApplication(run.argc, run.argv, HasOption(run.words, "--pdf"));
    ReadOnlyStore store(run.folder);
    QTextStream out(stdout), err(stderr);
    const int status = RunReportCommand(
        run.words, [&] { return store.Open(err, "horalog report"); }, out, err);
    out.flush();
    err.flush();
    return status;
}

}  // namespace horalog
