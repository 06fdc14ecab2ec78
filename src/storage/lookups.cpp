#include "storage/lookups.h"

#include <QDir>

#include "common/format.h"
#include "common/paths.h"

namespace horalog {

ReaderNames ReaderDescriptions(Connection& src) {
    ReaderNames names;
    for (int i = 0; i < 8; ++i) names[i] = QString("COM%1").arg(i + 1);
    auto q = src.prepare("SELECT PORTNO, \"DESC\" FROM reader WHERE STATION = ?");
    q.bindAll(src.station());
    while (q.next()) {
        int port = q.integer("PORTNO");
        QString desc = q.text("DESC");
        if (port >= 1 && port <= 8 && !desc.trimmed().isEmpty()) names[port - 1] = desc;
    }
    return names;
}

QString ReaderName(int value, const ReaderNames& names) {
    if (value >= 1 && value <= 8) return names[value - 1];
    if (value == 0) return "DENIED";
    return "ERROR";
}

QString GroupName(Connection& src, int id) {
    auto q = src.prepare("SELECT DESCX FROM gid WHERE ID = ?");
    q.bindAll(id);
    return q.next() ? q.text("DESCX") : QString();
}

int GroupIdOf(Connection& src, const QString& name) {
    auto q = src.prepare("SELECT ID FROM gid WHERE DESCX = ? ORDER BY ID LIMIT 1");
    q.bindAll(name);
    return q.next() ? q.integer("ID") : 0;
}

DateRange DateRangeClause(DateTime from, DateTime to) {
    return {from.datePart(), to.datePart().addDays(1)};
}

QString PicturePath(int card, DateTime t) {
    return QDir(PhotosFolder())
        .filePath(FormatDateTime("yyMMdd-hhmmss", t) + "-" + QString::number(card) + ".jpg");
}

}  // namespace horalog
