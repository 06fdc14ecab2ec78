#pragma once
// `horalog audit [--from DATE] [--to DATE] [--text TEXT] [--csv FILE]`: the audit trail.
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace horalog {

// words: "audit" first, less --data and --database. Exit status: 0 done, 1 a failure of the
// store or the file, or no row ("No record."), 2 a bad command line.
int RunAuditCommand(const QStringList& words, const QString& folder, QTextStream& out,
                    QTextStream& err);

}  // namespace horalog
