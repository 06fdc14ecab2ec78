#include "offline/offline_codec.h"

#include "reader/frames.h"

namespace horalog {

QString DisplayLine(const QString& text) {
    return text.left(kDisplayWidth).leftJustified(kDisplayWidth, QLatin1Char(' '));
}

QByteArray DisplayLineBytes(const QString& text) {
    QByteArray bytes = DisplayLine(text).toLatin1();
    // A surrogate pair is one character on the display but two code units here.
    bytes = bytes.left(kDisplayWidth);
    while (bytes.size() < kDisplayWidth) bytes.append(' ');
    return bytes;
}

QByteArray WordBytes(quint16 value) {
    QByteArray b;
    b.append(char(value & 0xFF));
    b.append(char(value >> 8));
    return b;
}

quint8 ModeByte(int linkMode, bool timetableInUse) {
    if (linkMode == 0) return timetableInUse ? 0xC0 : 0x80;
    return quint8(((linkMode - 1) & 0x03) << 6);
}

int RecordMode(quint8 modeByte) {
    switch (modeByte >> 6) {
        case 0:
            return 1;
        case 1:
            return 2;
        default:
            return 0;
    }
}

quint8 RecordModeByte(int mode) {
    return mode == 1 ? 0x00 : mode == 2 ? 0x40 : 0x80;
}

QByteArray TimetableBytes(const Timetable& table) {
    QByteArray b;
    for (const TimetableEntry& e : table) {
        b.append(char(e.mode));
        b.append(char(ToBcd(e.hour)));
        b.append(char(ToBcd(e.minute)));
    }
    return b;
}

bool AnyTimetableEntryInUse(const Timetable& table) {
    for (const TimetableEntry& e : table)
        if (e.inUse()) return true;
    return false;
}

int AccessPageCount(int holders) {
    return (holders + 1) / kPageRecords + 1;
}

QByteArray AccessPage(const std::vector<AccessHolder>& holders, int page) {
    QByteArray b(kPageBytes, char(0xFF));
    for (int slot = 0; slot < kPageRecords; ++slot) {
        const size_t i = size_t(page) * kPageRecords + size_t(slot);
        if (i >= holders.size()) break;
        const AccessHolder& h = holders[i];
        const int at = slot * kPageRecordBytes;
        b[at] = char(h.allowed ? 1 : 0);
        b.replace(at + 1, 3, CardBytes(quint32(h.card)));
        // offsets 4 and 5 stay 0xFF
        b.replace(at + 6, kDisplayWidth, DisplayLineBytes(h.name));
    }
    return b;
}

QByteArray LockStateData(bool on) {
    return QByteArray("\x00\x00", 2) + char(on ? 1 : 0);
}

namespace {
QByteArray Addressed(quint8 id, quint8 command) {
    QByteArray b;
    b.append(char(id));
    b.append(char(command));
    return b;
}
}  // namespace

QByteArray ReadClockData(quint8 id) {
    return Addressed(id, offline_cmd::kReadClock);
}

QByteArray WriteClockData(quint8 id, DateTime now) {
    return ClockData(id, now);
}

QByteArray GetLogCapacityData(quint8 id) {
    return Addressed(id, offline_cmd::kGetCapacity) + char(offline_cmd::kLogTable);
}

QByteArray ReadLogRecordData(quint8 id, quint16 record) {
    return Addressed(id, offline_cmd::kReadRecord) + char(offline_cmd::kLogTable) +
           WordBytes(record);
}

QByteArray ClearLogData(quint8 id, quint16 capacity) {
    return Addressed(id, offline_cmd::kClearTable) + char(offline_cmd::kLogTable) +
           WordBytes(capacity);
}

QByteArray ReadSettingData(quint8 id, ReaderSetting s) {
    return Addressed(id, offline_cmd::kReadSetting) + char(s);
}

QByteArray WriteSettingData(quint8 id, ReaderSetting s, const QByteArray& value) {
    return Addressed(id, offline_cmd::kWriteSetting) + char(s) + value;
}

QByteArray WriteAccessPageHeader(quint8 id, quint16 page) {
    return Addressed(id, offline_cmd::kWritePage) + char(offline_cmd::kAccessTable) +
           WordBytes(page);
}

}  // namespace horalog
