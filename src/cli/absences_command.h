#pragma once
// `horalog absences list|add|remove|import|export|types`: holders' absences (vacation, sick
// days, ...) without a window.

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace horalog {

// words: "absences" first, less --data and --database. Exit status: 0 done, 1 a failure of the
// store or the file, or a refused change (nothing changes then), 2 a bad command line.
int RunAbsencesCommand(const QStringList& words, const QString& folder, QTextStream& out,
                       QTextStream& err);

}  // namespace horalog
