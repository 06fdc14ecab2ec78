#pragma once
// The one formatter of dates and times for display and files, and the small text helpers
// built on it (mode names, durations).

#include <QLocale>
#include <QString>

#include "common/datetime.h"

namespace horalog {

// Format letters: d dd ddd dddd, m mm mmm mmmm (month, or minutes right after an hour),
// yy yyyy, h hh (HH alike), n nn (minutes), s ss, z zzz, "AM/PM" "am/pm" "A/P" "AMPM"
// (12-hour clock), "/" and ":" the locale's separators, text in quotes as it is, every
// other character as it is. Letters are case-insensitive; month and weekday names follow
// the locale (the default locale unless one is given).
QString FormatDateTime(const QString& format, DateTime t, const QLocale& locale = QLocale());

// The locale's date and time separators.
QChar DateSeparator(const QLocale& locale = QLocale());
QChar TimeSeparator(const QLocale& locale = QLocale());

// The machine's long time format (hours, minutes, seconds) as format letters of
// FormatDateTime, and the lenient parse that reads it back (also "17:00", "9:00 AM").
QString LongTimeFormat(const QLocale& locale = QLocale());
bool ParseTimeOfDay(const QString& text, DateTime& out, const QLocale& locale = QLocale());

// 0 "CLOCK", 1 "IN", 2 "OUT", anything else "N/A".
QString ModeName(int mode);
// 0 "[CLOCK]", 1 "[IN]   ", 2 "[OUT]  ", anything else "".
QString ModeTag(int mode);

// A duration in seconds as "HH:mm:ss" with hours past 24 kept (26:05:00).
QString FormatDuration(qint64 seconds);
// "(HH:mm:ss)"
QString FormatDurationParen(qint64 seconds);
// "%2.2d:%2.2d:%2.2d " of report totals: hours, minutes, seconds and a blank.
QString FormatTotal(qint64 seconds);
// "168:30", "-7:05": a duration as hours and minutes (seconds cut off, towards zero).
QString HoursMinutes(qint64 seconds);
// "168.50": a duration in decimal hours, two places.
QString DecimalHours(qint64 seconds);

}  // namespace horalog
