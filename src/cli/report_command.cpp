#include "cli/report_command.h"

#include <map>
#include <optional>

#include "common/texts.h"
#include "attendance/attendance_reports.h"
#include "printing/report_renderer.h"
#include "cli/scope_options.h"

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
};

struct Options {
    ReportKind kind = ReportKind::FirstLast;
    ReportParameters params;
    QString pdf;
    bool help = false;
};

Options Parse(QStringList args, DateTime now) {
    if (!args.isEmpty() && args.front() == "report") args.pop_front();
    Options o;
    ScopeOptions scope;
    std::optional<ReportKind> kind;
    o.params.dayOfInterest = now.datePart();
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (scope.Take(args, i)) continue;
        if (a == "--format") {
            o.params.recordFormat = ScopeOptions::NumberValue(args, i, 0, 3);
        } else if (a == "--enhanced") {
            o.params.enhanced = true;
        } else if (a == "--no-enhanced") {
            o.params.enhanced = false;
        } else if (a == "--day") {
            o.params.dayOfInterest = ScopeOptions::DateValue(args, i);
        } else if (a == "--pdf") {
            o.pdf = ScopeOptions::Value(args, i);
            if (o.pdf.isEmpty()) throw BadOption{"--pdf needs a file name"};
        } else if (a.startsWith("-")) {
            throw BadOption{"unknown option " + a};
        } else if (kind) {
            throw BadOption{"unexpected argument " + a};
        } else {
            auto it = kKinds.find(a);
            if (it == kKinds.end()) throw BadOption{"unknown report " + a};
            kind = it->second;
        }
    }
    o.help = scope.help;
    if (o.help) return o;
    if (!kind)
        throw BadOption{
            "which report? (first-last, two-session, first-last-overnight, "
            "total-hours, total-hours-detail, time-logs, daily-individual, "
            "whos-in-out)"};
    o.kind = *kind;
    scope.Apply(o.params);
    // The defaults of each printout's dialog.
    o.params.recordsPerLine = scope.perLine                           ? *scope.perLine
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
           "      total-hours-detail, time-logs, daily-individual, whos-in-out\n" +
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

}  // namespace horalog
