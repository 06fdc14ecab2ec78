#include "cli/export_command.h"

#include <map>
#include <optional>

#include "attendance/attendance_reports.h"
#include "cli/command_program.h"
#include "cli/commands.h"
#include "cli/scope_options.h"
#include "common/ports.h"
#include "common/texts.h"
#include "exports/payroll_export.h"
#include "exports/result_export.h"

namespace horalog {

namespace {

const std::map<QString, ExportKind> kKinds = {
    {"first-last", ExportKind::FirstLast}, {"pairs", ExportKind::Pairs},
    {"time-logs", ExportKind::TimeLogs},   {"late-early", ExportKind::LateEarly},
    {"payroll", ExportKind::Payroll},
};

struct Options {
    ExportKind kind = ExportKind::FirstLast;
    ReportParameters params;
    QString xlsx, csv;
    bool noBom = false;
    bool help = false;
};

Options Parse(const QStringList& args) {
    CLI::App parser;
    PrepareParser(parser);
    Options o;
    ScopeOptions scope;
    QString kindWord;
    std::optional<QString> xlsx, csv;
    parser.add_flag("--help,-h", o.help);
    AddText(parser, "kind", kindWord);
    scope.Add(parser);
    AddText(parser, "--xlsx", xlsx);
    AddText(parser, "--csv", csv);
    parser.add_flag("--no-bom", o.noBom);
    ParseWords(parser, args, "export");
    if (o.help) return o;
    if (kindWord.isEmpty())
        throw BadOption{"which export? (first-last, pairs, time-logs, late-early, payroll)"};
    auto it = kKinds.find(kindWord);
    if (it == kKinds.end()) throw BadOption{"unknown export " + kindWord, kindWord};
    o.kind = it->second;
    for (const auto& [name, file] : {std::pair{"--xlsx", &xlsx}, std::pair{"--csv", &csv}})
        if (*file && (*file)->isEmpty()) throw BadOption{QString(name) + " needs a file name"};
    o.xlsx = xlsx.value_or(QString());
    o.csv = csv.value_or(QString());
    if (o.xlsx.isEmpty() == o.csv.isEmpty())
        throw BadOption{"give one of --xlsx FILE or --csv FILE"};
    const std::optional<RecordsOfInterest> records = scope.records();
    if (TraitsOf(o.kind).forcesInOut && records && *records != RecordsOfInterest::InOut)
        throw BadOption{"--records: pairs and late-early always use inout"};
    if (!o.csv.isEmpty() && scope.newPage.value_or(false))
        throw BadOption{"--new-page needs --xlsx (a CSV file holds one sheet)"};
    const bool payroll = o.kind == ExportKind::Payroll;
    if (payroll && scope.newPage.value_or(false))
        throw BadOption{"--new-page: payroll is one sheet of rows and one of totals"};
    if (o.noBom && (!payroll || o.csv.isEmpty()))
        throw BadOption{"--no-bom goes with payroll --csv", "--no-bom"};
    scope.Apply(o.params);
    o.params.recordsPerLine = scope.perLine().value_or(4);
    o.params.newPage = scope.newPage.value_or(false);
    return o;
}

// Errors go to standard error; "Completed." is for the window only.
class CommandMessages : public Messages {
public:
    explicit CommandMessages(QTextStream& err) : err_(err) {}
    void error(const QString& t) override { print(t); }
    void warning(const QString& t) override { print(t); }
    void information(const QString&) override {}
    bool confirm(const QString& t) override {
        print(t);
        return false;
    }
    bool warningYesNo(const QString& t) override {
        print(t);
        return false;
    }
    void plain(const QString& t) override { print(t); }

private:
    void print(const QString& t) { err_ << "horalog export: " << t << Qt::endl; }
    QTextStream& err_;
};

}  // namespace

QString ExportCommandUsage() {
    return "usage: horalog export KIND (--xlsx FILE | --csv FILE) [options]\n"
           "KIND: first-last, pairs, time-logs, late-early, payroll (a row per holder and\n"
           "      day, every row complete, and in a workbook a sheet of totals; --month "
           "YYYY-MM)\n" +
           ScopeOptions::Usage() +
           "                                       (pairs and late-early use inout)\n"
           "  --per-line 2|4|6|8                   records per line: 2 x pairs per row, or\n"
           "                                       TIME columns of time-logs (default 4)\n"
           "  --blank-lines                        rows for the days without records\n"
           "  --new-page | --no-new-page           one sheet per holder (--xlsx only)\n"
           "  --xlsx FILE                          write an .xlsx workbook (replaced if present)\n"
           "  --csv FILE                           write one CSV file (UTF-8, one sheet's rows)\n"
           "  --no-bom                             payroll CSV without the byte-order mark\n"
           "  --data DIR                           the data folder (else HORALOG_DATA, else\n"
           "                                       ~/.local/share/Horalog)\n";
}

int RunExportCommand(const QStringList& args, const std::function<ReportSource*()>& open,
                     QTextStream& out, QTextStream& err, const Clock& clock) {
    Options o;
    try {
        o = Parse(args);
    } catch (const BadOption& bad) {
        err << "horalog export: " << bad.message << Qt::endl;
        return 2;
    }
    if (o.help) {
        out << ExportCommandUsage();
        out.flush();
        return 0;
    }
    ReportSource* source = open();
    if (!source) return 1;
    try {
        if (LogIsEmpty(*source)) {
            err << text::kNoRecord << Qt::endl;
            return 1;
        }
    } catch (const DbError&) {
        err << text::kDatabaseError << Qt::endl;
        return 1;
    }
    CommandMessages messages(err);
    const QString path = o.xlsx.isEmpty() ? o.csv : o.xlsx;
    if (!RemoveExistingFile(path, messages)) return 1;
    NoProgress progress;
    // Payroll's CSV opens right in spreadsheet programs: with a byte-order mark by default.
    const bool bom = o.kind == ExportKind::Payroll && !o.noBom;
    const OpenWriter writer = [&](int sheets) {
        return o.xlsx.isEmpty() ? OpenCsvWriter(o.csv, bom) : OpenXlsxWriter(o.xlsx, sheets);
    };
    if (o.kind == ExportKind::Payroll)
        return WritePayrollExport(o.params, *source, writer, o.csv.isEmpty(), messages, progress,
                                  clock())
                   ? 0
                   : 1;
    return WriteResultExport(o.kind, o.params, *source, writer, messages, progress, clock()) ? 0
                                                                                             : 1;
}

int RunExportProgram(Invocation& run) {
    const auto app = MakeCommandApplication(run.argc, run.argv, false);
    ReadOnlyStore store(run.folder);
    QTextStream out(stdout), err(stderr);
    const int status = RunExportCommand(
        run.words, [&] { return store.Open(err, "horalog export"); }, out, err);
    out.flush();
    err.flush();
    return status;
}

}  // namespace horalog
