#include "people/manual_record_store.h"

#include <QFile>
#include <QRegularExpression>

#include "common/format.h"
#include "people/holders.h"
#include "people/period_close.h"
#include "storage/audit.h"
#include "storage/lookups.h"
#include "storage/staff_table.h"

namespace horalog {

namespace {

HolderShown Shown(Connection& src, const std::optional<HolderRecord>& h) {
    HolderShown s;
    if (!h) return s;
    s.found = true;
    s.card = h->cardno;
    s.name = h->name;
    s.group = GroupName(src, h->workgrp);
    s.remarks = TextFromMemo(h->memo);
    s.hasPhoto = PhotoFromBlob(h->photo, s.photo);
    return s;
}

// Runs change in one transaction of att; with auditDb, the system database is attached for
// it and change gets the audit log to write to, and a row dated within the closed period is
// refused (PeriodClosed): change calls the check with each day it touches.
void Audited(Connection& att, const QString& auditDb,
             const std::function<void(AuditLog*, const std::function<void(DateTime)>&)>& change) {
    if (auditDb.isEmpty()) {
        change(nullptr, [](DateTime) {});
        return;
    }
    AttachedSystemDb attached(att, auditDb);
    AuditLog audit(att, attached.schema());
    Transaction t(att);
    const PeriodState period = CurrentPeriod(att, attached.schema());
    change(&audit, [&](DateTime t) {
        if (period.Closes(t.date())) throw PeriodClosed{PeriodClosedText(period.closedTo)};
    });
    t.commit();
}

QString RowSubject(qint64 id) {
    return QString("log row %1").arg(id);
}

}  // namespace

QString LogRecordAuditText(const LogRecord& r) {
    return QString("%1, card %2, %3, reader %4")
        .arg(AuditTimeText(r.systime))
        .arg(r.cardno)
        .arg(ModeName(r.mode))
        .arg(r.reader);
}

std::optional<std::pair<int, QDate>> CardDayOfAuditText(const QString& text) {
    static const QRegularExpression form("^(\\d{4}-\\d{2}-\\d{2}) [\\d:]{8}, card (-?\\d+),");
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const QDate day = QDate::fromString(m.captured(1), Qt::ISODate);
    if (!day.isValid()) return std::nullopt;
    return std::make_pair(m.captured(2).toInt(), day);
}

std::vector<std::pair<int, QDate>> HandChangedDays(Connection& src, const QDate& first,
                                                   const QDate& last) {
    std::vector<std::pair<int, QDate>> out;
    auto q = src.prepare("SELECT OLDTEXT, NEWTEXT FROM audit WHERE ACTION IN (?, ?, ?)");
    q.bindAll(QString(audit::kRecordAdded), QString(audit::kRecordEdited),
              QString(audit::kRecordDeleted));
    while (q.next())
        for (int column : {0, 1})
            if (auto cardDay = CardDayOfAuditText(q.value(column).toString()))
                if (cardDay->second >= first && cardDay->second <= last) out.push_back(*cardDay);
    return out;
}

HolderShown HolderShownByName(Connection& src, const QString& name) {
    if (name.isEmpty()) return {};
    return Shown(src, StaffTable(src).byName(name, true));
}

HolderShown HolderShownByCard(Connection& src, int card) {
    return Shown(src, StaffTable(src).byCard(card, true));
}

bool AddAttendanceRecord(Connection& att, DateTime pickedDate, DateTime pickedTime,
                         std::optional<int> card, int modeIndex, int readerIndex,
                         Messages& messages, const QString& auditDb) {
    auto row = NewManualRecord(pickedDate, pickedTime, card, modeIndex, readerIndex);
    try {
        if (!row) throw DbError("no card");
        Audited(att, auditDb, [&](AuditLog* audit, const auto& open) {
            open(row->systime);
            LogTable(att).append(*row);
            if (audit)
                audit->write(audit::kRecordAdded, RowSubject(row->id), QString(),
                             LogRecordAuditText(*row));
        });
    } catch (const PeriodClosed& closed) {
        messages.error(closed.message);
        return false;
    } catch (const DbError&) {
        messages.error(text::kErrorAddingRecord);
        return false;
    }
    messages.information(text::kRecordAdded);
    return true;
}

bool UpdateAttendanceRecord(Connection& att, qint64 id, DateTime pickedDate, DateTime pickedTime,
                            int modeIndex, Messages& messages, const QString& auditDb) {
    LogTable log(att);
    try {
        Audited(att, auditDb, [&](AuditLog* audit, const auto& open) {
            auto row = log.find(id);
            const auto before = row;
            if (!row || !ApplyManualEdit(*row, pickedDate, pickedTime, modeIndex))
                throw DbError("no row");
            open(before->systime);
            open(row->systime);
            log.update(*row);
            if (audit)
                audit->write(audit::kRecordEdited, RowSubject(id), LogRecordAuditText(*before),
                             LogRecordAuditText(*row));
        });
    } catch (const PeriodClosed& closed) {
        messages.error(closed.message);
        return false;
    } catch (const DbError&) {
        messages.error(text::kErrorUpdatingRecord);
        return false;
    }
    messages.information(text::kRecordUpdated);
    return true;
}

bool DeleteAttendanceRecord(Connection& att, std::optional<qint64> id, Messages& messages,
                            const QString& auditDb) {
    LogTable log(att);
    if (!id || log.count() == 0) {
        messages.information(text::kNoRecordToDelete);
        return false;
    }
    if (!messages.confirm(text::kConfirmDeleteLogRecord)) return false;
    try {
        auto row = log.find(*id);
        if (!row) return false;
        bool removed = false;
        Audited(att, auditDb, [&](AuditLog* audit, const auto& open) {
            open(row->systime);
            removed = log.remove(*id);
            if (removed && audit)
                audit->write(audit::kRecordDeleted, RowSubject(*id), LogRecordAuditText(*row),
                             QString());
        });
        // The picture goes once the row is gone for good.
        if (removed) QFile::remove(PicturePath(row->cardno, row->systime));
        return removed;
    } catch (const PeriodClosed& closed) {
        messages.error(closed.message);
        return false;
    } catch (const DbError& e) {
        messages.error(e.text());
        return false;
    }
}

}  // namespace horalog
