// Two capture services of two stations, each with its own reader on a pseudo-terminal, on one
// server database: both logs land in the one table under their stations, and the same card
// presented IN at both doors at the same moment opens a door at most once.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "capture/passback.h"
#include "reader/frames.h"
#include "storage/engines.h"
#include "storage/staff_table.h"
#include "storage/stations.h"
#include "support/program_run.h"
#include "support/pty.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

constexpr int kFirstCard = 5001;
constexpr int kTrials = 100;
constexpr int kOut = 2;

// One PC: its own home (settings with its station and reader device), data folder, reader.
struct Station {
    QString name;
    PrivateHome home;
    QTemporaryDir data;
    PseudoTerminal reader;
    QProcess service;
    QByteArray answers;  // what the reader received, not yet looked at

    void start(const QString& url) {
        QSettings settings(home.path() + "/config/Quorvane/Horalog.ini", QSettings::IniFormat);
        settings.setValue("Station", name);
        settings.setValue("PortDevice1", reader.slavePath());
        settings.sync();
        service.setProcessEnvironment(home.environment());
        service.start(BinaryPath("horalog"),
                      {"--capture-only", "--data", data.path(), "--database", url});
    }
    bool capturing() {
        QByteArray err;
        return WaitUntil(
            [&] {
                service.waitForReadyRead(20);
                err += service.readAllStandardError();
                return err.contains("capturing on 1 port(s)");
            },
            10000);
    }
    // The reader's answer to the last card: 'Y' the lock released, 'N' refused; 0 none.
    char answer() {
        answers += reader.readNow();
        for (char a : {'Y', 'N'}) {
            const int at = answers.indexOf(QByteArray("~") + a);
            if (at >= 0) {
                answers.clear();
                return a;
            }
        }
        return 0;
    }
};

TEST(TwoStations, SameCardInAtBothDoorsAtOnceOpensOneDoor) {
    HORALOG_NEW_SERVER_DATABASE(url);
    {
        auto c = OpenServerDatabase(url, OpenMode::ReadWrite);
        UpgradeServerSchema(*c);
        for (const char* station : {"Front gate", "Warehouse"}) {
            c->setStation(station);
            EnsureStationReaders(*c);
        }
        // Reader 1 of each station: IN, opens its own lock, anti-passback on.
        c->execute(
            "UPDATE reader SET ENABLE = 1, MODE = 1, OUTPORT = 1, APB = 1 "
            "WHERE PORTNO = 1 AND STATION <> ''");
        Transaction t(*c);
        for (int i = 0; i < kTrials; ++i) {
            HolderRecord h;
            h.cardno = kFirstCard + i;
            h.name = QString("HOLDER %1").arg(i);
            h.com[0] = true;
            StaffTable(*c).append(h);
        }
        t.commit();
    }
    Station front, back;
    front.name = "Front gate";
    back.name = "Warehouse";
    for (Station* s : {&front, &back}) {
        ASSERT_TRUE(s->reader.isValid());
        s->start(url);
    }
    for (Station* s : {&front, &back}) ASSERT_TRUE(s->capturing()) << s->name.toStdString();

    auto setup = OpenServerDatabase(url, OpenMode::ReadWrite);
    int twice = 0, unanswered = 0;
    std::vector<int> admittedAt;
    for (int trial = 0; trial < kTrials; ++trial) {
        const int card = kFirstCard + trial;
        // Half the trials race the card's first passage, half a change of its state.
        if (trial % 2) {
            ASSERT_TRUE(TakePassage(*setup, card, kOut));
        }
        front.reader.write(CardFrame(card));
        back.reader.write(CardFrame(card));
        char a = 0, b = 0;
        WaitUntil(
            [&] {
                if (!a) a = front.answer();
                if (!b) b = back.answer();
                return a && b;
            },
            5000);
        if (!a || !b) ++unanswered;
        if (a == 'Y' && b == 'Y') ++twice;
        admittedAt.push_back((a == 'Y') + (b == 'Y'));
    }
    EXPECT_EQ(unanswered, 0);
    EXPECT_EQ(twice, 0);
    // The first of the two always passes: exactly one door opened each time.
    EXPECT_EQ(std::count(admittedAt.begin(), admittedAt.end(), 1), kTrials);

    for (Station* s : {&front, &back}) {
        s->service.terminate();
        EXPECT_TRUE(s->service.waitForFinished(5000));
        EXPECT_EQ(s->service.exitCode(), 0) << s->service.readAllStandardError().constData();
    }
    // Both logs in one table, each read under its station; the released locks are the
    // admitted reads.
    auto q = setup->prepare(
        "SELECT STATION, count(*) AS N, sum(CASE WHEN LOCK = 1 THEN 1 ELSE 0 END) AS OPENED "
        "FROM recorder GROUP BY STATION ORDER BY STATION");
    int opened = 0;
    QStringList stations;
    while (q.next()) {
        stations << q.text("STATION");
        EXPECT_EQ(q.integer("N"), kTrials) << q.text("STATION").toStdString();
        opened += q.integer("OPENED");
    }
    EXPECT_EQ(stations, QStringList({"Front gate", "Warehouse"}));
    EXPECT_EQ(opened, kTrials);
}

}  // namespace
