// The reader link against a real pseudo-terminal: the test plays the reader.
#include <gtest/gtest.h>

#include <QtGlobal>
#include <functional>

#include "link_fixture.h"
#include "reader/frames.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

using Lines = std::vector<std::string>;

const std::string kCard1234567Now =
    "card live port 3 code 1234567 cmode -1 at 2004-06-26 18:24:06.000";

TEST_F(LinkOnPty, OnlineFramesRaiseTheirEvents) {
    struct Case {
        const char* what;
        const char* bytes;
        Lines expected;
    };
    const Case cases[] = {
        {"card frame", "F5 06 00 00 12 D6 87 91 FA", {kCard1234567Now}},
        {"card 0", "F5 06 00 00 00 00 00 00 FA", {}},
        {"stamped, stored, IN",
         "F5 0B 81 09 B2 29 C6 00 00 12 D6 87 66 FA",
         {"card stored port 3 code 1234567 cmode 1 at 2004-06-26 18:24:06.000"}},
        {"stamped, live, OUT",
         "F5 0B 02 09 B2 29 C6 00 00 12 D6 87 E5 FA",
         {"card live port 3 code 1234567 cmode 2 at 2004-06-26 18:24:06.000"}},
        {"stamp 0 gives date-time 0",
         "F5 0B 01 00 00 00 00 00 00 12 D6 87 90 FA",
         {"card live port 3 code 1234567 cmode 1 at 1899-12-30 00:00:00.000"}},
        {"stamped card 0", "F5 0B 81 09 B2 29 C6 00 00 00 00 00 D5 FA", {}},
        {"bypass pressed", "F5 02 50 B0 FA", {"bypass port 3 state 0"}},
        {"bypass released", "F5 02 70 90 FA", {"bypass port 3 state 1"}},
        {"unknown answer character", "F5 02 5A A6 FA", {}},
        {"bad checksum", "F5 06 00 00 12 D6 87 92 FA", {}},
        {"wrong end byte", "F5 06 00 00 12 D6 87 91 FB", {}},
        {"length byte 3 rejected at once, then the next frame counts",
         "F5 03 47 B9 FA F5 06 00 00 12 D6 87 91 FA",
         {kCard1234567Now}},
        {"length byte 3 body ignored", "F5 03 00 00 12 D6 87 91 FA", {}},
        {"F5 inside a body is data (card F5 00 01)",
         "F5 06 00 00 F5 00 01 0A FA",
         {"card live port 3 code 16056321 cmode -1 at 2004-06-26 18:24:06.000"}},
        {"noise before a frame", "00 FA 13 FF F5 06 00 00 12 D6 87 91 FA", {kCard1234567Now}},
        {"two frames in one write",
         "F5 02 50 B0 FA F5 06 00 00 12 D6 87 91 FA",
         {"bypass port 3 state 0", kCard1234567Now}},
        {"highest card number",
         "F5 06 00 00 FF FF FF 03 FA",
         {"card live port 3 code 16777215 cmode -1 at 2004-06-26 18:24:06.000"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Deliver(Hex(c.bytes)), c.expected) << c.what;
}

TEST_F(LinkOnPty, OneCharacterAnswersSetTheTildeOutcome) {
    struct Case {
        const char* bytes;
        bool responsed, resultOK;
        const char* model;
    };
    const Case cases[] = {
        {"F5 02 47 B9 FA", true, true, ""},       // "G"
        {"F5 02 42 BE FA", true, false, ""},      // "B"
        {"F5 02 30 D0 FA", true, true, "PX900"},  // "0"
        {"F5 02 31 CF FA", true, true, "RB01"},   // "1"
        {"F5 02 32 CE FA", true, true, "RB02"},   // "2"
        {"F5 02 5A A6 FA", false, true, "RB02"},  // "Z": nothing changes, the rest stays
    };
    for (const auto& c : cases) {
        link.SignalAccept();  // clears Responsed
        pty.readAvailable(200);
        ASSERT_FALSE(link.Responsed());
        Deliver(Hex(c.bytes));
        EXPECT_EQ(link.Responsed(), c.responsed) << c.bytes;
        if (c.responsed) {
            EXPECT_EQ(link.ResultOK(), c.resultOK) << c.bytes;
        }
        if (*c.model) {
            EXPECT_EQ(link.ModelString().toStdString(), c.model) << c.bytes;
        }
    }
}

TEST_F(LinkOnPty, ClockRequestAndPowerupAreAnsweredWithTheClock) {
    const QByteArray clock = Hex("FF FF F5 0B 00 02 06 24 18 07 26 06 04 7A FA FF");
    // "C": the link answers by itself, in packet mode for the answer time.
    pty.write(Hex("F5 02 43 BD FA"));
    EXPECT_EQ(pty.readCount(clock.size()), clock);
    EXPECT_TRUE(link.PktMode());
    EXPECT_TRUE(events.lines.empty());
    EXPECT_TRUE(WaitUntil([&] { return link.PktTimeout(); }, 2000));
    EXPECT_FALSE(link.PktMode());

    // "R": the clock, then the power-up event.
    pty.write(Hex("F5 02 52 AE FA"));
    EXPECT_EQ(pty.readCount(clock.size()), clock);
    EXPECT_TRUE(WaitUntil([&] { return !events.lines.empty(); }));
    EXPECT_EQ(events.lines, Lines{"powerup port 3"});
}

TEST_F(LinkOnPty, CommandsOnTheWireWithRtsAroundThem) {
    struct Case {
        const char* what;
        std::function<void()> send;
        const char* wire;
    };
    const Case cases[] = {
        {"ReleaseLock, 5 s",
         [&] {
             link.LockTime = 5;
             link.ReleaseLock();
         },
         "FF FF 7E 7E 59 35 7E FF"},
        {"ReleaseLock, out-of-range time stays one digit",
         [&] {
             link.LockTime = 12;
             link.ReleaseLock();
         },
         "FF FF 7E 7E 59 39 7E FF"},
        {"SignalAccept", [&] { link.SignalAccept(); }, "FF FF 7E 7E 79 7E FF"},
        {"SignalReject", [&] { link.SignalReject(); }, "FF FF 7E 7E 4E 7E FF"},
        {"AckStoredRead", [&] { link.AckStoredRead(); }, "FF FF 7E 7E 41 7E FF"},
        {"CheckReader", [&] { link.CheckReader(); }, "FF FF 7E 7E 40 7E FF"},
        {"ClearAccessTable", [&] { link.ClearAccessTable(); }, "FF FF 7E 7E 43 43 7E FF"},
        {"AddAccessCard 1234567", [&] { link.AddAccessCard(1234567); },
         "FF FF 7E 7E 41 00 00 12 D6 87 91 7E FF"},
        {"SendLockState on", [&] { link.SendLockState(true); }, "FF FF F5 05 00 00 01 FA FA FF"},
        {"SendLockState off", [&] { link.SendLockState(false); }, "FF FF F5 05 00 00 00 FB FA FF"},
        {"SendPacket with ID 7",
         [&] {
             link.ID = 7;
             link.SendPacket(Hex("07 04 00 2C 01"));
         },
         "FF FF F5 07 07 04 00 2C 01 C1 FA FF"},
        {"SendRawFrame", [&] { link.SendRawFrame(Hex("01 02 03")); }, "FF FF F5 01 02 03 FA FA FF"},
    };
    // What had reached the reader when RTS rose and when it fell.
    QByteArray atRise, atFall;
    QObject::connect(&link.Device(), &SerialDevice::rtsChanged,
                     [&](bool active) { (active ? atRise : atFall) = pty.readNow(); });
    for (const auto& c : cases) {
        atRise = atFall = "unset";
        c.send();
        EXPECT_EQ(atRise, QByteArray()) << c.what;
        EXPECT_EQ(HexBytes(atFall), HexBytes(Hex(c.wire))) << c.what << ": sent before RTS fell";
        EXPECT_FALSE(link.Device().Rts()) << c.what;
        EXPECT_FALSE(link.Responsed()) << c.what;
    }
}

TEST_F(LinkOnPty, RtsFailureOnAPseudoTerminalIsNotedOnceAndSendingGoesOn) {
    static int notes = 0;
    notes = 0;
    auto previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& msg) {
            if (msg.contains("RTS")) ++notes;
        });
    TRfidReader other;
    pty.readNow();
    link.Close();
    Open(other);
    other.SignalAccept();
    other.SignalReject();
    qInstallMessageHandler(previous);
    EXPECT_TRUE(other.Device().RtsUnsupported());
    EXPECT_EQ(notes, 1);
    EXPECT_EQ(pty.readCount(14), Hex("FF FF 7E 7E 79 7E FF FF FF 7E 7E 4E 7E FF"));
}

