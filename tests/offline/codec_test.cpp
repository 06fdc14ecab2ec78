// The offline encodings, byte for byte.
#include <gtest/gtest.h>

#include "offline/offline_codec.h"

using namespace horalog;

namespace {

TEST(OfflineCodec, CommandDataBytes) {
    struct Case {
        const char* what;
        QByteArray data;
        const char* hex;
    } cases[] = {
        {"ReadLogRecord(300)", ReadLogRecordData(0, 300), "0004002c01"},
        {"ReadLogRecord(65535)", ReadLogRecordData(0, 65535), "000400ffff"},
        {"GetLogCapacity", GetLogCapacityData(0), "000300"},
        {"ClearLog(0x1234)", ClearLogData(0, 0x1234), "0005003412"},
        {"LockReader", LockStateData(true), "000001"},
        {"UnlockReader", LockStateData(false), "000000"},
        {"ReadClock", ReadClockData(0), "0001"},
        {"ReadReaderSetting(PIN)", ReadSettingData(0, ReaderSetting::Pin), "000708"},
        {"PIN 65535", WriteSettingData(0, ReaderSetting::Pin, WordBytes(65535)), "000808ffff"},
        {"PIN 256", WriteSettingData(0, ReaderSetting::Pin, WordBytes(256)), "0008080001"},
        {"master PIN 0", WriteSettingData(0, ReaderSetting::MasterPin, WordBytes(0)), "0008090000"},
        {"WriteAccessPage(2)", WriteAccessPageHeader(0, 2), "0009010200"},
        {"WriteClock 2004-06-26 18:24:06",
         WriteClockData(0, EncodeDateTime(2004, 6, 26, 18, 24, 6)), "000206241807260604"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.data.toHex(), QByteArray(c.hex)) << c.what;
}

TEST(OfflineCodec, DisplayLinesArePaddedOrCutTo16) {
    struct Case {
        QString in;
        QByteArray out;
    } cases[] = {
        {"", "                "},
        {"ACME", "ACME            "},
        {" RFID Solutions ", " RFID Solutions "},
        {"QUORVANE LIMITED", "QUORVANE LIMITED"},
        {"QUORVANE LIMITED AND SONS", "QUORVANE LIMITED"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayLineBytes(c.in), c.out) << c.in.toStdString();
        EXPECT_EQ(DisplayLine(c.in).size(), 16);
    }
}

TEST(OfflineCodec, ModeByte) {
    Timetable unused{};
    Timetable oneUsed{};
    oneUsed[7] = {2, 17, 30};
    struct Case {
        int linkMode;
        const Timetable& table;
        quint8 byte;
    } cases[] = {
        {0, unused, 0x80},  {0, oneUsed, 0xC0}, {1, unused, 0x00},
        {1, oneUsed, 0x00}, {2, unused, 0x40},  {2, oneUsed, 0x40},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModeByte(c.linkMode, AnyTimetableEntryInUse(c.table)), c.byte)
            << "mode " << c.linkMode;
}

TEST(OfflineCodec, RecordModeBits) {
    EXPECT_EQ(RecordMode(0x00), 1);
    EXPECT_EQ(RecordMode(0x3F), 1);
    EXPECT_EQ(RecordMode(0x40), 2);
    EXPECT_EQ(RecordMode(0x80), 0);
    EXPECT_EQ(RecordMode(0xC0), 0);
}

TEST(OfflineCodec, TimetableIsBcd) {
    Timetable t{};
    t[0] = {1, 8, 30};
    t[1] = {2, 23, 59};
    const QByteArray b = TimetableBytes(t);
    ASSERT_EQ(b.size(), 24);
    EXPECT_EQ(b.left(6).toHex(), QByteArray("010830022359"));
    EXPECT_EQ(b.mid(6), QByteArray(18, '\0'));
}

TEST(OfflineCodec, AccessPages) {
    struct Case {
        int holders;
        int pages;
        bool lastAllFF;
    } cases[] = {{0, 1, true}, {11, 2, true}, {12, 2, true}, {13, 2, false}, {24, 3, true}};
    for (const Case& c : cases) {
        std::vector<AccessHolder> holders;
        for (int i = 0; i < c.holders; ++i)
            holders.push_back({0x123456 + i, QString("Holder %1").arg(i), i % 2 == 0});
        ASSERT_EQ(AccessPageCount(c.holders), c.pages) << c.holders;
        const QByteArray last = AccessPage(holders, c.pages - 1);
        EXPECT_EQ(last == QByteArray(kPageBytes, char(0xFF)), c.lastAllFF) << c.holders;
    }
    // One record: flag, card high byte first, FF FF, name padded; the next slot stays FF.
    const QByteArray page = AccessPage({{0x123456, "Ann", true}}, 0);
    ASSERT_EQ(page.size(), kPageBytes);
    EXPECT_EQ(page.left(22).toHex(), (QByteArray("01123456ffff") + QByteArray("Ann").toHex() +
                                      QByteArray(13, ' ').toHex()));
    EXPECT_EQ(page.mid(22), QByteArray(kPageBytes - 22, char(0xFF)));
    EXPECT_EQ(AccessPage({{7, "Bo", false}}, 0).at(0), '\0');
}

}  // namespace
