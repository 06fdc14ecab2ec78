#pragma once
// The live log grid's model: the attendance log, oldest row first, read lazily in windows of
// rows around what the view asks for. Only the count and a few hundred rows are ever held.

#include <QAbstractTableModel>
#include <QHash>
#include <QTimer>
#include <deque>
#include <optional>
#include <vector>

#include "storage/log_table.h"
#include "storage/lookups.h"
#include "storage/stations.h"

namespace horalog {

class Tdsrc;

class LiveLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColTime, ColCard, ColMode, ColReader, ColLock, ColumnCount };
    static constexpr int kBlockRows = 256;  // rows fetched per query
    static constexpr int kMaxBlocks = 8;    // windows kept
    static constexpr int kMaxCards = 4096;  // holder texts kept

    explicit LiveLogModel(Tdsrc& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Reads the count afresh and forgets every cached row, holder and reader name.
    void reload();
    // No rows, no database access: the store may close.
    void detach();
    bool attached() const { return attached_; }
    // Rows added since the last look: inserted at the end when they sort after the rows
    // shown (a live read), otherwise a reload (an older stamp lands inside the log). The
    // newest rows are re-read too, since a read sets its LOCK after the row is posted.
    void refreshAppended();

    qint64 count() const { return count_; }
    std::optional<LogRecord> record(int row) const;
    // "NAME, GROUP" of the card's holder, or "[card]".
    QString cardInformation(int card) const;

    // Queries run for rows since construction (for tests and the benchmark).
    int pageQueries() const { return pageQueries_; }
    // Windows whose first row key is known: read by key range, not by offset. Built in
    // slices on the event loop after each reload; complete() runs the rest at once.
    int anchors() const { return int(anchors_.size()); }
    bool anchorsComplete() const;
    void completeAnchors();

    static QString timeText(DateTime t);

private:
    struct Block {
        qint64 first = 0;
        std::vector<LogRecord> rows;
    };
    struct Key {
        double systime;
        int cardno;
        qint64 id;
    };
    const LogRecord* row(qint64 r) const;
    void forgetTail(qint64 fromRow);
    bool anchorSlice(int count);

    QTimer anchorTimer_;
    std::vector<Key> anchors_;  // key of row k * kBlockRows

    Tdsrc& store_;
    bool attached_ = false;
    qint64 count_ = 0;
    std::optional<LogRecord> newest_;
    mutable std::deque<Block> blocks_;  // most recently used first
    mutable QHash<int, QString> cards_;
    mutable QHash<int, QString> groups_;
    mutable std::optional<ReaderNames> readers_;
    mutable StationReaderNames stations_;  // read with readers_
    mutable int pageQueries_ = 0;
};

}  // namespace horalog
