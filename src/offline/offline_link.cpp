#include "offline/offline_link.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSet>
#include <QTimer>

#include "reader/frames.h"
#include "reader/rfid_reader.h"

namespace horalog {

namespace {

// Links with an exchange waiting for its answer. A second exchange would replace the first
// one's packet mode and receive buffer, so it is refused instead.
QSet<const TRfidReader*>& BusyLinks() {
    static QSet<const TRfidReader*> busy;
    return busy;
}

class BusyMark {
public:
    explicit BusyMark(const TRfidReader& link) : link_(link) {
        taken_ = !BusyLinks().contains(&link);
        if (taken_) BusyLinks().insert(&link);
    }
    ~BusyMark() {
        if (taken_) BusyLinks().remove(&link_);
    }
    bool taken() const { return taken_; }

private:
    const TRfidReader& link_;
    bool taken_ = false;
};

// A little beyond the link's own answer timer, in case it never fires (a port that went away).
constexpr int kSafetyMarginMs = 2000;

}  // namespace

OfflineLink::OfflineLink(TRfidReader& link, Clock now) : link_(link), now_(std::move(now)) {}

bool OfflineLink::Busy(const TRfidReader& link) {
    return BusyLinks().contains(&link);
}

bool OfflineLink::ExchangeOnce(const std::function<void()>& send) {
    ++stats_.attempts;
    QEventLoop loop;
    bool ended = false;
    auto end = [&] {
        ended = true;
        loop.quit();
    };
    auto c1 = QObject::connect(&link_, &TRfidReader::packetGood, &loop, end);
    auto c2 = QObject::connect(&link_, &TRfidReader::packetTimeout, &loop, end);
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, &loop, end);

    send();
    QElapsedTimer waited;
    waited.start();
    // The link keeps its old flags when nothing could be sent: only a started exchange counts.
    if (link_.PktMode()) {
        safety.start(kClearLogMs + kSafetyMarginMs);
        while (!ended && link_.PktMode()) loop.exec();
    }
    stats_.waitNs += waited.nsecsElapsed();
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    if (link_.PktTimeout()) return false;
    return link_.PktGood() && !link_.PktMode();
}

bool OfflineLink::Exchange(const QByteArray& data, int ms) {
    BusyMark mark(link_);
    if (!mark.taken() || !link_.IsOpen()) return false;
    ++stats_.exchanges;
    for (int attempt = 0; attempt < kPacketAttempts; ++attempt) {
        if (ExchangeOnce([&] { link_.SendPacketWait(data, ms); })) return true;
        if (!link_.IsOpen()) return false;
    }
    return false;
}

bool OfflineLink::TildeExchange(const std::function<void()>& send,
                                const std::function<void(int)>& attempt) {
    BusyMark mark(link_);
    if (!mark.taken() || !link_.IsOpen()) return false;
    ++stats_.exchanges;
    for (int n = 1; n <= kTildeAttempts; ++n) {
        if (attempt) attempt(n);
        ++stats_.attempts;
        QEventLoop loop;
        auto c = QObject::connect(&link_, &TRfidReader::responded, &loop, [&] { loop.quit(); });
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, [&] { loop.quit(); });
        QElapsedTimer sent;
        send();
        sent.start();
        limit.start(kTildeWaitMs);
        // The elapsed time is tested first: an answer after the second is a time-out.
        while (sent.elapsed() < kTildeWaitMs && !link_.Responsed()) loop.exec();
        stats_.waitNs += sent.nsecsElapsed();
        QObject::disconnect(c);
        if (link_.Responsed() && sent.elapsed() <= kTildeWaitMs && link_.ResultOK()) return true;
        if (!link_.IsOpen()) return false;
    }
    return false;
}

bool OfflineLink::LockReader() {
    return Exchange(LockStateData(true));
}

bool OfflineLink::UnlockReader() {
    return Exchange(LockStateData(false));
}

bool OfflineLink::ReadClock(DateTime& clock) {
    if (!Exchange(ReadClockData(link_.ID))) return false;
    auto bcd = [this](int i) { return FromBcd(link_.ReplyByte(i)); };
    const int second = bcd(3), minute = bcd(4), hour = bcd(5);
    const int day = bcd(7), month = bcd(8), year = bcd(9) + 2000;
    const QDate date(year, month, day);
    const bool valid = date.isValid() && QTime::isValid(hour, minute, second);
    clock = valid ? EncodeDateTime(year, month, day, hour, minute, second) : WholeSeconds(now_());
    return true;
}

bool OfflineLink::WriteClock() {
    return Exchange(WriteClockData(link_.ID, now_()));
}

bool OfflineLink::GetLogCapacity(LogCapacity& answer) {
    if (!Exchange(GetLogCapacityData(link_.ID))) return false;
    answer.capacity = link_.ReplyWord(4);
    answer.count = link_.ReplyWord(6);
    return true;
}

RecordRead OfflineLink::ReadLogRecord(quint16 record, LogRecordAnswer& answer) {
    if (!Exchange(ReadLogRecordData(link_.ID, record))) return RecordRead::NoAnswer;
    return link_.ReplyLogRecord(answer.card, answer.stamp, answer.mode) ? RecordRead::Valid
                                                                        : RecordRead::Invalid;
}

bool OfflineLink::ClearLog(quint16 capacity) {
    return Exchange(ClearLogData(link_.ID, capacity), kClearLogMs);
}

bool OfflineLink::ReadReaderSetting(ReaderSetting s) {
    return Exchange(ReadSettingData(link_.ID, s));
}

QString OfflineLink::SettingText() const {
    return link_.ReplyText16(4);
}

int OfflineLink::SettingWord() const {
    return link_.ReplyWord(4);
}

Timetable OfflineLink::SettingTimetable() const {
    Timetable table;
    for (int k = 0; k < kTimetableEntries; ++k) {
        TimetableEntry& e = table[size_t(k)];
        e.mode = link_.ReplyByte(4 + 3 * k);
        int hour, minute, second, msec;
        DecodeTime(link_.ReplyHourMinute(5 + 3 * k), hour, minute, second, msec);
        e.hour = hour;
        e.minute = minute;
    }
    return table;
}

bool OfflineLink::WriteReaderSetting(ReaderSetting s, const QByteArray& value) {
    return Exchange(WriteSettingData(link_.ID, s, value));
}

bool OfflineLink::WriteAccessPage(quint16 page, const QByteArray& bytes) {
    BusyMark mark(link_);
    if (!mark.taken() || !link_.IsOpen()) return false;
    ++stats_.exchanges;
    const QByteArray header = WriteAccessPageHeader(link_.ID, page);
    for (int attempt = 0; attempt < kPacketAttempts; ++attempt) {
        // The page goes only after the header's answer; a failed attempt starts again with
        // the header.
        if (ExchangeOnce([&] { link_.SendPacketWait(header, kAnswerMs); }) &&
            ExchangeOnce([&] { link_.SendRawFrame(bytes); }))
            return true;
        if (!link_.IsOpen()) return false;
    }
    return false;
}

bool OfflineLink::CheckReader(const std::function<void(int)>& attempt) {
    return TildeExchange([this] { link_.CheckReader(); }, attempt) &&
           link_.ModelString() == QLatin1String("PX900");
}

bool OfflineLink::ClearAccessTable() {
    return TildeExchange([this] { link_.ClearAccessTable(); });
}

bool OfflineLink::AddAccessCard(quint32 card) {
    return TildeExchange([this, card] { link_.AddAccessCard(card); });
}

}  // namespace horalog
