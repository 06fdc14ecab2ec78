// Stations: the step that brings them keeps every row of an older database, each station on a
// server has its own eight readers and writes its name on its log rows, and a read is named
// with its station only when several stations share the database.
#include "storage/stations.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <optional>

#include "engines.h"
#include "reader/reader_setup.h"
#include "storage/log_table.h"
#include "storage/read_journal.h"
#include "storage/schema_upgrade.h"
#include "storage/settings.h"
#include "storage/station_stores.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

// The tables of one section as the release before stations made them.
void BuildBeforeStations(Connection& c, const QString& which) {
    c.execute(SchemaSection(which));
    const int before = LatestSchemaVersion(which) - 1;
    for (const SchemaStep& s : SchemaSteps())
        if (which == QLatin1String(s.file) && s.version <= before)
            c.execute(QString::fromUtf8(s.sql));
}

// A few rows an older database holds: two reads, a reader with its own description.
void AddOlderRows(Connection& att, Connection& src) {
    att.execute(
        "INSERT INTO recorder (SYSTIME, CARDNO, MODE, READER, LOCK) VALUES "
        "(38000.25, 7, 1, 2, 2), (38000.75, 8, 2, 1, 0)");
    src.execute("UPDATE reader SET \"DESC\" = 'Front door', ENABLE = 1 WHERE PORTNO = 2");
}

QStringList Column(Connection& c, const QString& sql) {
    QStringList out;
    auto q = c.prepare(sql);
    while (q.next()) out << q.value(0).toString();
    return out;
}

// The setting Station is the test program's: each test leaves it unset again.
struct StationSetting {
    ~StationSetting() { WriteSettingText("Station", ""); }
};

class StationsUpgrade : public ::testing::TestWithParam<Engine> {
    StationSetting unset_;
};

TEST_P(StationsUpgrade, AnOlderDatabaseKeepsEveryRowUnderStationEmpty) {
    TempDataFolder data;
    std::optional<QString> url;
    if (GetParam() == Engine::Embedded) {
        auto att = OpenDatabase(data.file(kLogDbFile), kLogDbPassword, OpenMode::ReadWrite, true);
        auto src = OpenDatabase(data.file(kSysDbFile), kSysDbPassword, OpenMode::ReadWrite, true);
        for (auto [c, which] : {std::pair{att.get(), "attend"}, std::pair{src.get(), "sysdat"}}) {
            BuildBeforeStations(*c, which);
            c->execute(QString("CREATE TABLE schema_version (VERSION INTEGER NOT NULL);"
                               "INSERT INTO schema_version (VERSION) VALUES (%1)")
                           .arg(LatestSchemaVersion(which) - 1));
        }
        AddOlderRows(*att, *src);
        EnsureDataFolder(data.path());  // the templates; the older files stay
    } else {
        HORALOG_NEW_SERVER_DATABASE(server);
        url = server;
        auto c = OpenServerDatabase(server, OpenMode::ReadWrite);
        c->execute("CREATE TABLE schema_version (FILE TEXT PRIMARY KEY, VERSION INTEGER NOT NULL)");
        for (const char* which : {"attend", "sysdat"}) {
            BuildBeforeStations(*c, which);
            c->execute(QString("INSERT INTO schema_version (FILE, VERSION) VALUES ('%1', %2)")
                           .arg(which)
                           .arg(LatestSchemaVersion(which) - 1));
        }
        AddOlderRows(*c, *c);
        WriteSettingText("Station", "Front gate");
    }

    Tdsrc store(data.path(), url);
    store.OpenStore();
    Connection& att = store.att();
    Connection& src = store.src();
    EXPECT_EQ(Column(att, "SELECT CARDNO || ' ' || STATION || '.' FROM recorder ORDER BY ID"),
              QStringList({"7 .", "8 ."}));
    EXPECT_EQ(Column(src,
                     "SELECT PORTNO || ' ' || \"DESC\" FROM reader WHERE STATION = '' "
                     "ORDER BY PORTNO"),
              QStringList({"1 COM1", "2 Front door", "3 COM3", "4 COM4", "5 COM5", "6 COM6",
                           "7 COM7", "8 COM8"}));
    // The key is the station and the port.
    EXPECT_THROW(src.execute("INSERT INTO reader (STATION, PORTNO) VALUES ('', 2)"), DbError);
    EXPECT_NO_THROW(src.execute("INSERT INTO reader (STATION, PORTNO) VALUES ('Other', 2)"));
    EXPECT_TRUE(ReaderTableOk(src));
    if (GetParam() == Engine::Embedded) {
        // Nothing changes on the embedded files: the PC's readers are the rows it had.
        EXPECT_EQ(src.station(), "");
        EXPECT_EQ(LoadReaderRow(src, 2)->desc, "Front door");
        EXPECT_EQ(SchemaVersion(att), LatestSchemaVersion("attend"));
        EXPECT_EQ(SchemaVersion(src), LatestSchemaVersion("sysdat"));
    } else {
        // A station on the server starts with eight default readers of its own.
        EXPECT_EQ(src.station(), "Front gate");
        EXPECT_EQ(LoadReaderRow(src, 2)->desc, "COM2");
        EXPECT_EQ(ServerSchemaVersion(att, "attend"), LatestSchemaVersion("attend"));
        EXPECT_EQ(ServerSchemaVersion(att, "sysdat"), LatestSchemaVersion("sysdat"));
    }
    LogRecord r{0, DateTime(38001.5), 9, 1, 1, 0};
    LogTable(att).append(r);
    EXPECT_EQ(LogTable(att).find(r.id)->station, src.station());
}

