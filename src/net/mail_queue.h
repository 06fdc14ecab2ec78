#pragma once
// The outgoing mail queue (table emails) and its send timer. Card handling queues one row per
// mailed read; each timer tick sends the whole queue, oldest first, one mail per row, and
// deletes what went out. The SMTP exchange runs on a worker thread, so the event loop and
// card handling never wait for a mail server.

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

namespace horalog {

class Tdsrc;

inline constexpr const char* kEmailSending = "Email sending: ";
inline constexpr const char* kEmailSentError = "Email sent error.";

// Interval of the send timer for a value of EmailIntervals: minutes, 0 = one second.
int MailTimerInterval(int minutes);

class MailQueue : public QObject {
    Q_OBJECT
public:
    // status shows a text in the second panel of the main window's status bar.
    using StatusLine = std::function<void(const QString&)>;

    MailQueue(Tdsrc& store, StatusLine status, QObject* parent = nullptr);
    ~MailQueue() override;

    // Arms the send timer from EmailIntervals (default 0) and EmailEnabled: it runs only
    // when mailing is enabled. At start, after "Confirm" and at the end of every run.
    void arm();
    // Start of the program: arms from the previous run's EmailEnabled, then forces the
    // setting false; a previous true thus sends what is queued once, at the first tick.
    void armAtStart();
    // Closing: the timer stops and a mail under way is abandoned (it stays queued).
    void stop();

    // One queue run (the timer's tick). Returns at once; the run goes on through the event
    // loop and ends with runFinished(). A tick while a run is under way is ignored.
    void tick();
    bool runActive() const { return active_; }
    const QTimer& timer() const { return timer_; }

signals:
    void runFinished();
    // One mail went out (ok) or failed (it stays queued for the next run).
    void mailDone(const QString& title, bool ok);

private:
    void sendHead();
    void onSent(int generation, qint64 seq, const QString& title, bool ok);
    void finish();
    void joinWorker();

    Tdsrc& store_;
    StatusLine status_;
    QTimer timer_;
    bool active_ = false;
    int generation_ = 0;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
};

}  // namespace horalog
