#pragma once
// The command layer of stand-alone readers over one reader link: packet exchanges with three
// attempts, tilde exchanges with five, and the answers read at their positions. Every wait
// runs a local event loop, so the window stays responsive, and returns as soon as the answer
// (or its time-out) is in. Only one exchange runs on a link at a time.

#include <QString>
#include <functional>

#include "common/datetime.h"
#include "offline/offline_codec.h"

namespace horalog {

class TRfidReader;

enum class RecordRead { Valid, Invalid, NoAnswer };

struct LogRecordAnswer {
    int card = 0;
    DateTime stamp;
    int mode = 0;
};

struct LogCapacity {
    quint16 capacity = 0;  // passed back to ClearLog
    quint16 count = 0;     // stored records
    bool operator==(const LogCapacity&) const = default;
};

// Time spent waiting for answers, to tell the program's time from the line's.
struct ExchangeStats {
    qint64 exchanges = 0;
    qint64 attempts = 0;
    qint64 waitNs = 0;
};

class OfflineLink {
public:
    static constexpr int kPacketAttempts = 3;
    static constexpr int kTildeAttempts = 5;
    static constexpr int kAnswerMs = 500;
    static constexpr int kClearLogMs = 5000;
    static constexpr int kTildeWaitMs = 1000;

    // now: the PC clock for WriteClock and for a clock answer that is no valid date.
    explicit OfflineLink(TRfidReader& link, Clock now = SystemClock());

    TRfidReader& link() const { return link_; }
    // Whether an exchange is waiting on this link (from any OfflineLink).
    static bool Busy(const TRfidReader& link);

    bool LockReader();
    bool UnlockReader();
    // The reader's clock; the PC's time when its fields are no valid date and time.
    bool ReadClock(DateTime& clock);
    bool WriteClock();
    bool GetLogCapacity(LogCapacity& answer);
    RecordRead ReadLogRecord(quint16 record, LogRecordAnswer& answer);
    bool ClearLog(quint16 capacity);
    // Answer readers of the settings read back, valid after a successful ReadReaderSetting.
    bool ReadReaderSetting(ReaderSetting s);
    QString SettingText() const;         // settings 0x00, 0x01
    int SettingWord() const;             // 0x04 (use & option_bit::kAll), 0x08, 0x09
    Timetable SettingTimetable() const;  // 0x06
    bool WriteReaderSetting(ReaderSetting s, const QByteArray& value);
    bool WriteAccessPage(quint16 page, const QByteArray& bytes);

    // Access tables of PX series readers. attempt: called before each try (1 to 5).
    bool CheckReader(const std::function<void(int attempt)>& attempt = {});
    bool ClearAccessTable();
    bool AddAccessCard(quint32 card);

    // The packet exchange: send data, await the answer, up to three attempts.
    bool Exchange(const QByteArray& data, int ms = kAnswerMs);

    const ExchangeStats& stats() const { return stats_; }

private:
    bool ExchangeOnce(const std::function<void()>& send);
    bool TildeExchange(const std::function<void()>& send,
                       const std::function<void(int)>& attempt = {});

    TRfidReader& link_;
    Clock now_;
    ExchangeStats stats_;
};

}  // namespace horalog
