#pragma once
// A reader link on a real pseudo-terminal: the test plays the reader on the master side and
// records the link's events as one line each.

#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "reader/rfid_reader.h"
#include "storage/settings.h"
#include "support/pty.h"

namespace horalog::testing {

// Saturday 2004-06-26 18:24:06.400: the link drops the milliseconds of card reads.
inline DateTime LinkNow() {
    return EncodeDateTime(2004, 6, 26, 18, 24, 6, 400);
}

inline QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

inline std::string Stamp(DateTime t) {
    return t.toQDateTime().toString("yyyy-MM-dd HH:mm:ss.zzz").toStdString();
}

class EventLog {
public:
    void Attach(TRfidReader& link) {
        link.OnCardCode = [this](bool offline, int port, int code, DateTime stamp, int cmode) {
            lines.push_back("card " + std::string(offline ? "stored" : "live") + " port " +
                            std::to_string(port) + " code " + std::to_string(code) + " cmode " +
                            std::to_string(cmode) + " at " + Stamp(stamp));
        };
        link.OnBypass = [this](int port, int state) {
            lines.push_back("bypass port " + std::to_string(port) + " state " +
                            std::to_string(state));
        };
        link.OnPowerup = [this](int port) {
            lines.push_back("powerup port " + std::to_string(port));
        };
    }
    std::vector<std::string> lines;
};

class LinkOnPty : public ::testing::Test {
protected:
    static constexpr int kPort = 3;

    void SetUp() override {
        ASSERT_TRUE(pty.isValid());
        Open(link);
    }

    // Opens a link on this pseudo-terminal through the PortDevice setting of its port.
    void Open(TRfidReader& l) {
        WriteSettingText(QStringLiteral("PortDevice%1").arg(kPort), pty.slavePath());
        l.PortNo = kPort;
        l.SetClock(FixedClock(LinkNow()));
        l.SetupPort();
        l.Open();
        events.Attach(l);
    }

    // Plays the bytes, then a bypass-release frame as a marker, and returns the events raised
    // before the marker: a frame that raises nothing is seen to raise nothing.
    std::vector<std::string> Deliver(const QByteArray& bytes) {
        events.lines.clear();
        pty.write(bytes + Hex("F5 02 70 90 FA"));
        const std::string marker = "bypass port 3 state 1";
        bool seen =
            WaitUntil([&] { return !events.lines.empty() && events.lines.back() == marker; });
        EXPECT_TRUE(seen) << "marker frame not seen";
        std::vector<std::string> out = events.lines;
        if (seen) out.pop_back();
        return out;
    }

    PseudoTerminal pty;
    TRfidReader link;
    EventLog events;
};

}  // namespace horalog::testing
