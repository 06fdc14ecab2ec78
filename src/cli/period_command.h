#pragma once
// `horalog period [close DATE | reopen [DATE]]`: the closed period without a window.

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace horalog {

// words: "period" first, less --data and --database. Exit status: 0 done, 1 a failure of the
// store or a refused close, 2 a bad command line.
int RunPeriodCommand(const QStringList& words, const QString& folder, QTextStream& out,
                     QTextStream& err);

}  // namespace horalog
