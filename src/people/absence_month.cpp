#include "people/absence_month.h"

#include <algorithm>
#include <map>

#include "common/datetime.h"
#include "people/time_profiles.h"
#include "storage/lookups.h"

namespace horalog {

namespace {

QString TypeName(const AbsenceMonth& m, const QString& code) {
    const AbsenceType* t = m.type(code);
    return t ? t->name : code;
}

}  // namespace

void AbsenceMonth::load(const QDate& month, const QString& group, const QString& search) {
    first_ = QDate(month.year(), month.month(), 1);
    group_ = group;
    search_ = search.trimmed();
    reload();
}

void AbsenceMonth::reload() {
    const QDate last = first_.addDays(dayCount() - 1);
    AbsenceStore store(src_);
    types_ = store.types();

    holders_.clear();
    QString sql =
        "SELECT staffs.CARDNO AS CARDNO, staffs.NAME AS NAME, gid.DESCX AS DESCX FROM staffs "
        "LEFT JOIN gid ON staffs.WORKGRP = gid.ID";
    if (!group_.isEmpty()) sql += " WHERE gid.DESCX = ?";
    auto q = src_.prepare(sql + " ORDER BY staffs.NAME");
    if (!group_.isEmpty()) q.bindAll(group_);
    while (q.next()) {
        MonthHolder h{q.integer("CARDNO"), q.text("NAME"),
                      q.isNull("DESCX") ? QString() : q.text("DESCX")};
        if (search_.isEmpty() || h.name.contains(search_, Qt::CaseInsensitive))
            holders_.push_back(std::move(h));
    }

    absences_.clear();
    for (Absence& a : store.absences(std::nullopt, first_, last)) absences_[a.cardno].push_back(a);

    holidays_.clear();
    for (const Holiday& h : ScheduleStore(src_).holidays())
        if (h.date >= first_ && h.date <= last) holidays_[int(first_.daysTo(h.date))] = h.name;

    // Which days each card has reads: one pass over the month's records, two columns.
    reads_.clear();
    const DateRange range = DateRangeClause(DateTime::fromDate(first_), DateTime::fromDate(last));
    auto r =
        att_.prepare("SELECT CARDNO, SYSTIME FROM recorder WHERE SYSTIME >= ? AND SYSTIME < ?");
    r.bindAll(range.lo, range.hi);
    const int firstNumber = DateTime::fromDate(first_).dayNumber();
    while (r.next()) {
        const int day = r.dateTime("SYSTIME").dayNumber() - firstNumber;
        if (day >= 0 && day < 32) reads_[r.integer("CARDNO")] |= quint32(1) << day;
    }
}

const AbsenceType* AbsenceMonth::type(const QString& code) const {
    auto it = std::find_if(types_.begin(), types_.end(),
                           [&](const AbsenceType& t) { return t.code == code; });
    return it == types_.end() ? nullptr : &*it;
}

std::optional<QString> AbsenceMonth::holiday(int day) const {
    auto it = holidays_.find(day);
    if (it == holidays_.end()) return std::nullopt;
    return *it;
}

const Absence* AbsenceMonth::absenceAt(int card, const QDate& d, HalfDay half) const {
    auto it = absences_.find(card);
    if (it == absences_.end()) return nullptr;
    for (const Absence& a : *it)
        if (a.from <= d && d <= a.to && (a.half == HalfDay::Full || a.half == half)) return &a;
    return nullptr;
}

MonthCell AbsenceMonth::cell(int row, int day) const {
    MonthCell c;
    const int card = holders_[std::size_t(row)].card;
    const QDate d = this->day(day);
    if (const Absence* a = absenceAt(card, d, HalfDay::First)) c.first = a->type;
    if (const Absence* a = absenceAt(card, d, HalfDay::Second)) c.second = a->type;
    c.reads = (reads_.value(card) >> day) & 1;
    return c;
}

QString AbsenceMonth::describe(int row, int day) const {
    const MonthHolder& h = holders_[std::size_t(row)];
    const QDate d = this->day(day);
    QStringList parts;
    if (auto name = holiday(day)) parts << "Holiday: " + *name;
    for (HalfDay half : {HalfDay::First, HalfDay::Second}) {
        const Absence* a = absenceAt(h.card, d, half);
        if (!a || (half == HalfDay::Second && a->half == HalfDay::Full)) continue;
        QString text = TypeName(*this, a->type);
        if (a->half == HalfDay::First) text += " (first half)";
        if (a->half == HalfDay::Second) text += " (second half)";
        if (a->from != a->to) text += ", " + AbsenceDaysText(*a);
        if (!a->note.isEmpty()) text += " (" + a->note + ")";
        parts << text;
    }
    if (cell(row, day).reads) parts << "has reads";
    if (parts.isEmpty()) parts << (Weekend(d) ? "weekend" : "at work");
    return h.name + ", " + d.toString("ddd d MMM yyyy") + ": " + parts.join("; ");
}

QString AbsenceMonth::add(const std::vector<MonthSpot>& spots, const QString& code, HalfDay half,
                          const QString& note) {
    std::map<int, std::vector<int>> days;  // by row
    for (const auto& [row, day] : spots) days[row].push_back(day);
    std::vector<Absence> all;
    for (auto& [row, list] : days) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        for (std::size_t i = 0; i < list.size();) {
            std::size_t j = i;
            while (j + 1 < list.size() && list[j + 1] == list[j] + 1) ++j;
            if (half != HalfDay::Full) j = i;  // a half day is a single day
            all.push_back(
                {0, holders_[std::size_t(row)].card, day(list[i]), day(list[j]), half, code, note});
            i = j + 1;
        }
    }
    const auto refusals = AbsenceStore(src_).addAll(all);
    reload();
    return refusals.empty() ? QString() : refusals.front().second;
}

int AbsenceMonth::remove(const std::vector<MonthSpot>& spots) {
    AbsenceStore store(src_);
    int removed = 0;
    try {
        for (const auto& [row, day] : spots)
            removed +=
                store.remove(holders_[std::size_t(row)].card, this->day(day), this->day(day));
    } catch (const AbsenceRefused&) {
        reload();  // what went before the refusal stays gone
        throw;
    }
    reload();
    return removed;
}

}  // namespace horalog
