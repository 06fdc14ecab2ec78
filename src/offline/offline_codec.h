#pragma once
// The byte encodings of stand-alone readers: data bytes of every offline command, display
// lines, option and mode bytes, the timetable and the access pages. Pure functions; the
// command layer and the reader simulator both use them.

#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

#include "common/datetime.h"

namespace horalog {

// Command codes (second data byte of addressed packets).
namespace offline_cmd {
inline constexpr quint8 kReadClock = 0x01;
inline constexpr quint8 kWriteClock = 0x02;
inline constexpr quint8 kGetCapacity = 0x03;
inline constexpr quint8 kReadRecord = 0x04;
inline constexpr quint8 kClearTable = 0x05;
inline constexpr quint8 kReadSetting = 0x07;
inline constexpr quint8 kWriteSetting = 0x08;
inline constexpr quint8 kWritePage = 0x09;
inline constexpr quint8 kLogTable = 0x00;
inline constexpr quint8 kAccessTable = 0x01;
}  // namespace offline_cmd

// Setting codes of commands 0x07 and 0x08.
enum class ReaderSetting : quint8 {
    Line1 = 0x00,
    Line2 = 0x01,
    Options = 0x04,
    Mode = 0x05,
    Timetable = 0x06,
    LockTime = 0x07,
    Pin = 0x08,
    MasterPin = 0x09,
};

// Option bits (setting 0x04).
namespace option_bit {
inline constexpr int kBackLight = 0x01;
inline constexpr int kBypass = 0x02;
inline constexpr int kAnyCardBypass = 0x04;
inline constexpr int kDoorMagnet = 0x08;
inline constexpr int kLockReverse = 0x10;
inline constexpr int kAll = 0x1F;
}  // namespace option_bit

inline constexpr int kDisplayWidth = 16;
inline constexpr int kTimetableEntries = 8;
inline constexpr int kPageBytes = 264;
inline constexpr int kPageRecords = 12;
inline constexpr int kPageRecordBytes = 22;

// Exactly 16 characters: padded with blanks on the right, cut at 16.
QString DisplayLine(const QString& text);
// The 16 bytes sent for a display line (Latin-1; other characters become "?").
QByteArray DisplayLineBytes(const QString& text);

// 16-bit numbers travel low byte first.
QByteArray WordBytes(quint16 value);

// The mode byte of setting 0x05 from a link's Mode (0 CLOCK, 1 IN, 2 OUT).
quint8 ModeByte(int linkMode, bool timetableInUse);

// The log record's MODE from bits 7 and 6 of its mode byte: 00 IN, 01 OUT, 1x CLOCK.
int RecordMode(quint8 modeByte);
// The reader side: the mode byte of a record of MODE 0, 1 or 2.
quint8 RecordModeByte(int mode);

struct TimetableEntry {
    int mode = 0;  // 0 not used, 1 or 2
    int hour = 0;
    int minute = 0;
    bool inUse() const { return mode != 0; }
};
using Timetable = std::array<TimetableEntry, kTimetableEntries>;

// 24 bytes: per entry its mode, BCD hour, BCD minute.
QByteArray TimetableBytes(const Timetable& table);
bool AnyTimetableEntryInUse(const Timetable& table);

// One holder of an access page.
struct AccessHolder {
    int card = 0;
    QString name;
    bool allowed = false;  // the holder's access column for this reader's port
};

// (N + 1) div 12 + 1: a page of all 0xFF follows the last holder when N is a multiple of 12
// or one less.
int AccessPageCount(int holders);
// Page p (from 0) of the holders in order: 12 records of 22 bytes over a page of 0xFF.
QByteArray AccessPage(const std::vector<AccessHolder>& holders, int page);

// Data bytes of the commands, with the reader address first.
QByteArray LockStateData(bool on);
QByteArray ReadClockData(quint8 id);
QByteArray WriteClockData(quint8 id, DateTime now);
QByteArray GetLogCapacityData(quint8 id);
QByteArray ReadLogRecordData(quint8 id, quint16 record);
QByteArray ClearLogData(quint8 id, quint16 capacity);
QByteArray ReadSettingData(quint8 id, ReaderSetting s);
QByteArray WriteSettingData(quint8 id, ReaderSetting s, const QByteArray& value);
QByteArray WriteAccessPageHeader(quint8 id, quint16 page);

}  // namespace horalog
