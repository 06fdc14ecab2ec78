#pragma once
// The capture spine: every card read, bypass press and power-up of the eight reader links ends
// here. It logs, decides, answers the reader, queues the mail record and produces the feedback
// that a window (or the headless service) displays.

#include <QImage>
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "capture/auto_io.h"
#include "common/datetime.h"
#include "people/time_profiles.h"
#include "storage/log_table.h"
#include "storage/lookups.h"
#include "storage/stations.h"

namespace horalog {

class ReaderLinks;
class TRfidReader;
class Speech;
class Tdsrc;
class ServerOutage;
struct PortHooks;

// What the display side is told; every callback may be left empty.
struct CaptureFeedback {
    std::function<void()> showRecordCount;
    // A holder's photo, or a null image to hide the photo box.
    std::function<void(const QImage&)> showHolderPhoto;
    // The captured picture of a read, or a null image to hide the capture group.
    std::function<void(const QImage&)> showCapture;
    // A row was written (card read with its final LOCK, bypass press): the live log appends it.
    std::function<void(const LogRecord&)> recordLogged;
    // A reader port after its set-up: empty when fine, else why it cannot be opened.
    std::function<void(int port, const QString& problem)> portProblem;
    std::function<void()> beep;
    // A repeat read was answered and not logged: the number of the day's repeats so far.
    std::function<void(int repeatsToday)> repeatIgnored;
    // A row the log could not take went into the journal: the reads waiting there and why.
    std::function<void(qint64 waiting, const QString& reason)> journalled;
    // A holder with the right was refused because its profile does not allow the time now.
    std::function<void(int card, int port)> outsideSchedule;
    // The database server went away (outage.down()) or is back, its kept reads forwarded.
    std::function<void(const ServerOutage& outage)> serverOutage;
};

// The alarm text while reads wait in the journal.
QString JournalAlarmText(qint64 waiting, const QString& reason);
// The same while the database server is gone (outage down), else JournalAlarmText.
QString StoreAlarmText(const ServerOutage* outage, qint64 waiting, const QString& reason);
// The same while the database server is gone, else JournalAlarmText.
QString StoreAlarmText(Tdsrc& store, qint64 waiting, const QString& reason);

class CardCapture : public QObject {
    Q_OBJECT
public:
    CardCapture(Tdsrc& store, ReaderLinks& links, Clock clock = SystemClock(),
                QObject* parent = nullptr);

    ~CardCapture() override;

    CaptureFeedback feedback;
    AutoIO& autoIO() { return autoIO_; }
    // The watch over the database server in use; nullptr on the embedded files.
    ServerOutage* outage();
    // The speech engine used while SpeechEnable is on; none means silent.
    void setSpeech(Speech* speech) { speech_ = speech; }

    // The event handlers of every link.
    void HandleCardRead(bool offline, int port, int code, DateTime stamp, int cmode);
    void ReleaseForCard(int port);
    void HandleBypass(int port, int state);
    void LogBypass(int port);
    void HandlePowerup(int port);
    // Releases the lock of the link of DoorOpenPortNo, then beeps. Nothing is logged.
    void DoorOpenClick();
    // Stops the bypass repeats (closing the window).
    void StopRepeats() { repeat_.stop(); }
    bool repeating() const { return repeat_.isActive(); }

    // Decoded photo of the card's holder; null when the log is empty, the card has no holder
    // or the photo does not decode.
    QImage ShowHolderPhoto(int card);
    // The picture file of a read when it exists, else null.
    QImage ShowCapture(int card, DateTime t);
    void EvaluateAutoIO(DateTime t) { autoIO_.EvaluateAutoIO(store_, t); }

    // Repeat reads ignored on the day of the last one.
    int repeatsToday() const { return repeatsToday_; }

    // Event handlers for OpenReaderPort.
    PortHooks hooks();
    // Descriptions of the eight links (ReaderName).
    ReaderNames readerNames() const;

private:
    void beep();
    void showPhotoAndCapture(int card, DateTime t);
    // How the reading reader was answered, so that a repeat is answered the same way.
    enum class Answer { None, Accept, Reject, Released };
    bool answerRepeat(TRfidReader& R, int port, int code, DateTime stamp);

    struct LoggedRead {
        DateTime stamp;
        Answer answer = Answer::None;
    };
    std::map<std::pair<int, int>, LoggedRead> lastReads_;  // (port, card)
    int repeatsToday_ = 0;
    int repeatsDay_ = 0;
    // Commits the row to the log, or when the log cannot take it to the journal (journalId
    // then names it there). Throws only when neither can.
    void commitRow(LogRecord& row, QString& journalId);
    void commitLock(LogRecord& row, const QString& journalId, int lock);

    Tdsrc& store_;
    ReaderLinks& links_;
    Clock clock_;
    AutoIO autoIO_;
    ScheduleBook schedules_;
    Speech* speech_ = nullptr;
    QTimer repeat_;
    int lastBypassPort_ = 0;
    bool journalled_ = false;
    qint64 lastLoggedId_ = 0;  // the id of the last row the log took from this capture
    std::unique_ptr<ServerOutage> outage_;
    std::optional<StationReaderNames> stations_;  // for the mail record, read once per run
};

}  // namespace horalog
