#include "storage/stations.h"

#include <QSysInfo>

#include "storage/settings.h"

namespace horalog {

QString StationName() {
    const QString name = ReadSettingText("Station", QString()).trimmed();
    return name.isEmpty() ? QSysInfo::machineHostName() : name;
}

void EnsureStationReaders(Connection& src) {
    const QString station = src.station();
    if (station.isEmpty()) return;
    auto have = src.prepare("SELECT count(*) FROM reader WHERE STATION = ?");
    have.bindAll(station);
    if (have.next() && have.value(0).toLongLong() > 0) return;
    have.reset();
    // Two processes of one station starting together: the second one's rows are ignored.
    Transaction t(src);
    auto q =
        src.prepare("INSERT OR IGNORE INTO reader (STATION, PORTNO, \"DESC\") VALUES (?, ?, ?)");
    for (int port = 1; port <= 8; ++port) {
        q.reset();
        q.bindAll(station, port, QString("COM%1").arg(port));
        q.exec();
    }
    t.commit();
}

StationReaderNames StationReaderNames::Load(Connection& src) {
    StationReaderNames out;
    auto q = src.prepare("SELECT STATION, PORTNO, \"DESC\" FROM reader");
    int named = 0;
    while (q.next()) {
        const QString station = q.text("STATION");
        auto it = out.names_.find(station);
        if (it == out.names_.end()) {
            ReaderNames fresh;
            for (int i = 0; i < 8; ++i) fresh[i] = QString("COM%1").arg(i + 1);
            it = out.names_.insert(station, fresh);
            if (!station.isEmpty()) ++named;
        }
        const int port = q.integer("PORTNO");
        const QString desc = q.text("DESC");
        if (port >= 1 && port <= 8 && !desc.trimmed().isEmpty()) (*it)[port - 1] = desc;
    }
    out.several_ = named > 1;
    return out;
}

QString StationReaderNames::name(const QString& station, int value,
                                 const ReaderNames& plain) const {
    if (!several_ || value < 1 || value > 8) return ReaderName(value, plain);
    const auto it = names_.constFind(station);
    const QString desc = it != names_.constEnd() ? (*it)[value - 1] : QString("COM%1").arg(value);
    return station.isEmpty() ? desc : station + ' ' + desc;
}

ReaderNames StationReaderNames::placed(const QString& station, const ReaderNames& plain) const {
    if (!several_ || station.isEmpty()) return plain;
    ReaderNames out = plain;
    for (QString& n : out) n = station + ' ' + n;
    return out;
}

}  // namespace horalog
