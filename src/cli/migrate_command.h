#pragma once
// `horalog migrate --to URL [--station NAME]`: the data folder's files copied into an empty
// server database.

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace horalog {

// words: "migrate" first, less --data and --database. Exit status: 0 copied and every count
// equal, 1 refused or failed (one line on err saying why), 2 a bad command line.
int RunMigrateCommand(const QStringList& words, const QString& folder, QTextStream& out,
                      QTextStream& err);

}  // namespace horalog
