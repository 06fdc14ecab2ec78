#include "people/absences.h"

#include <QRegularExpression>

#include "common/datetime.h"
#include "people/door_rights.h"
#include "people/period_close.h"
#include "storage/audit.h"
#include "storage/staff_table.h"

namespace horalog {

namespace {

int DayNumber(const QDate& d) {
    return DateTime::fromDate(d).dayNumber();
}

QDate DateOf(qint64 dayNumber) {
    return DateTime(double(dayNumber)).date();
}

QString DateText(const QDate& d) {
    return d.toString("yyyy-MM-dd");
}

// "V Vacation 2026-12-21 to 2026-12-24 (note)": the audit trail's text of an absence.
QString AuditText(const Absence& a, const QString& typeName) {
    QString text = a.type + " " + typeName + " " + AbsenceDaysText(a);
    if (!a.note.isEmpty()) text += " (" + a.note + ")";
    return text;
}

}  // namespace

QString AbsenceTypeText(const AbsenceType& t) {
    QString pay = "unpaid";
    if (t.paid)
        pay = t.hours < 0 ? QString("paid (group hours)")
                          : QString("paid (%1 h)").arg(QString::number(t.hours));
    return t.code + " " + t.name + ", " + pay + ", " + t.colour;
}

QString CheckAbsenceType(const AbsenceType& t) {
    if (t.code.size() != 1 || !t.code[0].isLetter() || t.code != t.code.toUpper())
        return "The code of an absence type is one capital letter.";
    if (t.code == "H") return "H stands for the holidays: choose another letter.";
    if (t.name.trimmed().isEmpty()) return "An absence type needs a name.";
    if (t.hours != -1 && (t.hours < 0 || t.hours > 24))
        return "The paid hours of a day are the group's, or 0 to 24.";
    if (!QRegularExpression("^#[0-9a-fA-F]{6}$").match(t.colour).hasMatch())
        return "A colour is written #rrggbb.";
    return {};
}

QString AbsenceDaysText(const Absence& a) {
    if (a.half != HalfDay::Full)
        return DateText(a.from) + (a.half == HalfDay::First ? " first half" : " second half");
    if (a.from == a.to) return DateText(a.from);
    return DateText(a.from) + " to " + DateText(a.to);
}

bool AbsencesOverlap(const Absence& a, const Absence& b) {
    if (a.to < b.from || b.to < a.from) return false;
    const bool halves = a.half != HalfDay::Full && b.half != HalfDay::Full && a.half != b.half;
    return !halves;
}

std::vector<AbsenceType> AbsenceStore::types() {
    std::vector<AbsenceType> out;
    auto q = src_.prepare("SELECT CODE, NAME, PAID, HOURS, COLOUR FROM absencetype ORDER BY CODE");
    while (q.next())
        out.push_back({q.text("CODE"), q.text("NAME"), q.integer("PAID") != 0,
                       q.value("HOURS").toDouble(), q.text("COLOUR")});
    return out;
}

std::optional<AbsenceType> AbsenceStore::type(const QString& code) {
    for (AbsenceType& t : types())
        if (t.code == code) return t;
    return std::nullopt;
}

std::vector<Absence> AbsenceStore::absences(std::optional<int> cardno, std::optional<QDate> from,
                                            std::optional<QDate> to) {
    QString sql = "SELECT ID, CARDNO, FIRSTDAY, LASTDAY, HALF, TYPE, NOTE FROM absence WHERE 1 = 1";
    QVariantList values;
    if (cardno) {
        sql += " AND CARDNO = ?";
        values << *cardno;
    }
    if (to) {
        sql += " AND FIRSTDAY <= ?";
        values << DayNumber(*to);
    }
    if (from) {
        sql += " AND LASTDAY >= ?";
        values << DayNumber(*from);
    }
    sql += " ORDER BY CARDNO, FIRSTDAY, HALF";
    auto q = src_.prepare(sql);
    for (int i = 0; i < values.size(); ++i) q.bind(i + 1, values[i]);
    std::vector<Absence> out;
    // By position: a report reads every absence of its period through here.
    while (q.next())
        out.push_back({q.value(0).toLongLong(), q.value(1).toInt(), DateOf(q.value(2).toLongLong()),
                       DateOf(q.value(3).toLongLong()), HalfDay(q.value(4).toInt()),
                       q.value(5).toString(), q.value(6).toString()});
    return out;
}

void AbsenceStore::saveType(const AbsenceType& t) {
    if (const QString why = CheckAbsenceType(t); !why.isEmpty()) throw AbsenceRefused{why};
    AbsenceType stored = t;
    stored.name = t.name.trimmed();
    Transaction tx(src_);
    const std::optional<AbsenceType> before = type(t.code);
    auto q = src_.prepare(before ? "UPDATE absencetype SET NAME = ?, PAID = ?, HOURS = ?, "
                                   "COLOUR = ? WHERE CODE = ?"
                                 : "INSERT INTO absencetype (NAME, PAID, HOURS, COLOUR, CODE) "
                                   "VALUES (?, ?, ?, ?, ?)");
    q.bindAll(stored.name, stored.paid ? 1 : 0, stored.hours, stored.colour, stored.code);
    q.exec();
    AuditLog(src_).write(before ? audit::kAbsenceTypeChanged : audit::kAbsenceTypeAdded,
                         stored.code, before ? AbsenceTypeText(*before) : QString(),
                         AbsenceTypeText(stored));
    tx.commit();
}

void AbsenceStore::deleteType(const QString& code) {
    const std::optional<AbsenceType> before = type(code);
    if (!before) return;
    auto used = src_.prepare("SELECT count(*) AS N FROM absence WHERE TYPE = ?");
    used.bindAll(code);
    const qint64 n = used.next() ? used.int64("N") : 0;
    if (n > 0)
        throw AbsenceRefused{QString("%1 absence(s) are of type %2 %3: it cannot be deleted.")
                                 .arg(n)
                                 .arg(code, before->name)};
    Transaction tx(src_);
    auto d = src_.prepare("DELETE FROM absencetype WHERE CODE = ?");
    d.bindAll(code);
    d.exec();
    AuditLog(src_).write(audit::kAbsenceTypeDeleted, code, AbsenceTypeText(*before));
    tx.commit();
}

qint64 AbsenceStore::insert(const Absence& a) {
    const std::optional<HolderRecord> record = StaffTable(src_).byCard(a.cardno);
    if (!record) throw AbsenceRefused{QString("No holder has card %1.").arg(a.cardno)};
    const QString holder = HolderSubject(*record);
    const std::optional<AbsenceType> kind = type(a.type);
    if (!kind) throw AbsenceRefused{QString("There is no absence type \"%1\".").arg(a.type)};
    if (!a.from.isValid() || !a.to.isValid() || a.to < a.from)
        throw AbsenceRefused{"The last day of an absence cannot come before its first day."};
    if (a.half != HalfDay::Full && a.from != a.to)
        throw AbsenceRefused{"A half-day absence is one day long."};
    if (const PeriodState period = CurrentPeriod(src_); period.Closes(a.from))
        throw AbsenceRefused{PeriodClosedText(period.closedTo)};
    for (const Absence& other : absences(a.cardno, a.from, a.to)) {
        if (!AbsencesOverlap(a, other)) continue;
        const std::optional<AbsenceType> otherKind = type(other.type);
        throw AbsenceRefused{
            QString("%1 already has an absence then: %2 %3.")
                .arg(holder, otherKind ? otherKind->name : other.type, AbsenceDaysText(other))};
    }
    auto i = src_.prepare(
        "INSERT INTO absence (CARDNO, FIRSTDAY, LASTDAY, HALF, TYPE, NOTE) "
        "VALUES (?, ?, ?, ?, ?, ?)");
    i.bindAll(a.cardno, DayNumber(a.from), DayNumber(a.to), int(a.half), a.type, a.note.trimmed());
    i.exec();
    const qint64 id = src_.lastInsertId();
    AuditLog(src_).write(audit::kAbsenceAdded, holder, QString(), AuditText(a, kind->name));
    return id;
}

qint64 AbsenceStore::add(const Absence& a) {
    Transaction t(src_);
    const qint64 id = insert(a);
    t.commit();
    return id;
}

std::vector<std::pair<std::size_t, QString>> AbsenceStore::addAll(const std::vector<Absence>& all) {
    std::vector<std::pair<std::size_t, QString>> refusals;
    Transaction t(src_);
    for (std::size_t i = 0; i < all.size(); ++i) {
        try {
            insert(all[i]);
        } catch (const AbsenceRefused& r) {
            refusals.emplace_back(i, r.message);
        }
    }
    if (refusals.empty()) t.commit();
    return refusals;
}

int AbsenceStore::remove(int cardno, const QDate& from, const QDate& to) {
    const std::vector<Absence> gone = absences(cardno, from, to);
    erase(gone);
    return int(gone.size());
}

bool AbsenceStore::removeOne(qint64 id) {
    auto q = src_.prepare("SELECT CARDNO, FIRSTDAY FROM absence WHERE ID = ?");
    q.bindAll(id);
    if (!q.next()) return false;
    const QDate day = DateOf(q.int64("FIRSTDAY"));
    std::vector<Absence> gone;
    for (const Absence& a : absences(q.integer("CARDNO"), day, day))
        if (a.id == id) gone.push_back(a);
    erase(gone);
    return !gone.empty();
}

void AbsenceStore::erase(const std::vector<Absence>& gone) {
    if (gone.empty()) return;
    const PeriodState period = CurrentPeriod(src_);
    for (const Absence& a : gone)
        if (period.Closes(a.from)) throw AbsenceRefused{PeriodClosedText(period.closedTo)};
    const std::optional<HolderRecord> holder = StaffTable(src_).byCard(gone.front().cardno);
    const QString subject = holder ? HolderSubject(*holder) : QString::number(gone.front().cardno);
    Transaction t(src_);
    auto d = src_.prepare("DELETE FROM absence WHERE ID = ?");
    for (const Absence& a : gone) {
        d.bindAll(a.id);
        d.exec();
        d.reset();
        const std::optional<AbsenceType> kind = type(a.type);
        AuditLog(src_).write(audit::kAbsenceDeleted, subject,
                             AuditText(a, kind ? kind->name : a.type));
    }
    t.commit();
}

}  // namespace horalog
