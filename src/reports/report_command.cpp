#include "reports/report_command.h"

#include <QDate>
#include <map>
#include <optional>

#include "common/texts.h"
#include "reports/attendance_reports.h"
#include "reports/command_options.h"
#include "reports/report_renderer.h"

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

const std::map<QString, PeriodChoice> kPeriods = {
    {"this-week", PeriodChoice::ThisWeek},
    {"last-week", PeriodChoice::LastWeek},
    {"this-month", PeriodChoice::ThisMonth},
    {"last-month", PeriodChoice::LastMonth},
    {"all", PeriodChoice::All},
};

const std::map<QString, RecordsOfInterest> kRecords = {
    {"all", RecordsOfInterest::All},
    {"clock", RecordsOfInterest::Clock},
    {"inout", RecordsOfInterest::InOut},
};

std::optional<DateTime> ParseDate(const QString& text) {
    const QDate d = QDate::fromString(text, Qt::ISODate);
    if (!d.isValid() || text.size() != 10) return std::nullopt;
    return DateTime::fromDate(d);
}

struct Options {
    ReportKind kind = ReportKind::FirstLast;
    ReportParameters params;
    QString pdf;
    bool help = false;
};

Options Parse(QStringList args, DateTime now) {
    if (!args.isEmpty() && args.front() == "report") args.pop_front();
    Options o;
    std::optional<ReportKind> kind;
    std::optional<DateTime> from, to;
    PersonsOptions persons;
    std::optional<int> perLine;
    std::optional<bool> newPage;
    bool periodGiven = false;
    o.params.dayOfInterest = now.datePart();
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() { return OptionValue(args, i); };
        auto date = [&]() {
            const QString v = value();
            auto d = ParseDate(v);
            if (!d) throw BadOption{"bad date for " + a + ": " + v + " (use YYYY-MM-DD)"};
            return *d;
        };
        auto number = [&](int lo, int hi) {
            const QString v = value();
            bool ok = false;
            const int n = v.toInt(&ok);
            if (!ok || n < lo || n > hi) throw BadOption{"bad value for " + a + ": " + v};
            return n;
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--period") {
            const QString v = value();
            auto it = kPeriods.find(v);
            if (it == kPeriods.end())
                throw BadOption{"bad period: " + v +
                                " (this-week, last-week, this-month, last-month, all)"};
            o.params.period = it->second;
            periodGiven = true;
        } else if (a == "--from") {
            from = date();
        } else if (a == "--to") {
            to = date();
        } else if (persons.Take(args, i)) {
            continue;
        } else if (a == "--records") {
            const QString v = value();
            auto it = kRecords.find(v);
            if (it == kRecords.end()) throw BadOption{"bad records: " + v + " (all, clock, inout)"};
            o.params.records = it->second;
        } else if (a == "--format") {
            o.params.recordFormat = number(0, 3);
        } else if (a == "--per-line") {
            perLine = number(2, 8);
            if (*perLine % 2)
                throw BadOption{"bad value for --per-line: " + QString::number(*perLine)};
        } else if (a == "--blank-lines") {
            o.params.blankLines = true;
        } else if (a == "--new-page") {
            newPage = true;
        } else if (a == "--no-new-page") {
            newPage = false;
        } else if (a == "--enhanced") {
            o.params.enhanced = true;
        } else if (a == "--no-enhanced") {
            o.params.enhanced = false;
        } else if (a == "--day") {
            o.params.dayOfInterest = date();
        } else if (a == "--pdf") {
            o.pdf = value();
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
    if (o.help) return o;
    if (!kind)
        throw BadOption{
            "which report? (first-last, two-session, first-last-overnight, "
            "total-hours, total-hours-detail, time-logs, daily-individual, "
            "whos-in-out)"};
    o.kind = *kind;
    if (from.has_value() != to.has_value()) throw BadOption{"--from and --to go together"};
    if (from) {
        if (periodGiven) throw BadOption{"--period and --from/--to exclude each other"};
        o.params.period = PeriodChoice::Range;
        o.params.rangeFrom = *from;
        o.params.rangeTo = *to;
    }
    persons.ApplyTo(o.params);
    // The defaults of each printout's dialog.
    o.params.recordsPerLine = perLine                                 ? *perLine
                              : o.kind == ReportKind::TimeLogs        ? 8
                              : o.kind == ReportKind::DailyIndividual ? 6
                                                                      : 4;
    // The who's-status dialog ticks "New page on new category" for both of its printouts.
    o.params.newPage =
        newPage.value_or(o.kind == ReportKind::WhosInOut || o.kind == ReportKind::DailyIndividual);
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
           "      total-hours-detail, time-logs, daily-individual, whos-in-out\n"
           "  --period this-week|last-week|this-month|last-month|all   (default this-week)\n"
           "  --from YYYY-MM-DD --to YYYY-MM-DD    a date range instead of --period\n" +
           QString(PersonsOptions::Usage()) +
           "  --records all|clock|inout            records of interest (default all)\n"
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
