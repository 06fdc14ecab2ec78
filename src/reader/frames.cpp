#include "reader/frames.h"

namespace horalog {

quint8 Checksum(const QByteArray& bytes) {
    quint8 sum = 0;
    for (char c : bytes) sum = quint8(sum + quint8(c));
    return quint8(-sum);
}

QByteArray Transmission(const QByteArray& command) {
    QByteArray out;
    out.reserve(command.size() + 3);
    out.append(char(kPreambleByte)).append(char(kPreambleByte));
    out.append(command);
    out.append(char(kPreambleByte));
    return out;
}

QByteArray TildeCommand(const QByteArray& text) {
    return QByteArray(1, kTilde) + text + QByteArray(1, kTilde);
}

QByteArray PacketFrame(const QByteArray& data) {
    QByteArray counted;
    counted.append(char(data.size() + 2));
    counted.append(data);
    QByteArray out(1, char(kFrameStart));
    out.append(counted);
    out.append(char(Checksum(counted)));
    out.append(char(kFrameEnd));
    return out;
}

QByteArray RawFrame(const QByteArray& bytes) {
    QByteArray out(1, char(kFrameStart));
    out.append(bytes);
    out.append(char(Checksum(bytes)));
    out.append(char(kFrameEnd));
    return out;
}

QByteArray OnlineFrame(const QByteArray& body) {
    QByteArray out(1, char(kFrameStart));
    out.append(char(body.size() + 1));
    out.append(body);
    out.append(char(Checksum(body)));
    out.append(char(kFrameEnd));
    return out;
}

QByteArray AnswerFrame(char answer) {
    return OnlineFrame(QByteArray(1, answer));
}

QByteArray CardBytes(quint32 card) {
    QByteArray out;
    out.append(char((card >> 16) & 0xFF));
    out.append(char((card >> 8) & 0xFF));
    out.append(char(card & 0xFF));
    return out;
}

QByteArray CardFrame(quint32 card) {
    return OnlineFrame(QByteArray(2, '\0') + CardBytes(card));
}

QByteArray StampedCardFrame(bool stored, int mode, qint32 stamp, quint32 card) {
    QByteArray body;
    body.append(char((stored ? 0x80 : 0x00) | (mode & 0x7F)));
    quint32 v = quint32(stamp);
    body.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
    body.append(2, '\0');
    body.append(CardBytes(card));
    return OnlineFrame(body);
}

quint8 ToBcd(int value) {
    return quint8(((value / 10) % 10) << 4 | (value % 10));
}

int FromBcd(quint8 byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

qint32 EncodeStamp(int year, int month, int day, int hour, int minute, int second) {
    qint64 v = year - 2000;
    v = v * 13 + month;
    v = v * 32 + day;
    v = v * 24 + hour;
    v = v * 60 + minute;
    v = v * 60 + second;
    return qint32(v);
}

qint32 EncodeStamp(DateTime t) {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(t, y, mo, d);
    DecodeTime(t, h, mi, s, ms);
    return EncodeStamp(y, mo, d, h, mi, s);
}

DateTime DecodeStamp(qint32 v) {
    // C++ division truncates toward zero and the remainder takes the sign of v, as the
    // reader's firmware does; a negative v therefore gives negative fields and is rejected.
    int second = v % 60;
    v /= 60;
    int minute = v % 60;
    v /= 60;
    int hour = v % 24;
    v /= 24;
    int day = v % 32;
    v /= 32;
    int month = v % 13;
    int year = 2000 + v / 13;
    if (second < 0 || minute < 0 || hour < 0 || day < 1 || month < 1 ||
        !QDate::isValid(year, month, day))
        return DateTime(0.0);
    return EncodeDateTime(year, month, day, hour, minute, second);
}

int ReaderDayOfWeek(const QDate& date) {
    return date.dayOfWeek() % 7 + 1;
}

QByteArray ClockData(quint8 id, DateTime now) {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(now, y, mo, d);
    DecodeTime(now, h, mi, s, ms);
    QByteArray data;
    data.append(char(id)).append(char(0x02));
    data.append(char(ToBcd(s))).append(char(ToBcd(mi))).append(char(ToBcd(h)));
    data.append(char(ReaderDayOfWeek(now.date())));
    data.append(char(ToBcd(d))).append(char(ToBcd(mo))).append(char(ToBcd(y % 100)));
    return data;
}

QByteArray HexBytes(const QByteArray& bytes) {
    return bytes.toHex(' ').toUpper();
}

}  // namespace horalog
