#pragma once
// A stand-alone reader played by horalog-readersim on a pseudo-terminal, the link of port 2
// open on it, a fresh pair of databases and recording screen ports.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include "offline/offline_link.h"
#include "offline/offline_manager.h"
#include "reader/reader_ports.h"
#include "storage/log_table.h"
#include "storage/staff_table.h"
#include "storage/store.h"
#include "support/pty.h"
#include "support/recording_ports.h"
#include "support/temp_data.h"

namespace horalog::testing {

// Saturday 2004-06-26 18:24:06: the PC clock of these tests.
inline DateTime OfflineNow() {
    return EncodeDateTime(2004, 6, 26, 18, 24, 6);
}

class OfflineReaderTest : public ::testing::Test {
protected:
    static constexpr int kPort = 2;

    void SetUp() override {
        EnsureDataFolder(data.path());
        store.OpenStore();
        sim.setProcessChannelMode(QProcess::SeparateChannels);
        sim.start(BinaryPath("horalog-readersim"), {});
        ASSERT_TRUE(sim.waitForStarted(5000)) << sim.errorString().toStdString();
        ASSERT_TRUE(WaitUntil([&] { return sim.canReadLine(); }, 5000));
        const QString first = QString::fromUtf8(sim.readLine()).trimmed();
        ASSERT_TRUE(first.startsWith("pty /dev/")) << first.toStdString();
        TRfidReader& l = link();
        l.PortNo = kPort;
        l.Desc = "Front Door";
        l.Enable = true;
        l.SetDevicePath(first.mid(4));
        l.SetClock(FixedClock(OfflineNow()));
        l.SetupPort();
        l.Open();
    }

    void TearDown() override {
        if (sim.state() == QProcess::NotRunning) return;
        sim.write("quit\n");
        if (!sim.waitForFinished(3000)) sim.kill();
    }

    TRfidReader& link() { return links[kPort]; }

    // Commands typed into the simulator; returns once it has run them (its "state" line is
    // in), with the lines it printed meanwhile dropped.
    void Type(const QString& commands) {
        for (const QString& c : commands.split('\n')) sim.write((c + "\n").toUtf8());
        sim.write("state\n");
        ASSERT_TRUE(WaitUntil(
            [&] {
                Drain();
                return !lines.isEmpty() && lines.last().startsWith("state ");
            },
            5000));
        lastState = lines.last();
        lines.clear();
    }

    // What the simulator printed so far (the commands the PC sent), after a short quiet spell.
    QStringList Printed() {
        RunEventsFor(50);
        Drain();
        return lines;
    }
    void Drain() {
        while (sim.canReadLine()) lines << QString::fromUtf8(sim.readLine()).trimmed();
    }
    int CountPrinted(const QString& prefix) {
        int n = 0;
        for (const QString& l : Printed())
            if (l.startsWith(prefix)) ++n;
        return n;
    }

    OfflineManager Manager() {
        return OfflineManager(links, store, messages, progress, FixedClock(OfflineNow()));
    }

    void AddHolder(int card, const QString& name, bool offline = false, int allowedPort = 0) {
        HolderRecord h;
        h.cardno = card;
        h.name = name;
        h.offline = offline;
        if (allowedPort) h.com[size_t(allowedPort - 1)] = true;
        StaffTable(store.src()).append(h);
    }

    TempDataFolder data;
    Tdsrc store{data.path()};
    ReaderLinks links;
    QProcess sim;
    QStringList lines;
    QString lastState;
    RecordingMessages messages;
    RecordingProgress progress;
};

}  // namespace horalog::testing
