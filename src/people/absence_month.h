#pragma once
// The month of the "Absences" window: holders down the side, the month's days across, each
// cell the holder's absence or the site's holiday, and whether the holder has reads that day.
// Loaded with a handful of queries whatever the number of holders; the window only draws it.

#include <QDate>
#include <QHash>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "people/absences.h"

namespace horalog {

struct MonthHolder {
    int card = 0;
    QString name;
    QString group;
};

struct MonthCell {
    QString first, second;  // the type codes of the morning and the afternoon; empty: at work
    bool reads = false;     // the holder has records that day
    bool Empty() const { return first.isEmpty() && second.isEmpty(); }
    bool WholeDay() const { return !first.isEmpty() && first == second; }
};

// A cell of the grid: a holder's row and a day of the month (0 is the 1st).
using MonthSpot = std::pair<int, int>;

class AbsenceMonth {
public:
    AbsenceMonth(Connection& src, Connection& att) : src_(src), att_(att) {}

    // The month of the day; the holders of a group (empty: all) whose names contain the
    // search text (any letter case), by name. Throws DbError.
    void load(const QDate& month, const QString& group = {}, const QString& search = {});

    QDate firstDay() const { return first_; }
    int dayCount() const { return first_.daysInMonth(); }
    QDate day(int index) const { return first_.addDays(index); }
    const std::vector<MonthHolder>& holders() const { return holders_; }
    const std::vector<AbsenceType>& types() const { return types_; }
    const AbsenceType* type(const QString& code) const;
    // The holiday of a day, or nothing.
    std::optional<QString> holiday(int day) const;
    static bool Weekend(const QDate& d) { return d.dayOfWeek() >= 6; }
    MonthCell cell(int row, int day) const;
    // "ANN, Mon 21 Dec 2026: Vacation (family); has reads"
    QString describe(int row, int day) const;

    // One absence per holder and run of consecutive chosen days, all or none; reloads. Answers
    // the refusal, empty when stored. Throws DbError.
    QString add(const std::vector<MonthSpot>& spots, const QString& code, HalfDay half,
                const QString& note);
    // Removes the absences that touch the chosen cells; answers how many; reloads. Throws
    // AbsenceRefused at the first within the closed period.
    int remove(const std::vector<MonthSpot>& spots);

private:
    const Absence* absenceAt(int card, const QDate& d, HalfDay half) const;
    void reload();

    Connection& src_;
    Connection& att_;
    QDate first_;
    QString group_, search_;
    std::vector<MonthHolder> holders_;
    std::vector<AbsenceType> types_;
    QHash<int, std::vector<Absence>> absences_;  // by card
    QHash<int, quint32> reads_;                  // by card: bit d for day d
    QHash<int, QString> holidays_;               // by day index
};

}  // namespace horalog
