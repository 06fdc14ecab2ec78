#pragma once
// The local journal of answered reads not yet in the log: a small encrypted file beside the
// log that takes a read whenever the log cannot (a failed write, a damaged file, a database
// that cannot be reached). Each read gets a unique id; merging it into the log records that id
// in the same transaction, so a read is merged once even when a merge is cut short.

#include <QString>
#include <memory>
#include <optional>

#include "storage/database.h"
#include "storage/log_table.h"

namespace horalog {

inline constexpr const char* kJournalFile = "attend-journal.mdb";

struct JournalMerge {
    qint64 merged = 0;   // rows added to the log
    qint64 skipped = 0;  // rows the log already had (an earlier merge, an unsure write)
};

class ReadJournal {
public:
    explicit ReadJournal(QString path);
    ~ReadJournal();

    const QString& path() const { return path_; }

    // Keeps a read; committed to disk when it returns. Answers the read's unique id. Throws
    // DbError when even the journal cannot be written. takenAfter: the log may hold the row
    // already, above this id (the link to a database server broke before it answered the
    // write); a merge then adds it only when the log has no such row there.
    QString append(const LogRecord& r, std::optional<qint64> takenAfter = std::nullopt);
    void setLock(const QString& id, int lock);
    // Reads waiting; 0 when there is no journal file.
    qint64 count();
    // Adds every waiting read to the log (one transaction), then empties the journal.
    // Throws DbError when the log cannot take them; the journal then keeps them.
    JournalMerge mergeInto(Connection& log);
    // Closes the file (it is opened again when needed).
    void close();

private:
    Connection& open(bool create);

    QString path_;
    std::unique_ptr<Connection> c_;
};

}  // namespace horalog
