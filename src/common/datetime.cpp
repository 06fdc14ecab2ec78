#include "common/datetime.h"

#include <cmath>

namespace horalog {

namespace {
constexpr qint64 kMsPerDay = 86400000;
constexpr qint64 kEpochJulianDay = 2415019;  // 1899-12-30

qint64 daysSinceEpoch(const QDate& d) { return d.toJulianDay() - kEpochJulianDay; }

// Splits a value into a day number and milliseconds of the day. Negative values keep the
// old convention: the integer part is the day, the fraction's magnitude is the time.
void split(double v, qint64& day, qint64& ms) {
    double whole = std::trunc(v);
    double frac = std::fabs(v - whole);
    day = static_cast<qint64>(whole);
    ms = static_cast<qint64>(std::llround(frac * kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        day += v < 0 ? -1 : 1;
    }
}

double join(qint64 day, qint64 ms) {
    double frac = static_cast<double>(ms) / kMsPerDay;
    return day >= 0 ? day + frac : day - frac;
}
}  // namespace

DateTime DateTime::fromQDateTime(const QDateTime& dt) {
    QDateTime local = dt.toLocalTime();
    return DateTime(join(daysSinceEpoch(local.date()), local.time().msecsSinceStartOfDay()));
}

DateTime DateTime::fromDate(const QDate& d) { return DateTime(double(daysSinceEpoch(d))); }

DateTime DateTime::fromTime(const QTime& t) {
    return DateTime(double(t.msecsSinceStartOfDay()) / kMsPerDay);
}

QDateTime DateTime::toQDateTime() const { return QDateTime(date(), time()); }

QDate DateTime::date() const {
    qint64 day, ms;
    split(value, day, ms);
    return QDate::fromJulianDay(kEpochJulianDay + day);
}

QTime DateTime::time() const { return QTime::fromMSecsSinceStartOfDay(msecsOfDay()); }

int DateTime::msecsOfDay() const {
    qint64 day, ms;
    split(value, day, ms);
    return static_cast<int>(ms);
}

int DateTime::dayNumber() const {
    qint64 day, ms;
    split(value, day, ms);
    return static_cast<int>(day);
}

DateTime DateTime::datePart() const { return DateTime(double(dayNumber())); }

DateTime DateTime::timePart() const { return DateTime(double(msecsOfDay()) / kMsPerDay); }

DateTime EncodeDate(int year, int month, int day) {
    return DateTime::fromDate(QDate(year, month, day));
}

DateTime EncodeTime(int hour, int minute, int second, int msec) {
    qint64 ms = ((qint64(hour) * 60 + minute) * 60 + second) * 1000 + msec;
    return DateTime(double(ms) / kMsPerDay);
}

DateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                        int msec) {
    qint64 d = daysSinceEpoch(QDate(year, month, day));
    return DateTime(join(d, ((qint64(hour) * 60 + minute) * 60 + second) * 1000 + msec));
}

void DecodeDate(DateTime t, int& year, int& month, int& day) {
    t.date().getDate(&year, &month, &day);
}

void DecodeTime(DateTime t, int& hour, int& minute, int& second, int& msec) {
    int ms = t.msecsOfDay();
    hour = ms / 3600000;
    minute = ms / 60000 % 60;
    second = ms / 1000 % 60;
    msec = ms % 1000;
}

DateTime WholeSeconds(DateTime t) {
    qint64 day, ms;
    split(t.value, day, ms);
    return DateTime(join(day, ms - ms % 1000));
}

int CompareTimeOfDay(DateTime a, DateTime b) {
    int d = a.msecsOfDay() - b.msecsOfDay();
    if (d > 1) return 1;
    if (d < -1) return -1;
    return 0;
}

qint64 SecondsBetween(DateTime from, DateTime to) {
    return std::llround((to.value - from.value) * 86400.0);
}

Clock SystemClock() {
    return [] { return DateTime::fromQDateTime(QDateTime::currentDateTime()); };
}

Clock FixedClock(DateTime t) {
    return [t] { return t; };
}

}  // namespace horalog
