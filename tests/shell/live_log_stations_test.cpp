// The live log of a server database that several stations share: the reader and lock of a
// read are named "<station> <reader>" there, and by the description alone with one station.
#include <gtest/gtest.h>

#include "shell/live_log_model.h"
#include "storage/log_table.h"
#include "storage/station_stores.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

TEST(LiveLogOfStations, ReaderAndLockCarryTheStationOnlyWhenSeveralShareTheDatabase) {
    HORALOG_NEW_SERVER_DATABASE(url);
    StationStores stations;
    stations.url = url;
    const DateTime day = EncodeDate(2004, 6, 26);
    auto front = stations.open("Front gate");
    front->src().execute(
        "UPDATE reader SET \"DESC\" = 'Gate' WHERE STATION = 'Front gate' AND PORTNO = 2");
    LogRecord a{0, day.addSecs(8 * 3600), 7, 1, 2, 1};
    LogTable(front->att()).append(a);
    auto cells = [](Tdsrc& store) {
        LiveLogModel m(store);
        m.reload();
        QStringList out;
        for (int row = 0; row < m.rowCount(); ++row)
            for (int col : {LiveLogModel::ColReader, LiveLogModel::ColLock})
                out << m.data(m.index(row, col)).toString();
        return out;
    };
    EXPECT_EQ(cells(*front), QStringList({"Gate", "COM1"}));

    auto back = stations.open("Warehouse");
    LogRecord b{0, day.addSecs(9 * 3600), 8, 2, 1, 0};
    LogTable(back->att()).append(b);
    const QStringList several{"Front gate Gate", "Front gate COM1", "Warehouse COM1", "DENIED"};
    EXPECT_EQ(cells(*front), several);
    EXPECT_EQ(cells(*back), several);
}

}  // namespace