TEST_F(LinkOnPty, PacketAnswerIsKeptForTheAnswerReaders) {
    link.SendPacket(Hex("00 07 00"));
    EXPECT_EQ(pty.readAvailable(), Hex("FF FF F5 05 00 07 00 F4 FA FF"));
    ASSERT_TRUE(link.PktMode());
    EXPECT_FALSE(link.PktGood());
    // answer: L=21, data 00 07 00 then "HELLO WORLD     ", checksum
    QByteArray answer = QByteArray("\x15\x00\x07\x00", 4) + "HELLO WORLD     ";
    answer.append(char(Checksum(answer)));
    pty.write(QByteArray(1, char(kFrameStart)) + answer + QByteArray(1, char(kFrameEnd)));
    ASSERT_TRUE(WaitUntil([&] { return link.PktGood(); }));
    EXPECT_FALSE(link.PktMode());
    EXPECT_FALSE(link.PktTimeout());
    EXPECT_EQ(link.ReplyLength(), 21);
    EXPECT_EQ(link.ReplyByte(0), 0x15);
    EXPECT_EQ(link.ReplyText16(4), "HELLO WORLD     ");
}

TEST_F(LinkOnPty, PageAnswerLandsAtPositionsZeroTo264) {
    QByteArray page;
    for (int i = 0; i < 264; ++i) page.append(char((i * 7 + 3) & 0xFF));
    page.append(char(Checksum(page)));
    link.SendPacket(Hex("00 09 01 00 00"));
    pty.readAvailable();
    pty.write(Hex("F5 00") + page + Hex("FA"));
    ASSERT_TRUE(WaitUntil([&] { return link.PktGood(); }));
    EXPECT_EQ(link.ReplyLength(), 265);
    for (int i = 0; i < 265; ++i) ASSERT_EQ(link.ReplyByte(i), quint8(page[i])) << i;
}

