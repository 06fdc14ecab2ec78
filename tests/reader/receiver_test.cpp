// The receiver and the answer readers with hand-driven timers, and a fuzz loop.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <random>

#include "link_fixture.h"
#include "reader/frames.h"
#include "support/manual_timer.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

using Lines = std::vector<std::string>;

// A link whose timers run on a virtual clock; open on a pseudo-terminal so that it can
// enter packet mode. Bytes are fed to its parser directly.
class ManualLink : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.isValid());
        link.PortNo = 3;
        link.SetDevicePath(pty.slavePath());
        link.SetupPort();
        link.Open();
        events.Attach(link);
    }

    // An answer whose bytes land at positions 1, 2, ...: F5, L, bytes, checksum, FA.
    void Answer(const QByteArray& positions1on) {
        link.SendPacket(Hex("00 01"));
        pty.readNow();
        link.ReceiveBytes(PacketFrame(positions1on));
        ASSERT_TRUE(link.PktGood());
    }

    ManualTimers timers;
    PseudoTerminal pty;
    TRfidReader link{nullptr, FixedClock(LinkNow()), timers.Factory()};
    EventLog events;
};

TEST_F(ManualLink, PauseInsideAFrameAbove200msDropsIt) {
    const QByteArray frame = Hex("F5 06 00 00 12 D6 87 91 FA");
    struct Case {
        int splitAt, pauseMs;
        bool kept;
    };
    const Case cases[] = {
        {1, 150, true},  {1, 199, true}, {1, 201, false}, {5, 150, true},
        {5, 250, false}, {8, 199, true}, {8, 250, false},  // before the end byte
    };
    for (const auto& c : cases) {
        events.lines.clear();
        link.ReceiveBytes(frame.left(c.splitAt));
        timers.Advance(c.pauseMs);
        link.ReceiveBytes(frame.mid(c.splitAt));
        EXPECT_EQ(events.lines.size(), c.kept ? 1u : 0u)
            << "split " << c.splitAt << " pause " << c.pauseMs;
        timers.Advance(1000);
    }
}

TEST_F(ManualLink, OpeningThePortDropsAPartialFrame) {
    link.ReceiveBytes(Hex("F5 06 00 00 12"));
    EXPECT_EQ(link.Receiver().state(), FrameReceiver::State::InBody);
    link.Open();  // reopen
    EXPECT_EQ(link.Receiver().state(), FrameReceiver::State::Idle);
    link.ReceiveBytes(Hex("D6 87 91 FA"));
    EXPECT_TRUE(events.lines.empty());
}

TEST_F(ManualLink, AnswerTimerEndsPacketModeAndALateAnswerIsNotACardRead) {
    link.SendPacket(Hex("00 01"));
    timers.Advance(499);
    EXPECT_TRUE(link.PktMode());
    // half an answer whose bytes would read as card 1234567 if taken as an on-line frame
    const QByteArray answer = Hex("F5 06 00 12 D6 87 8B FA");
    link.ReceiveBytes(answer.left(4));
    timers.Advance(1);
    EXPECT_TRUE(link.PktTimeout());
    EXPECT_FALSE(link.PktMode());
    EXPECT_FALSE(link.PktGood());
    link.ReceiveBytes(answer.mid(4));
    EXPECT_TRUE(events.lines.empty());
    EXPECT_FALSE(link.PktGood());
}

TEST_F(ManualLink, AnswerReaders) {
    // positions 1..5: ID, command, 3 bytes; 6..13 a log record: OUT, card 1234567,
    // stamp 09 B2 29 C6 low byte first; then 18 30 for ReplyHourMinute(14)
    Answer(Hex("00 04 00 2C 01  40 12 D6 87 C6 29 B2 09  18 30  24 60"));
    EXPECT_EQ(link.ReplyByte(2), 0x04);
    EXPECT_EQ(link.ReplyWord(4), 300);  // low byte first
    EXPECT_EQ(link.ReplyHourMinute(14), EncodeTime(18, 30, 0));
    EXPECT_EQ(link.ReplyHourMinute(16), EncodeTime(0, 0, 0));  // 24 and 60 read as 0
    int card = 0, mode = -1;
    DateTime stamp;
    EXPECT_TRUE(link.ReplyLogRecord(card, stamp, mode));
    EXPECT_EQ(card, 1234567);
    EXPECT_EQ(stamp, EncodeDateTime(2004, 6, 26, 18, 24, 6));
    EXPECT_EQ(mode, 2);
    // outside the buffer the readers read zeros instead of memory past it
    EXPECT_EQ(link.ReplyByte(1024), 0);
    EXPECT_EQ(link.ReplyByte(-1), 0);
    EXPECT_EQ(link.ReplyWord(1023), link.ReplyByte(1023));
    EXPECT_EQ(link.ReplyText16(1020).size(), 16);
}

TEST_F(ManualLink, LogRecordModeBitsAndInvalidStamp) {
    struct Case {
        const char* record;  // positions 6..13
        bool valid;
        int mode;
    };
    const Case cases[] = {
        {"00 12 D6 87 C6 29 B2 09", true, 1},  {"40 12 D6 87 C6 29 B2 09", true, 2},
        {"80 12 D6 87 C6 29 B2 09", true, 0},  {"FF 12 D6 87 C6 29 B2 09", true, 0},
        {"00 12 D6 87 00 00 00 00", false, 0},  // stamp 0: not 2000-01-01
    };
    for (const auto& c : cases) {
        Answer(Hex("00 04 00 00 00") + Hex(c.record));
        int card = 0, mode = -1;
        DateTime stamp;
        EXPECT_EQ(link.ReplyLogRecord(card, stamp, mode), c.valid) << c.record;
        if (c.valid) {
            EXPECT_EQ(mode, c.mode) << c.record;
        }
    }
}

