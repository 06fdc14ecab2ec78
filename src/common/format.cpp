#include "common/format.h"

#include <QRegularExpression>

namespace horalog {

namespace {

QChar firstSeparator(const QString& fmt, QChar fallback) {
    for (QChar c : fmt) {
        if (!c.isLetter() && !c.isSpace() && c != '\'') return c;
    }
    return fallback;
}

bool startsWithCI(const QString& s, int pos, const char* what) {
    return s.mid(pos, int(strlen(what))).compare(QLatin1String(what), Qt::CaseInsensitive) == 0;
}

QString num(int v, int width) { return QString::number(v).rightJustified(width, '0'); }

}  // namespace

QChar DateSeparator(const QLocale& locale) {
    return firstSeparator(locale.dateFormat(QLocale::ShortFormat), '/');
}

QChar TimeSeparator(const QLocale& locale) {
    return firstSeparator(locale.timeFormat(QLocale::ShortFormat), ':');
}

QString FormatDateTime(const QString& format, DateTime t, const QLocale& locale) {
    int year, month, day, hour, minute, second, msec;
    DecodeDate(t, year, month, day);
    DecodeTime(t, hour, minute, second, msec);
    const int dow = t.date().dayOfWeek();  // 1 = Monday

    QString out;
    QChar lastToken = ' ';
    bool use12Hour = false;
    const int n = format.size();
    int i = 0;
    auto countOf = [&](QChar c) {
        int k = i + 1;
        while (k < n && format[k].toUpper() == c) ++k;
        return k - i;
    };
    while (i < n) {
        QChar c = format[i];
        QChar token = c.toUpper();
        if (token.isLetter() && token.unicode() < 128) {
            if (token == 'M' && lastToken == 'H') token = 'N';
            lastToken = token;
        }
        switch (token.unicode()) {
        case 'Y': {
            int count = countOf('Y');
            out += count <= 2 ? num(year % 100, 2) : num(year, 4);
            i += count;
            break;
        }
        case 'M': {
            int count = countOf('M');
            if (count <= 2)
                out += num(month, count);
            else if (count == 3)
                out += locale.monthName(month, QLocale::ShortFormat);
            else
                out += locale.monthName(month, QLocale::LongFormat);
            i += count;
            break;
        }
        case 'D': {
            int count = countOf('D');
            if (count <= 2)
                out += num(day, count);
            else if (count == 3)
                out += locale.dayName(dow, QLocale::ShortFormat);
            else
                out += locale.dayName(dow, QLocale::LongFormat);
            i += count;
            break;
        }
        case 'H': {
            int count = countOf('H');
            // A 12-hour marker later in the text (before the next hour) also makes it 12-hour.
            bool inQuotes = false;
            for (int k = i + count; k < n; ++k) {
                QChar p = format[k];
                if (p == '"' || p == '\'') inQuotes = !inQuotes;
                if (inQuotes) continue;
                if (p.toUpper() == 'H') break;
                if (p.toUpper() == 'A') {
                    if (startsWithCI(format, k, "AM/PM") || startsWithCI(format, k, "A/P") ||
                        startsWithCI(format, k, "AMPM"))
                        use12Hour = true;
                    break;
                }
            }
            int h = hour;
            if (use12Hour) h = h == 0 ? 12 : (h > 12 ? h - 12 : h);
            out += num(h, count >= 2 ? 2 : 1);
            i += count;
            break;
        }
        case 'N': {
            int count = c.toUpper() == 'M' ? countOf('M') : countOf('N');
            out += num(minute, count >= 2 ? 2 : 1);
            i += count;
            break;
        }
        case 'S': {
            int count = countOf('S');
            out += num(second, count >= 2 ? 2 : 1);
            i += count;
            break;
        }
        case 'Z': {
            int count = countOf('Z');
            out += num(msec, count >= 2 ? 3 : 1);
            i += count;
            break;
        }
        case 'A': {
            if (startsWithCI(format, i, "AM/PM")) {
                out += hour >= 12 ? format.mid(i + 3, 2) : format.mid(i, 2);
                i += 5;
                use12Hour = true;
            } else if (startsWithCI(format, i, "A/P")) {
                out += hour >= 12 ? format.mid(i + 2, 1) : format.mid(i, 1);
                i += 3;
                use12Hour = true;
            } else if (startsWithCI(format, i, "AMPM")) {
                out += hour >= 12 ? locale.pmText() : locale.amText();
                i += 4;
                use12Hour = true;
            } else {
                out += c;
                ++i;
            }
            break;
        }
        case '/':
            out += DateSeparator(locale);
            ++i;
            break;
        case ':':
            out += TimeSeparator(locale);
            ++i;
            break;
        case '"':
        case '\'': {
            int end = format.indexOf(c, i + 1);
            if (end < 0) end = n;
            out += format.mid(i + 1, end - i - 1);
            i = end + 1;
            break;
        }
        default:
            out += c;
            ++i;
            break;
        }
    }
    return out;
}

QString LongTimeFormat(const QLocale& locale) {
    // Qt's long format may carry a time zone ("t"): keep hours, minutes, seconds, AM/PM.
    QString qt = locale.timeFormat(QLocale::LongFormat);
    bool twelve = qt.contains("AP", Qt::CaseInsensitive);
    bool leadingZero = qt.contains("hh") || qt.contains("HH");
    QString h = leadingZero ? "hh" : "h";
    return twelve ? h + ":nn:ss AMPM" : h + ":nn:ss";
}

bool ParseTimeOfDay(const QString& text, DateTime& out, const QLocale& locale) {
    static const QRegularExpression re(
        R"(^\s*(\d{1,2})(?:\s*[:.]\s*(\d{1,2}))?(?:\s*[:.]\s*(\d{1,2}))?\s*([A-Za-z.]+)?\s*$)");
    auto m = re.match(text);
    if (!m.hasMatch()) return false;
    int h = m.captured(1).toInt();
    int mi = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
    int s = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    QString marker = m.captured(4);
    if (m.captured(2).isEmpty() && marker.isEmpty()) return false;  // a bare number is no time
    if (!marker.isEmpty()) {
        QString up = marker.toUpper().remove('.');
        bool pm = up == "PM" || up == "P" || up == locale.pmText().toUpper();
        bool am = up == "AM" || up == "A" || up == locale.amText().toUpper();
        if (!pm && !am) return false;
        if (h < 1 || h > 12) return false;
        if (pm && h < 12) h += 12;
        if (am && h == 12) h = 0;
    }
    if (h > 23 || mi > 59 || s > 59) return false;
    out = EncodeTime(h, mi, s);
    return true;
}

QString ModeName(int mode) {
    switch (mode) {
    case 0: return "CLOCK";
    case 1: return "IN";
    case 2: return "OUT";
    default: return "N/A";
    }
}

QString ModeTag(int mode) {
    switch (mode) {
    case 0: return "[CLOCK]";
    case 1: return "[IN]   ";
    case 2: return "[OUT]  ";
    default: return QString();
    }
}

QString FormatDuration(qint64 seconds) {
    QString sign = seconds < 0 ? "-" : "";
    if (seconds < 0) seconds = -seconds;
    return sign + QString("%1:%2:%3")
                      .arg(seconds / 3600, 2, 10, QChar('0'))
                      .arg(seconds / 60 % 60, 2, 10, QChar('0'))
                      .arg(seconds % 60, 2, 10, QChar('0'));
}

QString FormatDurationParen(qint64 seconds) { return "(" + FormatDuration(seconds) + ")"; }

QString FormatTotal(qint64 seconds) { return FormatDuration(seconds) + " "; }

QString HoursMinutes(qint64 seconds) {
    const qint64 minutes = (seconds < 0 ? -seconds : seconds) / 60;
    return QString("%1%2:%3")
        .arg(seconds < 0 && minutes > 0 ? "-" : "")
        .arg(minutes / 60)
        .arg(minutes % 60, 2, 10, QChar('0'));
}

QString DecimalHours(qint64 seconds) {
    return QString::number(double(seconds) / 3600.0, 'f', 2);
}

}  // namespace horalog
