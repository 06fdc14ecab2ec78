#include "storage/server_outage.h"

#include <QDir>
#include <QRegularExpression>
#include <QtDebug>

#include "storage/postgres_driver.h"
#include "storage/store.h"

namespace horalog {

namespace {
// The server is tried this often while it is down; a try waits at most kProbeMs for it (on a
// thread of its own, never on the event loop).
constexpr int kRetryMs = 3000;
constexpr int kProbeMs = 1000;
// A server that answered the try links again within this time.
constexpr int kRelinkMs = 1000;
// The holders are compared with the copy at most this often while the server answers.
constexpr int kRefreshMs = 60000;
}  // namespace

QString OutageText(const QDateTime& since, qint64 waiting) {
    return QString("Database server unreachable since %1; %2 reads kept locally")
        .arg(since.toString("HH:mm"))
        .arg(waiting);
}

ServerOutage::ServerOutage(Tdsrc& store, std::function<void()> changed)
    : store_(store),
      changed_(std::move(changed)),
      copy_(QDir(store.folder()).filePath(kLocalCopyFile)) {
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] { probe(); });
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, [this] {
        if (!down_ && store_.isOpen()) refreshCopy();
    });
    refresh_.start();
}

ServerOutage::~ServerOutage() {
    if (prober_.joinable()) prober_.join();
}

bool ServerOutage::noteFailure(const QString& why) {
    if (down_) return true;
    if (!store_.isOpen()) return false;
    // A server that is stopping ends the sessions first; one that is starting refuses them.
    static const QRegularExpression going(
        "terminating connection|the database system is (shutting down|starting up|in recovery)");
    const bool gone = ServerLinkLost(store_.att()) || ServerLinkLost(store_.src()) ||
                      ServerProblem(why) == "Database server unreachable" ||
                      going.match(why).hasMatch();
    if (!gone) return false;
    down_ = true;
    since_ = QDateTime::currentDateTime();
    reason_ = why;
    retry_.start();
    if (changed_) changed_();
    return true;
}

Connection& ServerOutage::decisions() {
    return down_ ? copy_.connection() : store_.src();
}

void ServerOutage::refreshCopy(bool force) {
    try {
        copy_.refresh(store_.src(), force);
    } catch (const DbError& e) {
        if (!noteFailure(e.text()))
            qWarning().noquote() << QString("%1: not refreshed: %2").arg(kLocalCopyFile, e.text());
    }
}

void ServerOutage::notePassage(int card, int mode) {
    if (down_)
        passages_[card] = mode;
    else
        copy_.notePassage(card, mode);
}

void ServerOutage::keepLock(const LogRecord& row, int lock) {
    locks_.emplace_back(row, lock);
}

void ServerOutage::probe() {
    if (probing_) return;
    if (prober_.joinable()) prober_.join();
    probing_ = true;
    prober_ = std::thread([this, url = ServerLinkUrl(store_.att())] {
        bool answers = false;
        try {
            OpenServerDatabase(url, OpenMode::ReadOnly, kProbeMs);
            answers = true;
        } catch (const DbError&) {
        }
        QMetaObject::invokeMethod(
            this,
            [this, answers] {
                probing_ = false;
                if (answers && down_) recover();
            },
            Qt::QueuedConnection);
    });
}

void ServerOutage::recover() {
    try {
        RelinkServer(store_.att(), kRelinkMs);
        RelinkServer(store_.src(), kRelinkMs);
        for (const auto& [row, lock] : locks_) {
            if (row.id > 0) {
                LogTable(store_.att()).setLock(row.id, lock);
                continue;
            }
            // Its id did not come back: the row is found by what it holds, the newest first.
            auto q = store_.att().prepare(
                "UPDATE recorder SET LOCK = ? WHERE ID = (SELECT max(ID) FROM recorder WHERE "
                "SYSTIME = ? AND CARDNO = ? AND READER = ? AND STATION = ? AND LOCK = 0)");
            q.bindAll(lock, row.systime, row.cardno, row.reader, row.station);
            q.exec();
        }
        locks_.clear();
        // The passages of the outage are the newest each holder made (across stations the
        // state could not hold meanwhile).
        for (const auto& [card, state] : passages_) {
            auto u = store_.src().prepare("UPDATE apb SET STATE = ? WHERE CARDNO = ?");
            u.bindAll(state, card);
            u.exec();
            if (store_.src().changes() > 0) continue;
            auto i = store_.src().prepare("INSERT INTO apb (CARDNO, STATE) VALUES (?, ?)");
            i.bindAll(card, state);
            i.exec();
        }
        passages_.clear();
        // The kept reads go first, so that the server's log stays in the order of the reads.
        forwarded_ = store_.journal().mergeInto(store_.att()).merged;
    } catch (const DbError& e) {
        // Tried again at the next retry; the journal keeps every read until then.
        reason_ = e.text();
        return;
    }
    down_ = false;
    retry_.stop();
    refreshCopy(true);
    if (changed_) changed_();
}

}  // namespace horalog