INSTANTIATE_TEST_SUITE_P(BothEngines, StationsUpgrade, kBothEngines, EngineName);

// Two PCs on one server database.
class TwoStations : public ::testing::Test {
protected:
    void SetUp() override {
        HORALOG_NEW_SERVER_DATABASE(server);
        stations.url = server;
        front = open("Front gate");
    }
    std::unique_ptr<Tdsrc> open(const QString& station) { return stations.open(station); }
    StationStores stations;
    std::unique_ptr<Tdsrc> front;
};

TEST_F(TwoStations, EachStationHasItsOwnEightReaders) {
    auto back = open("Warehouse");
    ReaderRow gate = *LoadReaderRow(front->src(), 1);
    gate.desc = "Gate";
    gate.enable = true;
    gate.apb = true;
    ASSERT_TRUE(StoreReaderRow(front->src(), gate));

    EXPECT_EQ(*LoadReaderRow(front->src(), 1), gate);
    const ReaderRow other = *LoadReaderRow(back->src(), 1);
    EXPECT_EQ(other.desc, "COM1");
    EXPECT_FALSE(other.enable);
    EXPECT_FALSE(other.apb);
    EXPECT_EQ(ReaderDescriptions(front->src())[0], "Gate");
    EXPECT_EQ(ReaderDescriptions(back->src())[0], "COM1");
    EXPECT_EQ(LoadReaderRows(back->src()).size(), 8u);
    for (Tdsrc* s : {front.get(), back.get()}) EXPECT_TRUE(ReaderTableOk(s->src()));

    // A station that opens again keeps its rows and adds none.
    back->CloseStore();
    WriteSettingText("Station", "Warehouse");
    back->OpenStore();
    EXPECT_EQ(Column(back->src(), "SELECT count(*) FROM reader WHERE STATION = 'Warehouse'"),
              QStringList{"8"});
    EXPECT_EQ(LoadReaderRow(front->src(), 1)->desc, "Gate");
}

TEST_F(TwoStations, LogRowsCarryTheirStationAlsoThroughTheJournal) {
    auto back = open("Warehouse");
    LogRecord a{0, DateTime(38000.25), 7, 1, 1, 0};
    LogRecord b{0, DateTime(38000.5), 7, 2, 1, 0};
    LogTable(front->att()).append(a);
    LogTable(back->att()).append(b);

    // A read kept in the journal keeps its station until it reaches the log; one kept by an
    // earlier version (no station) becomes the merging station's.
    QTemporaryDir dir;
    ReadJournal journal(dir.filePath(kJournalFile));
    LogRecord kept{0, DateTime(38000.75), 8, 1, 3, 0, "Warehouse"};
    journal.append(kept);
    LogRecord unnamed{0, DateTime(38000.8), 9, 1, 3, 0};
    journal.append(unnamed);
    EXPECT_EQ(journal.mergeInto(front->att()).merged, 2);

    EXPECT_EQ(Column(front->att(), "SELECT CARDNO || ' ' || STATION FROM recorder ORDER BY ID"),
              QStringList({"7 Front gate", "7 Warehouse", "8 Warehouse", "9 Front gate"}));
}

TEST_F(TwoStations, ReadsAreNamedWithTheirStationOnlyWhenSeveralShareTheDatabase) {
    const ReaderNames plain = ReaderDescriptions(front->src());
    const struct {
        const char* station;
        int value;
        const char* one;      // one station
        const char* several;  // two stations
    } cases[] = {
        {"Front gate", 1, "COM1", "Front gate COM1"},
        {"Warehouse", 2, "COM2", "Warehouse Dock"},
        {"Front gate", 0, "DENIED", "DENIED"},
        {"Front gate", 9, "ERROR", "ERROR"},
        {"", 3, "COM3", "COM3"},  // a row that came from the embedded files without a name
        {"Gone", 4, "COM4", "Gone COM4"},
    };
    const StationReaderNames one = StationReaderNames::Load(front->src());
    EXPECT_FALSE(one.several());
    auto back = open("Warehouse");
    back->src().execute(
        "UPDATE reader SET \"DESC\" = 'Dock' WHERE STATION = 'Warehouse' AND PORTNO = 2");
    const StationReaderNames several = StationReaderNames::Load(front->src());
    EXPECT_TRUE(several.several());
    for (const auto& c : cases) {
        EXPECT_EQ(one.name(c.station, c.value, plain), c.one) << c.station << c.value;
        EXPECT_EQ(several.name(c.station, c.value, plain), c.several) << c.station << c.value;
    }
    EXPECT_EQ(several.placed("Front gate", plain)[0], "Front gate COM1");
    EXPECT_EQ(one.placed("Front gate", plain)[0], "COM1");
}

}  // namespace
