#pragma once
// `horalog holders import|export FILE`: holders in bulk from or to a .csv or .xlsx file.
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace horalog {

// words: "holders" first, less --data and --database. Exit status: 0 done, 1 a failure of
// the store, the file or the data, 2 a bad command line.
int RunHoldersCommand(const QStringList& words, const QString& folder, QTextStream& out,
                      QTextStream& err);

}  // namespace horalog
