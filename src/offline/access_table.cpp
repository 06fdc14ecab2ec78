#include "offline/access_table.h"

#include <QCoreApplication>

#include "common/ports.h"
#include "offline/offline_link.h"
#include "reader/reader_ports.h"
#include "storage/database.h"

namespace horalog {

namespace {

QString OrderBy(const QString& column, const char* table) {
    const QString c = column.toUpper();
    if (c == "CARDNO") return QString("%1.CARDNO").arg(table);
    if (c == "WORKGROUP" || c == "DESCX") return "gid.DESCX COLLATE NOCASE, 2";
    if (c == "GID" || c == "WORKGRP") return "3, 2";
    return QString("%1.NAME").arg(table);
}

std::vector<AccessRow> Rows(Statement q) {
    std::vector<AccessRow> rows;
    while (q.next()) {
        AccessRow r;
        r.cardno = q.value(0).toInt();
        r.name = q.value(1).toString();
        r.gid = q.value(2).toInt();
        r.workgroup = q.value(3).toString();
        rows.push_back(r);
    }
    return rows;
}

}  // namespace

std::vector<AccessRow> OfflineAccessTable::members(const QString& sortColumn) {
    return Rows(
        src_.prepare("SELECT offline.CARDNO, offline.NAME, offline.gid, gid.DESCX FROM offline "
                     "LEFT JOIN gid ON offline.gid = gid.ID ORDER BY " +
                     OrderBy(sortColumn, "offline")));
}

std::vector<AccessRow> OfflineAccessTable::nonMembers(const QString& sortColumn) {
    return Rows(
        src_.prepare("SELECT staffs.CARDNO, staffs.NAME, staffs.WORKGRP, gid.DESCX FROM staffs "
                     "LEFT JOIN gid ON staffs.WORKGRP = gid.ID WHERE staffs.OFFLINE = 0 ORDER BY " +
                     OrderBy(sortColumn, "staffs")));
}

bool OfflineAccessTable::setMember(int cardno, bool member) {
    try {
        auto q = src_.prepare("UPDATE staffs SET OFFLINE = ? WHERE CARDNO = ?");
        q.bindAll(member ? 1 : 0, cardno);
        q.exec();
        return src_.changes() > 0;
    } catch (const DbError&) {
        return false;
    }
}

QString MemberCaption(int count) {
    return QString("Allowed Member (%1 records)").arg(count);
}

QString NonMemberCaption(int count) {
    return QString("Denied Member (%1 records)").arg(count);
}

bool UploadAccessTable(ReaderLinks& links, const std::vector<int>& memberCards, Messages& messages,
                       Progress& progress, Clock now) {
    using namespace access_text;
    if (int(memberCards.size()) > kMaxAccessMembers) {
        messages.error(kTooMany);
        return false;
    }
    if (!messages.confirm(kConfirm)) return false;
    for (int slot = 1; slot <= 8; ++slot) {
        TRfidReader& link = links[slot];
        const QString port = link.PortName();
        if (link.Model == 0 || !link.Enable) continue;
        OfflineLink ol(link, now);
        {
            auto window = progress.open("Check reader on " + port, OfflineLink::kTildeAttempts);
            const bool px = ol.CheckReader([&](int attempt) {
                if (attempt > 1) window->step();
            });
            window->step();
            if (!px) {
                window.reset();
                messages.error("It is not an PX series reader on " + port + ".");
                return false;
            }
        }
        const QString cannot = "Cannot upload access table to " + port + ".";
        if (!ol.ClearAccessTable()) {
            messages.error(cannot);
            return false;
        }
        auto window = progress.open("Uploading access table to " + port, int(memberCards.size()));
        for (int card : memberCards) {
            QCoreApplication::processEvents();
            if (!ol.AddAccessCard(quint32(card))) {
                window.reset();
                messages.error(cannot);
                return false;
            }
            window->step();
        }
    }
    messages.information(kUploaded);
    return true;
}

}  // namespace horalog
