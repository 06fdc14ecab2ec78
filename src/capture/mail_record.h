#pragma once
// The mail record of a read, queued in table emails and sent later.

#include <QString>

#include "common/datetime.h"
#include "storage/lookups.h"

namespace horalog {

class Connection;

struct MailRecord {
    QString title;
    QString msg;     // lines ended by CR LF
    QString attach;  // the picture file of the read
};

// name is the holder's name, or the card number when the card has no holder; group may be
// empty. lockPort is the reading link's configured lock (0: "DENIED"), not the outcome.
MailRecord BuildMailRecord(const QString& name, int card, const QString& group, DateTime stamp,
                           int mode, int port, int lockPort, const ReaderNames& readers);
void QueueMail(Connection& src, const MailRecord& mail);

}  // namespace horalog
