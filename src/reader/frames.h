#pragma once
// Frame building, checksums and the packed time stamp of the reader line. Shared by the reader
// link (PC side) and the reader simulator (reader side), so both agree on every byte.

#include <QByteArray>
#include <cstdint>

#include "common/datetime.h"

namespace horalog {

constexpr quint8 kFrameStart = 0xF5;
constexpr quint8 kFrameEnd = 0xFA;
constexpr quint8 kPreambleByte = 0xFF;
constexpr char kTilde = '~';

// The byte that makes the given bytes sum to 0 modulo 256.
quint8 Checksum(const QByteArray& bytes);

// Every PC transmission: FF FF, the command, FF.
QByteArray Transmission(const QByteArray& command);

// "~" t "~". The texts of the link's tilde commands begin with a "~" of their own.
QByteArray TildeCommand(const QByteArray& text);

// F5, L = n + 2, data, C, FA; L takes part in the checksum.
QByteArray PacketFrame(const QByteArray& data);

// F5, bytes, C, FA: no length byte.
QByteArray RawFrame(const QByteArray& bytes);

// Reader side: F5, T = body length, body, C, FA; T is not in the checksum. `body` holds the
// body without its checksum byte, so T = body.size() + 1.
QByteArray OnlineFrame(const QByteArray& body);
QByteArray AnswerFrame(char answer);
QByteArray CardFrame(quint32 card);
QByteArray StampedCardFrame(bool stored, int mode, qint32 stamp, quint32 card);

// Card numbers travel as 24 bits, high byte first.
QByteArray CardBytes(quint32 card);

// Packed BCD (37 -> 0x37) and back (high nibble * 10 + low nibble, no range check).
quint8 ToBcd(int value);
int FromBcd(quint8 byte);

// Packed time stamp: ((((Y*13 + month)*32 + day)*24 + hour)*60 + minute)*60 + second with
// Y = year - 2000.
qint32 EncodeStamp(int year, int month, int day, int hour, int minute, int second);
qint32 EncodeStamp(DateTime t);
// The date-time of a packed stamp, or date-time 0 when its fields are not a valid date and time.
DateTime DecodeStamp(qint32 v);

// Day of week of the reader clock: 1 = Sunday to 7 = Saturday.
int ReaderDayOfWeek(const QDate& date);

// Data bytes of the clock command: id, 0x02, BCD second, minute, hour, day of week, BCD day,
// month, year mod 100.
QByteArray ClockData(quint8 id, DateTime now);

// "F5 06 00 ..." for logs and the simulator's output.
QByteArray HexBytes(const QByteArray& bytes);

}  // namespace horalog
