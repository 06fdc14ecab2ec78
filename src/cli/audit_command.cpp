#include "cli/audit_command.h"

#include <QDate>

#include "cli/command_program.h"
#include "cli/commands.h"
#include "cli/parsing.h"
#include "storage/audit.h"
#include "storage/audit_model.h"

namespace horalog {

namespace {

const char* const kAuditUsage =
    "Usage: horalog audit [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--text TEXT] [--csv FILE]\n"
    "                     [--data DIR]\n"
    "Prints the audit trail, oldest first, or writes it to a CSV file.\n";

}  // namespace

int RunAuditCommand(const QStringList& words, const QString& folder, QTextStream& out,
                    QTextStream& err) {
    CLI::App parser;
    PrepareParser(parser);
    AuditFilter filter;
    std::optional<QString> from, to;
    QString csv;
    AddText(parser, "--from", from);
    AddText(parser, "--to", to);
    AddText(parser, "--text", filter.text);
    AddText(parser, "--csv", csv);
    if (const auto status = ReadWords(parser, words, "audit", kAuditUsage, out, err))
        return *status;
    for (const auto& [value, date] : {std::pair{&from, &filter.from}, std::pair{&to, &filter.to}}) {
        if (!*value) continue;
        *date = QDate::fromString(**value, "yyyy-MM-dd");
        if (!(*date)->isValid()) return BadWord(err, "audit", **value);
    }
    // Read-write only to bring an older file up to the audit table; nothing else is written.
    auto src = OpenSystemDb(folder, OpenMode::ReadWrite, err, "audit");
    if (!src) return 1;
    qint64 n = 0;
    try {
        AuditLog log(*src);
        if (!csv.isEmpty()) {
            QString error;
            if (!ExportAuditCsv(*src, filter, csv, error, &n)) {
                err << "horalog audit: " << error << Qt::endl;
                return 1;
            }
            out << "Wrote " << n << " audit rows to " << csv << Qt::endl;
            return 0;
        }
        log.forEach(filter, [&](const AuditRecord& r) {
            out << AuditTimeText(r.stamp) << "  " << r.station << "  " << r.action << "  "
                << r.subject;
            if (!r.oldText.isEmpty()) out << "  before: " << r.oldText;
            if (!r.newText.isEmpty()) out << "  after: " << r.newText;
            out << "\n";
            ++n;
            return true;
        });
    } catch (const DbError& e) {
        err << "horalog audit: " << e.text() << Qt::endl;
        return 1;
    }
    if (n == 0) {
        err << "No record." << Qt::endl;
        return 1;
    }
    return 0;
}

int RunAuditProgram(Invocation& run) {
    return RunOnStandardStreams(run, RunAuditCommand);
}

}  // namespace horalog
