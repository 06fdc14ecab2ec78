// The headless service on a database server that goes away while a reader reads: every read is
// still answered, decided from the local copy, kept in the journal and forwarded to the server
// when it returns, each once and in the order read.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QThread>
#include <array>
#include <map>
#include <thread>
#include <tuple>

#include "reader/frames.h"
#include "storage/postgres_driver.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "storage/store.h"
#include "support/private_postgres.h"
#include "support/pty.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

::testing::Environment* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new PrivatePostgresEnvironment);

// The first tilde command the reader received after a card frame ("~Y1", "~N"), waiting up to
// 3 s for it; empty when none came.
QString Answer(PseudoTerminal& pty) {
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3000) {
        bytes += pty.readNow();
        const int start = bytes.indexOf("\xFF\xFF~");
        const int end = start < 0 ? -1 : bytes.indexOf("~\xFF", start + 3);
        if (end > 0) return QString::fromLatin1(bytes.mid(start + 3, end - start - 3));
        QThread::msleep(1);
    }
    return QString();
}

TEST(DoorsDuringOutage, ReadsAreAnsweredFromTheCopyAndForwardedOnceInOrder) {
    HORALOG_NEW_SERVER_DATABASE(url);
    PrivatePostgres& server = *PrivatePostgres::Get(nullptr);
    TempDataFolder data;
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
    WriteSettingText("PortDevice1", pty.slavePath());
    // The IN/OUT periods are read at every read too: from a server that is gone they fail.
    WriteSettingBool("AutoInOut", true);
    {
        Tdsrc store(data.path(), url);
        store.OpenStore();
        store.src().execute(
            "UPDATE reader SET ENABLE = 1, MODE = 1, OUTPORT = 1, LOCKTIME = 1 WHERE PORTNO = 1");
        for (auto [card, name, right] : {std::tuple{100, "ANN", true}, {200, "BOB", false}}) {
            HolderRecord h;
            h.cardno = card;
            h.name = name;
            h.com[0] = right;
            StaffTable(store.src()).append(h);
        }
    }

    QProcess app;
    app.setProcessChannelMode(QProcess::SeparateChannels);
    app.start(BinaryPath("horalog"), {"--capture-only", "--data", data.path(), "--database", url});
    ASSERT_TRUE(app.waitForStarted());
    QByteArray err;
    ASSERT_TRUE(WaitUntil(
        [&] {
            app.waitForReadyRead(20);
            err += app.readAllStandardError();
            return err.contains("capturing on 1 port(s)");
        },
        10000))
        << err.constData();

    // A holder with the right is let in; one without and a stranger are refused.
    const std::map<int, QString> expected = {{100, "~Y1"}, {200, "~N"}, {999, "~N"}};
    std::vector<int> sent;
    auto read = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const int card = std::array{100, 200, 999}[sent.size() % 3];
            pty.readNow();
            pty.write(CardFrame(card));
            const QString answer = Answer(pty);
            if (answer != expected.at(card)) {
                QByteArray out;
                for (int n = 0; n < 20; ++n) {
                    app.waitForReadyRead(50);
                    out += app.readAllStandardOutput();
                    err += app.readAllStandardError();
                }
                err += out.right(600);
                ADD_FAILURE() << "read " << sent.size() << " of card " << card << " answered \""
                              << answer.toStdString() << "\"\n"
                              << err.constData();
                return false;
            }
            sent.push_back(card);
        }
        return true;
    };
    ASSERT_TRUE(read(30));
    bool answered = false;
    {
        // The server stops while the reader keeps reading.
        std::thread stopper([&] { server.stopServer(); });
        answered = read(200);
        stopper.join();
    }
    server.startServer();
    ASSERT_TRUE(answered);
    ASSERT_TRUE(read(30));

    // A link of the test's own: a store on the service's folder would merge its journal.
    auto check = OpenServerDatabase(url, OpenMode::ReadOnly);
    // In the order the server took them, which is the order read.
    std::vector<std::pair<int, int>> log;  // card, lock
    EXPECT_TRUE(WaitUntil(
        [&] {
            log.clear();
            auto q = check->prepare("SELECT CARDNO, LOCK FROM recorder ORDER BY ID");
            while (q.next()) log.emplace_back(q.integer("CARDNO"), q.integer("LOCK"));
            return log.size() >= sent.size();
        },
        20000))
        << log.size() << " of " << sent.size() << " reads on the server";
    ASSERT_EQ(log.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(log[i].first, sent[i]) << "row " << i;
        EXPECT_EQ(log[i].second, sent[i] == 100 ? 1 : 0) << "row " << i;
    }
    // The outage happened, its reads came through the journal, and was told once each way.
    auto merged = check->prepare("SELECT count(*) FROM journal_merged");
    ASSERT_TRUE(merged.next());
    EXPECT_GE(merged.value(0).toInt(), 100);
    app.terminate();
    ASSERT_TRUE(app.waitForFinished(5000));
    err += app.readAllStandardError();
    EXPECT_EQ(err.count("database server unreachable ("), 1) << err.constData();
    EXPECT_EQ(err.count("database server reachable again: "), 1) << err.constData();
    EXPECT_EQ(err.count("log write failed"), 0) << err.constData();
}

}  // namespace
