#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QProcess>

#include "storage/log_table.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "support/pty.h"
#include "support/temp_data.h"
#include "support/free_port.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

bool waitForText(QProcess& p, QByteArray& seen, const QByteArray& text, bool fromStderr,
                 int timeoutMs = 5000) {
    return WaitUntil(
        [&] {
            p.waitForReadyRead(20);
            seen += fromStderr ? p.readAllStandardError() : p.readAllStandardOutput();
            return seen.contains(text);
        },
        timeoutMs);
}

// The headless service and the simulator on a pseudo-terminal: a typed card read becomes a row
// and a printed line, the simulator sees the reader's answer, and the web pages (switched on)
// list the read.
TEST(CaptureOnly, SimulatorReadBecomesRowAndLine) {
    TempDataFolder data;
    EnsureDataFolder(data.path());
    {
        Tdsrc store(data.path());
        store.OpenStore();
        store.src().execute("UPDATE reader SET ENABLE = 1, MODE = 1 WHERE PORTNO = 1");
    }
    QProcess sim;
    sim.start(BinaryPath("horalog-readersim"), {});
    ASSERT_TRUE(sim.waitForStarted());
    QByteArray simOut;
    ASSERT_TRUE(waitForText(sim, simOut, "\n", false));
    ASSERT_TRUE(simOut.startsWith("pty "));
    WriteSettingText("PortDevice1", QString::fromUtf8(simOut.mid(4).trimmed()));
    const int webPort = horalog::testing::FreeLoopbackPort();
    WriteSettingBool("WebEnabled", true);
    WriteSettingInt("WebPort", webPort);

    QProcess app;
    app.start(BinaryPath("horalog"), {"--capture-only", "--data", data.path()});
    ASSERT_TRUE(app.waitForStarted());
    QByteArray appErr, appOut;
    ASSERT_TRUE(waitForText(app, appErr, "capturing on 1 port(s)", true)) << appErr.constData();

    sim.write("card 1234567\n");
    ASSERT_TRUE(waitForText(app, appOut, "COM1 1234567 IN LOCK=DENIED\n", false))
        << appOut.constData();
    simOut.clear();
    ASSERT_TRUE(waitForText(sim, simOut, "~N", false)) << simOut.constData();
    ASSERT_TRUE(
        waitForText(app, appErr, QString("web reporter on port %1\n").arg(webPort).toUtf8(), true))
        << appErr.constData();
    httplib::Client web("127.0.0.1", webPort);
    auto page = web.Get("/logs");
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find("<td>[1234567]</td><td></td><td>IN</td><td>COM1</td>"),
              std::string::npos)
        << page->body;

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(5000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    sim.closeWriteChannel();
    sim.waitForFinished(3000);
    WriteSettingBool("WebEnabled", false);

    Tdsrc store(data.path());
    store.OpenStore();
    auto last = LogTable(store.att()).last();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->cardno, 1234567);
    EXPECT_EQ(last->mode, 1);
    EXPECT_EQ(last->reader, 1);
}

}  // namespace