TEST_F(LinkOnPty, PacketModeRejectsOnlineFramesAndBadLengths) {
    link.SendPacketWait(Hex("00 01"), 3000);
    pty.readAvailable();
    // A card frame fails the packet checksum (its length byte counts), length 1 and 128 are
    // rejected at once; the answer after them is taken.
    pty.write(Hex("F5 06 00 00 12 D6 87 91 FA  F5 01 FF FA  F5 80 00 80 FA  F5 02 FE FA"));
    ASSERT_TRUE(WaitUntil([&] { return link.PktGood(); }));
    EXPECT_EQ(link.ReplyLength(), 2);
    EXPECT_EQ(link.ReplyByte(1), 0xFE);
    EXPECT_TRUE(events.lines.empty());
}

TEST_F(LinkOnPty, UnansweredPacketTimesOut) {
    link.SendPacketWait(Hex("00 01"), 100);
    pty.readAvailable();
    ASSERT_TRUE(WaitUntil([&] { return link.PktTimeout(); }, 1000));
    EXPECT_FALSE(link.PktMode());
    EXPECT_FALSE(link.PktGood());
    // out of packet mode again: on-line frames count
    EXPECT_EQ(Deliver(Hex("F5 06 00 00 12 D6 87 91 FA")), Lines{kCard1234567Now});
}

