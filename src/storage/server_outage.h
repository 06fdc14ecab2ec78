#pragma once
// While a database server is in use and reads are captured: notices that the server went away,
// lets the doors decide from the local copy meanwhile (the reads wait in the journal), tries
// the server again every few seconds beside the event loop, and when it answers forwards the
// journal to it (in order, each read once) before anything new is written there.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <map>
#include <thread>
#include <utility>
#include <vector>

#include "storage/local_copy.h"
#include "storage/log_table.h"

namespace horalog {

class Tdsrc;
class Connection;

// "Database server unreachable since HH:MM; N reads kept locally"
QString OutageText(const QDateTime& since, qint64 waiting);

class ServerOutage : public QObject {
public:
    // store: open on a database server. changed runs on the event loop when an outage begins
    // and when it ends.
    ServerOutage(Tdsrc& store, std::function<void()> changed);
    ~ServerOutage() override;

    bool down() const { return down_; }
    QDateTime since() const { return since_; }
    // The failure that began the outage.
    QString reason() const { return reason_; }
    // Reads forwarded to the server when the last outage ended.
    qint64 forwarded() const { return forwarded_; }

    // A statement on the server failed with why: when the link is gone the outage begins.
    // Answers whether the server is down now.
    bool noteFailure(const QString& why);
    // Where a door decision reads holders, rights and passage states: the server while it
    // answers, else the local copy.
    Connection& decisions();
    LocalCopy& copy() { return copy_; }
    // Copies the holders when they changed; a failure that means the server went away begins
    // the outage.
    void refreshCopy(bool force = false);
    // A holder passed a door with anti-passback (the state moved to mode): while the server
    // answers the copy follows it; while it is gone the server is told when it is back.
    void notePassage(int card, int mode);
    // The LOCK of a row the server took just before it went away: set when it is back.
    void keepLock(const LogRecord& row, int lock);
    // How often the server is tried while it is down.
    void setRetryInterval(int ms) { retry_.setInterval(ms); }

private:
    void probe();
    void recover();

    Tdsrc& store_;
    std::function<void()> changed_;
    LocalCopy copy_;
    bool down_ = false;
    QDateTime since_;
    QString reason_;
    qint64 forwarded_ = 0;
    std::vector<std::pair<LogRecord, int>> locks_;
    std::map<int, int> passages_;  // card, state
    QTimer retry_;
    QTimer refresh_;
    std::thread prober_;
    std::atomic<bool> probing_{false};
};

}  // namespace horalog
