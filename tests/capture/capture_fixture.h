#pragma once
// A store, eight reader links and the capture spine, with a real pseudo-terminal on the far
// side of ports 1 to 4 where the test plays the readers.

#include <gtest/gtest.h>

#include <QSettings>
#include <array>
#include <memory>
#include <vector>

#include "capture/card_capture.h"
#include "reader/frames.h"
#include "reader/reader_ports.h"
#include "storage/log_table.h"
#include "storage/settings.h"
#include "storage/staff_table.h"
#include "storage/engines.h"
#include "storage/store.h"
#include "support/pty.h"
#include "support/temp_data.h"

namespace horalog::testing {

struct ReaderSetup {
    int port;
    int mode = 1;
    int lock = 0;
    bool enable = true;
    bool apb = false;
    int lockTime = 1;
    int bypass = 0;
    int motion = 0;
    QString desc = {};
};

class CaptureFixture : public ::testing::Test {
protected:
    static constexpr int kPorts = 4;

    // The engine of the store; suites on both engines override it (OnBothEngines).
    virtual Engine engine() const { return Engine::Embedded; }

    void SetUp() override {
        QSettings(SettingsFilePath(), QSettings::IniFormat).clear();
        HORALOG_CHOOSE_ENGINE(engine());
        EnsureDataFolder(data.path());
        store.OpenStore();
        for (int p = 1; p <= kPorts; ++p) {
            pty[p - 1] = std::make_unique<PseudoTerminal>();
            ASSERT_TRUE(pty[p - 1]->isValid());
            WriteSettingText(QString("PortDevice%1").arg(p), pty[p - 1]->slavePath());
        }
        capture.feedback.beep = [this] { ++beeps; };
    }
    void TearDown() override { CloseReaderPorts(links); }

    void setup(const std::vector<ReaderSetup>& readers) {
        for (const ReaderSetup& r : readers) {
            auto q = store.src().prepare(
                "UPDATE reader SET ENABLE = ?, MODE = ?, OUTPORT = ?, APB = ?, LOCKTIME = ?, "
                "BPPORT = ?, MOTION = ?, \"DESC\" = ? WHERE PORTNO = ?");
            q.bindAll(r.enable, r.mode, r.lock, r.apb, r.lockTime, r.bypass, r.motion,
                      r.desc.isEmpty() ? QString("COM%1").arg(r.port) : r.desc, r.port);
            q.exec();
        }
        CloseReaderPorts(links);
        ASSERT_TRUE(OpenReaderPorts(links, store.src(), capture.hooks(), nullptr));
    }

    void holder(int card, const QString& name, std::initializer_list<int> ports, int group = 1) {
        HolderRecord h;
        h.cardno = card;
        h.name = name;
        h.workgrp = group;
        for (int p : ports) h.com[p - 1] = true;
        StaffTable(store.src()).append(h);
    }

    // Plays the reader of port: writes the frame and waits until the read was handled.
    void present(int port, const QByteArray& frame) {
        qint64 before = LogTable(store.att()).count();
        pty[port - 1]->write(frame);
        ASSERT_TRUE(WaitUntil([&] { return LogTable(store.att()).count() > before; }, 3000));
    }

    // The tilde commands each reader received since the last call ("~y", "~Y3", ...).
    std::array<QStringList, kPorts> received(int settleMs = 150) {
        RunEventsFor(settleMs);
        std::array<QStringList, kPorts> out;
        for (int p = 0; p < kPorts; ++p) {
            QByteArray bytes = pty[p]->readNow();
            // FF FF 7E text 7E FF
            int i = 0;
            while ((i = bytes.indexOf("\xFF\xFF~", i)) >= 0) {
                int end = bytes.indexOf("~\xFF", i + 3);
                if (end < 0) break;
                out[p] << QString::fromLatin1(bytes.mid(i + 3, end - i - 3));
                i = end + 2;
            }
        }
        return out;
    }

    std::vector<LogRecord> rows() {
        return LogTable(store.att()).page(0, 1000, LogOrder::OldestFirst);
    }

    EngineChoiceReset engineChoiceReset;
    TempDataFolder data;
    Tdsrc store{data.path()};
    std::array<std::unique_ptr<PseudoTerminal>, kPorts> pty;
    ReaderLinks links;
    DateTime now = EncodeDateTime(2004, 6, 26, 10, 0, 0);
    CardCapture capture{store, links, [this] { return now; }};
    int beeps = 0;
};

}  // namespace horalog::testing
