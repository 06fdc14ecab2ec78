// "Download from Reader": the reader's log merged into the log table as it arrives.
#include <QElapsedTimer>
#include <optional>
#include <vector>

#include "common/ports.h"
#include "common/texts.h"
#include "offline/offline_manager.h"
#include "people/period_close.h"
#include "reader/reader_ports.h"
#include "storage/audit.h"
#include "storage/log_table.h"
#include "storage/store.h"

namespace horalog {

using namespace offline_text;

namespace {

// Records wait in memory until a batch is due, then go in one transaction. The event loop
// runs only between transactions (the exchanges pump it), so a card read of another reader
// never joins a transaction that could still be rolled back. Each commit rewrites (and
// re-encrypts) the index pages it touched: 2,000 rows per commit cost about half of what 500
// do, and hold the loop for about 150 ms. What waits in memory is still on the reader, which
// is cleared only after the whole download.
constexpr int kBatchRecords = 2000;
constexpr qint64 kBatchMs = 1000;
constexpr qint64 kDetailMs = 500;

class LogMerge {
public:
    LogMerge(Connection& att, int port, const PeriodState& period, DownloadResult& counts)
        : att_(att), port_(port), period_(period), counts_(counts) {}

    void add(const LogRecordAnswer& r) {
        if (pending_.empty()) since_.start();
        pending_.push_back(r);
    }
    bool due() const {
        return !pending_.empty() &&
               (int(pending_.size()) >= kBatchRecords || since_.elapsed() >= kBatchMs);
    }
    // False when the log table refused a row or the commit: rows merged before stay.
    bool flush() {
        if (pending_.empty()) return true;
        QElapsedTimer took;
        took.start();
        struct Took {
            QElapsedTimer& t;
            qint64& ns;
            ~Took() { ns += t.nsecsElapsed(); }
        } took_{took, counts_.mergeNs};
        std::vector<LogRecordAnswer> batch;
        batch.swap(pending_);
        qint64 added = 0, intoClosed = 0;
        std::optional<Transaction> t;
        try {
            t.emplace(att_);
            LogTable log(att_);
            for (const LogRecordAnswer& a : batch) {
                if (log.exists(a.stamp, a.card)) {
                    ++counts_.duplicated;
                    continue;
                }
                LogRecord row;
                row.systime = a.stamp;
                row.cardno = a.card;
                row.mode = a.mode;
                row.reader = port_;
                row.lock = 0;
                log.append(row);
                ++added;
                // The door's log takes every read; a closed period only counts them.
                if (period_.Closes(a.stamp.date())) ++intoClosed;
            }
            t->commit();
            counts_.added += added;
            counts_.intoClosed += intoClosed;
            return true;
        } catch (const DbError&) {
            // Keep the rows appended before the failing one when the engine still holds them.
            try {
                if (t && att_.inTransaction()) {
                    t->commit();
                    counts_.added += added;
                    counts_.intoClosed += intoClosed;
                }
            } catch (const DbError&) {
            }
            return false;
        }
    }

private:
    Connection& att_;
    int port_;
    const PeriodState& period_;
    DownloadResult& counts_;
    std::vector<LogRecordAnswer> pending_;
    QElapsedTimer since_;
};

QString Detail(qint64 done, qint64 total, qint64 elapsedMs) {
    if (elapsedMs <= 0 || done <= 0) return {};
    const double rate = double(done) * 1000.0 / double(elapsedMs);
    const qint64 left = qint64(double(total - done) / rate + 0.5);
    return QString("%1 records per second, %2:%3 left")
        .arg(qint64(rate + 0.5))
        .arg(left / 60)
        .arg(left % 60, 2, 10, QChar('0'));
}

}  // namespace

DownloadResult OfflineManager::Download(int port, bool clearAfter) {
    using Outcome = DownloadResult::Outcome;
    DownloadResult r;
    Run run(*this);
    if (!run) {
        r.outcome = Outcome::Busy;
        return r;
    }
    QElapsedTimer total;
    total.start();
    OfflineLink ol(links_[port], now_);
    auto status = [this](const char* name) {
        if (onStatus) onStatus(QString::fromLatin1(name));
    };
    auto finish = [&](Outcome o) {
        r.outcome = o;
        r.elapsedNs = total.nsecsElapsed();
        r.waitNs = ol.stats().waitNs;
        return r;
    };
    auto noAnswer = [&] {
        messages_.error(kNoResponse);
        return finish(Outcome::NoAnswer);
    };
    auto unlock = [&] {
        status("UnLocking");
        return ol.UnlockReader();
    };

    status("Locking");
    if (!ol.LockReader()) return noAnswer();
    status("Get Capacity");
    LogCapacity first, second;
    if (!ol.GetLogCapacity(first) || !ol.GetLogCapacity(second)) return noAnswer();
    if (!(first == second)) {
        if (!unlock()) return noAnswer();
        messages_.error(kNotReliable);
        return finish(Outcome::NotReliable);
    }
    if (second.count == 0) {
        if (!unlock()) return noAnswer();
        messages_.information(kNoRecordToDownload);
        return finish(Outcome::Empty);
    }

    const int count = second.count;
    r.records = count;
    PeriodState period;
    try {
        period = CurrentPeriod(store_.src());
    } catch (const DbError&) {
        // Counting reads into a closed period must not stop a download.
    }
    LogMerge merge(store_.att(), port, period, r);
    {
        auto window = progress_.open(QString("Downloading Logs (%1 records)").arg(count), count);
        status("Downloading");
        QElapsedTimer detail;
        detail.start();
        auto stop = [&](const char* message) {
            window.reset();
            messages_.error(QString::fromLatin1(message));
        };
        for (int n = 0; n < count; ++n) {
            LogRecordAnswer a;
            RecordRead read = ol.ReadLogRecord(quint16(n), a);
            if (read == RecordRead::Invalid) read = ol.ReadLogRecord(quint16(n), a);
            if (read == RecordRead::NoAnswer) {
                // What arrived before the line broke is kept.
                if (!merge.flush()) {
                    stop(text::kDatabaseError);
                    return finish(Outcome::DatabaseError);
                }
                stop(kNoResponse);
                return finish(Outcome::NoAnswer);
            }
            if (read == RecordRead::Invalid)
                ++r.invalid;
            else
                merge.add(a);
            if (merge.due() && !merge.flush()) {
                stop(text::kDatabaseError);
                return finish(Outcome::DatabaseError);
            }
            window->step();
            if (detail.elapsed() >= kDetailMs) {
                detail.restart();
                window->setDetail(Detail(n + 1, count, total.elapsed()));
            }
        }
        if (!merge.flush()) {
            stop(text::kDatabaseError);
            return finish(Outcome::DatabaseError);
        }
    }
    if (clearAfter) {
        status("Clearing");
        if (!ol.ClearLog(second.capacity)) return noAnswer();
    }
    if (!unlock()) return noAnswer();
    finish(Outcome::Done);
    messages_.information(r.summary());
    if (r.intoClosed > 0) {
        const QString text = ClosedPeriodReadsText(r.intoClosed, period.closedTo);
        try {
            AuditLog(store_.src())
                .write(audit::kReadsIntoClosedPeriod, QString("COM%1").arg(port), QString(), text);
        } catch (const DbError&) {
        }
        messages_.warning(text);
    }
    return r;
}

}  // namespace horalog
