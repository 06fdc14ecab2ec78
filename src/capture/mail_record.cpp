#include "capture/mail_record.h"

#include "common/format.h"
#include "storage/database.h"

namespace horalog {

MailRecord BuildMailRecord(const QString& name, int card, const QString& group, DateTime stamp,
                           int mode, int port, int lockPort, const ReaderNames& readers) {
    const QStringList lines = {
        name + " [" + QString::number(card) + "]",
        group,
        FormatDateTime("MMMM d, yyyy dddd  AM/PMhh:mm:ss", stamp),
        ModeName(mode),
        ReaderName(port, readers),
        ReaderName(lockPort, readers),
    };
    MailRecord m;
    m.title = "[" + FormatDateTime("yyyy/mm/dd AM/PMHH:mm:ss", stamp) + "] " + name;
    if (!group.isEmpty()) m.title += ", " + group;
    for (const QString& l : lines) m.msg += l + "\r\n";
    m.attach = PicturePath(card, stamp);
    return m;
}

void QueueMail(Connection& src, const MailRecord& mail) {
    auto q = src.prepare("INSERT INTO emails (TITLE, MSG, ATTACH) VALUES (?, ?, ?)");
    q.bindAll(mail.title, mail.msg, mail.attach);
    q.exec();
}

}  // namespace horalog
