#pragma once
// `horalog schedules [check CARD COMn [--at "YYYY-MM-DD HH:MM"]]`: the time profiles and
// holidays, or why a card would be admitted at a reader or not.
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "common/datetime.h"

namespace horalog {

// words: "schedules" first, less --data and --database; now: the time a check without --at
// is made for. Exit status: 0 done, 1 a failure of the store or an unknown card or reader,
// 2 a bad command line.
int RunSchedulesCommand(const QStringList& words, const QString& folder, QTextStream& out,
                        QTextStream& err, DateTime now);

}  // namespace horalog
