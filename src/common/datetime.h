#pragma once
// The one date-time value of the system: days since 1899-12-30 with the time of day as the
// fraction, in local time. Stored as REAL in the databases.

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <compare>
#include <functional>

namespace horalog {

struct DateTime {
    double value = 0.0;

    constexpr DateTime() = default;
    constexpr explicit DateTime(double v) : value(v) {}

    static DateTime fromQDateTime(const QDateTime& dt);
    static DateTime fromDate(const QDate& d);
    static DateTime fromTime(const QTime& t);  // zero date part
    QDateTime toQDateTime() const;
    QDate date() const;
    QTime time() const;  // rounded to the millisecond

    DateTime datePart() const;  // midnight of the same day
    DateTime timePart() const;  // time of day only, zero date part

    // Milliseconds since midnight, rounded; 0..86399999.
    int msecsOfDay() const;
    // Whole days since 1899-12-30 (the date part as an integer).
    int dayNumber() const;

    DateTime addDays(double d) const { return DateTime(value + d); }
    DateTime addSecs(double s) const { return DateTime(value + s / 86400.0); }

    friend constexpr bool operator==(DateTime a, DateTime b) = default;
    friend constexpr auto operator<=>(DateTime a, DateTime b) = default;
};

// Encode and decode of date and time fields. EncodeTime gives a zero date part.
DateTime EncodeDate(int year, int month, int day);
DateTime EncodeTime(int hour, int minute, int second, int msec = 0);
DateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                        int msec = 0);
void DecodeDate(DateTime t, int& year, int& month, int& day);
void DecodeTime(DateTime t, int& hour, int& minute, int& second, int& msec);

// t with its milliseconds set to 0.
DateTime WholeSeconds(DateTime t);

// Times of day compare by time of day with one millisecond of tolerance.
int CompareTimeOfDay(DateTime a, DateTime b);  // -1, 0, 1
inline bool SameTimeOfDay(DateTime a, DateTime b) { return CompareTimeOfDay(a, b) == 0; }

// Duration in seconds (rounded) between two values.
qint64 SecondsBetween(DateTime from, DateTime to);

// The injectable clock: code that needs "now" takes a Clock; tests hand a fixed one.
using Clock = std::function<DateTime()>;
Clock SystemClock();
Clock FixedClock(DateTime t);

}  // namespace horalog
