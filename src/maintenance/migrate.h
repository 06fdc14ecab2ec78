#pragma once
// `horalog migrate --to URL [--station NAME]`: copies every table of a data folder's embedded
// files into an empty database on a server, keeping the ids, one transaction per table, then
// compares the row counts. The data folder is only read.

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace horalog {

// Whether the server url or connection string carries a password (which belongs in
// ~/.pgpass or a service file, not on a command line).
bool UrlHasPassword(const QString& url);

// words: after the program name, without --data DIR ("migrate" first). Exit status: 0 copied
// and every count equal, 1 refused or failed (one line on err saying why), 2 a bad command
// line.
int RunMigrateCommand(const QStringList& words, const QString& folder, QTextStream& out,
                      QTextStream& err);

// The program's branch: Qt's core application, the words and folder of argv, stdout, stderr.
int RunMigrateProgram(int argc, char** argv);

}  // namespace horalog
