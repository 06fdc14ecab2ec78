// The reader simulator and the link talking over the simulator's pseudo-terminal.
#include <gtest/gtest.h>

#include <QProcess>

#include "link_fixture.h"
#include "support/temp_data.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

class SimulatorAndLink : public ::testing::Test {
protected:
    void SetUp() override {
        sim.start(BinaryPath("horalog-readersim"), {});
        ASSERT_TRUE(sim.waitForStarted(5000)) << sim.errorString().toStdString();
        QString first = NextLine();
        ASSERT_TRUE(first.startsWith("pty /dev/")) << first.toStdString();
        link.PortNo = 2;
        link.SetDevicePath(first.mid(4));
        link.SetClock(FixedClock(LinkNow()));
        link.SetupPort();
        link.Open();
        events.Attach(link);
    }

    void TearDown() override {
        if (sim.state() == QProcess::NotRunning) return;
        sim.write("quit\n");
        if (!sim.waitForFinished(3000)) sim.kill();
    }

    // The simulator's next output line, or "" after the timeout.
    QString NextLine(int timeoutMs = 3000) {
        if (!WaitUntil([&] { return sim.canReadLine(); }, timeoutMs)) return {};
        return QString::fromUtf8(sim.readLine()).trimmed();
    }

    void Type(const char* command) { sim.write(QByteArray(command) + "\n"); }

    // A command that prints nothing, confirmed by a bypass report typed after it.
    void Setting(const char* command) {
        Type(command);
        Type("bypass release");
        ASSERT_TRUE(WaitForEvents(1));
        events.lines.clear();
    }

    bool WaitForEvents(size_t n) {
        return WaitUntil([&] { return events.lines.size() >= n; });
    }

    QProcess sim;
    TRfidReader link;
    EventLog events;
};

TEST_F(SimulatorAndLink, ReadsTypedIntoTheSimulatorReachTheLink) {
    Type("card 1234567");
    Type("card 0");  // raises nothing
    Type("stamped 7654321 out stored 2004-06-26T18:24:06");
    Type("bypass press");
    Type("bypass release");
    ASSERT_TRUE(WaitForEvents(4));
    EXPECT_EQ(events.lines,
              (std::vector<std::string>{
                  "card live port 2 code 1234567 cmode -1 at 2004-06-26 18:24:06.000",
                  "card stored port 2 code 7654321 cmode 2 at 2004-06-26 18:24:06.000",
                  "bypass port 2 state 0",
                  "bypass port 2 state 1",
              }));
}

TEST_F(SimulatorAndLink, CommandsFromTheLinkArePrintedAndAnswered) {
    link.SignalAccept();
    EXPECT_EQ(NextLine(), "~y");
    EXPECT_TRUE(WaitUntil([&] { return link.Responsed(); }));
    EXPECT_TRUE(link.ResultOK());

    Setting("refuse on");
    link.LockTime = 3;
    link.ReleaseLock();
    EXPECT_EQ(NextLine(), "~Y3");
    EXPECT_TRUE(WaitUntil([&] { return link.Responsed(); }));
    EXPECT_FALSE(link.ResultOK());
    Setting("refuse off");

    link.AddAccessCard(1234567);
    EXPECT_EQ(NextLine(), "~A card 1234567");
    link.CheckReader();
    EXPECT_EQ(NextLine(), "~@");
    EXPECT_TRUE(WaitUntil([&] { return link.Responsed(); }));
    EXPECT_EQ(link.ModelString(), "PX900");

    // the simulator asks for the time; the link answers with its clock, the simulator acks
    Type("powerup");
    EXPECT_EQ(NextLine(), "clock 2004-06-26 18:24:06 Sat");
    EXPECT_TRUE(WaitUntil([&] { return link.PktGood(); }));
    EXPECT_EQ(events.lines, std::vector<std::string>{"powerup port 2"});

    link.SendPacket(QByteArray::fromHex("000300"));
    EXPECT_EQ(NextLine(), "packet 00 03 00");
    EXPECT_TRUE(WaitUntil([&] { return link.PktGood(); }));
}

}  // namespace
