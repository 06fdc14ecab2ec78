#include "shell/live_log_model.h"

#include <algorithm>

#include "common/format.h"
#include "storage/staff_table.h"
#include "storage/store.h"

namespace horalog {

namespace {

bool sortsAfter(const LogRecord& a, const LogRecord& b) {
    if (a.systime != b.systime) return a.systime > b.systime;
    if (a.cardno != b.cardno) return a.cardno > b.cardno;
    return a.id > b.id;
}

}  // namespace

LiveLogModel::LiveLogModel(Tdsrc& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store) {
    anchorTimer_.setInterval(0);
    connect(&anchorTimer_, &QTimer::timeout, this, [this] {
        if (!anchorSlice(64)) anchorTimer_.stop();
    });
}

bool LiveLogModel::anchorsComplete() const {
    return qint64(anchors_.size()) >= (count_ + kBlockRows - 1) / kBlockRows;
}

void LiveLogModel::completeAnchors() {
    while (anchorSlice(1024)) {
    }
    anchorTimer_.stop();
}

// Finds the keys of up to count more windows, each one short index walk from the last;
// false when there is nothing left to do.
bool LiveLogModel::anchorSlice(int count) {
    if (!attached_ || anchorsComplete()) return false;
    try {
        Connection& c = store_.att();
        if (anchors_.empty()) {
            auto q = c.prepare(
                "SELECT SYSTIME, CARDNO, ID FROM recorder ORDER BY SYSTIME, CARDNO, ID LIMIT 1");
            if (!q.next()) return false;
            anchors_.push_back(
                {q.value(0).toDouble(), q.value(1).toInt(), q.value(2).toLongLong()});
        }
        auto q = c.prepare(
            "SELECT SYSTIME, CARDNO, ID FROM recorder WHERE SYSTIME >= ?1 AND (SYSTIME > ?1 OR "
            "CARDNO > ?2 OR (CARDNO = ?2 AND ID >= ?3)) ORDER BY SYSTIME, CARDNO, ID "
            "LIMIT 1 OFFSET ?4");
        for (int i = 0; i < count && !anchorsComplete(); ++i) {
            const Key& k = anchors_.back();
            q.reset();
            q.bindAll(k.systime, k.cardno, k.id, kBlockRows);
            if (!q.next()) return false;
            anchors_.push_back(
                {q.value(0).toDouble(), q.value(1).toInt(), q.value(2).toLongLong()});
        }
    } catch (const DbError&) {
        return false;
    }
    return !anchorsComplete();
}

QString LiveLogModel::timeText(DateTime t) {
    return FormatDateTime("mmm d, yyyy (ddd) - AM/PM hh:mm:ss", t);
}

int LiveLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(count_);
}

int LiveLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LiveLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* titles[] = {"Date and Time", "Card Information", "Mode", "Reader", "Lock"};
    return section >= 0 && section < ColumnCount ? QString(titles[section]) : QVariant();
}

QVariant LiveLogModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const LogRecord* r = row(index.row());
    if (!r) return {};
    try {
        switch (index.column()) {
            case ColTime:
                return timeText(r->systime);
            case ColCard:
                return cardInformation(r->cardno);
            case ColMode:
                return ModeName(r->mode);
            case ColReader:
            case ColLock:
                if (!readers_) {
                    readers_ = ReaderDescriptions(store_.src());
                    stations_ = StationReaderNames::Load(store_.src());
                }
                return stations_.name(r->station, index.column() == ColReader ? r->reader : r->lock,
                                      *readers_);
        }
    } catch (const DbError&) {
    }
    return {};
}

QString LiveLogModel::cardInformation(int card) const {
    auto hit = cards_.constFind(card);
    if (hit != cards_.constEnd()) return *hit;
    QString text = "[" + QString::number(card) + "]";
    if (attached_) {
        try {
            if (auto h = StaffTable(store_.src()).byCard(card)) {
                auto g = groups_.constFind(h->workgrp);
                if (g == groups_.constEnd())
                    g = groups_.insert(h->workgrp, GroupName(store_.src(), h->workgrp));
                text = h->name + ", " + *g;
            }
        } catch (const DbError&) {
            return text;  // not kept: the next look may succeed
        }
    }
    if (cards_.size() >= kMaxCards) cards_.clear();
    cards_.insert(card, text);
    return text;
}

std::optional<LogRecord> LiveLogModel::record(int r) const {
    const LogRecord* p = row(r);
    if (!p) return std::nullopt;
    return *p;
}

