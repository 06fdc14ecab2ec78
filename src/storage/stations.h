#pragma once
// Stations: the PCs that share one server database, each with its own eight readers. A log
// row and a reader row carry the station they belong to. STATION '' is this PC on the
// embedded files (and rows that came from there without a name); on a server every PC writes
// under its own name, so the embedded engine never needs one.

#include <QHash>
#include <QString>

#include "storage/database.h"
#include "storage/lookups.h"

namespace horalog {

// Setting Station: this PC's name among the stations; the host name when not set.
QString StationName();

// Gives the connection's station its eight reader rows (the defaults, COM1 to COM8) when it
// has none yet. Nothing to do on the embedded files, whose rows are there from the template.
void EnsureStationReaders(Connection& src);

// Names of the readers of every station, read once (one query). With one station a read is
// named by its reader's description, as always; with several, by "<station> <description>"
// (e.g. "Front gate COM1"), since "COM1" alone no longer says which door.
class StationReaderNames {
public:
    StationReaderNames() = default;
    static StationReaderNames Load(Connection& src);

    // Whether the database holds the readers of more than one named station.
    bool several() const { return several_; }
    // The name of a READER or LOCK value of a row written at station: with one station
    // ReaderName(value, plain); with several, the station's own description with the station
    // in front. 0 and values outside 1..8 keep "DENIED" and "ERROR".
    QString name(const QString& station, int value, const ReaderNames& plain) const;
    // The eight names of one station's readers the same way: plain with one station, each
    // with the station in front with several.
    ReaderNames placed(const QString& station, const ReaderNames& plain) const;

private:
    bool several_ = false;
    QHash<QString, ReaderNames> names_;
};

}  // namespace horalog
