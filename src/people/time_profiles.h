#pragma once
// Time profiles: when a holder with a door right may pass. A holder's profile is its
// ACCESSGRP; profile 0 "Always" is fixed. A profile has up to three periods of the day, the
// weekdays it applies on, optional first and last valid dates and whether it applies on
// holidays. A period whose end is not after its start runs past midnight (22:00-06:00): the
// hours after midnight belong to the day the period started, for its weekday and holiday test.

#include <QDate>
#include <QString>
#include <array>
#include <atomic>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "common/datetime.h"
#include "storage/database.h"

namespace horalog {

namespace audit {
inline constexpr const char* kProfileAdded = "Time profile added";
inline constexpr const char* kProfileChanged = "Time profile changed";
inline constexpr const char* kProfileDeleted = "Time profile deleted";
inline constexpr const char* kHolidayAdded = "Holiday added";
inline constexpr const char* kHolidayChanged = "Holiday changed";
inline constexpr const char* kHolidayDeleted = "Holiday deleted";
}  // namespace audit

inline constexpr int kAlwaysProfile = 0;
inline constexpr const char* kAlwaysProfileName = "Always";
inline constexpr int kMaxPeriods = 3;

struct AccessPeriod {
    int start = 0;  // minutes since midnight, 0..1439
    int end = 0;    // minutes since midnight, 1..1440; not after start: past midnight
    friend bool operator==(const AccessPeriod&, const AccessPeriod&) = default;
};

struct TimeProfile {
    int id = -1;  // -1: not stored yet
    QString name;
    std::vector<AccessPeriod> periods;
    std::array<bool, 7> days{};  // index 0 is Monday
    QDate first;                 // null: no first date
    QDate last;                  // null: no last date
    bool onHolidays = false;
    friend bool operator==(const TimeProfile&, const TimeProfile&) = default;
};

struct Holiday {
    QDate date;
    QString name;
};

// The day numbers (DateTime::dayNumber) of the holidays.
using HolidayDays = std::set<int>;

// Why a profile admits or refuses at a time.
enum class ScheduleAnswer {
    Always,          // profile 0
    InPeriod,        // admitted
    OutsidePeriods,  // no period covers the time of day
    NotThisWeekday,  // a period covers it, but not on this weekday
    Holiday,         // a period covers it, but the day is a holiday and the profile is not for them
    BeforeFirstDate,
    AfterLastDate,
    UnknownProfile,  // the holder's profile does not exist: refused
};
inline bool Admits(ScheduleAnswer a) {
    return a == ScheduleAnswer::Always || a == ScheduleAnswer::InPeriod;
}
// "admitted: 07:00-19:00 covers Tue 08:00", "refused: outside schedule (no period covers
// 20:00)", ...
QString ScheduleAnswerText(ScheduleAnswer a);

// The rule, without the database: whether profile admits at local time t.
ScheduleAnswer ProfileDecision(const TimeProfile& profile, const HolidayDays& holidays, DateTime t);

// "07:00-19:00", "22:00-06:00"; "HH:MM" parse and format of minutes (24:00 allowed as an end).
QString MinutesText(int minutes);
int ParseMinutes(const QString& text);  // -1 when not a time
QString PeriodText(const AccessPeriod& p);
// "Mon Tue Wed Thu Fri"
QString DaysText(const std::array<bool, 7>& days);
// One line for lists and the audit trail.
QString ProfileText(const TimeProfile& p);

// The checks of the editor: empty when the profile may be stored, else the message.
QString CheckProfile(const TimeProfile& p, const std::vector<TimeProfile>& others);

// The profiles and holidays of the system database (tables timeprofile and holiday). Every
// change is one transaction with its audit row and moves ScheduleGeneration on.
class ScheduleStore {
public:
    explicit ScheduleStore(Connection& src) : src_(src) {}

    std::vector<TimeProfile> profiles();  // "Always" first, then by name
    std::vector<Holiday> holidays();      // by date
    HolidayDays holidayDays();

    // Inserts (id -1) or changes a profile; answers its id. Throws DbError with the message
    // of CheckProfile, or when asked to change profile 0.
    int saveProfile(TimeProfile p);
    // How many holders are on the profile.
    int holdersOn(int id);
    // Deletes the profile and moves its holders to "Always", in one transaction. Answers how
    // many holders moved.
    int deleteProfile(int id);
    void saveHoliday(const Holiday& h);  // adds, or renames the holiday of that date
    void deleteHoliday(const QDate& date);

private:
    Connection& src_;
};

// The name of a profile ("Always" for 0, "#7" for one that is gone) and the id of a name
// (letter case ignored; -1 when there is none).
QString ProfileNameOf(Connection& src, int id);
int ProfileIdOf(Connection& src, const QString& name);

// Moves on with every change of profiles or holidays in this process.
int ScheduleGeneration();

// The profiles and holidays in memory, for the decision at the door: read again only when
// they changed, never per card read.
class ScheduleBook {
public:
    // Reads the tables when they changed since the last call (or never were read).
    void refresh(Connection& src);
    ScheduleAnswer decide(int profileId, DateTime t) const;
    const TimeProfile* profile(int id) const;

private:
    int generation_ = -1;
    std::map<int, TimeProfile> profiles_;
    HolidayDays holidays_;
};

}  // namespace horalog