const LogRecord* LiveLogModel::row(qint64 r) const {
    if (!attached_ || r < 0 || r >= count_) return nullptr;
    for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
        if (r >= it->first && r < it->first + qint64(it->rows.size())) {
            if (it != blocks_.begin()) {
                Block b = std::move(*it);
                blocks_.erase(it);
                blocks_.push_front(std::move(b));
            }
            return &blocks_.front().rows[r - blocks_.front().first];
        }
    }
    Block b;
    b.first = r - r % kBlockRows;
    const int len = int(std::min<qint64>(kBlockRows, count_ - b.first));
    try {
        LogTable log(store_.att());
        ++pageQueries_;
        const qint64 k = b.first / kBlockRows;
        if (k < qint64(anchors_.size())) {
            // A key range from the window's first row: as cheap deep in the log as at its ends.
            auto q = store_.att().prepare(
                "SELECT ID, SYSTIME, CARDNO, MODE, READER, LOCK, STATION FROM recorder "
                "WHERE SYSTIME >= ?1 "
                "AND (SYSTIME > ?1 OR CARDNO > ?2 OR (CARDNO = ?2 AND ID >= ?3)) "
                "ORDER BY SYSTIME, CARDNO, ID LIMIT ?4");
            const Key& a = anchors_[k];
            q.bindAll(a.systime, a.cardno, a.id, len);
            b.rows.reserve(len);
            while (q.next()) b.rows.push_back(LogTable::fromRow(q));
        } else if (b.first < count_ / 2) {
            // Offset paging costs with the distance from the chosen end: page from the nearer.
            b.rows = log.page(b.first, len, LogOrder::OldestFirst);
        } else {
            b.rows = log.page(count_ - (b.first + len), len, LogOrder::NewestFirst);
            std::reverse(b.rows.begin(), b.rows.end());
        }
    } catch (const DbError&) {
        return nullptr;
    }
    if (qint64(b.rows.size()) <= r - b.first) return nullptr;  // the log shrank meanwhile
    blocks_.push_front(std::move(b));
    if (blocks_.size() > kMaxBlocks) blocks_.pop_back();
    return &blocks_.front().rows[r - blocks_.front().first];
}

void LiveLogModel::reload() {
    beginResetModel();
    anchorTimer_.stop();
    anchors_.clear();
    blocks_.clear();
    cards_.clear();
    groups_.clear();
    readers_.reset();
    newest_.reset();
    count_ = 0;
    attached_ = store_.isOpen();
    if (attached_) {
        try {
            LogTable log(store_.att());
            count_ = log.count();
            newest_ = log.last();
        } catch (const DbError&) {
            count_ = 0;
        }
    }
    endResetModel();
    if (attached_ && count_ > 0) anchorTimer_.start();
}

void LiveLogModel::detach() {
    beginResetModel();
    anchorTimer_.stop();
    anchors_.clear();
    attached_ = false;
    count_ = 0;
    blocks_.clear();
    cards_.clear();
    groups_.clear();
    readers_.reset();
    newest_.reset();
    endResetModel();
}

void LiveLogModel::forgetTail(qint64 fromRow) {
    std::erase_if(blocks_, [&](const Block& b) {
        return b.first + qint64(b.rows.size()) > fromRow || qint64(b.rows.size()) < kBlockRows;
    });
}

void LiveLogModel::refreshAppended() {
    if (!attached_) return;
    qint64 now = 0;
    std::vector<LogRecord> added;
    try {
        LogTable log(store_.att());
        now = log.count();
        if (now > count_ && now - count_ <= kBlockRows)
            added = log.page(0, int(now - count_), LogOrder::NewestFirst);
    } catch (const DbError&) {
        return;
    }
    const bool inOrder =
        now > count_ && !added.empty() && (!newest_ || sortsAfter(added.back(), *newest_));
    if (now == count_) {
        // No new row: a LOCK set after the row was posted; re-read the tail in place.
        if (count_ > 0) {
            const qint64 from = std::max<qint64>(0, count_ - kBlockRows);
            forgetTail(from);
            emit dataChanged(index(int(from), 0), index(int(count_ - 1), ColumnCount - 1));
        }
        return;
    }
    if (!inOrder) {
        reload();
        return;
    }
    const qint64 from = std::max<qint64>(0, count_ - kBlockRows);
    forgetTail(from);
    beginInsertRows({}, int(count_), int(now - 1));
    count_ = now;
    newest_ = added.front();
    endInsertRows();
    if (!anchorsComplete() && !anchorTimer_.isActive()) anchorTimer_.start();
    if (from < count_ - qint64(added.size()))
        emit dataChanged(index(int(from), 0),
                         index(int(count_ - added.size() - 1), ColumnCount - 1));
}

}  // namespace horalog