TEST_F(LinkOnPty, SendPacketWaitWithoutTimeLeavesPacketModeOff) {
    link.SendPacketWait(Hex("00 05 00 01 00"), 0);
    EXPECT_EQ(pty.readAvailable(), Hex("FF FF F5 07 00 05 00 01 00 F3 FA FF"));
    EXPECT_FALSE(link.PktMode());
    EXPECT_EQ(Deliver(Hex("F5 06 00 00 12 D6 87 91 FA")), Lines{kCard1234567Now});
    EXPECT_FALSE(link.PktGood());
}

TEST_F(LinkOnPty, BytesArrivingWhileAHandlerRunsEventsAreNotLeftBehind) {
    // A handler that runs the event loop (a message, a wait) while the reader sends more:
    // the serial layer does not announce those bytes again, the link must still parse them.
    link.OnCardCode = [&](bool, int, int code, DateTime, int) {
        events.lines.push_back("card " + std::to_string(code));
        pty.write(Hex("F5 02 50 B0 FA"));
        RunEventsFor(100);
    };
    pty.write(Hex("F5 06 00 00 12 D6 87 91 FA"));
    EXPECT_TRUE(WaitUntil([&] { return events.lines.size() >= 2; }, 1000));
    EXPECT_EQ(events.lines, (Lines{"card 1234567", "bypass port 3 state 0"}));
}

TEST_F(LinkOnPty, NothingIsSentWhenClosedOrTooLong) {
    // a length byte must stay below 128
    link.SendPacket(QByteArray(126, '\0'));
    EXPECT_FALSE(link.PktMode());
    EXPECT_EQ(pty.readAvailable(100), QByteArray());

    link.Close();
    link.SignalAccept();
    link.SendPacket(Hex("00 01"));
    EXPECT_FALSE(link.PktMode());
    EXPECT_FALSE(link.Responsed());
    EXPECT_EQ(pty.readAvailable(100), QByteArray());
}

TEST_F(LinkOnPty, InterByteGapInRealTime) {
    struct Case {
        int pauseMs;
        Lines expected;
    };
    const Case cases[] = {{50, {kCard1234567Now}}, {400, {}}};
    for (const auto& c : cases) {
        events.lines.clear();
        pty.write(Hex("F5 06 00 00"));
        RunEventsFor(c.pauseMs);
        EXPECT_EQ(Deliver(Hex("12 D6 87 91 FA")), c.expected) << c.pauseMs << " ms";
    }
}

TEST(LinkOpen, MissingOrBusyDeviceFailsToTheCaller) {
    TRfidReader missing;
    missing.SetDevicePath("/dev/horalog-no-such-device");
    missing.SetupPort();
    EXPECT_THROW(missing.Open(), SerialPortError);
    EXPECT_FALSE(missing.IsOpen());

    PseudoTerminal pty;
    TRfidReader first, second;
    first.SetDevicePath(pty.slavePath());
    second.SetDevicePath(pty.slavePath());
    first.SetupPort();
    second.SetupPort();
    first.Open();
    EXPECT_THROW(second.Open(), SerialPortError);
    EXPECT_TRUE(first.IsOpen());
}

TEST(LinkSetup, PortNameAndDefaultDevice) {
    TRfidReader link;
    link.PortNo = 4;
    EXPECT_EQ(link.PortName(), "COM4");
    EXPECT_EQ(link.DevicePath(), "/dev/ttyS3");
    link.SetupPort();
    EXPECT_EQ(link.Device().BaudRate(), 19200);
    EXPECT_EQ(link.Device().DataBits(), QSerialPort::Data8);
    EXPECT_EQ(link.Device().Parity(), QSerialPort::NoParity);
    EXPECT_EQ(link.Device().StopBits(), QSerialPort::OneStop);
    EXPECT_EQ(link.LockTime, 1);
    EXPECT_EQ(link.ID, 0);
}

}  // namespace
