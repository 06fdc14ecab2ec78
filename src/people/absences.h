#pragma once
// Absences of holders (vacation, sick days, business trips, ...) and their types, in the
// system database. The site's public holidays are the holiday list of the access schedules.

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

#include "storage/database.h"

namespace horalog {

namespace audit {
inline constexpr const char* kAbsenceAdded = "Absence added";
inline constexpr const char* kAbsenceDeleted = "Absence deleted";
inline constexpr const char* kAbsenceTypeAdded = "Absence type added";
inline constexpr const char* kAbsenceTypeChanged = "Absence type changed";
inline constexpr const char* kAbsenceTypeDeleted = "Absence type deleted";
}  // namespace audit

struct AbsenceType {
    QString code;  // one letter
    QString name;
    bool paid = false;
    double hours = -1;  // paid hours of a day; -1: the group's hours of that weekday
    QString colour;     // "#rrggbb"
};

enum class HalfDay { Full = 0, First = 1, Second = 2 };

struct Absence {
    qint64 id = 0;  // 0 until stored
    int cardno = 0;
    QDate from, to;  // both inclusive; a half day is a single day
    HalfDay half = HalfDay::Full;
    QString type;  // the type's code
    QString note;
};

// "V Vacation, paid (group hours), #6aa84f": the audit trail's and the lists' text of a type.
QString AbsenceTypeText(const AbsenceType& t);
// Empty when the type may be stored, else why not: a letter for a code (not H, the holidays'),
// a name, paid hours of the group (-1) or 0 to 24, a colour "#rrggbb".
QString CheckAbsenceType(const AbsenceType& t);

// "2026-12-21", "2026-12-21 to 2026-12-24", "2026-12-24 first half".
QString AbsenceDaysText(const Absence& a);

// Whether two absences of one holder claim the same time: their days meet, unless they are
// the two halves of one day.
bool AbsencesOverlap(const Absence& a, const Absence& b);

// A change the store refuses, with the message for the operator.
struct AbsenceRefused {
    QString message;
};

class AbsenceStore {
public:
    explicit AbsenceStore(Connection& src) : src_(src) {}

    std::vector<AbsenceType> types();  // by code
    std::optional<AbsenceType> type(const QString& code);
    // Adds the type or changes the one of its code, audited. Throws AbsenceRefused with
    // CheckAbsenceType's message.
    void saveType(const AbsenceType& t);
    // Deletes a type no absence is of, audited. Throws AbsenceRefused when absences use it.
    void deleteType(const QString& code);

    // The absences that touch the days from..to (either open), of one holder or of all, by
    // holder and first day.
    std::vector<Absence> absences(std::optional<int> cardno, std::optional<QDate> from,
                                  std::optional<QDate> to);

    // Checks and adds one absence, audited; answers its id. Throws AbsenceRefused: no such
    // holder or type, the days out of order, a half day over several days, a first day within
    // the closed period ("The period up to <date> is closed."), or an overlap with
    // another absence of the holder (named in the message). Throws DbError when the store fails.
    qint64 add(const Absence& a);
    // Adds every absence or none, in one transaction, each checked against the ones before it
    // too. Answers the refusals, each with the index of the absence refused; none: all added.
    std::vector<std::pair<std::size_t, QString>> addAll(const std::vector<Absence>& all);
    // Removes the holder's absences that touch the days from..to, audited; answers how many.
    // Throws AbsenceRefused when one of them starts within the closed period.
    int remove(int cardno, const QDate& from, const QDate& to);
    // Removes one absence, audited; false when there is none of that id. Throws as remove.
    bool removeOne(qint64 id);

private:
    qint64 insert(const Absence& a);
    void erase(const std::vector<Absence>& gone);
    Connection& src_;
};

}  // namespace horalog
