#include "maintenance/log_import.h"

#include <QDir>
#include <QElapsedTimer>
#include <QtDebug>

#include "common/ports.h"
#include "storage/audit.h"
#include "maintenance/data_files.h"
#include "maintenance/import_source.h"
#include "maintenance/maintenance.h"
#include "storage/settings.h"
#include "storage/store.h"

namespace horalog {

namespace {

// A transaction takes rows for about this long (or up to kMaxBatch rows): window events run
// between transactions only, so a card read never joins a change that could still be rolled
// back; each commit rewrites (and re-encrypts) the index pages it touched, so fewer, larger
// transactions cost much less.
constexpr qint64 kBatchMs = 150;
constexpr int kMaxBatch = 20000;
// Half a millisecond in days: stamps of whole seconds are equal within it or not at all.
constexpr double kSameStamp = 0.5 / 86400000.0;

QString line(const char* label, qint64 n) {
    return QString("%1 = %2 records\n\r").arg(label).arg(n);
}

}  // namespace

QString ImportAuditText(const ImportCounts& c, bool stopped) {
    QString text =
        QString("%1 added, %2 duplicated, %3 errors").arg(c.added).arg(c.duplicated).arg(c.errors);
    if (c.groupsAdded > 0) text += QString(", %1 groups added").arg(c.groupsAdded);
    if (stopped) text += "; stopped: the source could not be read to its end";
    return text;
}

QString LogImportSummary(const ImportCounts& c) {
    QString text = line("Added", c.added);
    if (c.duplicated > 0) text += line("Duplicated", c.duplicated);
    if (c.errors > 0) text += line("Error", c.errors);
    return text;
}

QString LastLogImportFile(const Tdsrc& store) {
    return ReadSettingText("LogDbLastIn", QDir(store.folder()).filePath("backup_attend.mdb"));
}

void ImportLogRecords(Tdsrc& store, Messages& messages, Progress& progress, FileDialogs& dialogs,
                      const LiveLogControl& live) {
    QString source = dialogs.openFile("Import Transaction Logs", LastLogImportFile(store),
                                      kDatabaseDialogFilter);
    if (source.isEmpty()) return;
    ImportLogRecordsFrom(store, source, messages, progress, live);
}

std::optional<ImportCounts> ImportLogRecordsFrom(Tdsrc& store, const QString& source,
                                                 Messages& messages, Progress& progress,
                                                 const LiveLogControl& live) {
    auto opened = OpenImportSource(source, kLogDbPassword, "LogDbLastIn", "recorder",
                                   "Error in opening the log database: ", messages);
    if (!opened) return std::nullopt;
    std::unique_ptr<Connection> in = std::move(opened->connection);
    const qint64 total = opened->rows;
    const QString cannotRead = "Error in opening the log database: " + source;

    Connection& att = store.att();
    LiveLogHidden hidden(live);
    ImportCounts counts;
    bool readFailed = false;
    {
        auto window = progress.open("Importing Log Records", int(total));
        auto exists = att.prepare(
            "SELECT 1 FROM recorder WHERE SYSTIME BETWEEN ? AND ? AND CARDNO = ? LIMIT 1");
        auto insert = att.prepare(
            "INSERT INTO recorder (SYSTIME, CARDNO, MODE, READER, LOCK) VALUES (?, ?, ?, ?, ?)");
        std::optional<Transaction> batch;
        QElapsedTimer batchTime;
        int inBatch = 0;
        qint64 addedInBatch = 0;
        auto commit = [&] {
            if (batch) {
                try {
                    batch->commit();
                } catch (const DbError&) {
                    // Nothing of this batch was kept.
                    counts.added -= addedInBatch;
                    counts.errors += addedInBatch;
                }
                batch.reset();
            }
            window->step(inBatch);
            inBatch = 0;
            addedInBatch = 0;
        };
        try {
            auto rows = in->prepare(
                "SELECT SYSTIME, CARDNO, MODE, READER, LOCK FROM recorder ORDER BY SYSTIME");
            while (rows.next()) {
                const DateTime t = WholeSeconds(DateTime(rows.value(0).toDouble()));
                const int card = rows.value(1).toInt();
                if (!batch) {
                    batch.emplace(att);
                    batchTime.start();
                }
                exists.bindAll(t.value - kSameStamp, t.value + kSameStamp, card);
                const bool duplicate = exists.next();
                exists.reset();
                if (duplicate) {
                    ++counts.duplicated;
                } else {
                    try {
                        insert.bindAll(t, card, rows.value(2).toInt(), rows.value(3).toInt(),
                                       rows.value(4).toInt());
                        insert.exec();
                        insert.reset();
                        ++counts.added;
                        ++addedInBatch;
                    } catch (const DbError&) {
                        insert.reset();
                        ++counts.errors;
                        if (!att.inTransaction()) {
                            // The engine gave up the whole transaction: its rows are lost.
                            counts.added -= addedInBatch;
                            counts.errors += addedInBatch;
                            addedInBatch = 0;
                            batch.reset();
                        }
                    }
                }
                if (++inBatch >= kMaxBatch ||
                    (inBatch % 64 == 0 && batchTime.elapsed() >= kBatchMs))
                    commit();
            }
        } catch (const DbError&) {
            readFailed = true;
        }
        commit();
    }
    // One row in the trail whatever came of it: the batches that went in stay in.
    try {
        AuditLog(store.src())
            .write(audit::kLogImported, source, QString(), ImportAuditText(counts, readFailed));
    } catch (const DbError& e) {
        qWarning().noquote() << "audit row of a log import:" << e.text();
    }
    if (readFailed) {
        messages.plain(cannotRead);
        return std::nullopt;
    }
    messages.plain(LogImportSummary(counts));
    return counts;
}

}  // namespace horalog
