#pragma once
// Repairing the log: every readable row of a damaged log copied into a new file beside it,
// checked, and put in place of the damaged one only when asked (the damaged file is kept).

#include <QString>
#include <QStringList>

namespace horalog {

inline constexpr const char* kRepairedLogFile = "attend-repaired.mdb";

struct LogRepair {
    bool ok = false;       // the new file was written and passed its check
    qint64 copied = 0;     // log rows in the new file
    qint64 expected = -1;  // rows the damaged file counted, -1 when unreadable
    QString repairedPath;  // the new file
    QString keptPath;      // after a swap: where the damaged file now is
    qint64 journalMerged = 0;
    QStringList lines;  // what was done, for the operator
};

// Copies the readable rows of the log of folder into kRepairedLogFile and checks it. swap:
// the damaged file (with its side files) is renamed "attend-damaged-<time>.mdb", the new file
// takes its place and the journal's reads are merged into it. The program must not run.
LogRepair RepairLog(const QString& folder, bool swap);

}  // namespace horalog
