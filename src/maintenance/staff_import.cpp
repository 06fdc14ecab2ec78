#include "maintenance/staff_import.h"

#include <QDir>
#include <QtDebug>

#include "common/ports.h"
#include "storage/audit.h"
#include "maintenance/import_source.h"
#include "maintenance/log_import.h"
#include "maintenance/maintenance.h"
#include "storage/settings.h"
#include "storage/store.h"

namespace horalog {

namespace {

// Holders per transaction (photos make rows large); window events run between transactions.
constexpr int kBatch = 100;

const char* const kGroupHours[] = {"WD_FROM_1",    "WD_TO_1",    "WD_FROM_2", "WD_TO_2",
                                   "SAT_ENABLE_1", "SAT_FROM_1", "SAT_TO_1",  "SAT_ENABLE_2",
                                   "SAT_FROM_2",   "SAT_TO_2",   "OT_MIN",    "OT_MULTI"};
const char* const kHolderCopied[] = {"NAME",   "TIMEGRP", "ACCESSGRP", "PHOTO", "OFFLINE",
                                     "PICKED", "COM1",    "COM2",      "COM3",  "COM4",
                                     "COM5",   "COM6",    "COM7",      "COM8",  "MEMO"};

QString line(const char* label, qint64 n) {
    return QString("%1 = %2 records\n\r").arg(label).arg(n);
}

QString sourceQuery() {
    QStringList cols{"staffs.CARDNO AS CARDNO", "gid.DESCX AS G_DESCX"};
    for (const char* c : kHolderCopied) cols << QString("staffs.%1 AS %1").arg(c);
    for (const char* c : kGroupHours) cols << QString("gid.%1 AS G_%1").arg(c);
    return "SELECT " + cols.join(", ") +
           " FROM staffs LEFT JOIN gid ON staffs.WORKGRP = gid.ID ORDER BY staffs.CARDNO";
}

QString insertSql(const QString& table, const QStringList& cols) {
    QStringList marks;
    for (int i = 0; i < cols.size(); ++i) marks << "?";
    return QString("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(", "), marks.join(", "));
}

}  // namespace

QString StaffImportSummary(const ImportCounts& c) {
    QString text;
    if (c.groupsAdded > 0) text += line("Group Added", c.groupsAdded);
    text += line("Staff Added", c.added);
    if (c.duplicated > 0) text += line("Duplicated", c.duplicated);
    if (c.errors > 0) text += line("Error", c.errors);
    return text;
}

QString LastStaffImportFile(const Tdsrc& store) {
    return ReadSettingText("SysDbLastIn", QDir(store.folder()).filePath("sys.mdb"));
}

void ImportStaffRecords(Tdsrc& store, Messages& messages, Progress& progress, FileDialogs& dialogs,
                        const LiveLogControl& live) {
    QString source =
        dialogs.openFile("Import Staff Records", LastStaffImportFile(store), kDatabaseDialogFilter);
    if (source.isEmpty()) return;
    ImportStaffRecordsFrom(store, source, messages, progress, live);
}

std::optional<ImportCounts> ImportStaffRecordsFrom(Tdsrc& store, const QString& source,
                                                   Messages& messages, Progress& progress,
                                                   const LiveLogControl& live) {
    auto opened = OpenImportSource(source, kSysDbPassword, "SysDbLastIn", "staffs",
                                   "Error in opening the system database: ", messages);
    if (!opened) return std::nullopt;
    std::unique_ptr<Connection> in = std::move(opened->connection);
    const qint64 total = opened->rows;
    const QString cannotRead = "Error in opening the system database: " + source;

    Connection& src = store.src();
    LiveLogHidden hidden(live);
    ImportCounts counts;
    bool readFailed = false;
    {
        auto window = progress.open("Importing Staff Records", int(total));
        QStringList groupCols{"DESCX"};
        for (const char* c : kGroupHours) groupCols << c;
        QStringList holderCols{"CARDNO", "WORKGRP"};
        for (const char* c : kHolderCopied) holderCols << c;
        auto holderOfCard = src.prepare("SELECT 1 FROM staffs WHERE CARDNO = ? LIMIT 1");
        auto groupOfName = src.prepare("SELECT ID FROM gid WHERE DESCX = ? ORDER BY ID LIMIT 1");
        auto addGroup = src.prepare(insertSql("gid", groupCols));
        auto addHolder = src.prepare(insertSql("staffs", holderCols));

        std::optional<Transaction> batch;
        int inBatch = 0;
        ImportCounts before = counts;  // counts at the last commit
        auto dropBatch = [&] {
            // The engine gave up the transaction: nothing since the last commit was kept.
            counts.errors += (counts.added - before.added);
            counts.added = before.added;
            counts.groupsAdded = before.groupsAdded;
            batch.reset();
        };
        auto commit = [&] {
            if (batch) {
                try {
                    batch->commit();
                    batch.reset();
                } catch (const DbError&) {
                    dropBatch();
                }
            }
            before = counts;
            window->step(inBatch);
            inBatch = 0;
        };
        try {
            auto rows = in->prepare(sourceQuery());
            while (rows.next()) {
                const int card = rows.integer("CARDNO");
                if (!batch) batch.emplace(src);
                holderOfCard.bindAll(card);
                const bool held = holderOfCard.next();
                holderOfCard.reset();
                if (held) {
                    ++counts.duplicated;
                } else {
                    try {
                        int group = 1;
                        const QString name = rows.text("G_DESCX");
                        if (!name.isEmpty()) {
                            groupOfName.bindAll(name);
                            group = groupOfName.next() ? groupOfName.integer("ID") : 0;
                            groupOfName.reset();
                            if (group == 0) {
                                try {
                                    addGroup.bind(1, name);
                                    for (int i = 0; i < int(std::size(kGroupHours)); ++i)
                                        addGroup.bind(i + 2,
                                                      rows.value(QString("G_") + kGroupHours[i]));
                                    addGroup.exec();
                                    addGroup.reset();
                                    group = int(src.lastInsertId());
                                    ++counts.groupsAdded;
                                } catch (const DbError&) {
                                    addGroup.reset();
                                    if (!src.inTransaction()) throw;
                                    group = 1;
                                }
                            }
                        }
                        addHolder.bind(1, card);
                        addHolder.bind(2, group);
                        for (int i = 0; i < int(std::size(kHolderCopied)); ++i)
                            addHolder.bind(i + 3, rows.value(kHolderCopied[i]));
                        addHolder.exec();
                        addHolder.reset();
                        ++counts.added;
                    } catch (const DbError&) {
                        addHolder.reset();
                        ++counts.errors;
                        if (!src.inTransaction()) dropBatch();
                    }
                }
                if (++inBatch >= kBatch) commit();
            }
        } catch (const DbError&) {
            readFailed = true;
        }
        commit();
    }
    // One row in the trail whatever came of it: the batches that went in stay in.
    try {
        AuditLog(store.src())
            .write(audit::kHoldersImported, source, QString(), ImportAuditText(counts, readFailed));
    } catch (const DbError& e) {
        qWarning().noquote() << "audit row of a staff import:" << e.text();
    }
    if (readFailed) {
        messages.plain(cannotRead);
        return std::nullopt;
    }
    messages.plain(StaffImportSummary(counts));
    return counts;
}

}  // namespace horalog