TEST_F(ManualLink, AccessRecord) {
    Answer(Hex("00 07 00 00 00  01 12 D6 87 34 12") + QByteArray("GATE HOLDER NAME"));
    TAccessEventRec rec;
    link.ReplyAccessRecord(rec);
    EXPECT_EQ(rec.kind, 1);
    EXPECT_EQ(rec.card, 1234567u);
    EXPECT_EQ(rec.word, 0x1234);
    EXPECT_EQ(rec.text, "GATE HOLDER NAME");
}

TEST(Stamp, DecodeAndClockData) {
    struct Case {
        qint32 v;
        DateTime expected;
    };
    const Case cases[] = {
        {qint32(0x09B229C6), EncodeDateTime(2004, 6, 26, 18, 24, 6)},
        {0, DateTime(0.0)},  // day 0 of month 0
        {-1, DateTime(0.0)},
        {EncodeStamp(2004, 2, 29, 0, 0, 0), EncodeDateTime(2004, 2, 29, 0, 0, 0)},
        {EncodeStamp(2005, 2, 29, 0, 0, 0), DateTime(0.0)},
        {EncodeStamp(2004, 6, 31, 12, 0, 0), DateTime(0.0)},
        {EncodeStamp(2037, 12, 31, 23, 59, 59), EncodeDateTime(2037, 12, 31, 23, 59, 59)},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeStamp(c.v), c.expected) << c.v;
    // Sunday is day 1 of the reader's week
    EXPECT_EQ(ClockData(0, EncodeDateTime(2010, 6, 27, 9, 5, 59)),
              Hex("00 02 59 05 09 01 27 06 10"));
}

// Random bytes, biased toward frame starts, length bytes and whole frames.
QByteArray RandomChunk(std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 9), byte(0, 255), len(1, 40);
    QByteArray out;
    switch (kind(rng)) {
        case 0:
            out = CardFrame(quint32(byte(rng) < 40 ? 0 : rng() & 0xFFFFFF));
            break;
        case 1:
            out = StampedCardFrame(byte(rng) & 1, byte(rng), qint32(rng()),
                                   quint32(byte(rng) < 40 ? 0 : rng() & 0xFFFFFF));
            break;
        case 2:
            out = AnswerFrame(char("GBCRPp012Z"[byte(rng) % 10]));
            break;
        case 3:
            out = PacketFrame(QByteArray(byte(rng) % 126, char(byte(rng))));
            break;
        case 4: {
            out = Hex("F5 00");
            for (int i = 0; i < 265; ++i) out.append(char(byte(rng)));
            break;
        }
        case 5:
            out = QByteArray(1, char(kFrameStart)) +
                  char("\x00\x01\x02\x06\x0B\x7F\x80\xFF"[byte(rng) % 8]);
            break;
        default:
            for (int i = len(rng); i > 0; --i)
                out.append(char(byte(rng) < 30 ? kFrameStart : byte(rng)));
    }
    if (byte(rng) < 60 && out.size() > 1) out = out.left(byte(rng) % out.size());
    return out;
}

TEST(ReceiverFuzz, NeverStoresPastItsBuffer) {
    struct Guarded {
        FrameReceiver receiver;
        std::array<quint8, 256> after;
    } g;
    g.after.fill(0xA5);
    std::mt19937 rng(20040626);
    QElapsedTimer elapsed;
    elapsed.start();
    long bytes = 0, frames = 0;
    while (elapsed.elapsed() < 1500) {
        bool packet = rng() & 1;
        for (char c : RandomChunk(rng)) {
            frames += g.receiver.Feed(quint8(c), packet);
            ++bytes;
            const int length = g.receiver.Length(), remaining = g.receiver.Remaining();
            ASSERT_GE(length, 0);
            ASSERT_LE(length, FrameReceiver::kBufferSize);
            ASSERT_GE(remaining, 0);
            if (g.receiver.state() == FrameReceiver::State::InBody) {
                ASSERT_LE(length + remaining, FrameReceiver::kBufferSize);
            }
        }
        if ((rng() & 15) == 0) g.receiver.Reset();
    }
    for (quint8 b : g.after) ASSERT_EQ(b, 0xA5);
    EXPECT_GT(frames, 100) << bytes << " bytes";
}

TEST_F(ManualLink, FuzzRaisesOnlyValidCardReads) {
    std::mt19937 rng(26062004);
    int cards = 0;
    link.OnCardCode = [&](bool, int port, int code, DateTime, int cmode) {
        ++cards;
        ASSERT_EQ(port, 3);
        ASSERT_GE(code, 1);
        ASSERT_LE(code, 0xFFFFFF);
        ASSERT_TRUE(cmode == -1 || (cmode >= 0 && cmode <= 127));
    };
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < 1500) {
        switch (rng() % 8) {
            case 0:
                link.SendPacketWait(Hex("00 01"), int(rng() % 600) - 50);
                pty.readNow();
                break;
            case 1:
                timers.Advance(int(rng() % 300));
                break;
            default:
                link.ReceiveBytes(RandomChunk(rng));
        }
        ASSERT_LE(link.ReplyLength(), FrameReceiver::kBufferSize);
    }
    EXPECT_GT(cards, 10);
}

}  // namespace
