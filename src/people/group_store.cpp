#include "people/group_store.h"

#include "common/format.h"
#include "common/texts.h"
#include "storage/audit.h"
#include "storage/lookups.h"
#include "storage/rows.h"

namespace horalog {

namespace {

const char* kGroupColumns =
    "ID, DESCX, WD_FROM_1, WD_TO_1, WD_FROM_2, WD_TO_2, SAT_ENABLE_1, SAT_FROM_1, SAT_TO_1, "
    "SAT_ENABLE_2, SAT_FROM_2, SAT_TO_2, OT_MIN, OT_MULTI";

WorkGroup GroupFromRow(const Statement& q) {
    WorkGroup g;
    g.id = q.integer("ID");
    g.descx = q.text("DESCX");
    g.wd_from_1 = q.dateTime("WD_FROM_1");
    g.wd_to_1 = q.dateTime("WD_TO_1");
    g.wd_from_2 = q.dateTime("WD_FROM_2");
    g.wd_to_2 = q.dateTime("WD_TO_2");
    g.sat_enable_1 = q.boolean("SAT_ENABLE_1");
    g.sat_from_1 = q.dateTime("SAT_FROM_1");
    g.sat_to_1 = q.dateTime("SAT_TO_1");
    g.sat_enable_2 = q.boolean("SAT_ENABLE_2");
    g.sat_from_2 = q.dateTime("SAT_FROM_2");
    g.sat_to_2 = q.dateTime("SAT_TO_2");
    g.ot_min = q.integer("OT_MIN");
    g.ot_multi = q.integer("OT_MULTI");
    return g;
}

QVariant TimeOfDay(DateTime t) {
    return t.timePart().value;
}

}  // namespace

std::vector<WorkGroup> GroupsById(Connection& src) {
    auto q = src.prepare(QString("SELECT %1 FROM gid ORDER BY ID").arg(kGroupColumns));
    std::vector<WorkGroup> out;
    while (q.next()) out.push_back(GroupFromRow(q));
    return out;
}

std::optional<WorkGroup> LoadGroup(Connection& src, int id) {
    auto q = src.prepare(QString("SELECT %1 FROM gid WHERE ID = ?").arg(kGroupColumns));
    q.bindAll(id);
    if (!q.next()) return std::nullopt;
    return GroupFromRow(q);
}

namespace {
// A group as the audit trail shows it: its name and hours.
QString GroupAuditText(Connection& src, int id) {
    const auto g = LoadGroup(src, id);
    if (!g) return QString();
    return QString("%1, %2-%3 %4-%5, overtime %6/%7 min")
        .arg(g->descx, GroupListTime(g->wd_from_1), GroupListTime(g->wd_to_1),
             GroupListTime(g->wd_from_2), GroupListTime(g->wd_to_2))
        .arg(g->ot_min)
        .arg(g->ot_multi);
}
}  // namespace

int StoreGroup(Connection& src, const WorkGroup& g, Messages& messages) {
    const Fields fields = {
        {"DESCX", g.descx},
        {"WD_FROM_1", TimeOfDay(g.wd_from_1)},
        {"WD_TO_1", TimeOfDay(g.wd_to_1)},
        {"WD_FROM_2", TimeOfDay(g.wd_from_2)},
        {"WD_TO_2", TimeOfDay(g.wd_to_2)},
        {"SAT_ENABLE_1", g.sat_enable_1 ? 1 : 0},
        {"SAT_FROM_1", TimeOfDay(g.sat_from_1)},
        {"SAT_TO_1", TimeOfDay(g.sat_to_1)},
        {"SAT_ENABLE_2", g.sat_enable_2 ? 1 : 0},
        {"SAT_FROM_2", TimeOfDay(g.sat_from_2)},
        {"SAT_TO_2", TimeOfDay(g.sat_to_2)},
        {"OT_MIN", g.ot_min},
        {"OT_MULTI", g.ot_multi},
    };
    try {
        Transaction tr(src);
        int id = GroupIdOf(src, g.descx);
        const QString before = id > 0 ? GroupAuditText(src, id) : QString();
        if (id > 0)
            UpdateRow(src, "gid", "ID", id, fields);
        else
            id = int(AppendRow(src, "gid", fields));
        const QString after = GroupAuditText(src, id);
        if (after != before)
            AuditLog(src).write(before.isEmpty() ? audit::kGroupAdded : audit::kGroupChanged,
                                g.descx, before, after);
        tr.commit();
        return id;
    } catch (const DbError&) {
        messages.error(text::kUpdateFailed);
        return kDefaultGroupId;
    }
}

GroupChoice GroupChoices(Connection& src, int groupId) {
    GroupChoice c;
    auto q = src.prepare("SELECT ID, DESCX FROM gid ORDER BY DESCX, ID");
    while (q.next()) {
        c.ids.push_back(q.integer("ID"));
        c.names << q.text("DESCX");
    }
    c.selected = GroupChoiceIndex(c.ids, groupId);
    return c;
}

bool DeleteGroup(Connection& src, int id, Messages& messages) {
    const QString refusal = GroupDeleteRefusal(id > 0 ? int(CountRows(src, "gid")) : 0, id);
    if (!refusal.isEmpty()) {
        messages.error(refusal);
        return false;
    }
    try {
        if (!messages.confirm(
                GroupDeleteQuestion(GroupMemberCount(src, id), GroupName(src, kDefaultGroupId))))
            return false;
        // The members go to the default group with the deletion or not at all: a holder
        // never keeps a group that no longer exists.
        Transaction tr(src);
        const QString before = GroupAuditText(src, id);
        auto move = src.prepare("UPDATE staffs SET WORKGRP = ? WHERE WORKGRP = ?");
        move.bindAll(kDefaultGroupId, id);
        move.exec();
        if (!DeleteRow(src, "gid", "ID", id)) return false;
        AuditLog(src).write(audit::kGroupDeleted, before.section(',', 0, 0), before, QString());
        tr.commit();
        return true;
    } catch (const DbError&) {
        messages.error(text::kUpdateFailed);
        return false;
    }
}

qint64 GroupMemberCount(Connection& src, int id) {
    auto q = src.prepare("SELECT count(*) FROM staffs WHERE WORKGRP = ?");
    q.bindAll(id);
    return q.next() ? q.value(0).toLongLong() : 0;
}

std::vector<TimetableRow> TimetableOf(Connection& src, int gid) {
    auto q = src.prepare(
        "SELECT ID, gid, timein, timeout FROM timetbl WHERE gid = ? "
        "ORDER BY timein, ID");
    q.bindAll(gid);
    std::vector<TimetableRow> out;
    while (q.next())
        out.push_back(
            {q.int64("ID"), q.integer("gid"), {q.dateTime("timein"), q.dateTime("timeout")}});
    return out;
}

InputCheck<PeriodField> AddTimetablePeriod(Connection& src, int gid, const TimePeriod& period) {
    try {
        std::vector<TimePeriod> existing;
        for (const TimetableRow& r : TimetableOf(src, gid)) existing.push_back(r.period);
        const auto check = CheckNewPeriod(period, existing);
        if (!check.ok) return check;
        Transaction tr(src);
        AppendRow(
            src, "timetbl",
            {{"gid", gid}, {"timein", TimeOfDay(period.from)}, {"timeout", TimeOfDay(period.to)}});
        AuditLog(src).write(audit::kTimetableChanged, GroupName(src, gid), QString(),
                            TimetableTime(period.from) + " - " + TimetableTime(period.to));
        tr.commit();
        return check;
    } catch (const DbError&) {
        return InputCheck<PeriodField>::refuse(PeriodField::From, text::kUpdateFailed);
    }
}

bool DeleteTimetablePeriod(Connection& src, std::optional<qint64> id, Messages& messages) {
    if (!id) {
        messages.error(text::kNoDataRecord);
        return false;
    }
    if (!messages.confirm(text::kConfirmDelete)) return false;
    try {
        Transaction tr(src);
        auto q = src.prepare("SELECT gid, timein, timeout FROM timetbl WHERE ID = ?");
        q.bindAll(*id);
        if (!q.next()) return false;
        const QString group = GroupName(src, q.integer("gid"));
        const QString period =
            TimetableTime(q.dateTime("timein")) + " - " + TimetableTime(q.dateTime("timeout"));
        q.reset();
        if (!DeleteRow(src, "timetbl", "ID", *id)) return false;
        AuditLog(src).write(audit::kTimetableChanged, group, period, QString());
        tr.commit();
        return true;
    } catch (const DbError&) {
        messages.error(text::kUpdateFailed);
        return false;
    }
}

QString GroupListTime(DateTime t) {
    return FormatDateTime("AM/PMhh:mm", t);
}

QString TimetableTime(DateTime t) {
    return FormatDateTime("AM/PM hh:mm", t);
}

}  // namespace horalog
