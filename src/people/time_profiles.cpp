#include "people/time_profiles.h"

#include "storage/audit.h"

namespace horalog {

namespace {

std::atomic<int> generation{0};

const char* const kDayNames[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

int DayNumber(const QDate& d) {
    return DateTime::fromDate(d).dayNumber();
}

// The period as minutes from the midnight before its start; past midnight it ends after 1440.
std::pair<int, int> Span(const AccessPeriod& p) {
    return {p.start, p.end > p.start ? p.end : p.end + 1440};
}

QString DateText(const QDate& d) {
    return d.isValid() ? d.toString("yyyy-MM-dd") : QString();
}

}  // namespace

QString ScheduleAnswerText(ScheduleAnswer a) {
    switch (a) {
        case ScheduleAnswer::Always:
            return "admitted: profile \"Always\"";
        case ScheduleAnswer::InPeriod:
            return "admitted: inside a period of the profile";
        case ScheduleAnswer::OutsidePeriods:
            return "refused: outside schedule (no period covers the time)";
        case ScheduleAnswer::NotThisWeekday:
            return "refused: outside schedule (the profile does not apply on this weekday)";
        case ScheduleAnswer::Holiday:
            return "refused: outside schedule (a holiday, and the profile does not apply on "
                   "holidays)";
        case ScheduleAnswer::BeforeFirstDate:
            return "refused: outside schedule (before the profile's first valid date)";
        case ScheduleAnswer::AfterLastDate:
            return "refused: outside schedule (after the profile's last valid date)";
        case ScheduleAnswer::UnknownProfile:
            return "refused: the holder's profile does not exist";
    }
    return {};
}

ScheduleAnswer ProfileDecision(const TimeProfile& profile, const HolidayDays& holidays,
                               DateTime t) {
    if (profile.id == kAlwaysProfile) return ScheduleAnswer::Always;
    const QDate date = t.date();
    if (profile.first.isValid() && date < profile.first) return ScheduleAnswer::BeforeFirstDate;
    if (profile.last.isValid() && date > profile.last) return ScheduleAnswer::AfterLastDate;
    const int minute = t.msecsOfDay() / 60000;
    ScheduleAnswer answer = ScheduleAnswer::OutsidePeriods;
    for (const AccessPeriod& p : profile.periods) {
        QDate started;
        if (p.end > p.start) {
            if (minute >= p.start && minute < p.end) started = date;
        } else if (minute >= p.start) {
            started = date;
        } else if (minute < p.end) {
            started = date.addDays(-1);  // the hours after midnight belong to the day before
        }
        if (!started.isValid()) continue;
        if (!profile.days[std::size_t(started.dayOfWeek() - 1)]) {
            if (answer == ScheduleAnswer::OutsidePeriods) answer = ScheduleAnswer::NotThisWeekday;
            continue;
        }
        if (!profile.onHolidays && holidays.count(DayNumber(started))) {
            answer = ScheduleAnswer::Holiday;
            continue;
        }
        return ScheduleAnswer::InPeriod;
    }
    return answer;
}

QString MinutesText(int minutes) {
    return QString("%1:%2")
        .arg(minutes / 60, 2, 10, QChar('0'))
        .arg(minutes % 60, 2, 10, QChar('0'));
}

int ParseMinutes(const QString& text) {
    const QStringList parts = text.trimmed().split(':');
    if (parts.size() != 2 || parts[0].isEmpty() || parts[0].size() > 2 || parts[1].size() != 2)
        return -1;
    bool okH = false, okM = false;
    const int h = parts[0].toInt(&okH);
    const int m = parts[1].toInt(&okM);
    if (!okH || !okM || h < 0 || m < 0 || m > 59 || h > 24 || (h == 24 && m != 0)) return -1;
    return h * 60 + m;
}

QString PeriodText(const AccessPeriod& p) {
    return MinutesText(p.start) + "-" + MinutesText(p.end);
}

QString DaysText(const std::array<bool, 7>& days) {
    QStringList names;
    for (int d = 0; d < 7; ++d)
        if (days[std::size_t(d)]) names << kDayNames[d];
    return names.isEmpty() ? QString("no day") : names.join(' ');
}

QString ProfileText(const TimeProfile& p) {
    QStringList periods;
    for (const AccessPeriod& period : p.periods) periods << PeriodText(period);
    QString text =
        QString("%1: %2, %3")
            .arg(p.name, periods.isEmpty() ? "no period" : periods.join(' '), DaysText(p.days));
    if (p.first.isValid() || p.last.isValid())
        text += QString(", valid %1 to %2")
                    .arg(p.first.isValid() ? DateText(p.first) : "ever",
                         p.last.isValid() ? DateText(p.last) : "ever");
    text += p.onHolidays ? ", also on holidays" : ", not on holidays";
    return text;
}

QString CheckProfile(const TimeProfile& p, const std::vector<TimeProfile>& others) {
    if (p.id == kAlwaysProfile) return "The profile \"Always\" cannot be changed.";
    if (p.name.trimmed().isEmpty()) return "Enter a name for the profile.";
    for (const TimeProfile& o : others)
        if (o.id != p.id && o.name.compare(p.name.trimmed(), Qt::CaseInsensitive) == 0)
            return QString("A profile named \"%1\" exists already.").arg(o.name);
    if (p.periods.empty()) return "Enter at least one period.";
    if (p.periods.size() > std::size_t(kMaxPeriods)) return "A profile has at most three periods.";
    for (std::size_t i = 0; i < p.periods.size(); ++i) {
        const AccessPeriod& x = p.periods[i];
        if (x.start < 0 || x.start > 1439 || x.end < 1 || x.end > 1440)
            return QString("Period %1 is not a time of the day.").arg(i + 1);
        if (x.start == x.end || (x.start == 0 && x.end == 0))
            return QString("Period %1 (%2) has no length.").arg(i + 1).arg(PeriodText(x));
    }
    for (std::size_t i = 0; i < p.periods.size(); ++i)
        for (std::size_t j = i + 1; j < p.periods.size(); ++j) {
            const auto a = Span(p.periods[i]);
            const auto b = Span(p.periods[j]);
            for (int shift : {-1440, 0, 1440})
                if (a.first < b.second + shift && b.first + shift < a.second)
                    return QString("Periods %1 (%2) and %3 (%4) overlap.")
                        .arg(i + 1)
                        .arg(PeriodText(p.periods[i]))
                        .arg(j + 1)
                        .arg(PeriodText(p.periods[j]));
        }
    if (std::none_of(p.days.begin(), p.days.end(), [](bool d) { return d; }))
        return "Tick at least one weekday.";
    if (p.first.isValid() && p.last.isValid() && p.last < p.first)
        return "The last valid date is before the first.";
    return {};
}

QString ProfileNameOf(Connection& src, int id) {
    if (id == kAlwaysProfile) return kAlwaysProfileName;
    auto q = src.prepare("SELECT NAME FROM timeprofile WHERE ID = ?");
    q.bindAll(id);
    return q.next() ? q.text("NAME") : QString("#%1").arg(id);
}

int ProfileIdOf(Connection& src, const QString& name) {
    auto q = src.prepare("SELECT ID FROM timeprofile WHERE NAME = ? COLLATE NOCASE");
    q.bindAll(name.trimmed());
    return q.next() ? q.integer("ID") : -1;
}

int ScheduleGeneration() {
    return generation.load();
}

std::vector<TimeProfile> ScheduleStore::profiles() {
    std::vector<TimeProfile> out;
    auto q = src_.prepare(
        "SELECT ID, NAME, P1START, P1END, P2START, P2END, P3START, P3END, DAYS, FIRSTDAY, "
        "LASTDAY, HOLIDAYS FROM timeprofile ORDER BY ID <> 0, NAME");
    while (q.next()) {
        TimeProfile p;
        p.id = q.integer("ID");
        p.name = q.text("NAME");
        for (int i = 1; i <= kMaxPeriods; ++i) {
            const int s = q.integer(QString("P%1START").arg(i));
            const int e = q.integer(QString("P%1END").arg(i));
            if (s >= 0 && e >= 0) p.periods.push_back({s, e});
        }
        const int days = q.integer("DAYS");
        for (int d = 0; d < 7; ++d) p.days[std::size_t(d)] = days & (1 << d);
        if (const int f = q.integer("FIRSTDAY")) p.first = DateTime(f).date();
        if (const int l = q.integer("LASTDAY")) p.last = DateTime(l).date();
        p.onHolidays = q.boolean("HOLIDAYS");
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<Holiday> ScheduleStore::holidays() {
    std::vector<Holiday> out;
    auto q = src_.prepare("SELECT DAY, NAME FROM holiday ORDER BY DAY");
    while (q.next()) out.push_back({DateTime(q.integer("DAY")).date(), q.text("NAME")});
    return out;
}

HolidayDays ScheduleStore::holidayDays() {
    HolidayDays out;
    auto q = src_.prepare("SELECT DAY FROM holiday");
    while (q.next()) out.insert(q.integer("DAY"));
    return out;
}

int ScheduleStore::saveProfile(TimeProfile p) {
    p.name = p.name.trimmed();
    const std::vector<TimeProfile> all = profiles();
    const QString problem = CheckProfile(p, all);
    if (!problem.isEmpty()) throw DbError(problem);
    const TimeProfile* before = nullptr;
    for (const TimeProfile& o : all)
        if (o.id == p.id) before = &o;
    if (p.id >= 0 && !before) throw DbError(QString("No profile %1.").arg(p.id));

    int days = 0;
    for (int d = 0; d < 7; ++d)
        if (p.days[std::size_t(d)]) days |= 1 << d;
    QVariantList values{p.name};
    for (int i = 0; i < kMaxPeriods; ++i) {
        const bool used = std::size_t(i) < p.periods.size();
        values << (used ? p.periods[std::size_t(i)].start : -1)
               << (used ? p.periods[std::size_t(i)].end : -1);
    }
    values << days << (p.first.isValid() ? DayNumber(p.first) : 0)
           << (p.last.isValid() ? DayNumber(p.last) : 0) << int(p.onHolidays);

    Transaction t(src_);
    Statement q = src_.prepare(
        before ? "UPDATE timeprofile SET NAME = ?, P1START = ?, P1END = ?, P2START = ?, P2END = ?, "
                 "P3START = ?, P3END = ?, DAYS = ?, FIRSTDAY = ?, LASTDAY = ?, HOLIDAYS = ? "
                 "WHERE ID = ?"
               : "INSERT INTO timeprofile (NAME, P1START, P1END, P2START, P2END, P3START, P3END, "
                 "DAYS, FIRSTDAY, LASTDAY, HOLIDAYS) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (before) values << p.id;
    for (int i = 0; i < values.size(); ++i) q.bind(i + 1, values[i]);
    q.exec();
    if (!before) p.id = int(src_.lastInsertId());
    AuditLog(src_).write(before ? audit::kProfileChanged : audit::kProfileAdded, p.name,
                         before ? ProfileText(*before) : QString(), ProfileText(p));
    t.commit();
    ++generation;
    return p.id;
}

int ScheduleStore::holdersOn(int id) {
    auto q = src_.prepare("SELECT count(*) FROM staffs WHERE ACCESSGRP = ?");
    q.bindAll(id);
    return q.next() ? q.value(0).toInt() : 0;
}

int ScheduleStore::deleteProfile(int id) {
    if (id == kAlwaysProfile) throw DbError("The profile \"Always\" cannot be deleted.");
    std::optional<TimeProfile> before;
    for (const TimeProfile& o : profiles())
        if (o.id == id) before = o;
    if (!before) throw DbError(QString("No profile %1.").arg(id));
    Transaction t(src_);
    auto m = src_.prepare("UPDATE staffs SET ACCESSGRP = ? WHERE ACCESSGRP = ?");
    m.bindAll(kAlwaysProfile, id);
    m.exec();
    const int moved = src_.changes();
    auto d = src_.prepare("DELETE FROM timeprofile WHERE ID = ?");
    d.bindAll(id);
    d.exec();
    AuditLog(src_).write(
        audit::kProfileDeleted, before->name, ProfileText(*before),
        moved ? QString("%1 holder(s) moved to \"Always\"").arg(moved) : QString());
    t.commit();
    ++generation;
    return moved;
}

void ScheduleStore::saveHoliday(const Holiday& h) {
    if (!h.date.isValid()) throw DbError("Enter the date of the holiday.");
    if (h.name.trimmed().isEmpty()) throw DbError("Enter a name for the holiday.");
    const QString subject = DateText(h.date);
    QString old;
    {
        auto q = src_.prepare("SELECT NAME FROM holiday WHERE DAY = ?");
        q.bindAll(DayNumber(h.date));
        if (q.next()) old = q.text("NAME");
    }
    Transaction t(src_);
    auto d = src_.prepare("DELETE FROM holiday WHERE DAY = ?");
    d.bindAll(DayNumber(h.date));
    d.exec();
    auto i = src_.prepare("INSERT INTO holiday (DAY, NAME) VALUES (?, ?)");
    i.bindAll(DayNumber(h.date), h.name.trimmed());
    i.exec();
    AuditLog(src_).write(old.isEmpty() ? audit::kHolidayAdded : audit::kHolidayChanged, subject,
                         old, h.name.trimmed());
    t.commit();
    ++generation;
}

void ScheduleStore::deleteHoliday(const QDate& date) {
    QString old;
    {
        auto q = src_.prepare("SELECT NAME FROM holiday WHERE DAY = ?");
        q.bindAll(DayNumber(date));
        if (!q.next()) return;
        old = q.text("NAME");
    }
    Transaction t(src_);
    auto d = src_.prepare("DELETE FROM holiday WHERE DAY = ?");
    d.bindAll(DayNumber(date));
    d.exec();
    AuditLog(src_).write(audit::kHolidayDeleted, DateText(date), old);
    t.commit();
    ++generation;
}

void ScheduleBook::refresh(Connection& src) {
    const int now = ScheduleGeneration();
    if (now == generation_) return;
    ScheduleStore store(src);
    std::map<int, TimeProfile> profiles;
    for (TimeProfile& p : store.profiles()) profiles.emplace(p.id, std::move(p));
    holidays_ = store.holidayDays();
    profiles_ = std::move(profiles);
    generation_ = now;
}

const TimeProfile* ScheduleBook::profile(int id) const {
    const auto it = profiles_.find(id);
    return it == profiles_.end() ? nullptr : &it->second;
}

ScheduleAnswer ScheduleBook::decide(int profileId, DateTime t) const {
    if (profileId == kAlwaysProfile) return ScheduleAnswer::Always;
    const TimeProfile* p = profile(profileId);
    if (!p) return ScheduleAnswer::UnknownProfile;
    return ProfileDecision(*p, holidays_, t);
}

}  // namespace horalog
