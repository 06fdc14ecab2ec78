#pragma once
// `horalog pick-list [add|remove CARD... | clear]`: the holders that --persons list chooses.
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace horalog {

// words: "pick-list" first, less --data and --database. Exit status: 0 done, 1 a failure of
// the store or an unknown card (nothing changes then), 2 a bad command line.
int RunPickListCommand(const QStringList& words, const QString& folder, QTextStream& out,
                       QTextStream& err);

}  // namespace horalog
