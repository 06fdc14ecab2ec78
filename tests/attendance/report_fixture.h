#pragma once
// A small log in memory with one office group, and helpers to read a report's band texts.

#include <QDateTime>
#include <string>
#include <vector>

#include "attendance/attendance_reports.h"
#include "attendance/memory_report_source.h"

namespace horalog::testing {

// "2004-06-23 08:55" or "2004-06-23 08:55:30"
inline DateTime At(const char* text) {
    QString s(text);
    QDateTime dt =
        QDateTime::fromString(s, s.size() > 16 ? "yyyy-MM-dd HH:mm:ss" : "yyyy-MM-dd HH:mm");
    if (!dt.isValid()) dt = QDateTime(QDate::fromString(s, "yyyy-MM-dd"), QTime(0, 0));
    return DateTime::fromQDateTime(dt);
}

inline DateTime Hm(int h, int m) {
    return EncodeTime(h, m, 0);
}

// Weekday sessions 09:00-13:00 and 14:00-17:30, overtime from 15 minutes in multiples of 5.
inline WorkGroup OfficeGroup(int id = 1, const char* name = "OFFICE") {
    WorkGroup g;
    g.id = id;
    g.descx = name;
    g.wd_from_1 = Hm(9, 0);
    g.wd_to_1 = Hm(13, 0);
    g.wd_from_2 = Hm(14, 0);
    g.wd_to_2 = Hm(17, 30);
    g.sat_from_1 = Hm(9, 0);
    g.sat_to_1 = Hm(13, 0);
    g.sat_from_2 = Hm(14, 0);
    g.sat_to_2 = Hm(15, 30);
    g.ot_min = 15;
    g.ot_multi = 5;
    return g;
}

struct Log {
    const char* when;
    int mode;
};

struct ReportFixture {
    MemoryReportSource source;

    ReportFixture() {
        source.AddGroup(OfficeGroup());
        source.AddHolder(101, "ALICE", 1, false);
    }
    void Add(int card, const std::vector<Log>& logs) {
        for (const auto& l : logs) source.AddRecord(At(l.when), card, l.mode);
    }
    // Monday 2004-06-21 to Sunday 2004-06-27, " HH:mm:ss", no colours.
    static ReportParameters Params(RecordsOfInterest records = RecordsOfInterest::All) {
        ReportParameters p;
        p.period = PeriodChoice::Range;
        p.rangeFrom = At("2004-06-21");
        p.rangeTo = At("2004-06-27");
        p.records = records;
        p.recordFormat = 1;
        p.enhanced = false;
        return p;
    }
    ReportDocument Build(ReportKind kind, const ReportParameters& p) {
        return BuildReport(kind, p, source, At("2004-06-30 10:00"));
    }
};

inline std::vector<std::string> Texts(const ReportDocument& doc, BandKind kind) {
    std::vector<std::string> out;
    for (const auto& b : doc.bands)
        if (b.kind == kind) out.push_back(b.text.toStdString());
    return out;
}

inline std::vector<std::string> AllTexts(const ReportDocument& doc) {
    std::vector<std::string> out;
    for (const auto& b : doc.bands) {
        switch (b.kind) {
            case BandKind::Heading:
                out.push_back("H:" + b.text.toStdString());
                break;
            case BandKind::Detail:
                out.push_back("D:" + b.text.toStdString());
                break;
            case BandKind::Total:
                out.push_back("T:" + b.text.toStdString());
                break;
            case BandKind::Blank:
                out.push_back("B:");
                break;
            case BandKind::PageBreak:
                out.push_back("P:");
                break;
        }
    }
    return out;
}

inline Absence AbsenceOf(int card, const char* from, const char* to, const char* type,
                         HalfDay half = HalfDay::Full) {
    return {0,
            card,
            QDate::fromString(from, Qt::ISODate),
            QDate::fromString(to, Qt::ISODate),
            half,
            type,
            QString()};
}

// The week of the timesheet and payroll tests. OFFICE works 09:00-13:00 and 14:00-17:30 (7:30
// a day), overtime from 15 minutes in fives. ALICE: regular, late, vacation, holiday, a morning
// off sick, a day changed by hand. BOB: a night from Monday 22:00 to Tuesday 06:00 (two
// incorrect days, as Total Hours sees them), a regular Wednesday. CAROL: unpaid leave all week
// (still expected: it is not paid).
inline ReportFixture TimesheetWeek() {
    ReportFixture fx;
    fx.source.AddHolder(102, "BOB", 1);
    fx.source.AddHolder(103, "CAROL", 1);
    fx.Add(101, {{"2004-06-21 08:55", 1},
                 {"2004-06-21 17:40", 2},
                 {"2004-06-22 09:20", 1},
                 {"2004-06-22 17:30", 2},
                 {"2004-06-25 12:45", 1},
                 {"2004-06-25 17:52", 2}});
    fx.Add(102, {{"2004-06-21 22:00", 1},
                 {"2004-06-22 06:00", 2},
                 {"2004-06-23 09:00", 1},
                 {"2004-06-23 17:30", 2}});
    fx.source.AddAbsence(AbsenceOf(101, "2004-06-23", "2004-06-23", "V"));
    fx.source.AddAbsence(AbsenceOf(101, "2004-06-25", "2004-06-25", "S", HalfDay::First));
    fx.source.AddAbsence(AbsenceOf(103, "2004-06-21", "2004-06-25", "U"));
    fx.source.AddHoliday(QDate(2004, 6, 24), "Midsummer");
    fx.source.AddHandChange(101, QDate(2004, 6, 22));
    return fx;
}

// The continuation of a day: two blanks and the 18 blanks under the day heading.
inline const std::string kCont(20, ' ');

}  // namespace horalog::testing
