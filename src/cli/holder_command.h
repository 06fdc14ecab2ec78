#pragma once
// The `horalog holders` and `horalog audit` branches of the program: no window.
//   horalog holders import FILE [--no-new-groups]   (.csv or .xlsx)
//   horalog holders export FILE                     (.csv or .xlsx)
//   horalog audit [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--text TEXT] [--csv FILE]
//   horalog pick-list [add|remove CARD... | clear]
// Every command takes --data DIR. Exit status: 0 done, 1 a failure of the store, the file or
// the data ("No record." included), 2 a bad command line.

#include <QString>
#include <QStringList>
#include <QTextStream>

#include "common/datetime.h"

namespace horalog {

bool IsHoldersCommand(int argc, char** argv);
int RunHoldersProgram(int argc, char** argv);
bool IsAuditCommand(int argc, char** argv);
int RunAuditProgram(int argc, char** argv);
//   horalog schedules                                   (profiles and holidays)
//   horalog schedules check CARD COMn [--at "YYYY-MM-DD HH:MM"]
int RunSchedulesProgram(int argc, char** argv);
int RunPickListProgram(int argc, char** argv);

// The commands on words (after the program name, without --data DIR) and a data folder.
int RunHoldersCommand(const QStringList& words, const QString& folder, QTextStream& out,
                      QTextStream& err);
int RunAuditCommand(const QStringList& words, const QString& folder, QTextStream& out,
                    QTextStream& err);
int RunPickListCommand(const QStringList& words, const QString& folder, QTextStream& out,
                       QTextStream& err);
// now: the time a check without --at is made for.
int RunSchedulesCommand(const QStringList& words, const QString& folder, QTextStream& out,
                        QTextStream& err, DateTime now);

}  // namespace horalog
