// The window on a database server that goes away: the reader is still answered, the red band
// says since when and how many reads are kept, and it goes once the reads reached the server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTime>

#include "common/paths.h"
#include "reader/frames.h"
#include "shell/ui/main_window.h"
#include "shell/ui/program.h"
#include "storage/postgres_driver.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "storage/store.h"
#include "support/private_postgres.h"
#include "support/pty.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

::testing::Environment* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new PrivatePostgresEnvironment);

qint64 ServerRows(const QString& url) {
    auto c = OpenServerDatabase(url, OpenMode::ReadOnly);
    auto q = c->prepare("SELECT count(*) FROM recorder");
    q.next();
    return q.value(0).toLongLong();
}

TEST(OutageBand, ShowsSinceWhenAndReadsKeptUntilTheServerHasThem) {
    HORALOG_NEW_SERVER_DATABASE(url);
    PrivatePostgres& server = *PrivatePostgres::Get(nullptr);
    QTemporaryDir lockDir;
    qputenv("HORALOG_LOCK_DIR", lockDir.path().toUtf8());
    TempDataFolder data;
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
    WriteSettingText("PortDevice1", pty.slavePath());
    SetCommandLineDatabaseUrl(url);
    {
        Tdsrc store(data.path(), url);
        store.OpenStore();
        store.src().execute(
            "UPDATE reader SET ENABLE = 1, MODE = 1, OUTPORT = 1, LOCKTIME = 3 WHERE PORTNO = 1");
        HolderRecord ann;
        ann.cardno = 100;
        ann.name = "ANN";
        ann.com[0] = true;
        StaffTable(store.src()).append(ann);
    }
    RecordingMessages messages;
    Program program(messages);
    ASSERT_TRUE(program.start(data.path())) << messages.last().toStdString();
    TTimeRec& w = *program.window();
    QObject::disconnect(&w, &TTimeRec::closed, qApp, nullptr);
    auto* band = w.findChild<QLabel*>("storeAlarm");
    ASSERT_TRUE(band);
    EXPECT_TRUE(band->isHidden());

    server.stopServer();
    const QString since = QTime::currentTime().toString("HH:mm");
    for (int card : {100, 999}) {
        pty.readNow();
        pty.write(CardFrame(card));
        const QByteArray answer = pty.readAvailable(3000);
        EXPECT_EQ(answer, card == 100 ? QByteArray("\xFF\xFF~~Y3~\xFF", 8)
                                      : QByteArray("\xFF\xFF~~N~\xFF", 7))
            << card;
    }
    EXPECT_FALSE(band->isHidden());
    // The minute may have turned since the server stopped.
    const QStringList texts = {
        QString("Database server unreachable since %1; 2 reads kept locally").arg(since),
        QString("Database server unreachable since %1; 2 reads kept locally")
            .arg(QTime::currentTime().toString("HH:mm"))};
    EXPECT_TRUE(texts.contains(band->text())) << band->text().toStdString();

    server.startServer();
    EXPECT_TRUE(WaitUntil([&] { return band->isHidden(); }, 15000)) << band->text().toStdString();
    EXPECT_EQ(ServerRows(url), 2);
    w.close();
    SetCommandLineDatabaseUrl(QString());
}

}  // namespace
