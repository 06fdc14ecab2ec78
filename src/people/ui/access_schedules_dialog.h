#pragma once
// "Access Schedules": the time profiles (list, editor, the periods drawn on a week strip) and
// the holidays. A view over ScheduleStore (time_profiles.h); every check is CheckProfile's.

#include <QDialog>
#include <array>

#include "people/time_profiles.h"

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace horalog {

class Messages;

// Seven rows (Monday first) of 24 hours with the periods of a profile drawn as bars; a period
// past midnight continues on the next day's row.
class WeekStrip : public QWidget {
    Q_OBJECT
public:
    explicit WeekStrip(QWidget* parent = nullptr);
    void setProfile(const TimeProfile& p);
    QSize sizeHint() const override { return {520, 170}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    TimeProfile profile_;
};

class TAccessSchedules : public QDialog {
    Q_OBJECT
public:
    TAccessSchedules(Connection& src, Messages& messages, QWidget* parent = nullptr);

    QListWidget* profileList() const { return list_; }
    QLineEdit* nameBox() const { return edName_; }
    QCheckBox* periodBox(int i) const { return periodOn_[std::size_t(i)]; }
    QLineEdit* periodStart(int i) const { return periodStart_[std::size_t(i)]; }
    QLineEdit* periodEnd(int i) const { return periodEnd_[std::size_t(i)]; }
    QCheckBox* dayBox(int d) const { return days_[std::size_t(d)]; }  // 0 is Monday
    QCheckBox* firstBox() const { return cbFirst_; }
    QDateEdit* firstDate() const { return edFirst_; }
    QCheckBox* lastBox() const { return cbLast_; }
    QDateEdit* lastDate() const { return edLast_; }
    QCheckBox* holidaysBox() const { return cbHolidays_; }
    QTableWidget* holidayList() const { return holidays_; }
    QDateEdit* holidayDate() const { return edHoliday_; }
    QLineEdit* holidayName() const { return edHolidayName_; }
    WeekStrip* strip() const { return strip_; }
    bool changed() const { return changed_; }

    void newProfile();
    // Checks the editor and stores it; false (with the message shown) when refused.
    bool saveProfile();
    // Asks, naming the holders on it, then deletes the chosen profile.
    void deleteProfile();
    void addHoliday();
    void removeHoliday();

private:
    void reload(int selectId);
    void showProfile(int row);
    // The editor's fields as a profile; a time that is not "HH:MM" gives a message instead.
    std::optional<TimeProfile> editedProfile(QString& problem) const;
    void editorChanged();
    void reloadHolidays();

    ScheduleStore store_;
    Messages& messages_;
    std::vector<TimeProfile> profiles_;
    int currentId_ = -1;
    bool loading_ = false;
    bool changed_ = false;
    QListWidget* list_;
    QLineEdit* edName_;
    std::array<QCheckBox*, kMaxPeriods> periodOn_{};
    std::array<QLineEdit*, kMaxPeriods> periodStart_{};
    std::array<QLineEdit*, kMaxPeriods> periodEnd_{};
    std::array<QCheckBox*, 7> days_{};
    QCheckBox* cbFirst_;
    QDateEdit* edFirst_;
    QCheckBox* cbLast_;
    QDateEdit* edLast_;
    QCheckBox* cbHolidays_;
    QWidget* editor_;
    WeekStrip* strip_;
    QTableWidget* holidays_;
    QDateEdit* edHoliday_;
    QLineEdit* edHolidayName_;
};

// Menu entry: the window over the system database.
bool RunAccessSchedulesCommand(Connection& src, QWidget* parent);

}  // namespace horalog
